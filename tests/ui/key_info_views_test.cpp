// SPDX-License-Identifier: MIT
#include <QPlainTextEdit>
#include <QtTest>

#include "keyframes/key_file_reader.h"
#include "ui/flex_grid.h"
#include "ui/key_info_views.h"
#include "ui_test_support.h"

using namespace zerka;
using namespace zerka::testing;

class KeyInfoViewsTest : public QObject {
    Q_OBJECT

private:
    KeyframeTables tables_;
    QPlainTextEdit text_;
    FlexGrid table_{3, 2, kKeyTableFixedRows, kKeyTableFixedCols};

    void show(const QByteArray &keyText)
    {
        LoadKeyText(tables_, keyText.toStdString(), "test.key");
        ShowKeyInfo(tables_, text_, table_);
    }

    QStringList rowTexts(int row) const
    {
        QStringList texts;
        for (int col = 0; col < table_.cols(); ++col)
            texts << table_.cells().text(row, col);
        return texts;
    }

private slots:
    void dumpListsEveryNodeAndEntryAsRead()
    {
        // The second entry's lines are parted by nothing special: its text is both lines.
        LoadKeyText(tables_,
                    "NODES 2\r\n\r\nNODE 3\r\nMESH NAME arm\r\nENTRIES 2\r\n"
                    "  0: 0 0x0 1 2 3 4 5 6\r\n 0.1 0.2 0.3 0 0 0\r\n"
                    "# moving on\r\n  1: 9 0x0 -1 -2 -3 4 5 6\r\n -0.1 0 0 0 0 0\r\n"
                    "NODE -1\r\nMESH NAME leg\r\nENTRIES 0\r\n",
                    "dump.key");
        QCOMPARE(KeyInfoDumpText(tables_),
                 std::string("Node: 3\r\nMesh name: arm\r\nEntries: 2\r\n"
                             "  0: 0 0x0 1 2 3 4 5 6 0.1 0.2 0.3 0 0 0\r\n"
                             "  1: 9 0x0 -1 -2 -3 4 5 6 -0.1 0 0 0 0 0\r\n\r\n\r\n"
                             "Node: -1\r\nMesh name: leg\r\nEntries: 0\r\n\r\n\r\n"));
        ShowKeyInfo(tables_, text_, table_);
        QVERIFY(text_.toPlainText().startsWith("Node: 3\nMesh name: arm\n"));
    }

    void tableHoldsARowPairPerEntryAndABandPerNode()
    {
        show(KeyFileText({2, 1}));
        QCOMPARE(table_.rows(), 10);
        QCOMPARE(table_.cols(), 10);
        QCOMPARE(rowTexts(0), QStringList({"", "Num", "Frame", "Flags", "Node X", "Node Y",
                                           "Node Z", "Node Pitch", "Node Yaw", "Node Roll"}));
        QCOMPARE(rowTexts(1), QStringList({"", "", "", "", "Dest. X", "Dest. Y", "Dest. Z",
                                           "Dest. Pitch", "Dest. Yaw", "Dest. Roll"}));
        QCOMPARE(rowTexts(2), QStringList({"Node  1", "0:", "0", "0x0000", "1.000000", "1.000000",
                                           "0.500000", "0.000000", "0.000000", "0.000000"}));
        QCOMPARE(rowTexts(3), QStringList({"mesh1", "", "", "", "0.100000", "0.200000", "0.000000",
                                           "0.000000", "0.000000", "0.000000"}));
        QCOMPARE(rowTexts(4)[0], QString());  // only a node's first entry is labelled
        QCOMPARE(rowTexts(4)[2], QString("10"));
        QCOMPARE(rowTexts(7)[0], QString("Node  2"));
        QCOMPARE(rowTexts(8)[0], QString("mesh2"));

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
            QCOMPARE(rowTexts(row), QStringList(10, QString()));
            QVERIFY(!table_.cells().backColor(row, 1).isValid());
        }
    }
};

QTEST_MAIN(KeyInfoViewsTest)
#include "key_info_views_test.moc"
