// SPDX-License-Identifier: MIT
#include "batch_pipeline.h"

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <new>
#include <set>
#include <system_error>
#include <thread>

#include "conversion/batch_summary.h"
#include "conversion/conversion_report.h"
#include "conversion/key_file_list.h"
#include "conversion/keyframe_conversion.h"
#include "conversion/output_group.h"
#include "keyframes/key_file_reader.h"
#include "keyframes/key_file_writer.h"

namespace zerka {
namespace {

// How far workers may run ahead of the files taken in order: it bounds the open files and
// memory.
constexpr std::size_t kAhead = 2 * OutputGroup::kSize;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Everything one listed file needs that does not depend on the files before it.
struct Item {
    std::optional<StagedFile> Staged;
    std::string Reason;  // when nothing was staged
    bool Loaded = false;  // it got as far as being read into the tables
    std::size_t Worker = 0;  // whose tables it was read into
    bool ConvertedDry = false;  // a dry run got as far as a staged file would
    bool Duplicate = false;  // its output name was taken by an earlier file
    std::vector<FileNode> Nodes;
    std::vector<std::string> Warnings;
    bool Done = false;
};

}  // namespace

class BatchPipeline::State {
public:
    State(const std::string &directory, const std::vector<std::string> &names,
          const BatchOptions &options, const JointTies &ties)
        : names_(names), dryRun_(options.DryRun), markerDate_(options.MarkerDate),
          write_(options.Write), ties_(ties),
          items_(names.size()), outputNames_(names.size()), namesake_(names.size(), kNone)
    {
        // Two names such as "a.KEY" and "a.key" make one output; the later one waits for
        // the earlier to be settled (namesake_).
        std::map<std::string, std::size_t> lastWith;
        for (std::size_t i = 0; i < names_.size(); ++i) {
            try {
                outputNames_[i] = OutputNameFor(names_[i]);
            } catch (const FileError &) {
                continue;  // Process gives the reason
            }
            const auto [earlier, first] = lastWith.try_emplace(outputNames_[i], i);
            if (!first) {
                namesake_[i] = earlier->second;
                earlier->second = i;
            }
        }
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

    std::optional<FileError> CheckOutput()
    {
        if (!source_)
            return std::nullopt;  // every file fails on the folder itself
        try {
            // A file written and dropped again: a folder that can be made but not written
            // (read-only, immutable, a full quota of files) fails here, once.
            Output().Stage({}, kOutputFolder, kOutputFolder);
        } catch (const FileError &error) {
            return error;
        }
        return std::nullopt;
    }

    // On the caller's tables, one file after the other.
    void ConvertInOrder(KeyframeTables &tables, BatchResult &result, const BatchProgress &progress)
    {
        std::string text;
        for (std::size_t i = 0; i < names_.size(); ++i) {
            Process(tables, text, i, Claimed(i));
            Consume(i, result, progress);
        }
        Finish(result);
    }

    // Workers read, convert and stage files ahead, each on tables of its own, while this
    // thread takes their work in list order: outputs, outcomes and progress come out
    // exactly as in ConvertInOrder, and the caller gets the tables of the worker that read
    // the last file read.
    void ConvertWithWorkers(KeyframeTables &tables, std::size_t count, BatchResult &result,
                            const BatchProgress &progress)
    {
        std::atomic<std::size_t> next{0};
        bool stop = false;
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
        const auto work = [&](std::size_t worker) {
            std::string text;
            for (std::size_t i; (i = next++) < names_.size();) {
                bool claimed = false;
                {
                    // A file whose output name an earlier file may take waits until that one
                    // is settled, so it is read exactly when one thread would read it.
                    std::unique_lock lock(mutex_);
                    changed_.wait(lock, [&] {
                        return stop || (i < consumed_ + kAhead &&
                                        (namesake_[i] == kNone || namesake_[i] < consumed_));
                    });
                    if (stop)
                        return;
                    claimed = claimed_.count(outputNames_[i]) != 0;
                }
                Process(*own[worker], text, i, claimed);
                items_[i].Worker = worker;
                {
                    const std::lock_guard lock(mutex_);
                    items_[i].Done = true;
                }
                changed_.notify_all();
            }
        };
        std::vector<std::thread> threads;
        const auto stopAndJoin = [&] {
            {
                const std::lock_guard lock(mutex_);
                stop = true;
            }
            changed_.notify_all();
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
                threads.emplace_back(work, w);
        } catch (const std::system_error &) {
            if (threads.empty()) {  // no thread to be had: the same work on this one
                ConvertInOrder(tables, result, progress);
                return;
            }
        }
        for (std::size_t i = 0; i < names_.size(); ++i) {
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return items_[i].Done; });
            }
            Consume(i, result, progress);
            {
                const std::lock_guard lock(mutex_);
                consumed_ = i + 1;
            }
            changed_.notify_all();
        }
        stopAndJoin();
        Finish(result);
        // Every later file that worker took failed before it was read, so its tables are
        // as that file left them.
        if (lastLoaded_ != kNone)
            tables = std::move(*own[items_[lastLoaded_].Worker]);
    }

private:
    bool Claimed(std::size_t i)
    {
        const std::lock_guard lock(mutex_);
        return claimed_.count(outputNames_[i]) != 0;
    }

    // New is opened once; from then on every file gets the same folder, or the same reason.
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

    // claimed: an earlier file took this one's output name, so it is not read at all.
    // buffer is the thread's own storage for the file's text.
    void Process(KeyframeTables &tables, std::string &buffer, std::size_t i, bool claimed)
    {
        Item &item = items_[i];
        const std::string &name = names_[i];
        try {
            if (sourceError_)
                throw *sourceError_;
            OutputNameFor(name);  // a name too short fails here, before anything is read
            if (claimed)
                return;  // Consume gives the reason
            const std::string_view text = InputFile::OpenIn(*source_, name).ReadAllInto(buffer);
            item.Loaded = true;  // from here on the tables change, as far as the text gets
            LoadKeyText(tables, text, name);
            std::vector<std::string> warnings = HeaderWarnings(tables, ties_);
            OutputFolder *output = dryRun_ ? nullptr : &Output();
            tables.SourceFileName = name;
            std::vector<NodeOutcome> nodes = ConvertTables(tables, ties_, name);
            // A text too wide for its columns fails here, in a dry run too.
            const std::string built = BuildKeyText(tables, markerDate_);
            if (output)
                item.Staged.emplace(output->Stage(built, outputNames_[i]));
            else
                item.ConvertedDry = true;
            AddNodeWarnings(warnings, nodes, ties_, dryRun_);
            item.Nodes.reserve(nodes.size());
            for (NodeOutcome &node : nodes)
                item.Nodes.push_back({node.Num, std::move(node.MeshName)});
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
        const std::string &outputName = outputNames_[i];
        outcome.OutputName = outputName;
        // "a.KEY" and "a.key" both make New/a.key: the first listed that was staged wins.
        if (!outputName.empty() && Claimed(i)) {
            item.Staged.reset();
            item.Duplicate = true;
            outcome.Reason = std::string(kOutputFolder) + "/" + ShownName(outputName) +
                             " was already written from another file of this folder";
        } else if (item.Staged || item.ConvertedDry) {
            {
                const std::lock_guard lock(mutex_);
                claimed_.insert(outputName);
            }
            if (item.Staged)
                group_.Add(i, std::move(*item.Staged));
            else
                outcome.Converted = true;
            item.Staged.reset();
            outcome.Nodes = std::move(item.Nodes);
            outcome.Warnings = std::move(item.Warnings);
        } else {
            outcome.Reason = item.Reason;
        }
        if (item.Loaded)
            lastLoaded_ = i;
        if (group_.Full())
            group_.Publish(*output_, sources_, result);
        if (progress)
            progress(static_cast<int>(i + 1));
    }

    void Finish(BatchResult &result)
    {
        if (!group_.Empty())
            group_.Publish(*output_, sources_, result);
        NoteEarlierOutputs(result);
        // New was made before the first file, to be sure it can be written; a folder
        // whose files all failed gets none, as if it had been made only when needed.
        if (output_ && output_->Made() && !group_.NamedAny()) {
            output_.reset();
            source_->RemoveIfEmpty(kOutputFolder);
        }
    }

    // A file that failed while New holds an output of its name from an earlier run says so,
    // or the user may take that output for a fresh one; one this run named, from a file of
    // the same output name or before its folder's sync failed, is no earlier run's.
    void NoteEarlierOutputs(BatchResult &result) const
    {
        if (!source_)
            return;
        for (std::size_t i = 0; i < names_.size(); ++i) {
            FileOutcome &outcome = result.Files[i];
            const std::string &outputName = outputNames_[i];
            if (outcome.Converted || items_[i].Duplicate || outputName.empty() ||
                group_.Named(outputName) || !source_->HoldsFile(kOutputFolder, outputName) ||
                sources_.count(source_->IdentityOf(std::string(kOutputFolder) + "/" +
                                                   outputName)) != 0)
                continue;
            outcome.Reason += "; " + std::string(kOutputFolder) + "/" + ShownName(outputName) +
                              " is from an earlier run";
        }
    }

    const std::vector<std::string> &names_;
    bool dryRun_;
    std::string markerDate_;
    WriteOptions write_;
    const JointTies &ties_;
    std::optional<Folder> source_;
    std::optional<FileError> sourceError_;
    std::set<FileIdentity> sources_;
    std::mutex outputMutex_;
    std::optional<OutputFolder> output_;
    std::optional<FileError> outputError_;
    // After output_: staged files left on an exception go while their folder is still open.
    std::vector<Item> items_;
    std::vector<std::string> outputNames_;  // empty for a name too short to have one
    std::vector<std::size_t> namesake_;  // the last earlier file of the same output name
    std::mutex mutex_;  // for what the workers share with the thread that takes their work
    std::condition_variable changed_;
    std::size_t consumed_ = 0;
    std::set<std::string> claimed_;
    OutputGroup group_;
    std::size_t lastLoaded_ = kNone;
};

BatchPipeline::BatchPipeline(const std::string &directory, const std::vector<std::string> &names,
                             const BatchOptions &options, const JointTies &ties)
    : state_(std::make_unique<State>(directory, names, options, ties))
{
}

BatchPipeline::~BatchPipeline() = default;

std::optional<FileError> BatchPipeline::CheckOutput() { return state_->CheckOutput(); }

void BatchPipeline::Run(KeyframeTables &tables, std::size_t workers, BatchResult &result,
                        const BatchProgress &progress)
{
    if (workers <= 1)
        state_->ConvertInOrder(tables, result, progress);
    else
        state_->ConvertWithWorkers(tables, workers, result, progress);
}

}  // namespace zerka
