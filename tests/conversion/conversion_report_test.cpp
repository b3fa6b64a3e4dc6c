// SPDX-License-Identifier: MIT
#include "conversion/conversion_report.h"

#include "conversion/hierarchy_reader.h"
#include "support/test_support.h"

namespace zerka {
namespace {

class Report : public ::testing::Test {
protected:
    void Load(const std::vector<testing::ModelNode> &oldNodes,
              const std::vector<testing::ModelNode> &newNodes)
    {
        testing::WriteFile(dir / "old.3do", testing::ModelText(oldNodes));
        testing::WriteFile(dir / "new.3do", testing::ModelText(newNodes));
        LoadHierarchy(tables, dir / "old.3do", true);
        LoadHierarchy(tables, dir / "new.3do", false);
    }

    testing::TempDir dir;
    KeyframeTables tables;
};

TEST_F(Report, TellsWhyEachRecordIsOrIsNotMatchedAndWhatThatMeansForEachNode)
{
    // head and arm swapped places; leg was renamed on purpose; tail exists only in old.
    Load({{"root", "0", "0", "0"},
          {"head", "0", "0", "1"},
          {"arm", "1", "0", "0"},
          {"leg", "0", "0", "0"},
          {"tail", "0", "0", "0"}},
         {{"ROOT", "0", "0", "0.5"},
          {"arm", "2", "0", "0"},
          {"head", "0", "0", "2"},
          {"shin", "0", "-1", "0"}});
    tables.Renames = {{"leg", "Shin"}};
    const HierarchyComparison comparison = CompareHierarchies(tables);
    ASSERT_EQ(comparison.Records.size(), 5u);
    EXPECT_EQ(comparison.NewModel, "new.3do");
    const auto note = [&](int index) {
        return RecordNote(comparison, comparison.Records[static_cast<std::size_t>(index - 1)]);
    };
    EXPECT_EQ(comparison.Records[0].Fate, RecordFate::Matched);
    EXPECT_DOUBLE_EQ(comparison.Records[0].DZ, 0.5);
    EXPECT_EQ(note(1), "");
    EXPECT_EQ(note(2), "renamed; head is record 3 in new.3do; records are matched by position "
                       "and name");
    EXPECT_EQ(comparison.Records[2].NewIndexOfOldName, 2);
    EXPECT_TRUE(comparison.Records[3].ByRename);
    EXPECT_DOUBLE_EQ(comparison.Records[3].DY, -1);
    EXPECT_EQ(note(5), "missing in new.3do");

    FileOutcome file{"walk.key", "walk.key", true, {}, {}};
    for (std::int16_t n = 0; n < 6; ++n)
        file.Nodes.push_back({n, "m", n == 0 || n == 3});
    const std::vector<NodeReport> nodes = ReportNodes(comparison, file);
    ASSERT_EQ(nodes.size(), 6u);
    EXPECT_TRUE(nodes[0].Moved);
    EXPECT_DOUBLE_EQ(nodes[0].DZ, 0.5);
    EXPECT_EQ(nodes[1].RecordName, "head");
    EXPECT_EQ(nodes[1].Why, note(2));
    EXPECT_EQ(nodes[3].Why, "");
    EXPECT_EQ(nodes[4].RecordName, "tail");
    EXPECT_EQ(nodes[5].Why, "no record 6 in either model");
}

}  // namespace
}  // namespace zerka
