// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "keyframes/keyframe_tables.h"
#include "window/convert_again.h"
#include "window/key_table.h"
#include "window/value_editor.h"

// What the main window does, once for every toolkit: each handler's sequence, its texts
// and the step counter. A window reads its controls, calls the handler of the same name,
// and draws what the handler tells its view.
namespace zerka {

// What a window must be able to show and ask. Paths and names are UTF-8, as in the core.
class frmMainView {
public:
    virtual ~frmMainView() = default;

    // A modal message box captioned "Zerka" with OK only.
    virtual void ShowMessage(const std::string &text) = 0;
    // The box after a batch: text, and details the person can open, scroll and select; with
    // offerAgain, a second button (kConvertAgainButton) beside OK, the default. True when the
    // person chose that button.
    virtual bool ShowSummary(const std::string &text, const std::string &details,
                             bool offerAgain) = 0;
    // The modal dialog of that button: a check box per choice, Convert and Cancel. The boxes
    // ticked at Convert, in order; nothing on Cancel.
    virtual std::optional<std::vector<bool>> AskConvertAgain(
        const std::vector<ConvertAgainChoice> &choices) = 0;
    // The file dialog for a model file (*.3do), opening in startFolder; nothing on cancel.
    virtual std::optional<std::string> AskForHierarchyFile(const std::string &startFolder) = 0;
    // A name box shows shownName, and path whole as its tooltip.
    virtual void SetNameBox(bool isOld, const std::string &shownName, const std::string &path) = 0;
    virtual void EnableConvert(bool enabled) = 0;
    // The folder and file lists; the drive list stays enabled during a batch.
    virtual void EnableLists(bool enabled) = 0;
    virtual void SetProgressMaximum(int maximum) = 0;
    // The bar at done, with text ("3 of 5") on it: the bar's own percentage says little of a
    // long batch, the count says how far it got.
    virtual void ShowProgress(int done, const std::string &text) = 0;
    // Lets paint messages through while a batch holds the event loop; input waits.
    virtual void LetPaint() = 0;
    virtual void HideTable() = 0;
    virtual void ClearDump() = 0;
    virtual void ClearTable() = 0;
    virtual void ShowKeyInfo(const std::string &dump, const KeyTable &table) = 0;
    // The value editor, modeless, its boxes showing value; or, open already, brought forward.
    virtual void OpenEditor(const std::string &value) = 0;
    virtual void BringEditorForward() = 0;
    // The busy pointer, or the arrow again.
    virtual void SetBusy(bool busy) = 0;
    // The directory and file lists read their folder again (a batch may have made New).
    virtual void RefreshFolders() = 0;
    // One line of the summary box's text, shortened to what the box's screen can show.
    virtual std::string ElideSummaryLine(const std::string &line) = 0;
};

class frmMainLogic {
public:
    // markerDate gives the date of the marker line of the outputs a conversion writes.
    frmMainLogic(KeyframeTables &tables, frmMainView &view,
                 std::function<std::string()> markerDate);

    std::int16_t StepCount = 0;
    frmEditLogic Editor;

    void Form_Load();
    // folder is the file list's folder, fileName its selected file ("" for none).
    void File1_DblClick(const std::string &folder, const std::string &fileName);
    void cmdListMesh_Click(const std::string &folder, const std::string &fileName);
    // listFolder is where the dialog opens until a model was chosen.
    void cmdLoadOld_Click(const std::string &listFolder);
    void cmdLoad3do_Click(const std::string &listFolder);
    // names are the files the file list shows, in its order.
    void cmdAll_Click(const std::string &folder, const std::vector<std::string> &names);
    void cmdSave_Click(const std::string &folder, const std::string &fileName);
    void fgNodes_KeyPress(const std::string &currentText);
    // Deliberately nothing: editing starts from a key press only.
    void fgNodes_DblClick() { }

private:
    void LoadHierarchy(bool isOld, const std::string &listFolder);
    void RaiseStepCount();
    // One batch with its boxes; the options it was asked to convert again with, if any.
    std::optional<MatchOptions> RunBatch(const std::string &folder,
                                         const std::vector<std::string> &names,
                                         const MatchOptions &match);
    bool ShowBatchBox(const BatchResult &result, const MatchOptions &match);

    KeyframeTables &tables_;
    frmMainView &view_;
    std::function<std::string()> markerDate_;
    std::string modelFolder_;  // of the model file chosen last; the dialog opens there
};

// The folder a path names a file in: everything before its last separator.
std::string FolderOf(const std::string &path);
// name in folder.
std::string PathIn(const std::string &folder, const std::string &name);

}  // namespace zerka
