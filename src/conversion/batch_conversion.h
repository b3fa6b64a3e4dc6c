#pragma once

#include <string>
#include <vector>

#include "keyframes/keyframe_tables.h"

namespace zerka {

// The window controls the batch drives, declared here so the batch carries no UI code.
// The window implements it; the command-line converter and the tests have their own.
class BatchView {
public:
    virtual ~BatchView() = default;

    virtual std::string ListedDirectory() const = 0;
    virtual std::vector<std::string> ListedFiles() const = 0;
    virtual void SetListsEnabled(bool enabled) = 0;
    virtual void ClearInfoText() = 0;
    virtual void ShowMessage(const std::string &text) = 0;  // a modal box, OK only
    virtual void SetProgressMaximum(int maximum) = 0;
    virtual void SetProgressValue(int value) = 0;
};

struct BatchFailure {
    std::string FileName;
    std::string Message;
};

struct BatchResult {
    bool Ran = false;  // false when a hierarchy was missing and nothing was tried
    int Converted = 0;
    std::vector<BatchFailure> Failures;
};

// The names a folder offers as key files: its regular, non-hidden files whose name ends
// in ".key" in any case, sorted by name ignoring case. An unreadable folder lists none.
std::vector<std::string> ListKeyFiles(const std::string &directory);

// Creates the folder; any error, including that it exists already, is ignored here and
// shows up when a file is written into it.
void EnsureDirectory(const std::string &path);

// The output name of a listed name: without its last four characters, plus ".key".
// A name shorter than four characters is code 5.
std::string OutputNameFor(const std::string &listedName);

// Converts every listed file into the listed folder's "New" folder with the hierarchies
// loaded before. A file that fails is reported "Not Converted" with its reason and gets no
// output; the others go on. Reports through the view: the file count, progress, summary.
BatchResult ConvertAll(KeyframeTables &tables, BatchView &view);

// The summary box text: counts, then one line per failed file.
std::string BatchSummaryText(const BatchResult &result);

}  // namespace zerka
