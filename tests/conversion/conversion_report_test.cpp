// SPDX-License-Identifier: MIT
#include "conversion/conversion_report.h"

#include <filesystem>
#include <map>

#include "conversion/batch_conversion.h"
#include "conversion/batch_summary.h"
#include "conversion/hierarchy_reader.h"
#include "conversion/key_file_list.h"
#include "support/test_support.h"

namespace zerka {
namespace {

using Warnings = std::map<std::string, std::vector<std::string>>;

TEST(Report, WarnsOfWhatAUserWouldOtherwiseMissWithoutChangingAnOutcome)
{
    testing::TempDir dir;
    std::filesystem::create_directory(dir.Path() / "keys");
    testing::WriteFile(dir / "old.3do", testing::ModelText({{"a", "0", "0", "0", "0:"},
                                                            {"b", "0", "0", "0", "1:"},
                                                            {"c", "0", "0", "0", "2:"},
                                                            {"gun", "0", "0", "0", "3:"}}));
    // A joint inserted at 1: b and c are numbered one up.
    testing::WriteFile(dir / "new.3do", testing::ModelText({{"a", "1", "0", "0", "0:"},
                                                            {"n", "0", "0", "0", "1:"},
                                                            {"b", "0", "0", "0", "2:"},
                                                            {"c", "0", "0", "0", "3:"}}));
    const auto write = [&](const std::string &name, const std::vector<int> &nums,
                           const std::string &header = "") {
        std::vector<testing::NodeSpec> nodes;
        for (const int num : nums)
            nodes.push_back({"m", {{0, "0", "0", "0", "1", "0", "0"}}, num});
        std::string text = testing::KeyText(nodes, "0x0000", header);
        if (name == "again.key")
            text.replace(0, text.find('\n'), testing::MarkerLineStart("again.key") + "1/1/24 0:00");
        testing::WriteFile(dir / ("keys/" + name), text);
    };
    write("again.key", {0});
    write("joints.key", {0}, "JOINTS 31\n");
    write("moved.key", {0, 1, 2});
    write("one.key", {0, 1});
    write("none.key", {9});
    write("gun.key", {3});
    KeyframeTables tables;
    LoadHierarchy(tables, dir / "old.3do", true, "old.3do");
    LoadHierarchy(tables, dir / "new.3do", false, "new.3do");

    const std::string again = "already converted by Zerka; converting it again shifts it twice";
    const std::string joints = "made for a model of 31 joints; old.3do has 4";
    const std::string unchanged = "no node matches the new model; would be written unchanged";
    const struct {
        bool renumber;
        Warnings expected;
    } rows[] = {
        {false,
         {{"again.key", {again}},
          {"gun.key", {unchanged}},
          {"joints.key", {joints}},
          {"moved.key",
           {"2 nodes are on joints the new model numbers differently; --renumber follows them"}},
          {"none.key", {unchanged}},
          {"one.key",
           {"1 node is on a joint the new model numbers differently; --renumber follows it"}}}},
        {true,
         {{"again.key", {again}},
          {"gun.key",
           {"NODE 3 (gun) dropped: no joint named gun in new.3do; joints new in new.3do: n "
            "(for --rename)"}},
          {"joints.key", {joints}},
          {"none.key", {"NODE 9 dropped: no joint 9 in old.3do"}}}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.renumber);
        BatchOptions options;
        options.DryRun = true;
        options.Match.Renumber = row.renumber;
        const std::vector<std::string> names = ListKeyFiles(dir / "keys");
        const BatchResult result = ConvertAll(tables, dir / "keys", names, {}, options);
        EXPECT_EQ(result.NotConvertedCount(), 0);
        Warnings warnings;
        for (const FileOutcome &file : result.Files)
            if (!file.Warnings.empty())
                warnings[file.Name] = file.Warnings;
        EXPECT_EQ(warnings, row.expected);
    }
}

}  // namespace
}  // namespace zerka

namespace zerka {
namespace {

TEST(Report, WarnsWhereAResultWouldNotFit)
{
    using testing::ModelNode;
    const std::vector<ModelNode> arms{{"arm", "0", "0", "0"}, {"r_weapon", "0", "1", "0"}};
    const std::vector<ModelNode> moved{{"arm", "1", "0", "0"}, {"r_weapon", "1", "1", "0"}};
    const std::vector<ModelNode> renamed{{"arm", "1", "0", "0"}, {"prop_r", "1", "1", "0"}};
    // First entries where the old model has the joints, and where the new one has them.
    const std::vector<testing::NodeSpec> atOld{{"a", {{0, "0", "0", "0", "0", "0", "0"}}},
                                              {"w", {{0, "0", "1", "0", "0", "0", "0"}}}};
    const std::vector<testing::NodeSpec> atNew{{"a", {{0, "1", "0", "0", "0", "0", "0"}}},
                                              {"w", {{0, "1", "1", "0", "0", "0", "0"}}}};
    const struct {
        const char *name;
        std::vector<ModelNode> oldModel, newModel;
        std::vector<testing::NodeSpec> nodes;  // of walk.key; none: no key file at all
        std::vector<std::string> expected;
        int filesWithWarnings;  // the batch's own warnings are no file's
    } rows[] = {
        {"fits", arms, moved, atOld, {}, 0},
        {"renamed joint", arms, renamed, atOld,
         {"walk.key: NODE 1 (r_weapon) left as read: joint 1 is prop_r in new.3do; "
          "--rename r_weapon=prop_r moves it"},
         1},
        {"converted already, or swapped", arms, moved, atNew,
         {"walk.key: its nodes sit at new.3do's joints, not old.3do's: converted already, or "
          "the two models the wrong way round?"},
         1},
        {"the same joints twice", arms, arms, atOld,
         {"old.3do and new.3do have the same joints in the same places: nothing will move"},
         0},
        {"no key files", arms, moved, {}, {"keys: no .key files"}, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        testing::TempDir dir;
        std::filesystem::create_directory(dir.Path() / "keys");
        testing::WriteFile(dir / "old.3do", testing::ModelText(row.oldModel));
        testing::WriteFile(dir / "new.3do", testing::ModelText(row.newModel));
        if (!row.nodes.empty())
            testing::WriteFile(dir / "keys/walk.key", testing::KeyText(row.nodes));
        KeyframeTables tables;
        LoadHierarchy(tables, dir / "old.3do", true, "old.3do");
        LoadHierarchy(tables, dir / "new.3do", false, "new.3do");
        // A folder as the user names it, relative to where the program runs.
        const std::filesystem::path before = std::filesystem::current_path();
        std::filesystem::current_path(dir.Path());
        const BatchResult result = ConvertAll(tables, "keys", ListKeyFiles("keys"));
        std::filesystem::current_path(before);
        EXPECT_EQ(WarningLines(result), row.expected);
        EXPECT_EQ(result.NotConvertedCount(), 0);
        EXPECT_EQ(FilesWithWarnings(result), row.filesWithWarnings);
    }
}

}  // namespace
}  // namespace zerka
