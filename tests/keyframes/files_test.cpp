// SPDX-License-Identifier: MIT
#include "keyframes/files.h"
#include "keyframes/files_internal.h"

#include <algorithm>
#include <filesystem>

#include "support/test_support.h"

namespace zerka {
namespace {

namespace fs = std::filesystem;
using testing::ExpectFileError;

std::vector<std::string> NamesIn(const fs::path &folder)
{
    std::vector<std::string> names;
    for (const auto &item : fs::directory_iterator(folder))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Stages and publishes text as name in box, as a batch writes an output; named: under a
// temporary name, as where a file system has no unnamed files.
void Publish(const fs::path &box, const std::string &name, std::string_view text, bool named)
{
    const Folder parent = Folder::Open(box.parent_path().string(), "dir");
    OutputFolder output = OutputFolder::OpenChild(parent, box.filename().string(), {named, {}});
    StagedFile staged = output.Stage(text, name);
    output.Publish(staged);
    output.SyncNames();
}

TEST(OutputFolder, PublishReplacesTheWholeTargetAndLeavesNoTemporaryFile)
{
    for (const bool named : {false, true}) {
        SCOPED_TRACE(named);
        testing::TempDir dir;
        const fs::path box = dir.Path() / "box";
        fs::create_directory(box);
        testing::WriteFile((box / "out.key").string(), std::string(5000, 'x'));
        const std::string text("short\r\n\0tail\r\n", 14);
        Publish(box, "out.key", text, named);
        EXPECT_EQ(testing::ReadFile((box / "out.key").string()), text);
        Publish(box, "new.key", "", named);
        EXPECT_EQ(testing::ReadFile((box / "new.key").string()), "");
        EXPECT_EQ(NamesIn(box), (std::vector<std::string>{"new.key", "out.key"}));
    }
}

TEST(OutputFolder, AFailedWriteLeavesTheTargetAsItWasAndNoTemporaryFile)
{
    const bool bitsApply = testing::PermissionBitsApply();
    const struct {
        const char *name;
        std::string target;  // inside "box"
        bool needsPermissionBits;
        ErrorCode code;
    } rows[] = {
        {"read-only folder", "out.key", true, ErrorCode::PermissionDenied},
        {"target is a folder", "sub", false, ErrorCode::PathAccess},
    };
    for (const bool named : {false, true}) {
        for (const auto &row : rows) {
            SCOPED_TRACE(std::string(row.name) + (named ? ", named" : ""));
            if (row.needsPermissionBits && !bitsApply)
                continue;
            testing::TempDir dir;
            const fs::path box = dir.Path() / "box";
            fs::create_directories(box / "sub");
            testing::WriteFile((box / "out.key").string(), "old bytes\r\n");
            testing::WriteFile((box / "sub" / "inner.key").string(), "inner");
            if (row.needsPermissionBits)
                fs::permissions(box, fs::perms::owner_read | fs::perms::owner_exec);

            const FileError error = ExpectFileError(
                [&] { Publish(box, row.target, "new bytes", named); }, row.code);
            EXPECT_EQ(error.File, testing::Native("box/" + row.target));

            fs::permissions(box, fs::perms::owner_all);
            EXPECT_EQ(testing::ReadFile((box / "out.key").string()), "old bytes\r\n");
            EXPECT_EQ(testing::ReadFile((box / "sub" / "inner.key").string()), "inner");
            EXPECT_EQ(NamesIn(box), (std::vector<std::string>{"out.key", "sub"}));
            EXPECT_EQ(NamesIn(box / "sub"), std::vector<std::string>{"inner.key"});
        }
    }
}

TEST(InputFile, ReadErrorsSayWhyAndNameTheFile)
{
    testing::TempDir dir;
    testing::WriteFile(dir / "locked.key", "x");
    fs::permissions(dir / "locked.key", fs::perms::none);
    fs::create_directory(dir / "folder.key");
    const struct {
        const char *name;
        ErrorCode code;
    } rows[] = {
        {"missing.key", ErrorCode::FileNotFound},
        {"folder.key", ErrorCode::PathAccess},
        {"locked.key", ErrorCode::PermissionDenied},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        if (row.code == ErrorCode::PermissionDenied && !testing::PermissionBitsApply())
            continue;
        const FileError error = ExpectFileError(
            [&] { InputFile::Open(dir / row.name, dir / row.name).ReadAll(); }, row.code);
        EXPECT_EQ(error.File, dir / row.name);
        EXPECT_EQ(error.Line, 0);
    }
}

// Each system tells folders apart its own way (device and inode, or volume serial and file
// index); a folder must be known again whatever path or link leads to it, or an output
// folder linked back to its parent would replace the sources.
TEST(Folder, IsKnownAgainWhateverPathLeadsToIt)
{
    testing::TempDir dir;
    fs::create_directory(dir.Path() / "sub");
    const Folder folder = Folder::Open(dir.Path().string(), "dir");
    EXPECT_TRUE(folder.SameAs(Folder::Open(dir / "sub/..", "again")));
    EXPECT_FALSE(folder.SameAs(Folder::Open(dir / "sub", "sub")));

    std::error_code ec;
    fs::create_directory_symlink(dir.Path(), dir.Path() / "New", ec);
    if (ec)
        return;  // no folder links here (wine has none)
    const FileError error = ExpectFileError([&] { OutputFolder::OpenChild(folder, "New"); },
                                            ErrorCode::PathAccess);
    EXPECT_EQ(error.Description, "the output folder New is the source folder");
}

// Windows refuses a path past 260 characters unless it is written whole with \\?\ in front.
TEST(Folder, LongPathsAreWrittenInTheFormThatPassesTheLimit)
{
    const struct {
        std::wstring_view full, extended;
    } rows[] = {
        {L"C:\\anims\\walk.key", L"\\\\?\\C:\\anims\\walk.key"},
        {L"z:\\", L"\\\\?\\z:\\"},
        {L"\\\\server\\share\\anims", L"\\\\?\\UNC\\server\\share\\anims"},
        // Already extended, a device, or not full: the system reads them as they are.
        {L"\\\\?\\C:\\anims", L"\\\\?\\C:\\anims"},
        {L"\\\\?\\UNC\\server\\share", L"\\\\?\\UNC\\server\\share"},
        {L"\\\\.\\COM1", L"\\\\.\\COM1"},
        {L"anims\\walk.key", L"anims\\walk.key"},
        {L"C:anims", L"C:anims"},
        {L"1:\\anims", L"1:\\anims"},
        {L"", L""},
    };
    for (const auto &row : rows)
        EXPECT_TRUE(files_detail::ExtendedPath(row.full) == row.extended)
            << std::string(row.full.begin(), row.full.end());
}

#if !defined(_WIN32)
// Outputs skip their own fdatasync only where syncfs reports every file's errors.
TEST(OutputFolder, TrustsSyncfsWithErrorsFromLinux517On)
{
    for (const char *release : {"5.17.0", "5.19.0-46-generic", "6.1.0-13-amd64", "10.0"})
        EXPECT_TRUE(files_detail::SyncfsReportsWritebackErrors(release)) << release;
    for (const char *release :
         {"5.16.20", "5.10.0-28-amd64", "5.8.0", "4.19.0", "5", "5.", "", "x.9", "-6.1"})
        EXPECT_FALSE(files_detail::SyncfsReportsWritebackErrors(release)) << release;
}
#endif

}  // namespace
}  // namespace zerka
