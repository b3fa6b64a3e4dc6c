#include "batch_conversion.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <optional>
#include <set>
#include <system_error>

#include "conversion/keyframe_conversion.h"
#include "keyframes/key_file_reader.h"
#include "keyframes/key_file_writer.h"
#include "keyframes/number_text.h"

namespace zerka {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kCrLf = "\r\n";

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool EndsWithKeyAnyCase(const std::string &name)
{
    constexpr std::string_view kExtension = ".key";
    if (name.size() < kExtension.size())
        return false;
    const std::string_view tail = std::string_view(name).substr(name.size() - kExtension.size());
    return std::equal(tail.begin(), tail.end(), kExtension.begin(),
                      [](char a, char b) { return LowerAscii(a) == b; });
}

// The order decides which of two names with the same output wins, so it must not hang on
// whether char is signed: bytes compare unsigned, and UTF-8 names follow the ASCII ones.
bool LessIgnoringCase(const std::string &a, const std::string &b)
{
    const auto lowerLess = [](char x, char y) {
        const auto byte = [](char c) { return static_cast<unsigned char>(LowerAscii(c)); };
        return byte(x) < byte(y);
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), lowerLess))
        return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), lowerLess))
        return false;
    return a < b;  // a stable order for names that differ only in case; unsigned as well
}

constexpr const char *kOutputFolder = "New";

// Outputs are made durable this many at a time, so the wait for the disk is paid once a
// group rather than once a file, while only a few files are ever open at once.
constexpr std::size_t kPublishGroup = 32;

struct Staged {
    std::size_t Index;  // into the result's files
    StagedFile File;
};

void MarkFailed(FileOutcome &outcome, const FileError &error)
{
    outcome.Converted = false;
    outcome.Reason = FailureReason(error, outcome.Name);
}

void RecordNodes(const KeyframeTables &tables, FileOutcome &outcome)
{
    outcome.Nodes.clear();
    for (int n = 1; n <= tables.KeyNodeCount; ++n)
        outcome.Nodes.push_back({tables.KeyNodes(n).Num, tables.KeyNodes(n).MeshName, false});
    for (int m = 1; m <= tables.MatchedCount; ++m)
        outcome.Nodes[static_cast<std::size_t>(tables.MatchedNodes(m) - 1)].Moved = true;
}

// Names the staged outputs in list order, then makes the names durable.
void PublishGroup(std::vector<Staged> &group, OutputFolder &output, BatchResult &result)
{
    std::vector<std::size_t> published;
    for (Staged &staged : group) {
        FileOutcome &outcome = result.Files[staged.Index];
        try {
            output.Publish(staged.File);
            outcome.Converted = true;
            published.push_back(staged.Index);
        } catch (const FileError &error) {
            MarkFailed(outcome, error);
        }
    }
    group.clear();
    if (published.empty())
        return;
    try {
        output.SyncNames();
    } catch (const FileError &error) {
        for (const std::size_t index : published)
            MarkFailed(result.Files[index], error);
    }
}

}  // namespace

std::vector<std::string> ListKeyFiles(const std::string &directory)
{
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(directory, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.empty() || name.front() == '.' || !EndsWithKeyAnyCase(name))
            continue;
        std::error_code statError;
        if (it->is_regular_file(statError))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    return names;
}

std::string OutputNameFor(const std::string &listedName)
{
    if (listedName.size() < 4)
        throw FileError(ErrorCode::InvalidArgument, listedName, 0,
                        "the name is too short to carry an extension");
    return listedName.substr(0, listedName.size() - 4) + ".key";
}

std::string MissingHierarchyText(const KeyframeTables &tables)
{
    const bool noOld = tables.OldHierarchyCount == 0;
    const bool noNew = tables.NewHierarchyCount == 0;
    if (noOld && noNew)
        return "Load both hierarchies first: neither the old nor the new hierarchy is loaded.";
    if (noOld)
        return "Load the old hierarchy first: no old hierarchy is loaded.";
    if (noNew)
        return "Load the new hierarchy first: no new hierarchy is loaded.";
    return {};
}

int BatchResult::ConvertedCount() const
{
    return static_cast<int>(std::count_if(Files.begin(), Files.end(),
                                          [](const FileOutcome &file) { return file.Converted; }));
}

int BatchResult::NotConvertedCount() const
{
    return static_cast<int>(Files.size()) - ConvertedCount();
}

StagedFile ConvertIntoNew(KeyframeTables &tables, OutputFolder &output,
                          const std::string &listedName)
{
    const std::string outputName = OutputNameFor(listedName);
    tables.SourceFileName = listedName;
    ConvertTables(tables, listedName);
    return output.Stage(BuildKeyText(tables), outputName);
}

void SaveIntoNew(KeyframeTables &tables, const std::string &directory,
                 const std::string &listedName)
{
    OutputFolder output =
        OutputFolder::OpenChild(Folder::Open(directory, directory), kOutputFolder);
    StagedFile staged = ConvertIntoNew(tables, output, listedName);
    output.Publish(staged);
    output.SyncNames();
}

BatchResult ConvertAll(KeyframeTables &tables, const std::string &directory,
                       const std::vector<std::string> &names, const BatchProgress &progress,
                       const BatchOptions &options)
{
    BatchResult result;
    result.NotRunReason = MissingHierarchyText(tables);
    if (!result.NotRunReason.empty())
        return result;
    result.Ran = true;
    result.Files.reserve(names.size());
    for (const std::string &name : names)
        result.Files.push_back({name, {}, false, {}, {}});

    // The folder and New are opened once, by handle: names in them cannot be redirected
    // elsewhere while the batch runs. New is made only when a file gets that far.
    std::optional<Folder> source;
    std::optional<FileError> sourceError;
    try {
        source.emplace(Folder::Open(directory, directory));
    } catch (const FileError &error) {
        sourceError = error;
    }
    std::optional<OutputFolder> output;
    std::optional<FileError> outputError;
    std::set<std::string> claimed;  // "a.KEY" and "a.key" both make New/a.key: first wins
    std::vector<Staged> group;

    for (std::size_t i = 0; i < names.size(); ++i) {
        FileOutcome &outcome = result.Files[i];
        try {
            if (sourceError)
                throw *sourceError;
            outcome.OutputName = OutputNameFor(outcome.Name);
            if (claimed.count(outcome.OutputName) != 0)
                throw FileError(ErrorCode::PathAccess, outcome.Name, 0,
                                std::string(kOutputFolder) + "/" + outcome.OutputName +
                                    " was already written from another file of this folder");
            LoadKeyFile(tables, InputFile::OpenIn(*source, outcome.Name));
            if (options.DryRun) {
                tables.SourceFileName = outcome.Name;
                ConvertTables(tables, outcome.Name);
                BuildKeyText(tables);  // a text too wide for its columns fails here too
                outcome.Converted = true;
            } else {
                if (!output && !outputError) {
                    try {
                        output.emplace(OutputFolder::OpenChild(*source, kOutputFolder));
                    } catch (const FileError &error) {
                        outputError = error;
                    }
                }
                if (outputError)
                    throw *outputError;
                group.push_back({i, ConvertIntoNew(tables, *output, outcome.Name)});
            }
            claimed.insert(outcome.OutputName);
            RecordNodes(tables, outcome);
        } catch (const FileError &error) {
            MarkFailed(outcome, error);
        } catch (const std::bad_alloc &) {
            outcome.Reason = "out of memory";
        } catch (const std::exception &error) {
            outcome.Reason = error.what();  // a library failure ends only this file
        }
        if (group.size() == kPublishGroup)
            PublishGroup(group, *output, result);
        if (progress)
            progress(static_cast<int>(i + 1));
    }
    if (!group.empty())
        PublishGroup(group, *output, result);
    return result;
}

std::string FailureReason(const FileError &error, const std::string &listedName)
{
    if (!error.File.empty() && error.File != listedName)
        return error.what();
    std::string reason = error.Description;
    if (error.Line > 0)
        reason += " (line " + std::to_string(error.Line) + ")";
    return reason;
}

std::string BatchSummaryText(const BatchResult &result)
{
    std::string text = "Converted: " + SignSpaced(result.ConvertedCount());
    text += kCrLf;
    text += "Not Converted: " + SignSpaced(result.NotConvertedCount());
    if (result.NotConvertedCount() > 0) {
        text += kCrLf;
        for (const FileOutcome &file : result.Files) {
            if (file.Converted)
                continue;
            text += kCrLf;
            text += ShownName(file.Name) + ": " + file.Reason;
        }
    }
    return text;
}

}  // namespace zerka
