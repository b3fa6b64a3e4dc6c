// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "keyframes/keyframe_tables.h"

class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace zerka {

struct BatchResult;
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
// hidden buttons. It keeps no keyframe data: its handlers run the core on tables.
class frmMain : public QWidget {
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

    void loadHierarchy(bool isOld);
    void raiseStepCount();
    void setListsEnabled(bool enabled);
    void showProgress(int done, int listed);
    void showBatchBox(const BatchResult &result);
    void showMessage(const QString &text);

    KeyframeTables &tables_;
    std::function<std::string()> markerDate_;
    std::unique_ptr<Dialogs> dialogs_;
    std::int16_t StepCount = 0;
    QString modelFolder_;  // of the model file chosen last; the dialog opens there

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
