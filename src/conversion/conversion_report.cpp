// SPDX-License-Identifier: MIT
#include "conversion_report.h"

#include <algorithm>

#include "conversion/keyframe_conversion.h"

namespace zerka {
namespace {

// Every file that reaches a record whose position does not parse fails on it, so the
// comparison keeps the error to show instead of a move.
void ComputeMove(const KeyframeTables &tables, RecordComparison &record)
{
    try {
        const RecordMove move = MoveOfRecord(tables, record.Index);
        record.DX = move.X;
        record.DY = move.Y;
        record.DZ = move.Z;
    } catch (const FileError &error) {
        record.Problem = error.what();
    }
}

// The new model's record, other than index, that matching would take for name; 0 if none.
int NewIndexOf(const KeyframeTables &tables, const std::string &name, int index)
{
    for (int j = 1; j <= tables.NewHierarchyCount; ++j)
        if (j != index &&
            SameNameIgnoringCase(name, MatchingName(tables, tables.NewHierarchy(j).NodeName)))
            return j;
    return 0;
}

RecordComparison CompareRecord(const KeyframeTables &tables, int index)
{
    RecordComparison record;
    record.Index = index;
    const bool inOld = index <= tables.OldHierarchyCount;
    const bool inNew = index <= tables.NewHierarchyCount;
    if (inOld)
        record.OldName = tables.OldHierarchy(index).NodeName;
    if (inNew)
        record.NewName = tables.NewHierarchy(index).NodeName;
    if (RecordsMatch(tables, index)) {
        record.ByRename = !SameNameIgnoringCase(record.OldName, record.NewName);
        ComputeMove(tables, record);
        return record;
    }
    record.Fate = !inNew   ? RecordFate::OnlyInOld
                  : !inOld ? RecordFate::OnlyInNew
                           : RecordFate::Renamed;
    if (inOld)
        record.NewIndexOfOldName = NewIndexOf(tables, record.OldName, index);
    return record;
}

}  // namespace

HierarchyComparison CompareHierarchies(const KeyframeTables &tables)
{
    HierarchyComparison comparison;
    comparison.OldModel = ShownName(FileNameOf(tables.OldHierarchyFile));
    comparison.NewModel = ShownName(FileNameOf(tables.NewHierarchyFile));
    comparison.OldCount = tables.OldHierarchyCount;
    comparison.NewCount = tables.NewHierarchyCount;
    const int count = std::max(comparison.OldCount, comparison.NewCount);
    comparison.Records.reserve(static_cast<std::size_t>(count));
    for (int i = 1; i <= count; ++i)
        comparison.Records.push_back(CompareRecord(tables, i));
    return comparison;
}

std::string RecordNote(const HierarchyComparison &comparison, const RecordComparison &record)
{
    std::string note;
    switch (record.Fate) {
    case RecordFate::Matched: return note;
    case RecordFate::Renamed: note = "renamed"; break;
    case RecordFate::OnlyInOld: note = "missing in " + comparison.NewModel; break;
    case RecordFate::OnlyInNew: note = "missing in " + comparison.OldModel; break;
    }
    if (record.NewIndexOfOldName != 0)
        note += "; " + ShownName(record.OldName) + " is record " +
                std::to_string(record.NewIndexOfOldName) + " in " + comparison.NewModel +
                "; records are matched by position and name";
    return note;
}

std::vector<NodeReport> ReportNodes(const HierarchyComparison &comparison,
                                    const FileOutcome &outcome)
{
    std::vector<NodeReport> nodes;
    nodes.reserve(outcome.Nodes.size());
    for (std::size_t n = 0; n < outcome.Nodes.size(); ++n) {
        NodeReport node;
        node.Position = static_cast<int>(n + 1);
        node.Num = outcome.Nodes[n].Num;
        node.MeshName = outcome.Nodes[n].MeshName;
        node.Moved = outcome.Nodes[n].Moved;
        if (n < comparison.Records.size()) {
            const RecordComparison &record = comparison.Records[n];
            node.RecordName = record.OldName.empty() ? record.NewName : record.OldName;
            node.DX = record.DX;
            node.DY = record.DY;
            node.DZ = record.DZ;
            if (!node.Moved)
                node.Why = RecordNote(comparison, record);
        } else {
            node.Why = "no record " + std::to_string(node.Position) + " in either model";
        }
        nodes.push_back(std::move(node));
    }
    return nodes;
}

}  // namespace zerka
