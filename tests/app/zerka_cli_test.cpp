#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "support/test_support.h"

namespace zerka {
namespace {

namespace fs = std::filesystem;

struct RunResult {
    int Status;
    std::string Out;
    std::string Err;
};

// Runs the built program through the shell; env is prepended as NAME=value words.
RunResult RunCli(const testing::TempDir &dir, const std::string &args, const std::string &env = "")
{
    const std::string command =
        env + " " ZERKA_CLI_PATH " " + args + " >" + (dir / "stdout") + " 2>" + (dir / "stderr");
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing::ReadFile(dir / "stdout"),
            testing::ReadFile(dir / "stderr")};
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
    EXPECT_EQ(walk.rfind("# KEYFRAME walk.key has been zerka by ZerKA 0.2 on ", 0), 0u);
    EXPECT_NE(walk.find("0x0000   1.00000000   3.00000000"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir / "keys/New/run.key"));
}

TEST_F(Cli, ExitsWithOneWhenAFileWasNotConverted)
{
    testing::WriteFile(dir / "keys/bad.key", "NODES 1\r\nNODE 0\r\nENTRIES 1\r\n");
    const RunResult run = RunCli(dir, Args());
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "3\nConverted:  2\nNot Converted:  1\n\n"
                       "bad.key: node 0 declares 1 entries but only 0 follow (line 3)\n");
    EXPECT_FALSE(fs::exists(dir / "keys/New/bad.key"));
}

TEST_F(Cli, UsageAndHierarchyErrorsExitWithTwoAndWriteNothing)
{
    const struct {
        std::string args;
        std::string errStart;
    } rows[] = {
        {"", "usage: zerka-cli OLD.3do NEW.3do DIR\n"},
        {dir / "old.3do" + " " + (dir / "new.3do"), "usage: zerka-cli OLD.3do NEW.3do DIR\n"},
        {Args() + " extra", "usage: zerka-cli OLD.3do NEW.3do DIR\n"},
        {dir / "old.3do" + " " + (dir / "gone.3do") + " " + (dir / "keys"),
         "zerka-cli: " + (dir / "gone.3do") + ": cannot open: No such file or directory\n"},
        {dir / "old.3do" + " " + (dir / "keys/walk.key") + " " + (dir / "keys"),
         "zerka-cli: " + (dir / "keys/walk.key") + ": no hierarchy section"},
        {dir / "old.3do" + " " + (dir / "new.3do") + " " + (dir / "nowhere"),
         "zerka-cli: " + (dir / "nowhere") + ": not a folder\n"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.args);
        const RunResult run = RunCli(dir, row.args);
        EXPECT_EQ(run.Status, 2);
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(run.Err.substr(0, row.errStart.size()), row.errStart);
        EXPECT_FALSE(fs::exists(dir / "keys/New"));
        EXPECT_FALSE(fs::exists(dir / "gone.3do"));
    }
}

TEST_F(Cli, PrintsHelpAndVersion)
{
    for (const char *flag : {"-h", "--help"}) {
        SCOPED_TRACE(flag);
        const RunResult run = RunCli(dir, flag);
        EXPECT_EQ(run.Status, 0);
        EXPECT_EQ(run.Out.rfind("usage: zerka-cli OLD.3do NEW.3do DIR\n", 0), 0u);
    }
    const RunResult run = RunCli(dir, "--version");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "zerka-cli 0.2\n");
}

TEST_F(Cli, TwoRunsWithSourceDateEpochWriteIdenticalBytes)
{
    const std::string env = "SOURCE_DATE_EPOCH=1700000000 LC_ALL=C";
    ASSERT_EQ(RunCli(dir, Args(), env).Status, 0);
    const std::string first = testing::ReadFile(dir / "keys/New/walk.key");
    ASSERT_EQ(RunCli(dir, Args(), env).Status, 0);
    EXPECT_EQ(testing::ReadFile(dir / "keys/New/walk.key"), first);
    EXPECT_EQ(first.substr(0, first.find("\r\n")),
              "# KEYFRAME walk.key has been zerka by ZerKA 0.2 on 11/14/23 22:13:20");
}

}  // namespace
}  // namespace zerka
