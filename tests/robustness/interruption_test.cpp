// SPDX-License-Identifier: MIT
// zerka-cli killed with SIGKILL at chosen steps of a batch over a few hundred files (the
// test build's ZERKA_KILL_AT): whatever it managed leaves only complete outputs in New and
// the sources as they were, and the next batch leaves no temporary file of a dead run.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/file.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "conversion/batch_conversion.h"
#include "conversion/key_file_list.h"
#include "keyframes/files.h"
#include "keyframes/key_file_reader.h"
#include "support/test_support.h"

extern char **environ;

namespace zerka {
namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 250;
constexpr int kNodes = 6;
constexpr int kEntries = 20;
constexpr int kRuns = 24;
// Writing one new output takes four steps (staged, written, synced, named), replacing one
// five; a kill is placed among the first kFiles * 4.
constexpr int kSteps = kFiles * 4;

pid_t StartCli(const std::vector<std::string> &args, const std::string &killAt = {})
{
    std::vector<std::string> env;
    for (char **entry = environ; *entry; ++entry)
        env.emplace_back(*entry);
    if (!killAt.empty())
        env.push_back("ZERKA_KILL_AT=" + killAt);
    std::vector<char *> envp;
    for (std::string &entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char *> argv;
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

int Wait(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    return status;
}

bool IsTemporaryName(const std::string &name)
{
    return name.rfind(std::string(kTempPrefix), 0) == 0 && name.size() > kTempSuffix.size() &&
           name.substr(name.size() - kTempSuffix.size()) == kTempSuffix;
}

// Checks New after a run; returns how many outputs it holds. A killed run may leave a
// temporary name behind (the next run removes it) when allowTemporaries.
int CheckOutputs(const fs::path &folder, bool allowTemporaries = false)
{
    if (!fs::exists(folder))
        return 0;
    static KeyframeTables tables;  // made once: the tables are large, and each load resets them
    int complete = 0;
    for (const auto &item : fs::directory_iterator(folder)) {
        const std::string name = item.path().filename().string();
        SCOPED_TRACE(name);
        EXPECT_TRUE(item.is_regular_file());
        if (allowTemporaries && IsTemporaryName(name))
            continue;
        EXPECT_NE(name.front(), '.') << "a hidden or temporary file was left";
        EXPECT_EQ(name.substr(0, 4), "anim");
        EXPECT_EQ(name.substr(name.size() - 4), ".key");
        try {
            LoadKeyFile(tables, item.path().string());
        } catch (const FileError &error) {
            ADD_FAILURE() << "incomplete output: " << error.what();
            continue;
        }
        EXPECT_EQ(tables.KeyNodeCount, kNodes);
        EXPECT_EQ(tables.KeyNodes(kNodes).EntryCount, kEntries);
        ++complete;
    }
    EXPECT_EQ(ListKeyFiles(folder.string()).size(), static_cast<std::size_t>(complete));
    return complete;
}

TEST(Interruption, AKilledBatchLeavesOnlyCompleteOutputs)
{
    testing::TempDir dir;
    std::vector<testing::ModelNode> oldNodes, newNodes;
    std::vector<testing::NodeSpec> nodes;
    for (int n = 0; n < kNodes; ++n) {
        const std::string name = "joint" + std::to_string(n);
        oldNodes.push_back({name, "0", "0", "0"});
        newNodes.push_back({name, "0.5", "-1", std::to_string(n)});
        testing::NodeSpec node{name, {}};
        for (int b = 0; b < kEntries; ++b)
            node.Entries.push_back(
                {b * 4, std::to_string(b * 0.25), "1.5", "-2.125", "0.0625", "0.0", "0.000011"});
        nodes.push_back(node);
    }
    testing::WriteFile(dir / "old.3do", testing::ModelText(oldNodes));
    testing::WriteFile(dir / "new.3do", testing::ModelText(newNodes));
    const fs::path keys = dir.Path() / "keys";
    fs::create_directory(keys);
    const std::string source = testing::Crlf(testing::KeyText(nodes));
    for (int i = 0; i < kFiles; ++i)
        testing::WriteFile((keys / ("anim" + std::to_string(1000 + i) + ".key")).string(), source);
    const std::vector<std::string> args = {ZERKA_CLI_PATH, dir / "old.3do", dir / "new.3do",
                                           keys.string()};

    int killed = 0;
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        // Every other run starts without New, so both making and replacing outputs are cut.
        if (run % 2 == 0)
            fs::remove_all(keys / "New");
        const pid_t pid = StartCli(args, std::to_string(1 + run * (kSteps - 1) / (kRuns - 1)));
        ASSERT_GT(pid, 0);
        const int status = Wait(pid);
        killed += WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        CheckOutputs(keys / "New", true);
    }
    EXPECT_EQ(killed, kRuns);

    // A whole run afterwards converts everything and clears what the dead runs left.
    const pid_t pid = StartCli(args);
    ASSERT_GT(pid, 0);
    const int status = Wait(pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(CheckOutputs(keys / "New"), kFiles);

    for (const auto &item : fs::directory_iterator(keys)) {
        if (item.is_regular_file()) {
            EXPECT_EQ(testing::ReadFile(item.path().string()), source) << item.path();
        }
    }
}

// A batch removes the temporary files of dead runs, but never one whose writer still
// holds it, so batches over one folder at once all succeed.
TEST(Interruption, OnlyTemporaryFilesOfDeadRunsAreRemoved)
{
    testing::TempDir dir;
    testing::WriteFile(dir / "old.3do", testing::ModelText({{"arm", "0", "0", "0"}}));
    testing::WriteFile(dir / "new.3do", testing::ModelText({{"arm", "1", "0", "0"}}));
    fs::create_directories(dir.Path() / "keys/New");
    testing::WriteFile(dir / "keys/a.key", testing::Crlf(testing::KeyText(
                                               {{"arm", {{0, "1", "0", "0", "0", "0", "0"}}}})));
    const std::string prefix(kTempPrefix), suffix(kTempSuffix);
    const std::string dead = dir / ("keys/New/" + prefix + "00000000000000aa" + suffix);
    const std::string alive = dir / ("keys/New/" + prefix + "00000000000000bb" + suffix);
    testing::WriteFile(dead, "left by a killed run");
    testing::WriteFile(alive, "being written");
    const int held = ::open(alive.c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    const pid_t pid = StartCli({ZERKA_CLI_PATH, dir / "old.3do", dir / "new.3do", dir / "keys"});
    ASSERT_GT(pid, 0);
    const int status = Wait(pid);
    ::close(held);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_EQ(testing::ReadFile(alive), "being written");
    EXPECT_TRUE(fs::exists(dir / "keys/New/a.key"));
}

// What an interrupted write on a system without unnamed files leaves behind is never
// offered as a key file by a later run.
TEST(Interruption, LeftoverTemporaryNamesAreNotListed)
{
    testing::TempDir dir;
    const std::string prefix(kTempPrefix);
    const std::string suffix(kTempSuffix);
    for (const std::string &name :
         std::vector<std::string>{"walk.key", prefix + "walk.key.1f2e.0" + suffix,
                                  prefix + "walk.key", "walk.key" + suffix})
        testing::WriteFile(dir / name, "partial");
    EXPECT_EQ(ListKeyFiles(dir.Path().string()), std::vector<std::string>{"walk.key"});
}

}  // namespace
}  // namespace zerka
