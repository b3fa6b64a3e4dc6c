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
#include "dialogs.h"
#include "flex_grid.h"
#include "folder_lists.h"
#include "frm_edit.h"
#include "key_info_views.h"
#include "summary_box.h"
#include "window/window_layout.h"
#include "window_support.h"

// Resources of a static library are registered by name, outside any namespace.
static void InitZerkaResources() { Q_INIT_RESOURCE(zerka_ui); }

namespace zerka {
namespace {

QString Latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString Caption(std::string_view control)
{
    const std::string_view caption = CaptionOf(control);
    return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
}

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
      dialogs_(std::make_unique<QtDialogs>()), logic_(tables, *this, std::move(markerDate))
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
        this, "Frame1", Caption("Frame1"));
    Frame2 = MakeControl<GroupFrame>(this, "Frame2", Caption("Frame2"));
    Frame3 = MakeControl<GroupFrame>(this, "Frame3", Caption("Frame3"));

    Drive1 = MakeControl<DriveList>(this, "Drive1", MountedRoots());
    Dir1 = MakeControl<DirectoryList>(this, "Dir1");
    File1 = MakeControl<FileList>(this, "File1");

    cmdLoadOld =
        MakeControl<QPushButton>(this, "cmdLoadOld", Caption("cmdLoadOld"));
    lblOld = MakeControl<NameBox>(this, "lblOld", Caption("lblOld"));
    cmdLoad3do =
        MakeControl<QPushButton>(this, "cmdLoad3do", Caption("cmdLoad3do"));
    lbl3do = MakeControl<NameBox>(this, "lbl3do", Caption("lbl3do"));

    cmdAll = MakeControl<QPushButton>(this, "cmdAll", Caption("cmdAll"));
    cmdAll->setEnabled(false);
    pb1 = MakeControl<QProgressBar>(this, "pb1");
    pb1->setRange(0, 100);
    pb1->setValue(0);
    pb1->setTextVisible(false);

    cmdSave = MakeControl<QPushButton>(this, "cmdSave", Caption("cmdSave"));
    cmdSave->hide();
    cmdListMesh =
        MakeControl<QPushButton>(this, "cmdListMesh", Caption("cmdListMesh"));
    cmdListMesh->hide();

    fgNodes = MakeControl<FlexGrid>(this, "fgNodes", 3, 2, KeyTable::kFixedRows, KeyTable::kFixedCols);
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
        findChild<QWidget *>(Latin1(place.Name), Qt::FindDirectChildrenOnly)
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
    for (const std::string_view name : kTabOrder) {
        QWidget *control = findChild<QWidget *>(Latin1(name), Qt::FindDirectChildrenOnly);
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
    logic_.Form_Load();
    Dir1->setPath(QDir::currentPath());
    Dir1_Change();
}

void frmMain::Drive1_Change() { Dir1->setPath(Drive1->drive()); }

void frmMain::Dir1_Change() { File1->setPath(Dir1->path()); }

std::string frmMain::listFolder() const { return ToNativePath(File1->path()); }

std::string frmMain::selectedFile() const { return ToNativePath(File1->fileName()); }

void frmMain::File1_DblClick() { logic_.File1_DblClick(listFolder(), selectedFile()); }

void frmMain::cmdListMesh_Click() { logic_.cmdListMesh_Click(listFolder(), selectedFile()); }

void frmMain::cmdLoadOld_Click() { logic_.cmdLoadOld_Click(listFolder()); }

void frmMain::cmdLoad3do_Click() { logic_.cmdLoad3do_Click(listFolder()); }

void frmMain::cmdAll_Click()
{
    // Taken once: a drive chosen while the batch runs cannot change what it converts.
    std::vector<std::string> names;
    for (const QString &name : File1->names())
        names.push_back(ToNativePath(name));
    logic_.cmdAll_Click(listFolder(), names);
}

void frmMain::cmdSave_Click() { logic_.cmdSave_Click(listFolder(), selectedFile()); }

void frmMain::fgNodes_KeyPress() { logic_.fgNodes_KeyPress(fgNodes->currentText().toStdString()); }

void frmMain::fgNodes_DblClick() { logic_.fgNodes_DblClick(); }

void frmMain::ShowMessage(const std::string &text)
{
    dialogs_->showMessage(this, QString::fromStdString(text));
}

bool frmMain::ShowSummary(const std::string &text, const std::string &details, bool offerAgain)
{
    return dialogs_->showSummary(this, QString::fromStdString(text),
                                 QString::fromStdString(details), offerAgain);
}

std::optional<std::vector<bool>> frmMain::AskConvertAgain(
    const std::vector<ConvertAgainChoice> &choices)
{
    QStringList labels;
    std::vector<bool> ticked;
    for (const ConvertAgainChoice &choice : choices) {
        labels.append(QString::fromStdString(choice.Label));
        ticked.push_back(choice.Ticked);
    }
    return dialogs_->askConvertAgain(this, labels, ticked);
}

std::optional<std::string> frmMain::AskForHierarchyFile(const std::string &startFolder)
{
    const std::optional<QString> chosen =
        dialogs_->openHierarchyFile(this, FromNativePath(startFolder));
    if (!chosen)
        return std::nullopt;
    return ToNativePath(*chosen);
}

void frmMain::SetNameBox(bool isOld, const std::string &shownName, const std::string &path)
{
    (isOld ? lblOld : lbl3do)->setFileName(FromNativePath(shownName), FromNativePath(path));
}

void frmMain::EnableConvert(bool enabled) { cmdAll->setEnabled(enabled); }

void frmMain::EnableLists(bool enabled)
{
    Dir1->setEnabled(enabled);
    File1->setEnabled(enabled);
}

void frmMain::SetProgressMaximum(int maximum) { pb1->setMaximum(maximum); }

void frmMain::ShowProgress(int done, const std::string &text)
{
    pb1->setValue(done);
    pb1->setFormat(QString::fromStdString(text));
    pb1->setTextVisible(true);
}

// The batch holds the event loop until it ends; paint events still get through, so the
// bar moves and boxes are drawn where they belong, while the user's input waits as the
// busy pointer says.
void frmMain::LetPaint() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

void frmMain::HideTable() { fgNodes->hide(); }

void frmMain::ClearDump() { Text1->clear(); }

void frmMain::ClearTable() { fgNodes->cells().clearCells(); }

void frmMain::ShowKeyInfo(const std::string &dump, const KeyTable &table)
{
    zerka::ShowKeyInfo(dump, table, *Text1, *fgNodes);
}

void frmMain::OpenEditor(const std::string &value)
{
    if (!editor_)
        editor_ = new frmEdit(*fgNodes, logic_.Editor, this);
    editor_->showModeless(QString::fromStdString(value));
}

void frmMain::BringEditorForward()
{
    if (editor_)
        editor_->bringForward();
}

void frmMain::SetBusy(bool busy)
{
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void frmMain::RefreshFolders() { Dir1->refresh(); }

// Lines of the summary are elided to the width of the screen the window is on, where
// the box opens.
std::string frmMain::ElideSummaryLine(const std::string &line)
{
    const QScreen *screen = this->screen();
    const int lineWidth = screen ? SummaryLineWidth(screen->availableGeometry()) : width();
    return ElideToWidth(fontMetrics(), QString::fromStdString(line), lineWidth).toStdString();
}

}  // namespace zerka
