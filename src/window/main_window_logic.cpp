// SPDX-License-Identifier: MIT
#include "main_window_logic.h"

#include <exception>

#include "conversion/batch_conversion.h"
#include "conversion/hierarchy_reader.h"
#include "keyframes/key_file_reader.h"
#include "window/summary_box_text.h"

namespace zerka {
namespace {

#if defined(_WIN32)
constexpr const char *kSeparators = "/\\";
#else
constexpr const char *kSeparators = "/";
#endif

// The busy pointer for as long as an action runs; the arrow comes back however it ends.
class Busy {
public:
    explicit Busy(frmMainView &view) : view_(view) { view_.SetBusy(true); }
    ~Busy() { view_.SetBusy(false); }
    Busy(const Busy &) = delete;
    Busy &operator=(const Busy &) = delete;

private:
    frmMainView &view_;
};

std::string ProgressText(int done, int listed)
{
    return std::to_string(done) + " of " + std::to_string(listed);
}

}  // namespace

std::string FolderOf(const std::string &path)
{
    const std::size_t cut = path.find_last_of(kSeparators);
    if (cut == std::string::npos)
        return ".";
#if defined(_WIN32)
    if (cut == 2 && path[1] == ':')
        return path.substr(0, 3);  // "C:" is a folder, "C:" the drive's current one
#endif
    return cut == 0 ? path.substr(0, 1) : path.substr(0, cut);
}

std::string PathIn(const std::string &folder, const std::string &name)
{
    if (folder.empty())
        return name;
    const bool ends = std::string_view(kSeparators).find(folder.back()) != std::string_view::npos;
    return ends ? folder + name : folder + kSeparators[0] + name;
}

frmMainLogic::frmMainLogic(KeyframeTables &tables, frmMainView &view,
                           std::function<std::string()> markerDate)
    : tables_(tables), view_(view), markerDate_(std::move(markerDate))
{
}

void frmMainLogic::Form_Load() { StepCount = 0; }

void frmMainLogic::File1_DblClick(const std::string &folder, const std::string &fileName)
{
    cmdListMesh_Click(folder, fileName);
}

void frmMainLogic::cmdListMesh_Click(const std::string &folder, const std::string &fileName)
{
    if (fileName.empty()) {
        view_.ShowMessage("You must select a file!");
        return;
    }
    view_.HideTable();
    try {
        const Busy busy(view_);
        view_.ClearTable();
        view_.ClearDump();
        LoadKeyFile(tables_, PathIn(folder, fileName), fileName);
        view_.ShowKeyInfo(KeyInfoDumpText(tables_), LayOutKeyTable(tables_));
        RaiseStepCount();
    } catch (const std::exception &error) {
        view_.ShowMessage(error.what());
    }
}

void frmMainLogic::cmdLoadOld_Click(const std::string &listFolder) { LoadHierarchy(true, listFolder); }

void frmMainLogic::cmdLoad3do_Click(const std::string &listFolder) { LoadHierarchy(false, listFolder); }

void frmMainLogic::LoadHierarchy(bool isOld, const std::string &listFolder)
{
    const std::optional<std::string> chosen =
        view_.AskForHierarchyFile(modelFolder_.empty() ? listFolder : modelFolder_);
    if (!chosen)
        return;  // a cancel changes nothing
    modelFolder_ = FolderOf(*chosen);
    view_.HideTable();
    try {
        const Busy busy(view_);
        view_.ClearDump();
        zerka::LoadHierarchy(tables_, *chosen, isOld);
        // A failed load keeps the box and the counter: only a loaded file is shown. Both
        // boxes change with it, as two models of one file name are told apart by folder.
        const auto [oldName, newName] =
            NamesApart(tables_.OldHierarchyFile, tables_.NewHierarchyFile);
        if (!tables_.OldHierarchyFile.empty())
            view_.SetNameBox(true, oldName, tables_.OldHierarchyFile);
        if (!tables_.NewHierarchyFile.empty())
            view_.SetNameBox(false, newName, tables_.NewHierarchyFile);
        RaiseStepCount();
    } catch (const std::exception &error) {
        view_.ShowMessage(error.what());
    }
}

void frmMainLogic::cmdAll_Click(const std::string &folder, const std::vector<std::string> &names)
{
    view_.HideTable();
    const std::string missing = MissingHierarchyText(tables_);
    if (!missing.empty()) {
        view_.ShowMessage(missing);
        return;
    }
    // The options hold for the one batch they were chosen for; nothing is stored.
    for (std::optional<MatchOptions> match = MatchOptions{}; match;)
        match = RunBatch(folder, names, *match);
}

std::optional<MatchOptions> frmMainLogic::RunBatch(const std::string &folder,
                                                   const std::vector<std::string> &names,
                                                   const MatchOptions &match)
{
    std::optional<MatchOptions> again;
    try {
        const Busy busy(view_);
        view_.EnableLists(false);
        view_.ClearDump();
        const int listed = static_cast<int>(names.size());
        if (listed > 0)
            view_.SetProgressMaximum(listed);
        view_.ShowProgress(0, ProgressText(0, listed));
        view_.ShowMessage(std::to_string(listed));
        BatchOptions options;
        options.MarkerDate = markerDate_();
        options.Match = match;
        const auto progress = [this, listed](int done) {
            view_.ShowProgress(done, ProgressText(done, listed));
            view_.LetPaint();
        };
        const BatchResult result = ConvertAll(tables_, folder, names, progress, options);
        view_.EnableLists(true);
        if (ShowBatchBox(result, match)) {
            const ConvertAgainOffer offer = OfferFor(result);
            const std::optional<std::vector<bool>> ticked = view_.AskConvertAgain(ChoicesFor(offer));
            if (ticked)
                again = OptionsFor(offer, *ticked);
        }
    } catch (const std::exception &error) {
        view_.EnableLists(true);
        view_.ShowMessage(error.what());
    }
    view_.RefreshFolders();  // the batch may have made the New folder
    return again;
}

void frmMainLogic::cmdSave_Click(const std::string &folder, const std::string &fileName)
{
    view_.ShowMessage("Nyah");
    try {
        // An existing New folder is fine (the old code 75, skipped); the tables converted
        // are the ones loaded last, whichever file is selected now.
        SaveIntoNew(tables_, folder, fileName, markerDate_());
    } catch (const FileError &error) {
        view_.ShowMessage(std::to_string(static_cast<int>(error.Code)));
    } catch (const std::exception &error) {
        view_.ShowMessage(error.what());
    }
}

void frmMainLogic::fgNodes_KeyPress(const std::string &currentText)
{
    Editor.EditValue = currentText;
    if (const std::optional<std::string> value = Editor.Show())
        view_.OpenEditor(*value);
    else
        view_.BringEditorForward();
}

void frmMainLogic::RaiseStepCount()
{
    RaiseCounter(StepCount);
    if (StepCount > 1)
        view_.EnableConvert(true);
}

bool frmMainLogic::ShowBatchBox(const BatchResult &result, const MatchOptions &match)
{
    BatchBox box =
        ComposeBatchBox(result, [this](const std::string &line) { return view_.ElideSummaryLine(line); });
    if (!box.Ran) {
        view_.ShowMessage(box.Text);
        return false;
    }
    // A batch converted again says how, in words a script can repeat.
    if (match.Renumber || !match.Renames.empty())
        box.Details = "Converted as " + CliWordsFor(match) + " converts.\r\n\r\n" + box.Details;
    return view_.ShowSummary(box.Text, box.Details, OfferFor(result).Any());
}

}  // namespace zerka
