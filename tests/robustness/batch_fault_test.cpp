// SPDX-License-Identifier: MIT
// Faults around a batch: the output folder cannot be made or written, a listed file goes
// away or changes before its turn, an earlier output stands where a new one fails. In
// every case the sources stay byte-identical, no temporary file is left, the file is
// reported "Not Converted" with its reason, and the other files are converted.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "conversion/batch_conversion.h"
#include "conversion/batch_summary.h"
#include "conversion/hierarchy_reader.h"
#include "conversion/key_file_list.h"
#include "keyframes/key_file_reader.h"
#include "support/test_support.h"

namespace zerka {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

using Snapshot = std::map<std::string, std::string>;

// Every regular file under folder, by relative path, with its bytes.
Snapshot TakeSnapshot(const fs::path &folder, bool withNew)
{
    Snapshot files;
    for (auto it = fs::recursive_directory_iterator(folder);
         it != fs::recursive_directory_iterator(); ++it) {
        const fs::path relative = it->path().lexically_relative(folder);
        if (!withNew && *relative.begin() == "New") {
            if (it->is_directory())
                it.disable_recursion_pending();
            continue;
        }
        if (!it->is_symlink() && it->is_regular_file())
            files[relative.string()] = ReadFile(it->path().string());
    }
    return files;
}

std::vector<std::string> HiddenNamesUnder(const fs::path &folder)
{
    std::vector<std::string> names;
    for (const auto &item : fs::recursive_directory_iterator(folder))
        if (item.path().filename().string().front() == '.')
            names.push_back(item.path().string());
    return names;
}

struct NotPossibleHere {
    std::string why;
};

bool SetImmutable(const std::string &folder, bool on)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done && ((flags & FS_IMMUTABLE_FL) != 0) != on) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

// Takes the immutable flag off again, even when the test stops early, so the folder can go.
struct ImmutableUndo {
    std::string folder;
    ~ImmutableUndo() { SetImmutable(folder, false); }
};

struct Fault {
    const char *what;
    bool needsPermissions;  // bites only when not running as root
    std::function<void(const TempDir &)> setUp;  // before the batch
    std::function<void(const TempDir &)> atTurnOfB;  // just before b.key's turn
    std::vector<std::string> failing;
    std::string reason;
    std::vector<std::string> changedSources;  // files the fault itself changes
};

void PrintTo(const Fault &fault, std::ostream *out) { *out << fault.what; }

class BatchFault : public ::testing::TestWithParam<Fault> { };

TEST_P(BatchFault, LeavesSourcesAndEarlierOutputsAndReportsTheFile)
{
    const Fault &fault = GetParam();
    if (fault.needsPermissions && ::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root";

    TempDir dir;
    KeyframeTables tables;
    WriteFile(dir / "old.3do",
              testing::ModelText({{"hips", "0", "0", "0"}, {"arm", "0", "1", "0"}}));
    WriteFile(dir / "new.3do",
              testing::ModelText({{"hips", "0", "0", "1"}, {"arm", "0", "2", "0"}}));
    LoadHierarchy(tables, dir / "old.3do", true);
    LoadHierarchy(tables, dir / "new.3do", false);
    const testing::NodeSpec node{
        "mesh", {{0, "0", "0", "0", "1", "1", "1"}, {24, "1", "2", "3", "0", "0", "0"}}};
    for (const char *name : {"a.key", "b.key", "c.key"})
        WriteFile(dir / name, testing::Crlf(testing::KeyText({node, node})));
    const ImmutableUndo undo{dir / "New"};
    try {
        fault.setUp(dir);
    } catch (const NotPossibleHere &reason) {
        GTEST_SKIP() << reason.why;
    }

    const Snapshot before = TakeSnapshot(dir.Path(), true);
    // Progress comes after each file, so with one worker the fault strikes just before
    // b.key's turn, as another program or a person might while the batch runs. CTest runs
    // the suite once more with ZERKA_NAMED_TEMPORARIES set, for the path of file systems
    // that cannot make unnamed files.
    BatchOptions options{1};
    options.Write.NamedTemporaries = std::getenv("ZERKA_NAMED_TEMPORARIES") != nullptr;
    const BatchResult result = ConvertAll(
        tables, dir.Path().string(), ListKeyFiles(dir.Path().string()),
        [&](int done) {
            if (done == 1)
                fault.atTurnOfB(dir);
        },
        options);

    SetImmutable(dir / "New", false);
    // Sources and anything that stood in New before are as they were. Read permission is
    // given back first, where a fault took it, so the bytes can be compared.
    for (const auto &item : fs::recursive_directory_iterator(dir.Path()))
        if (!item.is_symlink())
            fs::permissions(item.path(), fs::perms::owner_read | fs::perms::owner_exec,
                            fs::perm_options::add);
    Snapshot after = TakeSnapshot(dir.Path(), true);
    for (const auto &[path, bytes] : before) {
        if (std::find(fault.changedSources.begin(), fault.changedSources.end(), path) !=
            fault.changedSources.end())
            continue;
        ASSERT_TRUE(after.count(path)) << path << " is gone";
        EXPECT_EQ(after[path], bytes) << path << " changed";
    }
    EXPECT_EQ(HiddenNamesUnder(dir.Path()), std::vector<std::string>{});

    if (!result.Ran) {
        // New cannot be made or written: the batch says so once and converts nothing.
        EXPECT_NE(result.NotRunReason.find(fault.reason), std::string::npos)
            << result.NotRunReason;
        EXPECT_EQ(fault.failing, (std::vector<std::string>{"a.key", "b.key", "c.key"}));
        EXPECT_TRUE(result.Files.empty());
        return;
    }
    std::vector<std::string> failed;
    const std::string summary = BatchSummaryText(result);
    for (const FileOutcome &file : result.Files) {
        if (file.Converted)
            continue;
        failed.push_back(file.Name);
        EXPECT_NE(file.Reason.find(fault.reason), std::string::npos) << file.Reason;
        EXPECT_NE(summary.find(file.Name + ": " + file.Reason), std::string::npos);
    }
    EXPECT_EQ(failed, fault.failing);
    EXPECT_EQ(result.ConvertedCount(), 3 - static_cast<int>(fault.failing.size()));
    for (const char *name : {"a.key", "b.key", "c.key"}) {
        const std::string output = "New/" + std::string(name);
        if (std::find(failed.begin(), failed.end(), name) != failed.end() ||
            std::find(fault.changedSources.begin(), fault.changedSources.end(), output) !=
                fault.changedSources.end())
            continue;
        KeyframeTables check;
        LoadKeyFile(check, dir / output);
        EXPECT_EQ(check.KeyNodeCount, 2) << name;
    }
}

// Permission bits do not stop root, so there the folder is made immutable instead, which
// does; where the file system has no such flag the row is skipped.
void MakeFolderReadOnly(const std::string &path)
{
    fs::create_directory(path);
    if (::geteuid() != 0)
        fs::permissions(path, fs::perms::owner_read | fs::perms::owner_exec);
    else if (!SetImmutable(path, true))
        throw NotPossibleHere{"the file system cannot make a folder immutable"};
}

INSTANTIATE_TEST_SUITE_P(
    Robustness, BatchFault,
    ::testing::Values(
        Fault{"a file named New stands where the folder goes",
              false,
              [](const TempDir &d) { WriteFile(d / "New", "not a folder"); },
              [](const TempDir &) {},
              {"a.key", "b.key", "c.key"},
              "Not a directory",
              {}},
        Fault{"the New folder is read-only",
              false,
              [](const TempDir &d) { MakeFolderReadOnly(d / "New"); },
              [](const TempDir &) {},
              {"a.key", "b.key", "c.key"},
              "cannot write",
              {}},
        Fault{"a listed file is deleted before its turn",
              false,
              [](const TempDir &) {},
              [](const TempDir &d) { fs::remove(d / "b.key"); },
              {"b.key"},
              "No such file",
              {"b.key"}},
        Fault{"a listed file is replaced by a folder before its turn",
              false,
              [](const TempDir &) {},
              [](const TempDir &d) {
                  fs::remove(d / "b.key");
                  fs::create_directory(d / "b.key");
              },
              {"b.key"},
              "is a folder",
              {"b.key"}},
        Fault{"a listed file is cut short before its turn",
              false,
              [](const TempDir &) {},
              [](const TempDir &d) { fs::resize_file(d / "b.key", 60); },
              {"b.key"},
              "no NODES line",
              {"b.key"}},
        Fault{"a listed file becomes a link to itself before its turn",
              false,
              [](const TempDir &) {},
              [](const TempDir &d) {
                  fs::remove(d / "b.key");
                  fs::create_symlink("b.key", d / "b.key");
              },
              {"b.key"},
              "Too many levels of symbolic links",
              {"b.key"}},
        Fault{"New is a link to the listed folder",
              false,
              [](const TempDir &d) { fs::create_directory_symlink(".", d.Path() / "New"); },
              [](const TempDir &) {},
              {"a.key", "b.key", "c.key"},
              "the output folder New is the source folder",
              {}},
        Fault{"New is a link to the listed folder by its full path",
              false,
              [](const TempDir &d) { fs::create_directory_symlink(d.Path(), d.Path() / "New"); },
              [](const TempDir &) {},
              {"a.key", "b.key", "c.key"},
              "the output folder New is the source folder",
              {}},
        Fault{"a listed file is a link to its own output in New",
              false,
              [](const TempDir &d) {
                  fs::create_directory(d / "New");
                  fs::rename(d / "b.key", d / "New/b.key");
                  fs::create_symlink("New/b.key", d / "b.key");
              },
              [](const TempDir &) {},
              {"b.key"},
              "is a listed file itself",
              {}},
        Fault{"a listed file is replaced by a FIFO before its turn",
              false,
              [](const TempDir &) {},
              [](const TempDir &d) {
                  fs::remove(d / "b.key");
                  ASSERT_EQ(::mkfifo((d / "b.key").c_str(), 0600), 0);
              },
              {"b.key"},
              "is not a regular file",
              {"b.key"}},
        Fault{"a listed file becomes a link to an endless device before its turn",
              false,
              [](const TempDir &) {},
              [](const TempDir &d) {
                  fs::remove(d / "b.key");
                  fs::create_symlink("/dev/zero", d / "b.key");
              },
              {"b.key"},
              "is not a regular file",
              {"b.key"}},
        Fault{"a listed file grows past 64 MiB before its turn",
              false,
              [](const TempDir &) {},
              [](const TempDir &d) { fs::resize_file(d / "b.key", (64u << 20) + 1); },
              {"b.key"},
              "larger than 64 MiB",
              {"b.key"}},
        Fault{"a listed file is made unreadable before its turn",
              true,
              [](const TempDir &) {},
              [](const TempDir &d) { fs::permissions(d / "b.key", fs::perms::none); },
              {"b.key"},
              "Permission denied",
              {}},
        Fault{"an earlier output stands and the new conversion fails",
              false,
              [](const TempDir &d) {
                  fs::create_directory(d / "New");
                  WriteFile(d / "New/b.key", "an earlier output\r\n");
                  WriteFile(d / "b.key",
                            "# k\r\nNODES 1\r\nNODE 0\r\nENTRIES 1\r\n 0: 0 0x0 one 2 3 0 0 0\r\n"
                            " 0 0 0 0 0 0\r\n");
              },
              [](const TempDir &) {},
              {"b.key"},
              "'one' is not a number",
              {}},
        Fault{"a folder stands where the output goes",
              false,
              [](const TempDir &d) {
                  fs::create_directories(d / "New/b.key");
                  WriteFile(d / "New/b.key/kept.txt", "kept");
              },
              [](const TempDir &) {},
              {"b.key"},
              "cannot replace",
              {}},
        // Outputs are named only once a group is durable, so a.key's goes with the folder;
        // which call fails first, and so the reason, depends on how outputs are staged.
        Fault{"the New folder is removed and a file put in its place mid-batch",
              false,
              [](const TempDir &) {},
              [](const TempDir &d) {
                  fs::remove_all(d / "New");
                  WriteFile(d / "New", "squatter");
              },
              {"a.key", "b.key", "c.key"},
              "New/",
              {}}),
    [](const ::testing::TestParamInfo<Fault> &param) {
        std::string name;
        for (const char c : std::string(param.param.what))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

// A New this run made for nothing is not left behind: the first write into it, the check
// that it can be written, fails here.
TEST(BatchOutput, ANewMadeForARunThatCannotWriteGoesAgain)
{
    TempDir dir;
    KeyframeTables tables;
    WriteFile(dir / "old.3do", testing::ModelText({{"arm", "0", "0", "0"}}));
    WriteFile(dir / "new.3do", testing::ModelText({{"arm", "1", "0", "0"}}));
    LoadHierarchy(tables, dir / "old.3do", true);
    LoadHierarchy(tables, dir / "new.3do", false);
    WriteFile(dir / "a.key", testing::Crlf(testing::KeyText({{"arm", {{0, "0", "0", "0", "0", "0", "0"}}}})));
    BatchOptions options{1};
    options.Write.Step = [] { throw FileError(ErrorCode::DeviceIo, "New", 0, "cannot write: the disk failed"); };
    const BatchResult result = ConvertAll(tables, dir.Path().string(), {"a.key"}, {}, options);
    EXPECT_FALSE(result.Ran);
    EXPECT_EQ(result.NotRunReason, "New: cannot write: the disk failed");
    EXPECT_FALSE(fs::exists(dir / "New"));
}

}  // namespace
}  // namespace zerka
