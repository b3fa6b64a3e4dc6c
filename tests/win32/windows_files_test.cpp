// SPDX-License-Identifier: MIT
// The Windows file layer where Windows differs: paths past MAX_PATH, and files another
// program holds open.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <filesystem>

#include "conversion/batch_conversion.h"
#include "conversion/batch_summary.h"
#include "conversion/hierarchy_reader.h"
#include "keyframes/files_internal.h"
#include "support/test_support.h"

namespace zerka {
namespace {

namespace fs = std::filesystem;

class WindowsBatch : public ::testing::Test {
protected:
    // The models and one key file in folder, the models loaded.
    void Prepare(const fs::path &folder)
    {
        fs::create_directories(folder);
        testing::WriteFile((folder / "old.3do").string(), testing::ModelText({{"arm", "0", "0", "0"}}));
        testing::WriteFile((folder / "new.3do").string(), testing::ModelText({{"arm", "1", "0", "0"}}));
        testing::WriteFile((folder / "a.key").string(),
                           testing::Crlf(testing::KeyText({{"arm", {{0, "1", "0", "0", "0", "0", "0"}}}})));
        LoadHierarchy(tables, (folder / "old.3do").string(), true);
        LoadHierarchy(tables, (folder / "new.3do").string(), false);
    }

    testing::TempDir dir;
    KeyframeTables tables;
};

// Wine takes plain paths past MAX_PATH, so the batch below cannot tell whether a path was
// made long; what LongPath makes is checked against the working folder itself.
TEST(LongPath, IsTheWholeNormalisedPathWithTheExtendedPrefix)
{
    std::wstring working(32768, L'\0');
    working.resize(::GetCurrentDirectoryW(static_cast<DWORD>(working.size()), working.data()));
    ASSERT_FALSE(working.empty());
    if (working.back() == L'\\')
        working.pop_back();
    const std::wstring got = files_detail::LongPath("anims/../keys/walk.key", "walk.key", "cannot open");
    EXPECT_TRUE(got == L"\\\\?\\" + working + L"\\keys\\walk.key")
        << ::testing::PrintToString(got);
}

TEST_F(WindowsBatch, AFolderPastMaxPathConverts)
{
    fs::path folder = dir.Path();
    while (folder.native().size() < 300)
        folder /= "a folder of animations";
    Prepare(folder);
    const BatchResult result = ConvertAll(tables, folder.string(), {"a.key"});
    EXPECT_EQ(result.NotRunReason, "");
    EXPECT_EQ(BatchSummaryText(result), "Converted:  1\nNot Converted:  0");
    EXPECT_TRUE(fs::is_regular_file(folder / "New" / "a.key"));
}

TEST_F(WindowsBatch, AnOutputAnotherProgramHoldsOpenFailsInPlainWords)
{
    Prepare(dir.Path());
    ConvertAll(tables, dir.Path().string(), {"a.key"});
    testing::WriteFile((dir.Path() / "old.3do").string(), testing::ModelText({{"arm", "2", "0", "0"}}));
    LoadHierarchy(tables, (dir.Path() / "old.3do").string(), true);
    // As an editor holds a file it has open: shared for reading only.
    const HANDLE held = ::CreateFileW((dir.Path() / "New" / "a.key").c_str(), GENERIC_READ,
                                      FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const BatchResult result = ConvertAll(tables, dir.Path().string(), {"a.key"});
    ::CloseHandle(held);
    ASSERT_EQ(result.Files.size(), 1u);
    EXPECT_EQ(result.Files[0].Reason, "New\\a.key: cannot replace: in use by another program; "
                                      "New\\a.key is from an earlier run");
}

// Windows does not tell case apart: a backup another tool named in capitals still takes
// its number.
TEST_F(WindowsBatch, ABackupNamedInOtherCaseKeepsItsNumber)
{
    Prepare(dir.Path());
    fs::create_directory(dir.Path() / "New");
    testing::WriteFile((dir.Path() / "New" / "a.key").string(), "edited by hand\r\n");
    testing::WriteFile((dir.Path() / "New" / "A.KEY.~1~").string(), "an earlier backup\r\n");
    const BatchResult result = ConvertAll(tables, dir.Path().string(), {"a.key"});
    ASSERT_EQ(result.Files.size(), 1u);
    EXPECT_EQ(result.Files[0].Reason, "");
    ASSERT_FALSE(result.Files[0].Warnings.empty());
    EXPECT_EQ(result.Files[0].Warnings.back(), "New\\a.key held other content; kept as New\\a.key.~2~");
    EXPECT_EQ(testing::ReadFile((dir.Path() / "New" / "a.key.~2~").string()), "edited by hand\r\n");
}

}  // namespace
}  // namespace zerka
