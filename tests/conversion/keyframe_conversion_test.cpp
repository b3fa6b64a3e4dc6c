// SPDX-License-Identifier: MIT
#include "conversion/keyframe_conversion.h"

#include <filesystem>

#include "conversion/hierarchy_reader.h"
#include "keyframes/key_file_reader.h"
#include "support/test_support.h"

namespace zerka {
namespace {

using testing::EntrySpec;
using testing::ExpectFileError;
using testing::ModelNode;
using testing::NodeSpec;

// Key file and hierarchies read from real files, as the batch reads them.
class Conversion : public ::testing::Test {
protected:
    void Load(const std::string &keyText, const std::vector<ModelNode> &oldNodes,
              const std::vector<ModelNode> &newNodes)
    {
        testing::WriteFile(dir / "anim.key", keyText);
        testing::WriteFile(dir / "old.3do", testing::ModelText(oldNodes));
        testing::WriteFile(dir / "new.3do", testing::ModelText(newNodes));
        LoadKeyFile(tables, dir / "anim.key");
        LoadHierarchy(tables, dir / "old.3do", true);
        LoadHierarchy(tables, dir / "new.3do", false);
        tables.SourceFileName = "anim.key";
    }
    const KeyEntry &Entry(int node, int entry) { return tables.KeyNodes(node).Entries(entry); }

    testing::TempDir dir;
    KeyframeTables tables;
};

// Frames 0 and 10: x 0 to 12 and z 1 to 2, moving; y still at first, then moving.
const NodeSpec kArm{"arm",
                    {{0, "0", "2", "1.0", "0.5", "0", "0.1"},
                     {10, "12", "2", "2.0", "0.5", "-0.13125", "-0.1"}}};

TEST_F(Conversion, ShiftsPositionsAndDerivesDeltasButTheLastEntryKeepsItsOwn)
{
    const struct {
        const char *flags;
        ModelNode moved;        // the arm's joint in the new model; at 0 0 0 in the old one
        const char *lastXYZ;    // the last entry, shifted
    } rows[] = {
        {"0x0000", {"arm", "0", "0", "0"}, "12.00000000 2.00000000 2.00000000"},
        {"0x0003", {"arm", "0", "0", "0"}, "12.00000000 2.00000000 2.00000000"},
        {"0x0003", {"arm", "1", "0.5", "0.5"}, "13.00000000 2.50000000 2.50000000"},
        {"0x0003", {"arm", "1", "0", "1.0"}, "13.00000000 2.00000000 3.00000000"},
        {"0x0000", {"arm", "-1", "0.25", "-1"}, "11.00000000 2.25000000 1.00000000"},
        {"0x0003", {"arm", "-1", "0.25", "-1"}, "11.00000000 2.25000000 1.00000000"},
    };
    const auto xyz = [](std::string_view x, std::string_view y, std::string_view z) {
        return std::string(x) + " " + std::string(y) + " " + std::string(z);
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.flags) + " by " + row.moved.X + " " + row.moved.Y + " " +
                     row.moved.Z);
        Load(testing::KeyText({kArm}, row.flags), {{"arm", "0", "0", "0"}}, {row.moved});
        ConvertTables(tables, "anim.key");
        EXPECT_EQ(tables.MatchedCount, 1);
        const KeyEntry &first = Entry(1, 1);
        EXPECT_EQ(xyz(first.DX(), first.DY(), first.DZ()),  // y did not move before, nor now
                  "1.20000000 0.00000000 0.10000000");
        const KeyEntry &last = Entry(1, 2);
        EXPECT_EQ(xyz(last.X(), last.Y(), last.Z()), row.lastXYZ);
        EXPECT_EQ(xyz(last.DX(), last.DY(), last.DZ()), "0.5 -0.13125 -0.1");
        EXPECT_EQ(last.Frame(), "10");
        EXPECT_EQ(last.Pitch(), "0.5");
        EXPECT_EQ(last.DRoll(), "0.0");
    }
    // A single entry is the last one.
    for (const char *flags : {"0x0000", "0x0003"}) {
        SCOPED_TRACE(flags);
        Load(testing::KeyText({{"hip", {{5, "1", "2", "3", "0.1", "0.2", "0.3"}}}}, flags),
             {{"hip", "0", "0", "0"}}, {{"hip", "-1", "0", "0.25"}});
        ConvertTables(tables, "anim.key");
        const KeyEntry &entry = Entry(1, 1);
        EXPECT_EQ(xyz(entry.X(), entry.Y(), entry.Z()), "0.00000000 2.00000000 3.25000000");
        EXPECT_EQ(xyz(entry.DX(), entry.DY(), entry.DZ()), "0.1 0.2 0.3");
    }
}

TEST_F(Conversion, AnAxisThatBarelyMovedStaysStill)
{
    const struct {
        const char *dx;
        const char *expected;
    } rows[] = {
        {"0.000010", "0.00000000"}, {"-0.000010", "0.00000000"}, {"1.0e-005", "0.00000000"},
        {"0.000011", "0.10000000"}, {"-0.000011", "0.10000000"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.dx);
        Load(testing::KeyText(
                 {{"a",
                   {{0, "0", "0", "0", row.dx, "0", row.dx}, {10, "1", "0", "1", "0", "0", "0"}}}}),
             {{"a", "0", "0", "0"}}, {{"a", "0", "0", "0"}});
        ConvertTables(tables, "anim.key");
        EXPECT_EQ(Entry(1, 1).DX(), row.expected);
        EXPECT_EQ(Entry(1, 1).DZ(), row.expected);
    }
}

TEST_F(Conversion, TiesEachNodeByItsNodeNumberAndNameIgnoringCase)
{
    const auto node = [](int num) { return NodeSpec{"m", {{0, "1", "1", "1", "0", "0", "0"}}, num}; };
    // Records out of their places, nodes in another order: joint 0 is k_rArm in both models,
    // joint 1 is renamed, joint 2 lies beyond the new model, joint 3 beyond both.
    Load(testing::KeyText({node(3), node(2), node(0), node(1)}),
         {{"wrist", "0", "0", "0", "2:"}, {"k_rArm", "0", "0", "0", "0:"},
          {"elbow", "0", "0", "0", "1:"}},
         {{"elbow2", "5", "0", "0", "1:"}, {"K_RARM", "5", "0", "0", "0:"}});
    ConvertTables(tables, "anim.key");
    EXPECT_EQ(tables.MatchedCount, 1);
    EXPECT_EQ(tables.MatchedNodes(1), 3);
    EXPECT_EQ(Entry(3, 1).X(), "6.00000000");
    for (int n : {1, 2, 4}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(Entry(n, 1).X(), "1");
        EXPECT_EQ(Entry(n, 1).DX(), "0");
    }
}

TEST_F(Conversion, RecordsLeftFromAnEarlierLongerHierarchyDoNotMatch)
{
    const NodeSpec node{"m", {{0, "1", "1", "1", "0", "0", "0"}}};
    Load(testing::KeyText({node, node}), {{"a", "0", "0", "0"}, {"b", "0", "0", "0"}},
         {{"a", "1", "0", "0"}, {"b", "1", "0", "0"}});
    testing::WriteFile(dir / "short.3do", testing::ModelText({{"a", "2", "0", "0"}}));
    LoadHierarchy(tables, dir / "short.3do", false);
    ConvertTables(tables, "anim.key");
    EXPECT_EQ(Entry(1, 1).X(), "3.00000000");
    EXPECT_EQ(Entry(2, 1).X(), "1");
}

TEST_F(Conversion, WritesTheBuiltFileEvenWhenNoNodeMatched)
{
    Load(testing::KeyText({kArm}), {{"arm", "0", "0", "0"}}, {{"leg", "9", "9", "9"}});
    testing::ConvertKeyFileTo(tables, dir / "out.key");
    KeyframeTables written;
    LoadKeyText(written, testing::ReadFile(dir / "out.key"), "out.key");
    EXPECT_EQ(written.HeaderLines(1).rfind(testing::MarkerLineStart("anim.key"), 0), 0u);
    EXPECT_EQ(written.KeyNodes(1).Entries(2).X(), "12");
}

TEST_F(Conversion, AValueThatDoesNotParseStopsTheConversionAndWritesNothing)
{
    const struct {
        const char *name;
        NodeSpec node;
        ModelNode newNode;
        ErrorCode code;
        const char *message;
    } rows[] = {
        {"bad x",
         {"m", {{0, "0", "0", "0", "0", "0", "0"}, {24, "1,5", "0", "0", "0", "0", "0"}}},
         {"arm", "1", "0", "0"},
         ErrorCode::TypeMismatch,
         "anim.key, line 17: X '1,5' is not a number"},
        {"frame difference beyond 16 bits",
         {"m", {{-32768, "0", "0", "0", "0", "0", "0"}, {32767, "1", "0", "0", "0", "0", "0"}}},
         {"arm", "1", "0", "0"},
         ErrorCode::Overflow,
         "anim.key, line 15: the frame difference to the next entry is outside 16 bits"},
        {"bad hierarchy x",
         {"m", {{0, "0", "0", "0", "0", "0", "0"}}},
         {"arm", "none", "0", "0"},
         ErrorCode::TypeMismatch,
         "new.3do, line 2 of the hierarchy section: X 'none' is not a number"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Load(testing::KeyText({row.node}), {{"arm", "0", "0", "0"}}, {row.newNode});
        const FileError error =
            ExpectFileError([&] { testing::ConvertKeyFileTo(tables, dir / "out.key"); }, row.code);
        const std::string message = error.what();
        EXPECT_EQ(message.substr(message.find_last_of("/\\") + 1), row.message);
        EXPECT_FALSE(std::filesystem::exists(dir / "out.key"));
    }
}

}  // namespace
}  // namespace zerka
