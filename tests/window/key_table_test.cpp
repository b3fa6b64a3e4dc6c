// SPDX-License-Identifier: MIT
#include "window/key_table.h"

#include <map>

#include "keyframes/key_file_reader.h"
#include "support/test_support.h"

namespace zerka {
namespace {

// The table's cells, row by row, as a person reads them.
std::vector<std::string> RowTexts(const KeyTable &table, int row)
{
    std::vector<std::string> texts(KeyTable::kCols);
    for (const KeyTableCell &cell : table.Cells)
        if (cell.Row == row)
            texts[static_cast<std::size_t>(cell.Col)] = cell.Text;
    return texts;
}

TEST(KeyTable, TheDumpListsEveryNodeAndEntryAsRead)
{
    KeyframeTables tables;
    // The second entry's lines are parted by nothing special: its text is both lines.
    LoadKeyText(tables,
                "NODES 2\r\n\r\nNODE 3\r\nMESH NAME arm\r\nENTRIES 2\r\n"
                "  0: 0 0x0 1 2 3 4 5 6\r\n 0.1 0.2 0.3 0 0 0\r\n"
                "# moving on\r\n  1: 9 0x0 -1 -2 -3 4 5 6\r\n -0.1 0 0 0 0 0\r\n"
                "NODE -1\r\nMESH NAME leg\r\nENTRIES 0\r\n",
                "dump.key");
    EXPECT_EQ(KeyInfoDumpText(tables), "Node: 3\r\nMesh name: arm\r\nEntries: 2\r\n"
                                       "  0: 0 0x0 1 2 3 4 5 6 0.1 0.2 0.3 0 0 0\r\n"
                                       "  1: 9 0x0 -1 -2 -3 4 5 6 -0.1 0 0 0 0 0\r\n\r\n\r\n"
                                       "Node: -1\r\nMesh name: leg\r\nEntries: 0\r\n\r\n\r\n");
}

TEST(KeyTable, HoldsARowPairPerEntryAndABandPerNode)
{
    KeyframeTables tables;
    const testing::NodeSpec two{"mesh1", {{0, "1.0", "1.0", "0.5", "0.1", "0.2", "0"},
                                          {10, "1.0", "2.0", "0.5", "0.1", "0.2", "0"}}};
    const testing::NodeSpec one{"mesh2", {{0, "2.0", "1.0", "0.5", "0.1", "0.2", "0"}}};
    LoadKeyText(tables, testing::KeyText({two, one}), "a.key");
    const KeyTable table = LayOutKeyTable(tables);
    EXPECT_EQ(table.Rows, 10);
    using Row = std::vector<std::string>;
    const std::map<int, Row> expected = {
        {0, {"", "Num", "Frame", "Flags", "Node X", "Node Y", "Node Z", "Node Pitch", "Node Yaw",
             "Node Roll"}},
        {1, {"", "", "", "", "Dest. X", "Dest. Y", "Dest. Z", "Dest. Pitch", "Dest. Yaw",
             "Dest. Roll"}},
        {2, {"Node  1", "0:", "0", "0x0000", "1.0", "1.0", "0.5", "0.5", "0.25", "-0.125"}},
        {3, {"mesh1", "", "", "", "0.1", "0.2", "0", "0.0", "0.0", "0.0"}},
        {4, {"", "1:", "10", "0x0000", "1.0", "2.0", "0.5", "0.5", "0.25", "-0.125"}},
        {6, Row(10)},  // the band
        {7, {"Node  2", "0:", "0", "0x0000", "2.0", "1.0", "0.5", "0.5", "0.25", "-0.125"}},
        {8, {"mesh2", "", "", "", "0.1", "0.2", "0", "0.0", "0.0", "0.0"}},
    };
    for (const auto &[row, texts] : expected) {
        SCOPED_TRACE(row);
        EXPECT_EQ(RowTexts(table, row), texts);
    }
    EXPECT_EQ(table.BandRows, (std::vector<int>{6, 9}));
    EXPECT_EQ(table.ColWidthsTwips[0], 1100);
    EXPECT_EQ(table.ColWidthsTwips[1], 420);
    EXPECT_EQ(table.ColWidthsTwips[9], 1100);
    EXPECT_EQ(table.CurrentRow, 9);
    EXPECT_EQ(table.CurrentCol, 0);

    // A file without nodes: the headings alone, and the table keeps its row count.
    LoadKeyText(tables, "NODES 0\r\n\r\n", "none.key");
    const KeyTable empty = LayOutKeyTable(tables);
    EXPECT_EQ(empty.Rows, 0);
    EXPECT_EQ(empty.Cells.size(), 15u);
    EXPECT_TRUE(empty.BandRows.empty());
}

}  // namespace
}  // namespace zerka
