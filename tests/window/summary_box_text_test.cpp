// SPDX-License-Identifier: MIT
#include "window/summary_box_text.h"

#include "conversion/hierarchy_reader.h"
#include "support/test_support.h"

namespace zerka {
namespace {

const std::string kLongReason = [] {
    std::string reason = "joint 7 is ";
    for (int i = 0; i < 20; ++i)
        reason += "very_long_joint_name_";
    return reason;
}();

// A converted file when reason is empty, else one that failed for it.
FileOutcome Outcome(const std::string &name, const std::string &reason,
                    std::vector<std::string> warnings = {})
{
    FileOutcome file(name);
    file.Converted = reason.empty();
    file.Reason = reason;
    file.Warnings = std::move(warnings);
    return file;
}

std::string FailedName(int n) { return (n < 10 ? "f0" : "f") + std::to_string(n) + ".key"; }

// A screen that shows 44 bytes of a line: longer ones end in "…" there.
std::string Elide(const std::string &line)
{
    return line.size() <= 44 ? line : line.substr(0, 43) + "\u2026";
}

TEST(SummaryBox, ComposesTheTextLineByLineAndEveryFailureWarningAndTheReportInItsDetails)
{
    testing::TempDir dir;
    // Joint 1 is head in the old model and sensor in the new one: the report suggests a
    // rename for it.
    testing::WriteFile(dir / "old.3do", testing::ModelText({{"mesh1", "0", "0", "0"},
                                                            {"head", "0", "0", "0"}}));
    testing::WriteFile(dir / "new.3do", testing::ModelText({{"mesh1", "1", "0", "0"},
                                                            {"sensor", "0", "0", "0"}}));
    KeyframeTables tables;
    LoadHierarchy(tables, dir / "old.3do", true, "old.3do");
    LoadHierarchy(tables, dir / "new.3do", false, "new.3do");
    const auto ran = [&](std::vector<FileOutcome> files, std::vector<std::string> warnings = {}) {
        BatchResult result;
        result.Ran = true;
        result.Files = std::move(files);
        result.Warnings = std::move(warnings);
        result.Ties = std::make_shared<const JointTies>(tables, MatchOptions{});
        return result;
    };

    const std::string notNumber = "NODE 'x' is not a number (line 2)";
    std::vector<FileOutcome> files{
        Outcome("a.key", {}, {"1 node is on a joint the new model numbers differently; --renumber follows it"}),
        Outcome("b.key", {}, {"already converted by Zerka", "no node matches the new model"}),
        Outcome("c.key", {}), Outcome(FailedName(1), kLongReason)};
    std::string forty = "Converted:  3\r\nNot Converted:  40\r\n\r\n" + Elide("f01.key: " + kLongReason);
    std::vector<std::string> inDetails{"f01.key: " + kLongReason + "\r\n"};
    for (int n = 2; n <= 40; ++n) {
        files.push_back(Outcome(FailedName(n), notNumber));
        if (n <= 10)
            forty += "\r\n" + FailedName(n) + ": " + notNumber;
        inDetails.push_back(FailedName(n) + ": " + notNumber + "\r\n");
    }
    forty += "\r\n\u2026 and 30 more\r\n\r\n2 files with warnings";
    inDetails.insert(inDetails.end(),
                     {"a.key: 1 node is on a joint the new model numbers differently; "
                      "zerka-cli --renumber follows it\r\n",
                      "b.key: already converted by Zerka\r\nb.key: no node matches the new model\r\n",
                      "Joints of old.3do (2) and new.3do (2), tied by number and name:\r\n",
                      "perhaps zerka-cli --rename head=sensor", "f40.key: not converted: "});
    BatchResult notRun;
    notRun.NotRunReason = "cannot make the folder New in /keys: Permission denied";

    const struct {
        const char *name;
        BatchResult result;
        bool summary;
        std::string text;
        std::vector<std::string> inDetails;  // none: the box has no details
    } rows[] = {
        {"forty failures, two files with warnings", ran(files), true, forty, inDetails},
        {"one file with warnings", ran({Outcome("a.key", {}, {"made for a model of 3 joints"})}),
         true, "Converted:  1\r\nNot Converted:  0\r\n\r\n1 file with warnings",
         {"a.key: made for a model of 3 joints\r\n\r\nJoints of "}},
        {"all converted cleanly: the counts alone", ran({Outcome("a.key", {}), Outcome("b.key", {})}),
         true, "Converted:  2\r\nNot Converted:  0", {}},
        {"the batch's own warnings: a line each, no file's",
         ran({}, {"old.3do and new.3do have the same joints in the same places: nothing will move",
                  "keys: no .key files"}),
         true,
         "Converted:  0\r\nNot Converted:  0\r\n\r\nold.3do and new.3do have the same joints in\u2026"
         "\r\nkeys: no .key files",
         {"nothing will move\r\nkeys: no .key files\r\n\r\nJoints of "}},
        {"did not run: the reason alone", notRun, false, notRun.NotRunReason, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const BatchBox box = ComposeBatchBox(row.result, Elide);
        EXPECT_EQ(box.Ran, row.summary);
        EXPECT_EQ(box.Text, row.text);
        EXPECT_EQ(box.Details.empty(), row.inDetails.empty());
        for (const std::string &part : row.inDetails)
            EXPECT_NE(box.Details.find(part), std::string::npos) << part;
    }
}

TEST(SummaryBox, NamesTheOptionsAsTheCommandLinesAndBreaksLinesWithCrLf)
{
    const struct {
        const char *text, *named;
    } rows[] = {
        {"--renumber follows them", "zerka-cli --renumber follows them"},
        {"perhaps --rename head=sensor", "perhaps zerka-cli --rename head=sensor"},
        {"zerka-cli --rename a=b", "zerka-cli --rename a=b"},
        {"--renamed --renumbers", "--renamed --renumbers"},
        {"a --rename\nb", "a zerka-cli --rename\nb"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(WithCliOptionNames(row.text), row.named);
    EXPECT_EQ(WithCrLfBreaks("a\nb\r\nc\n"), "a\r\nb\r\nc\r\n");
}

}  // namespace
}  // namespace zerka
