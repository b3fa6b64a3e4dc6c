// SPDX-License-Identifier: MIT
#include "batch_pipeline.h"

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <new>
#include <set>
#include <stop_token>
#include <system_error>
#include <thread>

#include "conversion/conversion_report.h"
#include "conversion/key_file_list.h"
#include "conversion/keyframe_conversion.h"
#include "conversion/output_group.h"
#include "keyframes/key_file_reader.h"
#include "keyframes/key_file_writer.h"
#include "keyframes/key_header.h"

namespace zerka {
namespace {

// How far workers may run ahead of the files taken in order: it bounds the files staged
// and the memory they hold.
constexpr std::size_t kAhead = 2 * OutputGroup::kSize;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Everything one listed file needs that does not depend on the files after it.
struct Item {
    FileOutcome Outcome;
    std::optional<StagedFile> Staged;
    bool Prepared = false;  // converted in memory: staged, or a dry run's whole work
    std::string WouldKeep;  // a dry run: the backup name an earlier output would get
    bool Loaded = false;  // it got as far as being read into the tables
    bool Namesake = false;  // its output name was taken by an earlier file
    std::size_t Worker = 0;  // whose tables it was read into
    bool Done = false;
};

// A thread's own storage for the texts it reads, kept from one file to the next.
struct Buffers {
    std::string Text;
    std::string Previous;
};

}  // namespace

class BatchPipeline::State {
public:
    State(const std::string &directory, const std::vector<std::string> &names,
          const BatchOptions &options, const JointTies &ties)
        : names_(names), dryRun_(options.DryRun), markerDate_(options.MarkerDate),
          write_(options.Write), ties_(ties), items_(names.size()),
          namesake_(names.size(), kNone)
    {
        // Two names such as "a.KEY" and "a.key" make one output: the later waits until the
        // earlier is settled (namesake_), and is converted only if that one was not.
        std::map<std::string, std::size_t> lastWith;
        for (std::size_t i = 0; i < names_.size(); ++i) {
            FileOutcome &outcome = items_[i].Outcome;
            outcome.Name = names_[i];
            try {
                outcome.OutputName = OutputNameFor(names_[i]);
            } catch (const FileError &) {
                continue;  // Process gives the reason
            }
            const auto [earlier, first] = lastWith.try_emplace(outcome.OutputName, i);
            if (!first)
                namesake_[i] = std::exchange(earlier->second, i);
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
            // No file will be written: a New made for this run goes again.
            if (output_ && output_->Made()) {
                output_.reset();
                source_->RemoveIfEmpty(kOutputFolder);
            }
            return error;
        }
        return std::nullopt;
    }

    // Takes the files in list order. With workers, they read, convert and stage files
    // ahead, each on tables of its own, and the caller gets the tables of the worker that
    // read the last file read; without, this thread does each file when it takes it.
    // Either way outputs, outcomes and progress come out as one thread makes them.
    void Run(KeyframeTables &tables, std::size_t workers, BatchResult &result,
             const BatchProgress &progress)
    {
        std::vector<std::unique_ptr<KeyframeTables>> own;
        std::atomic<std::size_t> next{0};
        // Declared after what the workers use: however this function leaves, the threads
        // are stopped and joined first.
        std::vector<std::jthread> threads;
        if (workers > 1) {
            try {
                // Copies of the caller's tables: no worker ever reads the caller's.
                for (std::size_t w = 0; w < workers; ++w)
                    own.push_back(std::make_unique<KeyframeTables>(tables));
                for (std::size_t w = 0; w < workers; ++w)
                    threads.emplace_back([&, w](std::stop_token stop) { Work(stop, next, *own[w], w); });
            } catch (const std::bad_alloc &) {
            } catch (const std::system_error &) {
                // Fewer workers than asked for, or none: the work is the same.
            }
        }
        Buffers buffers;
        for (std::size_t i = 0; i < names_.size(); ++i) {
            if (threads.empty()) {
                Process(tables, buffers, i);
            } else {
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
        const bool worked = !threads.empty();
        threads.clear();
        Finish(result);
        // Every later file that worker took failed before it was read, so its tables are
        // as that file left them.
        if (worked && lastLoaded_ != kNone)
            tables = std::move(*own[items_[lastLoaded_].Worker]);
    }

private:
    void Work(std::stop_token stop, std::atomic<std::size_t> &next, KeyframeTables &tables,
              std::size_t worker)
    {
        Buffers buffers;
        // One callback for all of this worker's waits: registering one per wait, as a wait
        // on the stop token itself does, cost the batch a few per cent.
        const std::stop_callback wake(stop, [this] {
            { const std::lock_guard lock(mutex_); }
            changed_.notify_all();
        });
        for (std::size_t i; (i = next++) < names_.size();) {
            {
                std::unique_lock lock(mutex_);
                // A file whose output name an earlier file may take waits until that one is
                // settled, so it is read exactly when one thread would read it.
                changed_.wait(lock, [&] {
                    return stop.stop_requested() ||
                           (i < consumed_ + kAhead &&
                            (namesake_[i] == kNone || namesake_[i] < consumed_));
                });
                if (stop.stop_requested())
                    return;
            }
            Process(tables, buffers, i);
            {
                const std::lock_guard lock(mutex_);
                items_[i].Worker = worker;
                items_[i].Done = true;
            }
            changed_.notify_all();
        }
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

    // A dry run's look at New, which it never makes: null when there is none.
    const Folder *ExistingOutput()
    {
        const std::lock_guard lock(outputMutex_);
        if (!dryOutputOpened_) {
            dryOutputOpened_ = true;
            try {
                dryOutput_.emplace(source_->OpenFolder(kOutputFolder, kOutputFolder));
            } catch (const FileError &) {
            }
        }
        return dryOutput_ ? &*dryOutput_ : nullptr;
    }

    // The output New holds under this file's output name, compared with built.
    struct Previous {
        bool Differs = false;  // there is one, and it holds other content
        std::optional<FileStamp> Same;  // the one found to hold the same content
    };
    Previous LookAtPrevious(const Folder &folder, const std::string &name, std::string_view built,
                            std::string &buffer) const
    {
        try {
            const InputFile file = InputFile::OpenIn(folder, name);
            if (SameOutput(file.ReadAllInto(buffer), built))
                return {false, file.Stamp()};
        } catch (const FileError &error) {
            // What cannot be read cannot be vouched for: it is kept, where it can be.
            return {error.Code != ErrorCode::FileNotFound, std::nullopt};
        }
        return {true, std::nullopt};
    }

    void Process(KeyframeTables &tables, Buffers &buffers, std::size_t i)
    {
        Item &item = items_[i];
        FileOutcome &outcome = item.Outcome;
        const std::string &name = names_[i];
        try {
            if (sourceError_)
                throw *sourceError_;
            OutputNameFor(name);  // a name too short fails here, before anything is read
            if (Taken(outcome.OutputName)) {
                item.Namesake = true;
                outcome.FailAsNamesake();
                return;
            }
            const std::string_view text = InputFile::OpenIn(*source_, name).ReadAllInto(buffers.Text);
            item.Loaded = true;  // from here on the tables change, as far as the text gets
            LoadKeyText(tables, text, name);
            std::vector<std::string> warnings = SourceWarnings(tables, ties_);
            OutputFolder *output = dryRun_ ? nullptr : &Output();
            tables.SourceFileName = name;
            std::vector<NodeOutcome> nodes = ConvertTables(tables, ties_, name);
            // A text too wide for its columns fails here, in a dry run too.
            const std::string built = BuildKeyText(tables, markerDate_);
            if (output) {
                // In a New this run made there is nothing to compare; should a file turn up
                // there all the same, publishing keeps it.
                const Previous previous =
                    output->Made() ? Previous{}
                                   : LookAtPrevious(output->Files(), outcome.OutputName, built,
                                                    buffers.Previous);
                item.Staged.emplace(output->Stage(built, outcome.OutputName));
                item.Staged->KeepWhatItReplaces(previous.Same);
            } else if (const Folder *existing = ExistingOutput()) {
                if (LookAtPrevious(*existing, outcome.OutputName, built, buffers.Previous).Differs)
                    item.WouldKeep =
                        ShownPath(kOutputFolder, NextBackupName(*existing, outcome.OutputName));
            }
            AddNodeWarnings(warnings, nodes, ties_, dryRun_);
            std::vector<FileNode> kept;
            kept.reserve(nodes.size());
            for (NodeOutcome &node : nodes)
                kept.push_back({node.Num, std::move(node.MeshName)});
            outcome.Prepare(std::move(kept), std::move(warnings));
            item.Prepared = true;
        } catch (const FileError &error) {
            outcome.Fail(error);
        } catch (const std::bad_alloc &) {
            outcome.Fail(kOutOfMemoryText);
        } catch (const std::exception &error) {
            outcome.Fail(error.what());  // a library failure ends only this file
        }
    }

    // Whether an earlier file of the same output name was converted: the one place that
    // decides it, since every earlier namesake is settled when a file gets here.
    bool Taken(const std::string &outputName)
    {
        const std::lock_guard lock(mutex_);
        return taken_.count(outputName) != 0;
    }

    void Consume(std::size_t i, BatchResult &result, const BatchProgress &progress)
    {
        Item &item = items_[i];
        FileOutcome &outcome = result.Files[i] = std::move(item.Outcome);
        if (item.Prepared) {
            {
                const std::lock_guard lock(mutex_);
                taken_.insert(outcome.OutputName);
            }
            if (item.Staged)
                group_.Add(i, std::move(*item.Staged));
            else
                outcome.Publish(item.WouldKeep, true);
            item.Staged.reset();
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

    // A file that failed while New holds an output of its name from an earlier run says so;
    // one this run named, from a file of the same output name or before its folder's sync
    // failed, is no earlier run's.
    void NoteEarlierOutputs(BatchResult &result) const
    {
        if (!source_)
            return;
        for (std::size_t i = 0; i < names_.size(); ++i) {
            FileOutcome &outcome = result.Files[i];
            const std::string &outputName = outcome.OutputName;
            if (outcome.Converted || items_[i].Namesake || outputName.empty() ||
                group_.Named(outputName) || !source_->HoldsFile(kOutputFolder, outputName) ||
                sources_.count(source_->IdentityOf(std::string(kOutputFolder) + "/" +
                                                   outputName)) != 0)
                continue;
            outcome.NoteEarlierOutput();
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
    bool dryOutputOpened_ = false;
    std::optional<Folder> dryOutput_;
    // After output_: staged files left on an exception go while their folder is still open.
    std::vector<Item> items_;
    std::vector<std::size_t> namesake_;  // the last earlier file of the same output name
    std::mutex mutex_;  // for what the workers share with the thread that takes their work
    std::condition_variable changed_;
    std::size_t consumed_ = 0;
    std::set<std::string> taken_;  // output names of files converted so far
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
    state_->Run(tables, workers, result, progress);
}

}  // namespace zerka
