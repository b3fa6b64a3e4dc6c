// SPDX-License-Identifier: MIT
#include <QPlainTextEdit>
#include <QtTest>

#include "keyframes/key_file_reader.h"
#include "ui/flex_grid.h"
#include "ui/key_info_views.h"
#include "ui_test_support.h"

using namespace zerka;
using namespace zerka::testing;

// What the table's layout looks like in Qt: texts in their cells, bands in their colour,
// widths in pixels, and what a later file leaves of an earlier one.
class KeyInfoViewsTest : public QObject {
    Q_OBJECT

private:
    KeyframeTables tables_;
    QPlainTextEdit text_;
    FlexGrid table_{3, 2, KeyTable::kFixedRows, KeyTable::kFixedCols};

    void show(const QByteArray &keyText)
    {
        LoadKeyText(tables_, keyText.toStdString(), "test.key");
        ShowKeyInfo(KeyInfoDumpText(tables_), LayOutKeyTable(tables_), text_, table_);
    }

private slots:
    void tableDrawsItsLayoutWithBandsAndWidths()
    {
        show(KeyFileText({2, 1}));
        QVERIFY(text_.toPlainText().startsWith("Node: 0\nMesh name: mesh1\n"));
        QCOMPARE(table_.rows(), 10);
        QCOMPARE(table_.cols(), 10);
        QCOMPARE(table_.cells().text(2, 0), QString("Node  1"));
        QCOMPARE(table_.cells().text(3, 4), QString("0.100000"));
        const QColor darkRed(128, 0, 0);
        for (int row = 2; row < 10; ++row) {
            const bool band = row == 6 || row == 9;
            for (int col = 0; col < 10; ++col) {
                const bool red = table_.cells().backColor(row, col) == darkRed;
                QVERIFY2(red == (band && col > 0),
                         qPrintable(QString("row %1 col %2").arg(row).arg(col)));
            }
        }
        QCOMPARE(table_.columnWidth(0), 73);
        QCOMPARE(table_.columnWidth(1), 28);
        QCOMPARE(table_.columnWidth(9), 73);
        QCOMPARE(table_.row(), 9);
    }

    void laterFileReplacesRowsAndBands()
    {
        show(KeyFileText({1, 1, 1}));
        QCOMPARE(table_.rows(), 11);
        show(KeyFileText({1}));
        QCOMPARE(table_.rows(), 5);
        QCOMPARE(table_.cells().backColor(4, 1), QColor(128, 0, 0));
        QVERIFY(!table_.cells().backColor(7, 1).isValid());

        // A file without nodes keeps the row count, with only the headings left.
        show("NODES 0\r\n\r\n");
        QCOMPARE(table_.rows(), 5);
        QCOMPARE(text_.toPlainText(), QString());
        QCOMPARE(table_.cells().text(0, 1), QString("Num"));
        for (int row = 2; row < 5; ++row) {
            for (int col = 0; col < 10; ++col)
                QCOMPARE(table_.cells().text(row, col), QString());
            QVERIFY(!table_.cells().backColor(row, 1).isValid());
        }
    }
};

QTEST_MAIN(KeyInfoViewsTest)
#include "key_info_views_test.moc"
