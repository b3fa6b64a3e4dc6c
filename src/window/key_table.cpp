// SPDX-License-Identifier: MIT
#include "key_table.h"

#include <array>

#include "keyframes/number_text.h"
#include "keyframes/text_rules.h"

namespace zerka {
namespace {

constexpr std::array<const char *, 9> kTopHeadings = {
    "Num", "Frame", "Flags", "Node X", "Node Y", "Node Z", "Node Pitch", "Node Yaw", "Node Roll"};
constexpr std::array<const char *, 6> kDestHeadings = {"Dest. X",     "Dest. Y",   "Dest. Z",
                                                       "Dest. Pitch", "Dest. Yaw", "Dest. Roll"};
constexpr int kNarrowColumn = 1;
constexpr int kNarrowColumnTwips = 420;
constexpr int kColumnTwips = 1100;

// Fills rows from row + 1 on with the node's row pairs and its band; returns the last
// row used.
int LayOutNode(KeyTable &table, const KeyNode &node, int nodeIndex, int row)
{
    for (int e = 1; e <= node.EntryCount; ++e) {
        const KeyEntry &entry = node.Entries(e);
        ++row;
        if (e == 1)
            table.Cells.push_back({row, 0, "Node " + SignSpaced(nodeIndex)});
        for (int f = 0; f < 9; ++f)
            table.Cells.push_back({row, f + 1, std::string(entry.Field(f))});
        ++row;
        if (e == 1)
            table.Cells.push_back({row, 0, node.MeshName});
        for (int f = 9; f < KeyEntry::kFieldCount; ++f)
            table.Cells.push_back({row, f - 5, std::string(entry.Field(f))});
    }
    table.BandRows.push_back(++row);
    return row;
}

}  // namespace

KeyTable LayOutKeyTable(const KeyframeTables &tables)
{
    KeyTable table;
    for (std::size_t i = 0; i < kTopHeadings.size(); ++i)
        table.Cells.push_back({0, static_cast<int>(i) + 1, kTopHeadings[i]});
    for (std::size_t i = 0; i < kDestHeadings.size(); ++i)
        table.Cells.push_back({1, static_cast<int>(i) + 4, kDestHeadings[i]});
    for (int col = 0; col < KeyTable::kCols; ++col)
        table.ColWidthsTwips[col] = col == kNarrowColumn ? kNarrowColumnTwips : kColumnTwips;
    if (tables.KeyNodeCount <= 0)
        return table;
    table.Rows = KeyTable::kFixedRows;
    for (int k = 1; k <= tables.KeyNodeCount; ++k)
        table.Rows += 2 * tables.KeyNodes(k).EntryCount + 1;
    int row = 1;
    for (int k = 1; k <= tables.KeyNodeCount; ++k)
        row = LayOutNode(table, tables.KeyNodes(k), k, row);
    table.CurrentRow = table.Rows - 1;
    return table;
}

// Numbers here are plain decimals; only the table's node labels carry the sign space.
std::string KeyInfoDumpText(const KeyframeTables &tables)
{
    std::string dump;
    for (int k = 1; k <= tables.KeyNodeCount; ++k) {
        const KeyNode &node = tables.KeyNodes(k);
        dump += "Node: " + std::to_string(node.Num);
        dump += kCrLf;
        dump += "Mesh name: " + node.MeshName;
        dump += kCrLf;
        dump += "Entries: " + std::to_string(node.EntryCount);
        dump += kCrLf;
        for (int e = 1; e <= node.EntryCount; ++e) {
            dump += node.Entries(e).Raw();
            dump += kCrLf;
        }
        dump += kCrLf;
        dump += kCrLf;
    }
    return dump;
}

}  // namespace zerka
