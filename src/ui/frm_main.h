// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "keyframes/keyframe_tables.h"
#include "window/main_window_logic.h"

class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace zerka {

class Dialogs;
class DirectoryList;
class DriveList;
class FileList;
class FlexGrid;
class frmEdit;
class GroupFrame;
class NameBox;

// The main window: pick the folder of key files, load the old and the new hierarchy,
// convert all. Below its visible area it also holds the keyframe info views and two
// hidden buttons. It keeps no keyframe data and no behaviour of its own: its handlers
// read the controls and call frmMainLogic's, and it draws what that tells its view.
class frmMain : public QWidget, private frmMainView {
    Q_OBJECT
public:
    // markerDate gives the date of the marker line of the outputs a conversion writes.
    frmMain(KeyframeTables &tables, std::function<std::string()> markerDate,
            QWidget *parent = nullptr);
    ~frmMain() override;

    // Message boxes and the file dialog go through dialogs; tests answer them.
    void setDialogs(std::unique_ptr<Dialogs> dialogs);

    // Points the folder lists at path instead of the folder the program was started in.
    void openFolder(const QString &path);

private:
    void createControls();
    void placeControls();
    void fitCaptions();
    void setTabOrderOfControls();
    void connectHandlers();

    void Form_Load();
    void Drive1_Change();
    void Dir1_Change();
    void File1_DblClick();
    void cmdListMesh_Click();
    void cmdLoadOld_Click();
    void cmdLoad3do_Click();
    void cmdAll_Click();
    void cmdSave_Click();
    void fgNodes_KeyPress();
    void fgNodes_DblClick();

    std::string listFolder() const;
    std::string selectedFile() const;

    // frmMainView
    void ShowMessage(const std::string &text) override;
    bool ShowSummary(const std::string &text, const std::string &details, bool offerAgain) override;
    std::optional<std::vector<bool>> AskConvertAgain(
        const std::vector<ConvertAgainChoice> &choices) override;
    std::optional<std::string> AskForHierarchyFile(const std::string &startFolder) override;
    void SetNameBox(bool isOld, const std::string &shownName, const std::string &path) override;
    void EnableConvert(bool enabled) override;
    void EnableLists(bool enabled) override;
    void SetProgressMaximum(int maximum) override;
    void ShowProgress(int done, const std::string &text) override;
    void LetPaint() override;
    void HideTable() override;
    void ClearDump() override;
    void ClearTable() override;
    void ShowKeyInfo(const std::string &dump, const KeyTable &table) override;
    void OpenEditor(const std::string &value) override;
    void BringEditorForward() override;
    void SetBusy(bool busy) override;
    void RefreshFolders() override;
    std::string ElideSummaryLine(const std::string &line) override;

    std::unique_ptr<Dialogs> dialogs_;
    frmMainLogic logic_;

    GroupFrame *Frame1;
    GroupFrame *Frame2;
    GroupFrame *Frame3;
    DriveList *Drive1;
    DirectoryList *Dir1;
    FileList *File1;
    QPushButton *cmdLoadOld;
    NameBox *lblOld;
    QPushButton *cmdLoad3do;
    NameBox *lbl3do;
    QPushButton *cmdAll;
    QProgressBar *pb1;
    QPushButton *cmdSave;
    QPushButton *cmdListMesh;
    FlexGrid *fgNodes;
    QPlainTextEdit *Text1;
    frmEdit *editor_ = nullptr;  // made on first use, then kept
};

}  // namespace zerka
