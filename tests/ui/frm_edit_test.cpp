// SPDX-License-Identifier: MIT
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "keyframes/key_file_reader.h"
#include "ui/flex_grid.h"
#include "ui/folder_lists.h"
#include "ui/frm_edit.h"
#include "ui_test_support.h"

using namespace zerka;
using namespace zerka::testing;

class FrmEditTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowUnderTest> w_;
    FlexGrid *table_ = nullptr;

    // Puts text into a cell, makes it current and presses a key in the table.
    frmEdit *editCell(int row, int col, const QString &text)
    {
        table_->cells().setText(row, col, text);
        table_->setCurrentCell(row, col);
        return pressKeyInTable();
    }

    frmEdit *pressKeyInTable()
    {
        QTest::keyClick(table_, Qt::Key_A);
        return w_->Window.findChild<frmEdit *>();
    }

    static QLineEdit *box(frmEdit *editor, const char *name)
    {
        return editor->findChild<QLineEdit *>(QString::fromLatin1(name));
    }

    static void typeAndSave(frmEdit *editor, const QString &typed)
    {
        QTest::keyClicks(box(editor, "Text2"), typed);
        editor->findChild<QPushButton *>("cmdSave")->click();
    }

private slots:
    void init()
    {
        w_ = std::make_unique<WindowUnderTest>();
        w_->Window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w_->Window));
        table_ = w_->control<FlexGrid>("fgNodes");
    }

    void cleanup() { w_.reset(); }

    void opensModelessWithTheCellsTextSelected()
    {
        QVERIFY(!w_->Window.findChild<frmEdit *>());
        frmEdit *editor = editCell(1, 1, "1.500000");
        QVERIFY(editor && editor->isVisible());
        QVERIFY(!editor->isModal());
        QCOMPARE(editor->windowTitle(), QString("Edit Value"));
        QCOMPARE(box(editor, "Text1")->text(), QString("1.500000"));
        QVERIFY(!box(editor, "Text1")->isEnabled());
        QCOMPARE(box(editor, "Text2")->selectedText(), QString("1.500000"));
        const auto labels = editor->findChildren<QLabel *>("Label1");
        QCOMPARE(labels.size(), 2);
        QCOMPARE(labels[0]->text(), QString("Current Value:"));
        QCOMPARE(labels[1]->text(), QString("Change to:"));
    }

    void saveIsTheDefaultButtonAndWritesTheCell()
    {
        frmEdit *editor = editCell(1, 1, "old");
        QTest::keyClicks(box(editor, "Text2"), "new");  // typing replaces the selected text
        QTest::keyClick(box(editor, "Text2"), Qt::Key_Return);
        QVERIFY(!editor->isVisible());
        QCOMPARE(table_->cells().text(1, 1), QString("new"));
        QCOMPARE(table_->row(), 2);
        QCOMPARE(table_->col(), 1);
        QVERIFY(pressKeyInTable() == editor);  // one editor per window, reused
    }

    void cancelAndEscapeChangeNothing()
    {
        frmEdit *editor = editCell(0, 1, "kept");
        QTest::keyClicks(box(editor, "Text2"), "gone");
        QTest::keyClick(box(editor, "Text2"), Qt::Key_Escape);
        QVERIFY(editor->isVisible());
        editor->findChild<QPushButton *>("cmdCancel")->click();
        QVERIFY(!editor->isVisible());
        QCOMPARE(table_->cells().text(0, 1), QString("kept"));
        QCOMPARE(table_->row(), 0);
    }

    void editedCellNeverReachesAConvertedFile()
    {
        QTemporaryDir dir;
        WriteBytes(dir.filePath("walk.key"), KeyFileText({2}));
        WriteBytes(dir.filePath("old.3do"), ModelFileText({{"mesh1", "0", "0", "0"}}));
        WriteBytes(dir.filePath("new.3do"), ModelFileText({{"mesh1", "0", "0", "1"}}));
        auto *files = w_->control<FileList>("File1");
        files->setPath(dir.path());
        files->setCurrentRow(0);
        w_->control<QPushButton>("cmdListMesh")->click();

        frmEdit *editor = editCell(2, 6, table_->cells().text(2, 6));  // entry 1's Z
        QCOMPARE(box(editor, "Text1")->text(), QString("0.500000"));
        typeAndSave(editor, "99.000000");
        QCOMPARE(table_->cells().text(2, 6), QString("99.000000"));

        w_->Boxes->FileAnswers = {dir.filePath("old.3do"), dir.filePath("new.3do")};
        w_->control<QPushButton>("cmdLoadOld")->click();
        w_->control<QPushButton>("cmdLoad3do")->click();
        w_->control<QPushButton>("cmdAll")->click();
        KeyframeTables out;
        LoadKeyFile(out, dir.filePath("New/walk.key").toStdString());
        QCOMPARE(std::string(out.KeyNodes(1).Entries(1).Z()), std::string("1.50000000"));
    }
};

QTEST_MAIN(FrmEditTest)
#include "frm_edit_test.moc"
