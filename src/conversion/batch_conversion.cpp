#include "batch_conversion.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "conversion/keyframe_conversion.h"
#include "keyframes/key_file_reader.h"
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

std::string MissingHierarchyText(const KeyframeTables &tables)
{
    const bool noOld = tables.OldHierarchyCount == 0;
    const bool noNew = tables.NewHierarchyCount == 0;
    if (noOld && noNew)
        return "Load both hierarchies first: neither the old nor the new hierarchy is loaded.";
    return noOld ? "Load the old hierarchy first: no old hierarchy is loaded."
                 : "Load the new hierarchy first: no new hierarchy is loaded.";
}

// writtenNames holds the outputs of this batch so far: "a.key" and "a.KEY" both make
// New/a.key, and the second must not silently replace the first.
void ConvertOne(KeyframeTables &tables, const fs::path &directory, const std::string &name,
                std::set<std::string> &writtenNames)
{
    const std::string outputName = OutputNameFor(name);
    if (writtenNames.count(outputName) != 0)
        throw FileError(ErrorCode::PathAccess, name, 0,
                        "New/" + outputName +
                            " was already written from another file of this folder");
    LoadKeyFile(tables, (directory / name).string());
    const fs::path outputDirectory = directory / "New";
    EnsureDirectory(outputDirectory.string());
    tables.SourceFileName = name;
    ConvertKeyFile(tables, (outputDirectory / outputName).string());
    writtenNames.insert(outputName);
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

void EnsureDirectory(const std::string &path)
{
    std::error_code ignored;  // an existing folder is fine; other failures surface on write
    fs::create_directory(path, ignored);
}

std::string OutputNameFor(const std::string &listedName)
{
    if (listedName.size() < 4)
        throw FileError(ErrorCode::InvalidArgument, listedName, 0,
                        "the name is too short to carry an extension");
    return listedName.substr(0, listedName.size() - 4) + ".key";
}

BatchResult ConvertAll(KeyframeTables &tables, BatchView &view)
{
    BatchResult result;
    if (tables.OldHierarchyCount == 0 || tables.NewHierarchyCount == 0) {
        view.ShowMessage(MissingHierarchyText(tables));
        return result;
    }
    result.Ran = true;

    const fs::path directory(view.ListedDirectory());
    const std::vector<std::string> names = view.ListedFiles();
    view.SetListsEnabled(false);
    view.ClearInfoText();
    view.ShowMessage(std::to_string(names.size()));
    if (!names.empty())
        view.SetProgressMaximum(static_cast<int>(names.size()));

    std::set<std::string> writtenNames;
    for (std::size_t i = 0; i < names.size(); ++i) {
        try {
            ConvertOne(tables, directory, names[i], writtenNames);
            ++result.Converted;
        } catch (const FileError &error) {
            result.Failures.push_back({names[i], error.what()});
        } catch (const std::exception &error) {
            // Out of memory or a library failure on one file must not end the batch.
            result.Failures.push_back({names[i], error.what()});
        }
        view.SetProgressValue(static_cast<int>(i + 1));
    }

    view.SetListsEnabled(true);
    view.ShowMessage(BatchSummaryText(result));
    return result;
}

std::string BatchSummaryText(const BatchResult &result)
{
    std::string text = "Converted: " + SignSpaced(result.Converted);
    text += kCrLf;
    text += "Not Converted: " + SignSpaced(static_cast<long>(result.Failures.size()));
    if (!result.Failures.empty()) {
        text += kCrLf;
        for (const BatchFailure &failure : result.Failures) {
            text += kCrLf;
            text += failure.FileName + ": " + failure.Message;
        }
    }
    return text;
}

}  // namespace zerka
