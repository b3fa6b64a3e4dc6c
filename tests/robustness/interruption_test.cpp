// zerka-cli killed with SIGKILL at varied moments of a batch over a few hundred files:
// whatever it managed leaves only complete outputs in New, nothing partial or temporary,
// and the sources as they were.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "conversion/batch_conversion.h"
#include "keyframes/key_file_reader.h"
#include "keyframes/files.h"
#include "support/test_support.h"

extern char **environ;

namespace zerka {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFiles = 250;
constexpr int kNodes = 6;
constexpr int kEntries = 20;
constexpr int kRuns = 24;

pid_t StartCli(const std::vector<std::string> &args)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char *> argv;
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

int Wait(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    return status;
}

// Checks New after a run; returns how many outputs it holds.
int CheckOutputs(const fs::path &folder)
{
    if (!fs::exists(folder))
        return 0;
    static KeyframeTables tables;  // made once: the tables are large, and each load resets them
    int complete = 0;
    for (const auto &item : fs::directory_iterator(folder)) {
        const std::string name = item.path().filename().string();
        SCOPED_TRACE(name);
        EXPECT_TRUE(item.is_regular_file());
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

    // Two whole runs first, to know how long a batch takes here; the shorter counts, as
    // other tests running alongside may slow one down.
    Clock::duration batchTime = Clock::duration::max();
    for (int whole = 0; whole < 2; ++whole) {
        const auto started = Clock::now();
        const pid_t pid = StartCli(args);
        ASSERT_GT(pid, 0);
        const int status = Wait(pid);
        batchTime = std::min(batchTime, Clock::now() - started);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        ASSERT_EQ(CheckOutputs(keys / "New"), kFiles);
    }

    int interrupted = 0;
    std::string outputsPerRun;
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        fs::remove_all(keys / "New");
        // Spread over the whole batch, the first kill very early, the last near the end.
        const auto delay = batchTime * (run + 0.25) / kRuns;
        const pid_t pid = StartCli(args);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(delay);
        kill(pid, SIGKILL);
        Wait(pid);
        const int outputs = CheckOutputs(keys / "New");
        interrupted += outputs < kFiles;
        outputsPerRun += " " + std::to_string(outputs);
    }
    // Many kills must have landed inside the batch, or the test proved nothing.
    EXPECT_GE(interrupted, kRuns / 3) << "outputs per run:" << outputsPerRun;

    for (const auto &item : fs::directory_iterator(keys)) {
        if (item.is_regular_file()) {
            EXPECT_EQ(testing::ReadFile(item.path().string()), source) << item.path();
        }
    }
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
