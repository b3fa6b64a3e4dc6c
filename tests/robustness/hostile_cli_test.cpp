// SPDX-License-Identifier: MIT
// zerka-cli against inputs and surroundings that a careless or hostile user, or a failing
// disk, brings: FIFOs and huge models, full or closed output, file-size limits, names made
// to break lines or to outgrow the file system's limit. The sources always stay as they
// were and nothing stray is left in New.
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "support/test_support.h"

namespace zerka {
namespace {

namespace fs = std::filesystem;

using testing::ShellRun;

// Runs the command line with CLI standing for the program; a FIFO must never make the test
// hang, so every run has a time limit of its own.
ShellRun RunCliLine(const testing::TempDir &dir, std::string line)
{
    line.replace(line.find("CLI"), 3, "timeout 20 " ZERKA_CLI_PATH);
    return testing::RunShell(dir, line);
}

class HostileCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(dir / "keys");
        testing::WriteFile(dir / "old.3do", testing::ModelText({{"arm", "0", "0", "0"}}));
        testing::WriteFile(dir / "new.3do", testing::ModelText({{"arm", "0", "2", "0"}}));
        key = testing::Crlf(testing::KeyText({{"arm", {{0, "1", "1", "1", "0", "0", "0"}}}}));
        testing::WriteFile(dir / "keys/walk.key", key);
    }

    std::string Args(const std::string &oldModel = "old.3do") const
    {
        return dir / oldModel + " " + (dir / "new.3do") + " " + (dir / "keys");
    }

    // Sources as they were; in New only outputs, no temporary or hidden name.
    void ExpectNothingLostOrStray(const std::map<std::string, std::string> &sources) const
    {
        for (const auto &[name, bytes] : sources)
            EXPECT_EQ(testing::ReadFile(dir / ("keys/" + name)), bytes) << name;
        if (!fs::is_directory(dir / "keys/New"))
            return;
        for (const auto &item : fs::directory_iterator(dir.Path() / "keys/New"))
            EXPECT_NE(item.path().filename().string().front(), '.') << item.path();
    }

    testing::TempDir dir;
    std::string key;
};

TEST_F(HostileCli, ModelsThatAreNoFilesOrTooLargeStopTheRunNamingTheModel)
{
    ASSERT_EQ(::mkfifo((dir / "fifo.3do").c_str(), 0600), 0);
    // Its only title at byte 0, so the whole file would be the section.
    testing::WriteFile(dir / "huge.3do", "HIERARCHY NODES 1\n");
    fs::resize_file(dir / "huge.3do", (std::uintmax_t{64} << 20) + 100);
    for (const char *model : {"fifo.3do", "huge.3do"}) {
        SCOPED_TRACE(model);
        const ShellRun run = RunCliLine(dir, "CLI " + Args(model) + " >" + (dir / "out"));
        EXPECT_EQ(run.Status, 2);
        EXPECT_NE(run.Err.find(dir / model), std::string::npos) << run.Err;
        EXPECT_FALSE(fs::exists(dir / "keys/New"));
    }
}

TEST_F(HostileCli, OutputThatCannotBeWrittenIsNeverReportedAsSuccess)
{
    // Standard output full or closed: the conversion happens, the report cannot be given.
    for (const char *redirect : {">/dev/full", ">&-"}) {
        SCOPED_TRACE(redirect);
        const ShellRun run = RunCliLine(dir, "CLI " + Args() + " " + redirect);
        EXPECT_EQ(run.Status, 2);
        EXPECT_NE(run.Err.find("cannot write the report"), std::string::npos) << run.Err;
    }
    // A file-size limit fails the one write instead of killing the run.
    fs::remove_all(dir / "keys/New");
    const ShellRun limited = RunCliLine(dir, "ulimit -f 1; CLI " + Args() + " >" + (dir / "out"));
    EXPECT_EQ(limited.Status, 1) << limited.Err;
    EXPECT_NE(limited.Out.find("walk.key: New/walk.key: cannot write: File too large"),
              std::string::npos)
        << limited.Out;
    ExpectNothingLostOrStray({{"walk.key", key}});
    EXPECT_FALSE(fs::exists(dir / "keys/New/walk.key"));
}

TEST_F(HostileCli, NamesCanNeitherForgeLinesNorOutgrowTheNameLimit)
{
    const std::string forged = "x\nConverted:  99\n.key";
    const std::string longName = std::string(251, 'n') + ".key";  // 255 bytes
    testing::WriteFile(dir / ("keys/" + forged), key);
    testing::WriteFile(dir / ("keys/bad\r.key"), "not keyframes");
    testing::WriteFile(dir / ("keys/" + longName), key);
    // Twice: the second run replaces every output.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const ShellRun run = RunCliLine(dir, "CLI " + Args() + " >" + (dir / "out"));
        EXPECT_EQ(run.Status, 1) << run.Out << run.Err;
        EXPECT_EQ(run.Out, "4\nConverted:  3\nNot Converted:  1\n\nbad\\x0d.key: no NODES line: "
                           "this is not a keyframe file\n");
        EXPECT_TRUE(fs::exists(dir / ("keys/New/" + longName)));
    }
    const std::string output = testing::ReadFile(dir / ("keys/New/" + forged));
    EXPECT_EQ(
        output.substr(0, output.find("\r\n")).find("# KEYFRAME x\\x0aConverted:  99\\x0a.key "),
        0u);
    ExpectNothingLostOrStray({{forged, key}, {longName, key}, {"walk.key", key}});
}

}  // namespace
}  // namespace zerka
