// SPDX-License-Identifier: MIT
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "support/test_support.h"

namespace zerka {
namespace {

namespace fs = std::filesystem;

using RunResult = testing::ShellRun;

// Runs the built program through the shell; env is prepended as NAME=value words.
RunResult RunCli(const testing::TempDir &dir, const std::string &args, const std::string &env = "")
{
    return testing::RunShell(dir, env + " " ZERKA_CLI_PATH " " + args + " >" + (dir / "out"));
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(dir / "keys");
        testing::WriteFile(dir / "old.3do", testing::ModelText({{"arm", "0", "0", "0"}}));
        testing::WriteFile(dir / "new.3do", testing::ModelText({{"ARM", "0", "2", "0"}}));
        const std::string key = testing::Crlf(
            testing::KeyText({{"arm", {{0, "1", "1", "1", "0", "0", "0"}}}}, "0x0003"));
        testing::WriteFile(dir / "keys/walk.key", key);
        testing::WriteFile(dir / "keys/run.key", key);
    }
    std::string Args() const
    {
        return dir / "old.3do" + " " + (dir / "new.3do") + " " + (dir / "keys");
    }

    testing::TempDir dir;
};

TEST_F(Cli, ConvertsEveryFileAndPrintsTheCountFirstAndTheSummaryLast)
{
    const RunResult run = RunCli(dir, Args());
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "2\nConverted:  2\nNot Converted:  0\n");
    EXPECT_EQ(run.Err, "");
    const std::string walk = testing::ReadFile(dir / "keys/New/walk.key");
    EXPECT_EQ(walk.rfind(testing::MarkerLineStart("walk.key"), 0), 0u);
    EXPECT_NE(walk.find("0x0000   1.00000000   3.00000000"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir / "keys/New/run.key"));
}

TEST_F(Cli, UsageAndHierarchyErrorsExitWithTwoAndWriteNothing)
{
    const std::string tryHelp = "\nTry 'zerka-cli --help' for more information.\n";
    const struct {
        std::string args;
        std::string err;
        std::string env = "";
    } rows[] = {
        {"", "zerka-cli: missing operands OLD.3do NEW.3do DIR" + tryHelp},
        {dir / "old.3do" + " " + (dir / "new.3do"),
         "zerka-cli: missing operand after '" + (dir / "new.3do") + "'" + tryHelp},
        {Args() + " extra", "zerka-cli: extra operand 'extra'" + tryHelp},
        {"--frobnicate " + Args(), "zerka-cli: unrecognized option '--frobnicate'" + tryHelp},
        {"-nx " + Args(), "zerka-cli: invalid option -- 'x'" + tryHelp},
        {Args() + " --rename", "zerka-cli: option '--rename' requires an argument" + tryHelp},
        {"--rename arm " + Args(), "zerka-cli: --rename 'arm': expected OLD=NEW" + tryHelp},
        {"--rename a=arm --rename b=ARM " + Args(),
         "zerka-cli: --rename: ARM is renamed twice" + tryHelp},
        {"--rename arm=a --rename ARM=b " + Args(),
         "zerka-cli: --rename: ARM is given two new names" + tryHelp},
        {"--rename arm=leg " + Args(),
         "zerka-cli: --rename arm=leg: no joint named leg in new.3do" + tryHelp},
        {"--rename leg=ARM " + Args(),
         "zerka-cli: --rename leg=ARM: no joint named leg in old.3do" + tryHelp},
        {"-- -n " + Args(), "zerka-cli: extra operand '" + (dir / "keys") + "'" + tryHelp},
        {Args(), "zerka-cli: SOURCE_DATE_EPOCH: \"12abc\" is not a whole number of seconds\n",
         "SOURCE_DATE_EPOCH=12abc"},
        {dir / "old.3do" + " " + (dir / "gone.3do") + " " + (dir / "keys"),
         "zerka-cli: " + (dir / "gone.3do") + ": cannot open: No such file or directory\n"},
        {dir / "old.3do" + " " + (dir / "keys/walk.key") + " " + (dir / "keys"),
         "zerka-cli: " + (dir / "keys/walk.key") + ": no hierarchy section"},
        {dir / "old.3do" + " " + (dir / "new.3do") + " " + (dir / "nowhere"),
         "zerka-cli: " + (dir / "nowhere") + ": not a folder\n"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.args);
        const RunResult run = RunCli(dir, row.args, row.env);
        EXPECT_EQ(run.Status, 2);
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(run.Err.substr(0, row.err.size()), row.err);
        EXPECT_FALSE(fs::exists(dir / "keys/New"));
        EXPECT_FALSE(fs::exists(dir / "gone.3do"));
    }
}

TEST_F(Cli, ANewThatCannotBeWrittenIsOneLineAndExitTwo)
{
    testing::WriteFile(dir / "keys/New", "in the way");
    const RunResult run = RunCli(dir, Args());
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Out, "2\n");
    EXPECT_EQ(run.Err, "zerka-cli: New: is not a folder: Not a directory\n");
}

TEST_F(Cli, PrintsHelpAndVersion)
{
    for (const char *flag : {"-h", "--help", "--dry-run --help"}) {
        SCOPED_TRACE(flag);
        const RunResult run = RunCli(dir, flag);
        EXPECT_EQ(run.Status, 0);
        EXPECT_EQ(run.Out.rfind("Usage: zerka-cli [OPTION]... OLD.3do NEW.3do DIR\n", 0), 0u);
        for (const char *part : {"--dry-run", "--report", "--rename", "--renumber", "--quiet", "--json",
                                 "--version", "Exit status:", "SOURCE_DATE_EPOCH"})
            EXPECT_NE(run.Out.find(part), std::string::npos) << part;
    }
    for (const char *flag : {"-V", "--version"}) {
        const RunResult run = RunCli(dir, flag);
        EXPECT_EQ(run.Status, 0);
        EXPECT_EQ(run.Out, "zerka-cli 0.2\n");
    }
}

TEST_F(Cli, ExitsWithOneWhenAFileWasNotConvertedAndQuietPrintsOnlyTheFailures)
{
    testing::WriteFile(dir / "keys/bad.key", "NODES 1\r\nNODE 0\r\nENTRIES 1\r\n");
    const std::string failed = "bad.key: node 0 declares 1 entries but only 0 follow (line 3)\n";
    RunResult run = RunCli(dir, Args());
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "3\nConverted:  2\nNot Converted:  1\n\n" + failed);
    EXPECT_EQ(run.Err, "");
    EXPECT_FALSE(fs::exists(dir / "keys/New/bad.key"));

    run = RunCli(dir, "-q " + Args());
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err, failed);
}

TEST_F(Cli, AFileInWhichNoNodeMatchedIsToldOnStandardError)
{
    testing::WriteFile(dir / "other.3do", testing::ModelText({{"leg", "0", "2", "0"}}));
    const RunResult run =
        RunCli(dir, dir / "old.3do" + " " + (dir / "other.3do") + " " + (dir / "keys"));
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "2\nConverted:  2\nNot Converted:  0\n");
    EXPECT_EQ(run.Err, "run.key: NODE 0 (arm) left as read: joint 0 is leg in other.3do; "
                       "--rename arm=leg moves it\n"
                       "run.key: no node matches the new model; written unchanged\n"
                       "walk.key: NODE 0 (arm) left as read: joint 0 is leg in other.3do; "
                       "--rename arm=leg moves it\n"
                       "walk.key: no node matches the new model; written unchanged\n");
}

TEST_F(Cli, DryRunReportsTheRenamedHeadOfTheExamplesAndWritesNothing)
{
    const fs::path examples = dir.Path() / "examples";
    fs::copy(ZERKA_EXAMPLES_DIR, examples);
    const std::string args =
        dir / "examples/old.3do" + " " + (dir / "examples/new.3do") + " " + examples.string();

    RunResult run = RunCli(dir, "--dry-run " + args);
    EXPECT_EQ(run.Status, 0) << run.Err;
    for (const char *file : {"idle", "kick", "walk"})
        EXPECT_NE(run.Err.find(std::string(file) + ".key: NODE 2 (head) left as read: joint 2 is "
                               "sensor in new.3do; --rename head=sensor moves it\n"),
                  std::string::npos)
            << run.Err;
    EXPECT_FALSE(fs::exists(examples / "New"));
    for (const char *part :
         {"3\nJoints of old.3do (6) and new.3do (6), tied by number and name:\n"
          "joint  old name  new name           dx          dy           dz\n",
          "\n    1  torso     torso     matched, no move\n"
          "    2  head      sensor    left as read: renamed to sensor in new.3do; perhaps "
          "--rename head=sensor\n"
          "    3  l_thigh   L_Thigh   -0.01500000  0.00000000   0.00000000\n",
          "\nwalk.key: 4 moved, 1 matched with no move, 1 left as read, 0 dropped\n",
          "\n     2  head_m    head     left as read: renamed to sensor in new.3do;",
          "\nDry run: nothing was written.\nConverted:  3\nNot Converted:  0\n"})
        EXPECT_NE(run.Out.find(part), std::string::npos) << part << "\nin:\n" << run.Out;

    run = RunCli(dir, "-n --rename head=sensor " + args);
    EXPECT_NE(run.Out.find("\nwalk.key: 5 moved, 1 matched with no move, 0 left as read"),
              std::string::npos);
    EXPECT_NE(run.Out.find("  0.00000000  0.01000000   0.01000000  matched through --rename\n"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(examples / "New"));

    run = RunCli(dir, "--report " + args);
    EXPECT_EQ(run.Status, 0);
    EXPECT_TRUE(fs::exists(examples / "New/walk.key"));
}

TEST_F(Cli, RenumberFollowsTheJointsOfTheInsertedExampleThatOtherwiseAreOnlyWarnedOf)
{
    const fs::path examples = dir.Path() / "inserted";
    fs::copy(ZERKA_EXAMPLES_DIR "/inserted", examples);
    const std::string args = (examples / "old.3do").string() + " " +
                             (examples / "new.3do").string() + " " + examples.string();

    RunResult run = RunCli(dir, "-q " + args);
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Err, "look.key: 2 nodes are on joints the new model numbers differently; "
                       "--renumber follows them\n"
                       "look.key: no node matches the new model; written unchanged\n"
                       "walk.key: 5 nodes are on joints the new model numbers differently; "
                       "--renumber follows them\n");

    run = RunCli(dir, "--renumber --report " + args);
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "look.key: New/look.key held other content; kept as New/look.key.~1~\n"
                       "walk.key: New/walk.key held other content; kept as New/walk.key.~1~\n");
    EXPECT_NE(run.Out.find("\n     1  pelvis_m  torso  0.00000000  0.00000000  -0.04000000  "
                           "followed from joint 1 to joint 2\n"),
              std::string::npos)
        << run.Out;
    EXPECT_NE(run.Out.find("\n    -            spine     joint 1 of new.3do: no joint "
                           "of old.3do follows to it\n"),
              std::string::npos)
        << run.Out;
    const std::string walk = testing::ReadFile((examples / "New/walk.key").string());
    for (const char *line : {"\r\nJOINTS 7\r\n", "\r\nNODES 6\r\n", "\r\nNODE 2\r\n",
                             "\r\nNODE 6\r\n", "0.00000000   0.00000000   0.04000000"})
        EXPECT_NE(walk.find(line), std::string::npos) << line;
    EXPECT_EQ(walk.find("\r\nNODE 1\r\n"), std::string::npos);
}

TEST_F(Cli, JsonIsOneDocumentWithTheFilesAndWithReportTheirNodes)
{
    fs::rename(dir / "keys/run.key", dir / "keys/r\x01\xff.key");
    RunResult run = RunCli(dir, "--json " + Args());
    EXPECT_EQ(run.Status, 0) << run.Err;
    nlohmann::json document = nlohmann::json::parse(run.Out);
    EXPECT_FALSE(document.contains("joints"));
    ASSERT_EQ(document["files"].size(), 2u);
    EXPECT_EQ(document["files"][0]["name"], "r\x01\xef\xbf\xbd.key");
    EXPECT_EQ(document["files"][0]["outcome"], "converted");
    EXPECT_FALSE(document["files"][0].contains("nodes"));

    run = RunCli(dir, "--json --report -n " + Args());
    document = nlohmann::json::parse(run.Out);
    EXPECT_EQ(document["dry_run"], true);
    EXPECT_EQ(document["joints"][0]["move"]["dy"], 2.0);
    EXPECT_EQ(document["files"][1]["nodes"][0]["fate"], "moved");
}

TEST_F(Cli, TwoRunsWithSourceDateEpochWriteIdenticalBytes)
{
    const std::string env = "SOURCE_DATE_EPOCH=1700000000 LC_ALL=C";
    ASSERT_EQ(RunCli(dir, Args(), env).Status, 0);
    const std::string first = testing::ReadFile(dir / "keys/New/walk.key");
    ASSERT_EQ(RunCli(dir, Args(), env).Status, 0);
    EXPECT_EQ(testing::ReadFile(dir / "keys/New/walk.key"), first);
    EXPECT_EQ(first.substr(0, first.find("\r\n")),
              testing::MarkerLineStart("walk.key") + "11/14/23 22:13:20");
}

}  // namespace
}  // namespace zerka
