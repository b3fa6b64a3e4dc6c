// SPDX-License-Identifier: MIT
#include "sample_data.h"

#include <filesystem>
#include <memory>

#include "conversion/hierarchy_reader.h"
#include "conversion/keyframe_conversion.h"
#include "keyframes/key_file_reader.h"
#include "support/test_support.h"

namespace zerka {
namespace {

using testing::TempDir;

TEST(SampleData, KeyTextReadsBackWithEveryNodeAndEntry)
{
    for (const bool wraps : {false, true}) {
        SCOPED_TRACE(wraps ? "wrapping" : "not wrapping");
        auto tables = std::make_unique<KeyframeTables>();
        LoadKeyText(*tables, bench::MakeKeyText("walk.key", 20, 40, 3, wraps), "walk.key");
        EXPECT_EQ(tables->KeyNodeCount, 20);
        EXPECT_EQ(tables->WrapsAround, wraps);
        for (int n = 1; n <= tables->KeyNodeCount; ++n)
            ASSERT_EQ(tables->KeyNodes(n).EntryCount, 40) << "node " << n;
        EXPECT_EQ(tables->KeyNodes(20).Entries(40).Frame(), "117");
    }
}

TEST(SampleData, TheSameSeedMakesTheSameBytes)
{
    EXPECT_EQ(bench::MakeKeyText("a.key", 3, 5, 9, false),
              bench::MakeKeyText("a.key", 3, 5, 9, false));
    EXPECT_NE(bench::MakeKeyText("a.key", 3, 5, 9, false),
              bench::MakeKeyText("a.key", 3, 5, 10, false));
}

// The conversion the benchmarks time must move most nodes and leave the renamed one.
TEST(SampleData, ModelsMoveMostNodesAndRenameOne)
{
    TempDir dir;
    const std::uint64_t geometry = 300'000;  // several of the writer's blocks, one partial
    bench::WriteModelFile(dir / "old.3do", geometry, bench::MakeHierarchySection(24, false));
    bench::WriteModelFile(dir / "new.3do", geometry, bench::MakeHierarchySection(24, true));
    EXPECT_GT(std::filesystem::file_size(dir / "old.3do"), geometry);
    EXPECT_EQ(ReadHierarchyTail(InputFile::Open(dir / "old.3do", "old.3do")), bench::MakeHierarchySection(24, false));

    auto tables = std::make_unique<KeyframeTables>();
    LoadHierarchy(*tables, dir / "old.3do", true);
    LoadHierarchy(*tables, dir / "new.3do", false);
    ASSERT_EQ(tables->OldHierarchyCount, 24);
    LoadKeyText(*tables, bench::MakeKeyText("walk.key", 24, 4, 1, false), "walk.key");
    ConvertTables(*tables, "walk.key");

    EXPECT_EQ(tables->MatchedCount, 23);
    int moved = 0;
    for (int m = 1; m <= tables->MatchedCount; ++m) {
        const KeyNode &node = tables->KeyNodes(tables->MatchedNodes(m));
        moved += node.OffsetX != 0 || node.OffsetY != 0 || node.OffsetZ != 0;
    }
    EXPECT_GE(moved, 18);
    EXPECT_LT(moved, 23);
}

}  // namespace
}  // namespace zerka
