// SPDX-License-Identifier: MIT
#include "conversion/joint_ties.h"

#include <sstream>

#include "conversion/conversion_report.h"
#include "conversion/hierarchy_reader.h"
#include "conversion/keyframe_conversion.h"
#include "keyframes/key_file_reader.h"
#include "keyframes/key_file_writer.h"
#include "support/test_support.h"

namespace zerka {
namespace {

// "0: a 1, root b 2": records as first token, name and x (y and z are 0).
std::vector<testing::ModelNode> Records(const std::string &spec)
{
    std::vector<testing::ModelNode> records;
    std::istringstream list(spec);
    for (std::string record; std::getline(list, record, ',');) {
        std::istringstream fields(record);
        testing::ModelNode node;
        fields >> node.Num >> node.Name >> node.X;
        node.Y = node.Z = "0";
        records.push_back(node);
    }
    return records;
}

// Ties tested through whole conversions: a node's first entry sits at x 0, so a moved
// node's x tells which joint's move it got.
class Ties : public ::testing::Test {
protected:
    void Load(const std::string &oldSpec, const std::string &newSpec, const std::vector<int> &nums,
              const std::string &extraHeader = "")
    {
        std::vector<testing::NodeSpec> nodes;
        for (const int num : nums)
            nodes.push_back({"m", {{0, "0", "0", "0", "1", "0", "0"}}, num});
        testing::WriteFile(dir / "anim.key", testing::KeyText(nodes, "0x0000", extraHeader));
        testing::WriteFile(dir / "old.3do", testing::ModelText(Records(oldSpec)));
        testing::WriteFile(dir / "new.3do", testing::ModelText(Records(newSpec)));
        LoadKeyFile(tables, dir / "anim.key", "anim.key");
        LoadHierarchy(tables, dir / "old.3do", true, "old.3do");
        LoadHierarchy(tables, dir / "new.3do", false, "new.3do");
    }

    // "0 x1.00000000; 2->3 x3.00000000; 7 dropped: no joint 7 in old.3do"
    std::string Convert(const MatchOptions &options)
    {
        const JointTies ties(tables, options);
        const std::vector<NodeOutcome> outcomes = ConvertTables(tables, ties, "anim.key");
        std::string summary;
        int kept = 0;
        for (const NodeOutcome &outcome : outcomes) {
            summary += (summary.empty() ? "" : "; ") + std::to_string(outcome.Num);
            if (outcome.Tie.Fate == TieFate::Dropped) {
                summary += " " + NodeNote(outcome.Tie, ties);
                continue;
            }
            const KeyNode &node = tables.KeyNodes(++kept);
            if (node.Num != outcome.Num)
                summary += "->" + std::to_string(node.Num);
            summary += outcome.Tie.Fate == TieFate::Moved
                           ? " x" + std::string(node.Entries(1).X())
                           : " " + NodeNote(outcome.Tie, ties);
        }
        EXPECT_EQ(kept, tables.KeyNodeCount);
        return summary;
    }

    testing::TempDir dir;
    KeyframeTables tables;
};

TEST_F(Ties, ANodeBelongsToTheOneJointOfItsNumberInEachModel)
{
    const std::string abc = "0: a 0, 1: b 0, 2: c 0";
    const struct {
        std::string oldSpec, newSpec;
        std::vector<int> nums;
        std::string expected;
        std::vector<NodeRename> renames = {};
    } rows[] = {
        {abc, "0: a 1, 1: b 2, 2: c 3", {0, 2}, "0 x1.00000000; 2 x3.00000000"},
        {abc, "0: a 1, 1: b 2, 2: c 3", {2, 1, 0}, "2 x3.00000000; 1 x2.00000000; 0 x1.00000000"},
        {"2: c 0, 0: a 0, 1: b 0", "1: b 2, 2: c 3, 0: a 1", {1}, "1 x2.00000000"},
        {"04: a 0, +5 b 0", "4 a 1, 05: b 2", {4, 5}, "4 x1.00000000; 5 x2.00000000"},
        {"root a 0, 0: b 0, x1: c 0", "root a 1, 0: b 2", {0}, "0 x2.00000000"},
        {"0: a 0, 1: b 0, 1: c 0", "0: a 1, 1: b 2", {1, 0},
         "1 left as read: 2 records of old.3do have joint number 1; 0 x1.00000000"},
        {"0: a 0, 1: b 0", "0: a 1, 1: b 2, 1: b 3", {1},
         "1 left as read: 2 records of new.3do have joint number 1"},
        {"0: a 0", "0: a 1, 7: g 1", {7, 9},
         "7 left as read: no joint 7 in old.3do; 9 left as read: no joint 9 in either model"},
        {"0: a 0, 1: b 0", "0: a 1", {1}, "1 left as read: no joint 1 in new.3do"},
        {"0: a 0, 1: b 0", "0: a 1, 1: n 0, 2: B 2", {1},
         "1 left as read: b is joint 2 in new.3do; --renumber follows it"},
        {"0: head 0", "0: sensor 1", {0},
         "0 left as read: renamed to sensor in new.3do; perhaps --rename head=sensor"},
        {"0: head 0, 1: arm 0", "0: arm 1", {0}, "0 left as read: renamed to arm in new.3do"},
        {"0: head 0", "0: sensor 1", {0}, "0 x1.00000000", {{"HEAD", "Sensor"}}},
        {"0: a 0", "0: a 0", {0}, "0 x0.00000000"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.oldSpec + " | " + row.newSpec);
        Load(row.oldSpec, row.newSpec, row.nums);
        EXPECT_EQ(Convert({row.renames, false}), row.expected);
    }
}

TEST_F(Ties, RenumberFollowsEachJointByNameAndDropsWhatCannotBeFollowed)
{
    const std::string abc = "0: a 0, 1: b 0, 2: c 0";
    const struct {
        std::string oldSpec, newSpec;
        std::vector<int> nums;
        std::string expected;
        std::string nodesLine;
        std::vector<NodeRename> renames = {};
    } rows[] = {
        {abc, "0: a 1, 1: n 9, 2: b 2, 3: c 3", {2, 0, 1},
         "2->3 x3.00000000; 0 x1.00000000; 1->2 x2.00000000", "NODES 3"},
        {abc, "0: a 1, 1: C 3", {0, 1, 2},
         "0 x1.00000000; 1 dropped: no joint named b in new.3do; 2->1 x3.00000000", "NODES 2"},
        {abc, "0: b 2, 1: a 1, 2: c 3", {0, 1}, "0->1 x1.00000000; 1->0 x2.00000000", "NODES 2"},
        {abc, "0: a 1, 1: bee 2, 2: c 3", {1}, "1 x2.00000000", "NODES 1", {{"b", "bee"}}},
        {abc, "0: a 1, 1: b 2, 2: b 2, x: c 3", {7, 1, 2},
         "7 dropped: no joint 7 in old.3do; 1 dropped: 2 joints named b in new.3do; "
         "2 dropped: c has no joint number in new.3do",
         "NODES 0"},
        {"0: a 0, 1: b 0, 2: A 0", "0: a 1, 4: b 2, 4: x 3", {1, 2},
         "1 dropped: b is joint 4 in new.3do, a number 2 records share; "
         "2 dropped: 2 joints named A in old.3do",
         "NODES 0"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.newSpec);
        Load(row.oldSpec, row.newSpec, row.nums, "JOINTS 3\njoints\t99\nJOINTSX 1\n");
        EXPECT_EQ(Convert({row.renames, true}), row.expected);
        const std::string text = BuildKeyText(tables, "now");
        EXPECT_NE(text.find("\r\n" + row.nodesLine + "\r\n"), std::string::npos) << text;
        const std::string joints =
            "JOINTS " + std::to_string(Records(row.newSpec).size()) + "\r\n";
        EXPECT_NE(text.find("\r\n" + joints + joints + "JOINTSX 1\r\n"), std::string::npos)
            << text;
    }

    // Two nodes that would get one number (one joint animated twice): the file fails,
    // naming the number.
    Load(abc, "0: a 1, 5: b 2", {1, 1});
    const FileError error = testing::ExpectFileError(
        [&] { Convert({{}, true}); }, ErrorCode::InvalidArgument);
    EXPECT_EQ(error.Description, "NODE 1 and NODE 1 (line 11) would both become NODE 5");
}

}  // namespace
}  // namespace zerka
