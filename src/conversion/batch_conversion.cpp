// SPDX-License-Identifier: MIT
#include "batch_conversion.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <optional>
#include <set>
#include <system_error>
#include <thread>

#include "conversion/batch_summary.h"
#include "conversion/conversion_report.h"
#include "conversion/keyframe_conversion.h"
#include "keyframes/key_file_reader.h"
#include "keyframes/key_file_writer.h"
#include "keyframes/number_text.h"

namespace zerka {
namespace {

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
    outcome.Warnings.clear();  // a file not converted is told by its reason alone
}

// Names the staged outputs in list order, then makes the names durable.
void PublishGroup(std::vector<Staged> &group, OutputFolder &output,
                  const std::set<FileIdentity> &sources, BatchResult &result)
{
    std::vector<StagedFile *> files;
    for (Staged &staged : group)
        files.push_back(&staged.File);
    output.MakeDurable(files);
    std::vector<std::size_t> published;
    for (Staged &staged : group) {
        FileOutcome &outcome = result.Files[staged.Index];
        try {
            output.Publish(staged.File, sources);
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

// Everything one listed file needs that does not depend on the files before it.
struct Item {
    std::string OutputName;
    std::optional<StagedFile> Staged;
    std::string Reason;  // when nothing was staged
    bool Loaded = false;  // it got as far as being read into the tables
    bool ConvertedDry = false;  // a dry run got as far as a staged file would
    std::vector<NodeOutcome> Nodes;
    std::vector<std::string> Warnings;
    bool Done = false;
};

// One batch: the listed folder and New, opened once by handle so that names in them
// cannot be redirected while it runs, and the outputs, published in list order.
class BatchRun {
public:
    BatchRun(const std::string &directory, const std::vector<std::string> &names, bool dryRun,
             const JointTies &ties, WriteOptions write)
        : names_(names), dryRun_(dryRun), ties_(ties), write_(std::move(write)),
          items_(names.size())
    {
        try {
            source_.emplace(Folder::Open(directory, directory));
        } catch (const FileError &error) {
            sourceError_ = error;
            return;
        }
        // Every listed file, before any output is named: one that is a link into New must
        // not be replaced by another file's output either.
        for (const std::string &name : names_)
            if (const FileIdentity identity = source_->IdentityOf(name); identity != FileIdentity{})
                sources_.insert(identity);
    }

    // On the caller's tables, one file after the other.
    void ConvertInOrder(KeyframeTables &tables, BatchResult &result, const BatchProgress &progress)
    {
        std::string text;
        for (std::size_t i = 0; i < names_.size(); ++i) {
            Process(tables, text, i, true);
            Consume(i, result, progress);
        }
        Finish(result);
    }

    // Workers read, convert and stage files ahead, each on tables of its own, while this
    // thread takes their work in list order: outputs, outcomes and progress come out
    // exactly as in ConvertInOrder. A worker stays at most kAhead files ahead, which
    // bounds the open files and memory.
    void ConvertWithWorkers(KeyframeTables &tables, std::size_t count, BatchResult &result,
                            const BatchProgress &progress)
    {
        constexpr std::size_t kAhead = 2 * kPublishGroup;
        std::atomic<std::size_t> next{0};
        std::size_t consumed = 0;
        bool stop = false;
        std::mutex mutex;
        std::condition_variable changed;
        // Each worker's tables are made here, as copies of the caller's: no worker ever reads
        // the caller's, and a failure to make them leaves the work to this thread alone.
        std::vector<std::unique_ptr<KeyframeTables>> own;
        try {
            for (std::size_t w = 0; w < count; ++w)
                own.push_back(std::make_unique<KeyframeTables>(tables));
        } catch (const std::bad_alloc &) {
            ConvertInOrder(tables, result, progress);
            return;
        }
        const auto work = [&](KeyframeTables &mine) {
            std::string text;
            for (std::size_t i; (i = next++) < names_.size();) {
                {
                    std::unique_lock lock(mutex);
                    changed.wait(lock, [&] { return stop || i < consumed + kAhead; });
                    if (stop)
                        return;
                }
                Process(mine, text, i, false);
                {
                    const std::lock_guard lock(mutex);
                    items_[i].Done = true;
                }
                changed.notify_all();
            }
        };
        std::vector<std::thread> threads;
        const auto stopAndJoin = [&] {
            {
                const std::lock_guard lock(mutex);
                stop = true;
            }
            changed.notify_all();
            for (std::thread &thread : threads)
                thread.join();
            threads.clear();
        };
        // However this thread leaves (an exception too), the workers end first.
        struct Joiner {
            const decltype(stopAndJoin) &StopAndJoin;
            ~Joiner() { StopAndJoin(); }
        } joiner{stopAndJoin};
        try {
            for (std::size_t w = 0; w < count; ++w)
                threads.emplace_back(work, std::ref(*own[w]));
        } catch (const std::system_error &) {
            if (threads.empty()) {  // no thread to be had: the same work on this one
                ConvertInOrder(tables, result, progress);
                return;
            }
        }
        for (std::size_t i = 0; i < names_.size(); ++i) {
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return items_[i].Done; });
            }
            Consume(i, result, progress);
            {
                const std::lock_guard lock(mutex);
                consumed = i + 1;
            }
            changed.notify_all();
        }
        stopAndJoin();
        Finish(result);
        RedoLastTouched(tables);
    }

private:
    // New is made when the first file gets that far, so a folder whose files all fail
    // gets none; from then on every file gets the same folder, or the same reason.
    OutputFolder &Output()
    {
        const std::lock_guard lock(outputMutex_);
        if (!output_ && !outputError_) {
            try {
                output_.emplace(OutputFolder::OpenChild(*source_, kOutputFolder, write_));
            } catch (const FileError &error) {
                outputError_ = error;
            }
        }
        if (outputError_)
            throw *outputError_;
        return *output_;
    }

    // checkClaims: whether the files before it are already settled (one thread), so a
    // name taken by an earlier output fails before the file is read. buffer is the thread's
    // own storage for the file's text.
    void Process(KeyframeTables &tables, std::string &buffer, std::size_t i, bool checkClaims)
    {
        Item &item = items_[i];
        const std::string &name = names_[i];
        try {
            if (sourceError_)
                throw *sourceError_;
            item.OutputName = OutputNameFor(name);
            if (checkClaims && claimed_.count(item.OutputName) != 0)
                return;  // Consume gives the reason
            const std::string_view text = InputFile::OpenIn(*source_, name).ReadAllInto(buffer);
            item.Loaded = true;  // from here on the tables change, as far as the text gets
            LoadKeyText(tables, text, name);
            std::vector<std::string> warnings = HeaderWarnings(tables, ties_);
            OutputFolder *output = dryRun_ ? nullptr : &Output();
            tables.SourceFileName = name;
            std::vector<NodeOutcome> nodes = ConvertTables(tables, ties_, name);
            // A text too wide for its columns fails here, in a dry run too.
            const std::string built = BuildKeyText(tables);
            if (output)
                item.Staged.emplace(output->Stage(built, item.OutputName));
            else
                item.ConvertedDry = true;
            AddNodeWarnings(warnings, nodes, ties_, dryRun_);
            item.Nodes = std::move(nodes);
            item.Warnings = std::move(warnings);
        } catch (const FileError &error) {
            item.Reason = FailureReason(error, name);
        } catch (const std::bad_alloc &) {
            item.Reason = "out of memory";
        } catch (const std::exception &error) {
            item.Reason = error.what();  // a library failure ends only this file
        }
    }

    void Consume(std::size_t i, BatchResult &result, const BatchProgress &progress)
    {
        Item &item = items_[i];
        FileOutcome &outcome = result.Files[i];
        outcome.OutputName = item.OutputName;
        // "a.KEY" and "a.key" both make New/a.key: the first listed that was staged wins.
        if (!item.OutputName.empty() && claimed_.count(item.OutputName) != 0) {
            item.Staged.reset();
            item.Loaded = false;
            outcome.Reason = std::string(kOutputFolder) + "/" + ShownName(item.OutputName) +
                             " was already written from another file of this folder";
        } else if (item.Staged) {
            claimed_.insert(item.OutputName);
            group_.push_back({i, std::move(*item.Staged)});
            item.Staged.reset();
            outcome.Nodes = std::move(item.Nodes);
            outcome.Warnings = std::move(item.Warnings);
        } else if (item.ConvertedDry) {
            claimed_.insert(item.OutputName);
            outcome.Converted = true;
            outcome.Nodes = std::move(item.Nodes);
            outcome.Warnings = std::move(item.Warnings);
        } else {
            outcome.Reason = item.Reason;
        }
        if (item.Loaded)
            lastTouched_ = i;
        if (group_.size() == kPublishGroup)
            PublishGroup(group_, *output_, sources_, result);
        if (progress)
            progress(static_cast<int>(i + 1));
    }

    void Finish(BatchResult &result)
    {
        if (!group_.empty())
            PublishGroup(group_, *output_, sources_, result);
    }

    // The caller's tables end as one thread leaves them: holding the last file that was
    // read, converted as far as it got.
    void RedoLastTouched(KeyframeTables &tables)
    {
        if (!lastTouched_)
            return;
        const std::string &name = names_[*lastTouched_];
        try {
            LoadKeyText(tables, InputFile::OpenIn(*source_, name).ReadAll(), name);
            if (output_ || dryRun_) {
                tables.SourceFileName = name;
                ConvertTables(tables, ties_, name);
            }
        } catch (const std::exception &) {
            // As far as it got, as the file itself did.
        }
    }

    const std::vector<std::string> &names_;
    bool dryRun_;
    const JointTies &ties_;
    WriteOptions write_;
    std::optional<Folder> source_;
    std::optional<FileError> sourceError_;
    std::set<FileIdentity> sources_;
    std::mutex outputMutex_;
    std::optional<OutputFolder> output_;
    std::optional<FileError> outputError_;
    // After output_: staged files left on an exception go while their folder is still open.
    std::vector<Item> items_;
    std::set<std::string> claimed_;
    std::vector<Staged> group_;
    std::optional<std::size_t> lastTouched_;
};

}  // namespace

std::vector<std::string> ListKeyFiles(const std::string &directory)
{
    std::vector<std::string> names;
    for (std::string &name : ListRegularFiles(directory, directory))
        if (name.front() != '.' && EndsWithKeyAnyCase(name))
            names.push_back(std::move(name));
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

void SaveIntoNew(KeyframeTables &tables, const std::string &directory,
                 const std::string &listedName)
{
    const Folder folder = Folder::Open(directory, directory);
    OutputFolder output = OutputFolder::OpenChild(folder, kOutputFolder);
    std::set<FileIdentity> source;
    if (const FileIdentity identity = folder.IdentityOf(listedName); identity != FileIdentity{})
        source.insert(identity);
    tables.SourceFileName = listedName;
    ConvertKeyFile(tables, output, OutputNameFor(listedName), source);
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
    result.Ties = std::make_shared<const JointTies>(tables, options.Match);
    result.Files.reserve(names.size());
    for (const std::string &name : names)
        result.Files.push_back({name, {}, false, {}, {}, {}});

    BatchRun run(directory, names, options.DryRun, *result.Ties, options.Write);
    std::size_t workers = options.Workers > 0 ? static_cast<std::size_t>(options.Workers)
                                              : std::thread::hardware_concurrency();
    workers = std::min(std::max<std::size_t>(workers, 1), names.size());
    if (workers <= 1)
        run.ConvertInOrder(tables, result, progress);
    else
        run.ConvertWithWorkers(tables, workers, result, progress);
    return result;
}

}  // namespace zerka
