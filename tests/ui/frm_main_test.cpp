// SPDX-License-Identifier: MIT
#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QtTest>

#include "conversion/batch_conversion.h"
#include "conversion/hierarchy_reader.h"
#include "conversion/key_file_list.h"
#include "keyframes/key_file_reader.h"
#include "ui/caption_controls.h"
#include "ui/dialogs.h"
#include "ui/flex_grid.h"
#include "ui/folder_lists.h"
#include "ui_test_support.h"
#include "zerka_version.h"

using namespace zerka;
using namespace zerka::testing;

class FrmMainTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString previousDir_;

    QString path(const QString &name) const { return dir_.filePath(name); }

    // Old and new hierarchies of one node: "mesh1" moves by (1, 2, 3).
    void writeModels()
    {
        WriteBytes(path("models/old/body.3do"), ModelFileText({{"mesh1", "0.0", "0.0", "0.0"}}));
        WriteBytes(path("models/new.3do"), ModelFileText({{"MESH1", "1.0", "2.0", "3.0"}}));
        WriteBytes(path("models/broken.3do"), "only geometry\r\n");
    }

    // Shows the folder in the window and double-clicks one of its files.
    static void doubleClickFile(WindowUnderTest &w, const QString &name)
    {
        auto *list = w.control<FileList>("File1");
        const auto items = list->findItems(name, Qt::MatchExactly);
        QVERIFY2(items.size() == 1, qPrintable(name));
        if (!w.Window.isVisible()) {
            w.Window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w.Window));
        }
        DoubleClickAt(list, list->visualItemRect(items.first()));
    }

    void load(WindowUnderTest &w, const char *button, const QString &answer)
    {
        w.Boxes->FileAnswers.push_back(answer);
        w.control<QPushButton>(button)->click();
    }

    // An X server without a window manager activates nothing by itself.
    static bool activate(QWidget &window)
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }

private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        writeModels();
        WriteBytes(path("keys/a.key"), KeyFileText({2, 1}));
        WriteBytes(path("keys/B.KEY"), KeyFileText({3}));
        WriteBytes(path("keys/bad.key"), "NODES 1\r\nNODE x\r\n");
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(path("keys"));
    }

    void cleanup()
    {
        QDir::setCurrent(previousDir_);
        QDir(dir_.path()).removeRecursively();
        QDir().mkpath(dir_.path());
    }

    void controlsSitAtTheirTwipPlacesInAFixedWindow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("Frame1") << "Frame1" << QRect(8, 0, 473, 273);
        QTest::newRow("Drive1") << "Drive1" << QRect(16, 16, 209, 21);
        QTest::newRow("Dir1") << "Dir1" << QRect(16, 48, 209, 216);
        QTest::newRow("File1 rounds 200 twips") << "File1" << QRect(232, 13, 241, 253);
        QTest::newRow("Frame2") << "Frame2" << QRect(488, 0, 169, 161);
        QTest::newRow("cmdLoadOld") << "cmdLoadOld" << QRect(504, 16, 137, 25);
        QTest::newRow("lblOld") << "lblOld" << QRect(504, 48, 137, 35);
        QTest::newRow("cmdLoad3do") << "cmdLoad3do" << QRect(504, 88, 137, 25);
        QTest::newRow("lbl3do") << "lbl3do" << QRect(504, 120, 137, 35);
        QTest::newRow("Frame3") << "Frame3" << QRect(488, 168, 169, 105);
        QTest::newRow("cmdAll") << "cmdAll" << QRect(504, 200, 137, 25);
        QTest::newRow("pb1") << "pb1" << QRect(504, 240, 137, 17);
        QTest::newRow("cmdSave below") << "cmdSave" << QRect(232, 304, 121, 25);
        QTest::newRow("cmdListMesh below") << "cmdListMesh" << QRect(352, 304, 121, 25);
        QTest::newRow("fgNodes below") << "fgNodes" << QRect(8, 328, 681, 337);
        QTest::newRow("Text1 below") << "Text1" << QRect(56, 352, 537, 257);
    }

    void controlsSitAtTheirTwipPlacesInAFixedWindow()
    {
        QFETCH(QString, name);
        QFETCH(QRect, pixels);
        WindowUnderTest w;
        QWidget *control = w.Window.findChild<QWidget *>(name, Qt::FindDirectChildrenOnly);
        QVERIFY(control);
        QCOMPARE(control->geometry(), pixels);
        QCOMPARE(w.Window.minimumSize(), QSize(666, 280));
        QCOMPARE(w.Window.maximumSize(), QSize(666, 280));
        const bool outside = !w.Window.rect().intersects(control->geometry());
        QCOMPARE(outside, pixels.top() >= 280);
    }

    void windowOpensInItsFirstState()
    {
        WindowUnderTest w;
        QCOMPARE(w.Window.windowTitle(), QString("Zerka"));
        QVERIFY(!w.Window.windowIcon().pixmap(32, 32).isNull());
        QVERIFY(w.Window.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(w.Window.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!w.control<QPushButton>("cmdAll")->isEnabled());
        QVERIFY(w.control<QPushButton>("cmdSave")->isHidden());
        QVERIFY(w.control<QPushButton>("cmdListMesh")->isHidden());
        QVERIFY(w.control<QPlainTextEdit>("Text1")->isHidden());
        QVERIFY(!w.control<FlexGrid>("fgNodes")->isHidden());
        QCOMPARE(w.control<QPlainTextEdit>("lblOld")->toPlainText(),
                 QString("Old Hierarchy File:\n"));
        QCOMPARE(w.control<QPlainTextEdit>("lbl3do")->toPlainText(),
                 QString("New Hierarchy File:\n"));
        QCOMPARE(w.control<QGroupBox>("Frame3")->title(), QString("Step 3: Convert!"));
        QCOMPARE(w.control<QProgressBar>("pb1")->maximum(), 100);
        // The folder lists start where the program was started.
        QCOMPARE(w.control<DirectoryList>("Dir1")->path(), path("keys"));
        QCOMPARE(w.control<FileList>("File1")->names(), QStringList({"a.key", "B.KEY", "bad.key"}));
    }

    void choosingADriveOpensItsRoot()
    {
        WindowUnderTest w;
        auto *drives = w.control<DriveList>("Drive1");
        // The drive the program lies on: one of the list's, and a folder above the program.
        const QString root = drives->drive();
        QCOMPARE(drives->itemText(drives->currentIndex()).isEmpty(), false);
        QVERIFY2(QCoreApplication::applicationDirPath().startsWith(root), qPrintable(root));
        QVERIFY(QDir(root).exists());
        const int other = drives->currentIndex() == 0 ? drives->count() - 1 : 0;
        if (other == drives->currentIndex())
            QSKIP("this machine has one volume only");
        drives->setCurrentIndex(other);
        QCOMPARE(w.control<DirectoryList>("Dir1")->path(), drives->drive());
        QCOMPARE(w.control<FileList>("File1")->path(), drives->drive());
    }

    void captionsFitAndFrameLinesRunClearOfTheControls()
    {
        WindowUnderTest w;
        const QFont windowFont = w.Window.font();
        for (const char *name : {"cmdLoadOld", "cmdLoad3do", "cmdAll", "cmdSave", "cmdListMesh"}) {
            auto *button = w.control<QPushButton>(name);
            QStyleOptionButton option;
            option.initFrom(button);
            const int room = button->style()
                                 ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
                                 .width();
            const auto needed = [button](const QFont &font) {
                return QFontMetrics(font).size(Qt::TextShowMnemonic, button->text()).width();
            };
            QVERIFY2(needed(button->font()) <= room, name);
            if (button->font() != windowFont)
                QVERIFY2(needed(windowFont) > room, name);  // only a caption that did not fit
        }
        QCOMPARE(w.control<QPushButton>("cmdAll")->text(), QString("&Convert all in Directory"));
        for (const char *name : {"lblOld", "lbl3do"}) {
            auto *box = w.control<NameBox>(name);
            const QSize needed = QFontMetrics(box->font()).size(0, box->toPlainText());
            QVERIFY2(needed.width() <= box->contentsRect().width() - 2, name);
            QVERIFY2(needed.height() <= box->contentsRect().height() - 2, name);
        }

        // No control covers a frame's line or title: each lies within the line or apart.
        const QList<QWidget *> controls =
            w.Window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        for (const char *name : {"Frame1", "Frame2", "Frame3"}) {
            auto *frame = w.control<GroupFrame>(name);
            const QPoint at = frame->pos();
            const QRect line = frame->lineRect().translated(at);
            const QRect inside = line.adjusted(2, 2, -2, -2);  // the line is two pixels wide
            QVERIFY2(frame->rect().adjusted(2, 0, -2, 0).contains(frame->titleRect()), name);
            for (const QWidget *control : controls) {
                if (qobject_cast<const GroupFrame *>(control) || control->isHidden())
                    continue;
                const QRect place = control->geometry();
                const QString pair = QString(name) + " / " + control->objectName();
                QVERIFY2(inside.contains(place) || !line.intersects(place), qPrintable(pair));
                QVERIFY2(!frame->titleRect().translated(at).intersects(place), qPrintable(pair));
            }
        }
    }

    void tabVisitsVisibleEnabledControlsInItsOrder()
    {
        WindowUnderTest w;
        QVERIFY(activate(w.Window));
        const auto tabRound = [&w] {
            w.control<QWidget>("Drive1")->setFocus();
            QStringList visited;
            for (int i = 0; i < 8; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                visited << QApplication::focusWidget()->objectName();
            }
            return visited;
        };
        QCOMPARE(tabRound(), QStringList({"Dir1", "File1", "fgNodes", "cmdLoad3do", "cmdLoadOld",
                                          "lbl3do", "lblOld", "Drive1"}));
        // Any load hides the table for good, and it leaves the round.
        load(w, "cmdLoadOld", path("models/old/body.3do"));
        QCOMPARE(tabRound(), QStringList({"Dir1", "File1", "cmdLoad3do", "cmdLoadOld", "lbl3do",
                                          "lblOld", "Drive1", "Dir1"}));
    }

    void threeStepsConvertEveryListedFile()
    {
        QFile::remove(path("keys/bad.key"));
        WindowUnderTest w;

        load(w, "cmdLoadOld", path("models/old/body.3do"));
        QVERIFY(!w.control<QPushButton>("cmdAll")->isEnabled());
        load(w, "cmdLoad3do", path("models/new.3do"));
        QVERIFY(w.control<QPushButton>("cmdAll")->isEnabled());
        QCOMPARE(w.control<QPlainTextEdit>("lbl3do")->toPlainText(),
                 QString("New Hierarchy File:\nnew.3do"));

        const QByteArray source = ReadBytes(path("keys/a.key"));
        w.control<QPushButton>("cmdAll")->click();
        QCOMPARE(w.Boxes->Messages, QStringList({"2", "Converted:  2\r\nNot Converted:  0"}));
        QCOMPARE(w.Boxes->SummaryDetails, QStringList{QString()});  // nothing more to tell
        QCOMPARE(w.control<QProgressBar>("pb1")->value(), 2);
        QCOMPARE(w.control<QProgressBar>("pb1")->maximum(), 2);
        QCOMPARE(w.control<QProgressBar>("pb1")->text(), QString("2 of 2"));
        QVERIFY(w.control<FileList>("File1")->isEnabled());
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(ReadBytes(path("keys/a.key")), source);

        // Node 1 matched and moved by (1, 2, 3); node 2 has no record and stays.
        KeyframeTables out;
        LoadKeyFile(out, path("keys/New/a.key").toStdString());
        QCOMPARE(std::string(out.KeyNodes(1).Entries(2).X()), std::string("2.00000000"));
        QCOMPARE(std::string(out.KeyNodes(1).Entries(2).Z()), std::string("3.50000000"));
        QCOMPARE(std::string(out.KeyNodes(2).Entries(1).X()), std::string("2.000000"));
        QVERIFY(QFile::exists(path("keys/New/B.key")));
    }

    // examples/inserted through the window alone: its second chance gives what zerka-cli
    // --renumber gives.
    void convertAgainFollowsRenumberedJointsAsTheCommandLine()
    {
        QTemporaryDir copies;
        for (const char *side : {"window", "cli"}) {
            QDir().mkpath(copies.filePath(side));
            for (const QString &name : QDir(ZERKA_EXAMPLES_DIR "/inserted").entryList(QDir::Files))
                QFile::copy(ZERKA_EXAMPLES_DIR "/inserted/" + name, copies.filePath(side) + "/" + name);
        }
        WindowUnderTest w;
        w.Window.openFolder(copies.filePath("window"));
        load(w, "cmdLoadOld", copies.filePath("window/old.3do"));
        load(w, "cmdLoad3do", copies.filePath("window/new.3do"));
        w.Boxes->AgainAnswers = {{true}};
        w.control<QPushButton>("cmdAll")->click();
        QCOMPARE(w.Boxes->Offered, QList<bool>({true, false}));
        QCOMPARE(w.Boxes->AgainLabels,
                 QList<QStringList>({{"Follow joints whose numbers changed (as zerka-cli --renumber)"}}));

        KeyframeTables cli;
        LoadHierarchy(cli, copies.filePath("cli/old.3do").toStdString(), true);
        LoadHierarchy(cli, copies.filePath("cli/new.3do").toStdString(), false);
        BatchOptions options;
        options.Match.Renumber = true;
        options.MarkerDate = "01/02/70 00:00:00";
        ConvertAll(cli, copies.filePath("cli").toStdString(), ListKeyFiles(copies.filePath("cli").toStdString()), {}, options);
        for (const char *name : {"look.key", "walk.key"}) {
            const QByteArray made = ReadBytes(copies.filePath("window/New/") + name);
            const QByteArray expected = ReadBytes(copies.filePath("cli/New/") + name);
            QVERIFY2(!made.isEmpty(), name);
            QCOMPARE(made.mid(made.indexOf('\n')), expected.mid(expected.indexOf('\n')));
        }
    }

    void hierarchyDialogAsksForModelFilesWhereItIsTold()
    {
        WindowUnderTest w;
        load(w, "cmdLoadOld", path("models/old/body.3do"));
        QCOMPARE(w.Boxes->StartFolders, QStringList({path("keys")}));
        const auto dialog = MakeHierarchyDialog(&w.Window, path("models/old"));
        QCOMPARE(dialog->windowTitle(), QString("Load Hierarchy from 3do..."));
        QCOMPARE(dialog->directory().absolutePath(), path("models/old"));
        QCOMPARE(dialog->nameFilters(), QStringList({"3do Files (*.3do)"}));
        const auto *nameField = dialog->findChild<QLineEdit *>("fileNameEdit");
        QVERIFY(nameField);
        QCOMPARE(nameField->text(), QString("*.3do"));
    }

    void longModelNameShowsElidedInTheMiddleAndKeptWhole()
    {
        const QString name = "rebuilt_model_with_a_name_far_too_long_for_its_box_body_v2.3do";
        WriteBytes(path("models/" + name), ModelFileText({{"mesh1", "0.0", "0.0", "0.0"}}));
        WindowUnderTest w;
        auto *box = w.control<NameBox>("lblOld");
        load(w, "cmdLoadOld", path("models/" + name));
        const QStringList shown = box->toPlainText().split('\n');
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0], QString("Old Hierarchy File:"));
        QVERIFY2(shown[1].startsWith("rebuilt") && shown[1].endsWith("v2.3do") &&
                     shown[1].size() < name.size(),
                 qPrintable(shown[1]));
        QVERIFY(QFontMetrics(box->font()).horizontalAdvance(shown[1]) <
                box->contentsRect().width());
        QCOMPARE(box->fullText(), "Old Hierarchy File:\n" + name);
        QCOMPARE(box->toolTip(), path("models/" + name));

        load(w, "cmdLoadOld", path("models/old/body.3do"));
        QCOMPARE(box->toPlainText(), QString("Old Hierarchy File:\nbody.3do"));
        QCOMPARE(box->toolTip(), path("models/old/body.3do"));

        // Two models of one file name: both boxes name their folders, until they differ.
        QDir().mkpath(path("models/new"));
        QFile::copy(path("models/old/body.3do"), path("models/new/body.3do"));
        auto *other = w.control<NameBox>("lbl3do");
        load(w, "cmdLoad3do", path("models/new/body.3do"));
        QCOMPARE(box->fullText(), QString("Old Hierarchy File:\nold/body.3do"));
        QCOMPARE(other->fullText(), QString("New Hierarchy File:\nnew/body.3do"));
        load(w, "cmdLoad3do", path("models/new.3do"));
        QCOMPARE(box->fullText(), QString("Old Hierarchy File:\nbody.3do"));
        QCOMPARE(other->fullText(), QString("New Hierarchy File:\nnew.3do"));
    }

    void batchTurnsOffTheFolderListsAndCountsOnTheBar()
    {
        WindowUnderTest w;
        load(w, "cmdLoadOld", path("models/old/body.3do"));
        load(w, "cmdLoad3do", path("models/new.3do"));
        // While the batch runs (its first box is up) only the folder and file lists are off.
        QStringList enabledDuringBatch;
        QString progressDuringBatch;
        w.Boxes->OnMessage = [&] {
            if (w.Boxes->Messages.size() != 1)
                return;
            for (const char *list : {"Drive1", "Dir1", "File1"})
                if (w.control<QWidget>(list)->isEnabled())
                    enabledDuringBatch.append(list);
            progressDuringBatch = w.control<QProgressBar>("pb1")->text();
        };
        w.control<QPushButton>("cmdAll")->click();
        QCOMPARE(enabledDuringBatch, QStringList{"Drive1"});
        QCOMPARE(progressDuringBatch, QString("0 of 3"));
        QCOMPARE(w.Boxes->Messages.size(), 2);
        QCOMPARE(w.Boxes->SummaryDetails.size(), 1);
        for (const char *list : {"Drive1", "Dir1", "File1"})
            QVERIFY2(w.control<QWidget>(list)->isEnabled(), list);
        QCOMPARE(w.control<QProgressBar>("pb1")->value(), 3);
        QCOMPARE(w.control<QProgressBar>("pb1")->text(), QString("3 of 3"));
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void fileListReadsTheFolderAgainOnActivationAndAfterABatch()
    {
        WindowUnderTest w;
        auto *list = w.control<FileList>("File1");
        QWidget other;
        QVERIFY(activate(w.Window));
        list->setCurrentItem(list->findItems("B.KEY", Qt::MatchExactly).first());

        QVERIFY(activate(other));
        QFile::remove(path("keys/a.key"));
        WriteBytes(path("keys/c.key"), KeyFileText({1}));
        QVERIFY(activate(w.Window));
        QCOMPARE(list->names(), QStringList({"B.KEY", "bad.key", "c.key"}));
        QCOMPARE(list->fileName(), QString("B.KEY"));

        QVERIFY(activate(other));
        QFile::remove(path("keys/B.KEY"));
        QVERIFY(activate(w.Window));
        QCOMPARE(list->names(), QStringList({"bad.key", "c.key"}));
        QCOMPARE(list->fileName(), QString());

        // A file that comes without the window being left shows once the batch is over;
        // the batch converts the files that were listed.
        load(w, "cmdLoadOld", path("models/old/body.3do"));
        load(w, "cmdLoad3do", path("models/new.3do"));
        WriteBytes(path("keys/d.key"), KeyFileText({1}));
        w.control<QPushButton>("cmdAll")->click();
        QCOMPARE(w.Boxes->Messages.first(), QString("2"));
        QCOMPARE(list->names(), QStringList({"bad.key", "c.key", "d.key"}));
        QVERIFY(!QFile::exists(path("keys/New/d.key")));
    }

    void getKeyframeInfoFillsBothViews()
    {
        WindowUnderTest w;
        w.Window.show();
        doubleClickFile(w, "a.key");
        QVERIFY(w.Boxes->Messages.isEmpty());
        auto *table = w.control<FlexGrid>("fgNodes");
        QVERIFY(!table->isVisible());
        QCOMPARE(table->rows(), 10);
        QCOMPARE(table->cells().text(7, 0), QString("Node  2"));
        QVERIFY(w.control<QPlainTextEdit>("Text1")->toPlainText().startsWith(
            "Node: 0\nMesh name: mesh1\nEntries: 2\n"));
    }
};

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
