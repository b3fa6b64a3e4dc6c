// SPDX-License-Identifier: MIT
#include "frm_main.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <string>
#include <vector>

#include "caption_controls.h"
#include "conversion/batch_conversion.h"
#include "conversion/hierarchy_reader.h"
#include "dialogs.h"
#include "flex_grid.h"
#include "folder_lists.h"
#include "frm_edit.h"
#include "key_info_views.h"
#include "keyframes/key_file_reader.h"
#include "summary_box.h"
#include "window_support.h"

// Resources of a static library are registered by name, outside any namespace.
static void InitZerkaResources() { Q_INIT_RESOURCE(zerka_ui); }

namespace zerka {
namespace {

constexpr int kClientWidthTwips = 9990;
constexpr int kClientHeightTwips = 4200;

struct ControlPlace {
    const char *Name;
    TwipRect Rect;
};

// Everything from a top of 4560 down lies below the client area and is never seen.
constexpr ControlPlace kControlPlaces[] = {
    {"Frame1", {120, 0, 7095, 4095}},      {"Drive1", {240, 240, 3135, 315}},
    {"Dir1", {240, 720, 3135, 3240}},      {"File1", {3480, 200, 3615, 3795}},
    {"Frame2", {7320, 0, 2535, 2415}},     {"cmdLoadOld", {7560, 240, 2055, 375}},
    {"lblOld", {7560, 720, 2055, 525}},    {"cmdLoad3do", {7560, 1320, 2055, 375}},
    {"lbl3do", {7560, 1800, 2055, 525}},   {"Frame3", {7320, 2520, 2535, 1575}},
    {"cmdAll", {7560, 3000, 2055, 375}},   {"pb1", {7560, 3600, 2055, 255}},
    {"cmdSave", {3480, 4560, 1815, 375}},  {"cmdListMesh", {5280, 4560, 1815, 375}},
    {"fgNodes", {120, 4920, 10215, 5055}}, {"Text1", {840, 5280, 8055, 3855}},
};

constexpr const char *kTabOrder[] = {
    "Drive1",     "Dir1", "File1",  "cmdListMesh", "Text1",  "fgNodes", "cmdSave", "cmdAll",
    "cmdLoad3do", "pb1",  "Frame1", "cmdLoadOld",  "lbl3do", "lblOld",  "Frame2",  "Frame3",
};

// The busy pointer for as long as an action runs; the arrow comes back however it ends.
class BusyPointer {
public:
    BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
};

template <typename T, typename... Args>
T *MakeControl(QWidget *parent, const char *name, Args &&...args)
{
    T *control = new T(std::forward<Args>(args)..., parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

}  // namespace

frmMain::frmMain(KeyframeTables &tables, std::function<std::string()> markerDate,
                 QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      tables_(tables), markerDate_(std::move(markerDate)),
      dialogs_(std::make_unique<QtDialogs>())
{
    InitZerkaResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(kAppCaption));
    setWindowIcon(QIcon(QStringLiteral(":/zerka/zerka.svg")));
    setFixedSize(ToPixels(kClientWidthTwips, kClientHeightTwips));
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    createControls();
    placeControls();
    fitCaptions();
    setTabOrderOfControls();
    Form_Load();
    connectHandlers();
}

frmMain::~frmMain() = default;

void frmMain::setDialogs(std::unique_ptr<Dialogs> dialogs) { dialogs_ = std::move(dialogs); }

void frmMain::openFolder(const QString &path) { Dir1->setPath(path); }

void frmMain::createControls()
{
    // The frames come first so that they are drawn behind the controls they group.
    Frame1 = MakeControl<GroupFrame>(
        this, "Frame1", QStringLiteral("Step 1: Select Directory of Keyframes to convert:"));
    Frame2 = MakeControl<GroupFrame>(this, "Frame2", QStringLiteral("Step 2: Load Hierarchies:"));
    Frame3 = MakeControl<GroupFrame>(this, "Frame3", QStringLiteral("Step 3: Convert!"));

    Drive1 = MakeControl<DriveList>(this, "Drive1", MountedRoots());
    Dir1 = MakeControl<DirectoryList>(this, "Dir1");
    File1 = MakeControl<FileList>(this, "File1");

    cmdLoadOld =
        MakeControl<QPushButton>(this, "cmdLoadOld", QStringLiteral("Load &Old Hierarchy"));
    lblOld = MakeControl<NameBox>(this, "lblOld", QStringLiteral("Old Hierarchy File:"));
    cmdLoad3do =
        MakeControl<QPushButton>(this, "cmdLoad3do", QStringLiteral("Load &New Hierarchy"));
    lbl3do = MakeControl<NameBox>(this, "lbl3do", QStringLiteral("New Hierarchy File:"));

    cmdAll = MakeControl<QPushButton>(this, "cmdAll", QStringLiteral("&Convert all in Directory"));
    cmdAll->setEnabled(false);
    pb1 = MakeControl<QProgressBar>(this, "pb1");
    pb1->setRange(0, 100);
    pb1->setValue(0);
    pb1->setTextVisible(false);

    cmdSave = MakeControl<QPushButton>(this, "cmdSave", QStringLiteral("Backup and save"));
    cmdSave->hide();
    cmdListMesh =
        MakeControl<QPushButton>(this, "cmdListMesh", QStringLiteral("Get Keyframe Info"));
    cmdListMesh->hide();

    fgNodes = MakeControl<FlexGrid>(this, "fgNodes", 3, 2, kKeyTableFixedRows, kKeyTableFixedCols);
    QFont gridFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    gridFont.setPointSizeF(8.25);
    fgNodes->setFont(gridFont);

    Text1 = MakeControl<QPlainTextEdit>(this, "Text1");
    QFont dumpFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    dumpFont.setPointSizeF(8.25);
    Text1->setFont(dumpFont);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setTabChangesFocus(true);
    Text1->hide();
}

void frmMain::placeControls()
{
    for (const ControlPlace &place : kControlPlaces)
        findChild<QWidget *>(QString::fromLatin1(place.Name), Qt::FindDirectChildrenOnly)
            ->setGeometry(ToPixels(place.Rect));
}

// Captions are measured in the platform's font; one that does not fit its control gets
// the nearest font it fits in. The places stay as laid out and no caption is cut.
void frmMain::fitCaptions()
{
    for (QPushButton *button : {cmdLoadOld, cmdLoad3do, cmdAll, cmdSave, cmdListMesh})
        FitCaption(*button);
    for (GroupFrame *frame : {Frame1, Frame2, Frame3})
        frame->fitTitle();
    for (NameBox *box : {lblOld, lbl3do})
        box->fitTitle();
}

void frmMain::setTabOrderOfControls()
{
    QWidget *previous = nullptr;
    for (const char *name : kTabOrder) {
        QWidget *control =
            findChild<QWidget *>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
        if (previous)
            setTabOrder(previous, control);
        previous = control;
    }
}

void frmMain::connectHandlers()
{
    connect(Drive1, &QComboBox::currentIndexChanged, this, &frmMain::Drive1_Change);
    connect(Dir1, &DirectoryList::pathChanged, this, &frmMain::Dir1_Change);
    connect(File1, &QListWidget::itemDoubleClicked, this, &frmMain::File1_DblClick);
    connect(cmdListMesh, &QPushButton::clicked, this, &frmMain::cmdListMesh_Click);
    connect(cmdLoadOld, &QPushButton::clicked, this, &frmMain::cmdLoadOld_Click);
    connect(cmdLoad3do, &QPushButton::clicked, this, &frmMain::cmdLoad3do_Click);
    connect(cmdAll, &QPushButton::clicked, this, &frmMain::cmdAll_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmMain::cmdSave_Click);
    connect(fgNodes, &FlexGrid::keyPressed, this, &frmMain::fgNodes_KeyPress);
    connect(fgNodes, &FlexGrid::doubleClicked, this, &frmMain::fgNodes_DblClick);
}

// Runs before the handlers are wired: the drive list shows the program's volume while
// the directory list stays where the program was started, on whichever volume that is.
void frmMain::Form_Load()
{
    Drive1->setDrive(QCoreApplication::applicationDirPath());
    StepCount = 0;
    Dir1->setPath(QDir::currentPath());
    Dir1_Change();
}

void frmMain::Drive1_Change() { Dir1->setPath(Drive1->drive()); }

void frmMain::Dir1_Change() { File1->setPath(Dir1->path()); }

void frmMain::File1_DblClick() { cmdListMesh_Click(); }

void frmMain::cmdListMesh_Click()
{
    const QString fileName = File1->fileName();
    if (fileName.isEmpty()) {
        showMessage(QStringLiteral("You must select a file!"));
        return;
    }
    fgNodes->hide();
    try {
        BusyPointer busy;
        fgNodes->cells().clearCells();
        Text1->clear();
        LoadKeyFile(tables_, ToNativePath(QDir(File1->path()).filePath(fileName)),
                    ToNativePath(fileName));
        ShowKeyInfo(tables_, *Text1, *fgNodes);
        raiseStepCount();
    } catch (const std::exception &error) {
        showMessage(QString::fromStdString(error.what()));
    }
}

void frmMain::cmdLoadOld_Click() { loadHierarchy(true); }

void frmMain::cmdLoad3do_Click() { loadHierarchy(false); }

void frmMain::loadHierarchy(bool isOld)
{
    const std::optional<QString> chosen =
        dialogs_->openHierarchyFile(this, modelFolder_.isEmpty() ? File1->path() : modelFolder_);
    if (!chosen)
        return;  // a cancel changes nothing
    const QString &path = *chosen;
    modelFolder_ = QFileInfo(path).absolutePath();
    fgNodes->hide();
    try {
        BusyPointer busy;
        Text1->clear();
        LoadHierarchy(tables_, ToNativePath(path), isOld);
        // A failed load keeps the box and the counter: only a loaded file is shown. Both
        // boxes change with it, as two models of one file name are told apart by folder.
        const auto [oldName, newName] =
            NamesApart(tables_.OldHierarchyFile, tables_.NewHierarchyFile);
        if (!tables_.OldHierarchyFile.empty())
            lblOld->setFileName(FromNativePath(oldName), FromNativePath(tables_.OldHierarchyFile));
        if (!tables_.NewHierarchyFile.empty())
            lbl3do->setFileName(FromNativePath(newName), FromNativePath(tables_.NewHierarchyFile));
        raiseStepCount();
    } catch (const std::exception &error) {
        showMessage(QString::fromStdString(error.what()));
    }
}

void frmMain::cmdAll_Click()
{
    fgNodes->hide();
    const std::string missing = MissingHierarchyText(tables_);
    if (!missing.empty()) {
        showMessage(QString::fromStdString(missing));
        return;
    }
    try {
        BusyPointer busy;
        // Taken once: a drive chosen while the batch runs cannot change what it converts.
        const std::string directory = ToNativePath(File1->path());
        std::vector<std::string> names;
        for (const QString &name : File1->names())
            names.push_back(ToNativePath(name));

        setListsEnabled(false);
        Text1->clear();
        const int listed = static_cast<int>(names.size());
        if (listed > 0)
            pb1->setMaximum(listed);
        showProgress(0, listed);
        showMessage(QString::number(listed));
        BatchOptions options;
        options.MarkerDate = markerDate_();
        const auto progress = [this, listed](int done) {
            showProgress(done, listed);
            // The batch holds the event loop until it ends; paint events still get through,
            // so the bar moves and boxes are drawn where they belong, while the user's input
            // waits as the busy pointer says.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        };
        const BatchResult result = ConvertAll(tables_, directory, names, progress, options);
        setListsEnabled(true);
        showBatchBox(result);
    } catch (const std::exception &error) {
        setListsEnabled(true);
        showMessage(QString::fromStdString(error.what()));
    }
    Dir1->refresh();  // the batch may have made the New folder
}

void frmMain::cmdSave_Click()
{
    showMessage(QStringLiteral("Nyah"));
    try {
        // An existing New folder is fine (the old code 75, skipped); the tables converted
        // are the ones loaded last, whichever file is selected now.
        SaveIntoNew(tables_, ToNativePath(File1->path()), ToNativePath(File1->fileName()),
                    markerDate_());
    } catch (const FileError &error) {
        showMessage(QString::number(static_cast<int>(error.Code)));
    } catch (const std::exception &error) {
        showMessage(QString::fromStdString(error.what()));
    }
}

void frmMain::fgNodes_KeyPress()
{
    if (!editor_)
        editor_ = new frmEdit(*fgNodes, this);
    editor_->EditValue = fgNodes->currentText();
    editor_->showModeless();
}

void frmMain::fgNodes_DblClick()
{
    // Deliberately nothing: editing starts from a key press only.
}

void frmMain::raiseStepCount()
{
    RaiseCounter(StepCount);
    if (StepCount > 1)
        cmdAll->setEnabled(true);
}

// The folder and file lists; the drive list stays enabled during a batch.
void frmMain::setListsEnabled(bool enabled)
{
    Dir1->setEnabled(enabled);
    File1->setEnabled(enabled);
}

// The bar's own percentage says little of a long batch; the count says how far it got.
void frmMain::showProgress(int done, int listed)
{
    pb1->setValue(done);
    pb1->setFormat(QStringLiteral("%1 of %2").arg(done).arg(listed));
    pb1->setTextVisible(true);
}

// Lines of the summary are elided to the width of the screen the window is on, where
// the box opens.
void frmMain::showBatchBox(const BatchResult &result)
{
    const QScreen *screen = this->screen();
    const int lineWidth = screen ? SummaryLineWidth(screen->availableGeometry()) : width();
    const BatchBox box = ComposeBatchBox(result, fontMetrics(), lineWidth);
    if (box.Ran)
        dialogs_->showSummary(this, box.Text, box.Details);
    else
        showMessage(box.Text);
}

void frmMain::showMessage(const QString &text) { dialogs_->showMessage(this, text); }

}  // namespace zerka
