// SPDX-License-Identifier: MIT
#include "conversion/batch_conversion.h"

#include <algorithm>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

#include "conversion/batch_summary.h"
#include "conversion/hierarchy_reader.h"
#include "conversion/key_file_list.h"
#include "keyframes/key_file_writer.h"
#include "support/test_support.h"

namespace zerka {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

Names Failures(const BatchResult &result) { return FailureLines(result); }

Names NamesIn(const fs::path &folder)
{
    Names names;
    for (const auto &item : fs::directory_iterator(folder))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class Batch : public ::testing::Test {
protected:
    void LoadHierarchies(bool old = true, bool fresh = true)
    {
        testing::WriteFile(dir / "old.3do", testing::ModelText({{"arm", "0", "0", "0"}}));
        testing::WriteFile(dir / "new.3do", testing::ModelText({{"arm", "1", "0", "0"}}));
        if (old)
            LoadHierarchy(tables, dir / "old.3do", true);
        if (fresh)
            LoadHierarchy(tables, dir / "new.3do", false);
    }

    testing::TempDir dir;
    KeyframeTables tables;
    const std::string keyText =
        testing::Crlf(testing::KeyText({{"arm", {{0, "1", "0", "0", "0", "0", "0"}}}}));
};

TEST_F(Batch, ABadFileInTheMiddleIsReportedInListOrderAndTheOthersAreConverted)
{
    LoadHierarchies();
    const fs::path keys = dir.Path() / "keys";
    fs::create_directory(keys);
    const std::string bad = "# a text file, not keyframes\r\n";
    testing::WriteFile((keys / "a.key").string(), keyText);
    testing::WriteFile((keys / "b.key").string(), bad);
    testing::WriteFile((keys / "c.KEY").string(), keyText);

    std::vector<int> progress;
    const BatchResult result = ConvertAll(tables, keys.string(), ListKeyFiles(keys.string()),
                                          [&](int done) { progress.push_back(done); });

    EXPECT_TRUE(result.Ran);
    ASSERT_EQ(result.Files.size(), 3u);
    EXPECT_EQ(result.Files[0].Name, "a.key");
    EXPECT_EQ(result.Files[2].Name, "c.KEY");
    EXPECT_EQ(result.Files[2].OutputName, "c.key");
    EXPECT_EQ(result.ConvertedCount(), 2);
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 3}));
    // The name once, the reason without the path.
    EXPECT_EQ(BatchSummaryText(result), "Converted:  2\nNot Converted:  1\n\n"
                                        "b.key: no NODES line: this is not a keyframe file");
    EXPECT_EQ(testing::ReadFile((keys / "a.key").string()), keyText);
    EXPECT_EQ(testing::ReadFile((keys / "b.key").string()), bad);
    EXPECT_EQ(NamesIn(keys), (Names{"New", "a.key", "b.key", "c.KEY"}));
    EXPECT_EQ(NamesIn(keys / "New"), (Names{"a.key", "c.key"}));
    EXPECT_NE(testing::ReadFile((keys / "New" / "c.key").string()).find("0x0000   2.00000000"),
              std::string::npos);
}

TEST_F(Batch, FailureLinesNameTheFileOnceWithTheLineOrTheOtherFile)
{
    LoadHierarchies();
    testing::WriteFile(dir / "a.key", "# k\r\nNODES 1\r\nNODE x\r\n");
    testing::WriteFile(dir / "new.3do", testing::ModelText({{"arm", "zz", "0", "0"}}));
    testing::WriteFile(dir / "b.key", keyText);
    LoadHierarchy(tables, dir / "new.3do", false, "new.3do");
    const BatchResult result = ConvertAll(tables, dir.Path().string(), {"a.key", "b.key"});
    const Names lines = Failures(result);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "b.key: new.3do, line 2 of the hierarchy section: X 'zz' is not a number");
    EXPECT_EQ(lines[0], "a.key: NODE 'x' is not a number (line 3)");
    EXPECT_FALSE(fs::exists(dir / "New"));  // made to be sure it can be written, then removed
}

TEST_F(Batch, DoesNotRunUntilBothHierarchiesAreLoaded)
{
    const struct {
        bool old, fresh;
        const char *reason;
    } rows[] = {
        {false, false,
         "Load both hierarchies first: neither the old nor the new hierarchy is loaded."},
        {false, true, "Load the old hierarchy first: no old hierarchy is loaded."},
        {true, false, "Load the new hierarchy first: no new hierarchy is loaded."},
    };
    testing::WriteFile(dir / "a.key", keyText);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.reason);
        tables = KeyframeTables();
        LoadHierarchies(row.old, row.fresh);
        const BatchResult result = ConvertAll(tables, dir.Path().string(), {"a.key"});
        EXPECT_FALSE(result.Ran);
        EXPECT_EQ(result.NotRunReason, row.reason);
        EXPECT_TRUE(result.Files.empty());
        EXPECT_FALSE(fs::exists(dir / "New"));
    }
}

TEST_F(Batch, AnEmptyListMakesNoFolder)
{
    LoadHierarchies();
    const BatchResult result = ConvertAll(tables, dir.Path().string(), {});
    EXPECT_EQ(BatchSummaryText(result), "Converted:  0\nNot Converted:  0");
    EXPECT_FALSE(fs::exists(dir / "New"));
}

TEST_F(Batch, ANewThatCannotBeWrittenStopsTheBatchBeforeAnyFileWithOneReason)
{
    const struct {
        const char *name;
        std::function<void()> makeNew;
        const char *reason;
    } rows[] = {
#if defined(_WIN32)
        {"a file", [&] { testing::WriteFile(dir / "New", "in the way"); }, "New: is not a folder"},
#else
        {"a file", [&] { testing::WriteFile(dir / "New", "in the way"); },
         "New: is not a folder: Not a directory"},
        {"a dangling link", [&] { fs::create_symlink("gone", dir.Path() / "New"); },
         "New: cannot open: No such file or directory"},
        {"a read-only folder",
         [&] {
             fs::create_directory(dir.Path() / "New");
             fs::permissions(dir.Path() / "New", fs::perms::owner_read | fs::perms::owner_exec);
         },
         "New: cannot write: Permission denied"},
#endif
    };
    LoadHierarchies();
    testing::WriteFile(dir / "a.key", keyText);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        if (std::string(row.name) == "a read-only folder" && !testing::PermissionBitsApply())
            continue;
        row.makeNew();
        int progressed = 0;
        const BatchResult result = ConvertAll(tables, dir.Path().string(), {"a.key"},
                                              [&](int) { ++progressed; });
        EXPECT_FALSE(result.Ran);
        EXPECT_EQ(result.NotRunReason, row.reason);
        EXPECT_TRUE(result.Files.empty());
        EXPECT_EQ(progressed, 0);
        EXPECT_EQ(testing::ReadFile(dir / "a.key"), keyText);
        fs::permissions(dir.Path(), fs::perms::owner_all, fs::perm_options::add);
        if (fs::is_directory(fs::symlink_status(dir.Path() / "New")))
            fs::permissions(dir.Path() / "New", fs::perms::owner_all);
        fs::remove(dir.Path() / "New");
    }
}

TEST_F(Batch, AFailedFileWhoseOutputIsLeftFromAnEarlierRunSaysSo)
{
    LoadHierarchies();
    testing::WriteFile(dir / "a.key", keyText);
    testing::WriteFile(dir / "b.key", "# k\r\nNODES 1\r\nNODE x\r\n");
    ConvertAll(tables, dir.Path().string(), {"a.key"});
    testing::WriteFile(dir / "a.key", "# k\r\nNODES 1\r\nNODE x\r\n");
    const BatchResult result = ConvertAll(tables, dir.Path().string(), {"a.key", "b.key"});
    EXPECT_EQ(Failures(result),
              (Names{testing::Native("a.key: NODE 'x' is not a number (line 3); New/a.key is from an earlier run"),
                     "b.key: NODE 'x' is not a number (line 3)"}));

    // Written by this run, from another file of the same output name: no earlier run's.
    if (!testing::FolderTellsCaseApart(dir.Path()))
        return;
    testing::WriteFile(dir / "A.key", "# k\r\nNODES 1\r\nNODE x\r\n");
    testing::WriteFile(dir / "a.key", keyText);
    fs::remove(dir.Path() / "New" / "a.key");
    EXPECT_EQ(Failures(ConvertAll(tables, dir.Path().string(), {"A.key", "a.key"})),
              Names{"A.key: NODE 'x' is not a number (line 3)"});
}

TEST_F(Batch, NamesDifferingOnlyInCaseDoNotOverwriteEachOthersOutput)
{
    if (!testing::FolderTellsCaseApart(dir.Path()))
        GTEST_SKIP() << "a.KEY and a.key are one file here";
    LoadHierarchies();
    // Listed as "a.KEY" then "a.key"; both would be written as New/a.key.
    testing::WriteFile(dir / "a.KEY", keyText);
    testing::WriteFile(dir / "a.key", testing::Crlf(testing::KeyText(
                                          {{"arm", {{0, "7", "0", "0", "0", "0", "0"}}}})));
    const BatchResult result =
        ConvertAll(tables, dir.Path().string(), ListKeyFiles(dir.Path().string()));
    EXPECT_EQ(Failures(result),
              Names{testing::Native("a.key: New/a.key was already written from another file of this folder")});
    EXPECT_NE(testing::ReadFile(dir / "New/a.key").find("0x0000   2.00000000"), std::string::npos);
}

TEST_F(Batch, AnOutputReplacingOtherContentKeepsItUnderTheNextNumberedName)
{
    LoadHierarchies();
    // At the old model's arm, as an animation made for it is.
    testing::WriteFile(dir / "walk.key", testing::Crlf(testing::KeyText(
                                             {{"arm", {{0, "0", "0", "0", "0", "0", "0"}}}})));
    fs::create_directory(dir.Path() / "New");
    const std::string edited = "edited by hand\r\n";
    testing::WriteFile(dir / "New/walk.key", edited);
    const std::string kept1 =
        testing::Native("walk.key: New/walk.key held other content; kept as New/walk.key.~1~");
    const struct {
        const char *step;
        const char *newX;  // where the new model has the arm
        bool dryRun, copied;
        Names inNew, warnings;
    } steps[] = {
        {"a dry run says what it would keep", "1", true, false, {"walk.key"},
         {testing::Native("walk.key: New/walk.key holds other content; would keep it as New/walk.key.~1~")}},
        {"the hand edit is kept", "1", false, false, {"walk.key", "walk.key.~1~"}, {kept1}},
        {"the same result again keeps nothing", "1", false, false, {"walk.key", "walk.key.~1~"}, {}},
        {"another result keeps the one before, a copy where there are no links", "2", false, true,
         {"walk.key", "walk.key.~1~", "walk.key.~2~"},
         {testing::Native("walk.key: New/walk.key held other content; kept as New/walk.key.~2~")}},
    };
    std::string before;
    for (const auto &step : steps) {
        SCOPED_TRACE(step.step);
        before = testing::ReadFile(dir / "New/walk.key");
        testing::WriteFile(dir / "new.3do", testing::ModelText({{"arm", step.newX, "0", "0"}}));
        LoadHierarchy(tables, dir / "new.3do", false);
        BatchOptions options;
        options.DryRun = step.dryRun;
        options.Write.CopiedBackups = step.copied;
        const BatchResult result = ConvertAll(tables, dir.Path().string(), {"walk.key"}, {}, options);
        EXPECT_EQ(result.ConvertedCount(), 1);
        EXPECT_EQ(NamesIn(dir.Path() / "New"), step.inNew);
        EXPECT_EQ(WarningLines(result), step.warnings);
    }
    EXPECT_EQ(testing::ReadFile(dir / "New/walk.key.~1~"), edited);
    EXPECT_EQ(testing::ReadFile(dir / "New/walk.key.~2~"), before);
    EXPECT_NE(testing::ReadFile(dir / "New/walk.key"), before);
}

#if !defined(_WIN32)
TEST_F(Batch, AnOutputWhoseEarlierOneCannotBeKeptIsNotConvertedAndLeavesItInPlace)
{
    LoadHierarchies();
    testing::WriteFile(dir / "walk.key", keyText);
    fs::create_directory(dir.Path() / "New");
    ASSERT_EQ(::mkfifo((dir / "New/walk.key").c_str(), 0644), 0);
    BatchOptions options;
    options.Write.CopiedBackups = true;  // a FIFO cannot be copied
    const BatchResult result = ConvertAll(tables, dir.Path().string(), {"walk.key"}, {}, options);
    EXPECT_EQ(Failures(result),
              Names{"walk.key: New/walk.key: cannot keep it as New/walk.key.~1~: is not a regular "
                    "file (a FIFO, a device or a socket); New/walk.key is from an earlier run"});
    EXPECT_TRUE(fs::is_fifo(dir.Path() / "New/walk.key"));
    EXPECT_EQ(NamesIn(dir.Path() / "New"), Names{"walk.key"});
}
#endif

TEST(ListKeyFiles, OffersRegularVisibleKeyFilesSortedIgnoringCase)
{
    testing::TempDir dir;
    for (const char *name :
         {"b.KEY", "a.key", "C.Key", ".hidden.key", "notes.txt", "x.key.bak", "key"})
        testing::WriteFile(dir / name, "");
    fs::create_directory(dir / "folder.key");
    EXPECT_EQ(ListKeyFiles(dir.Path().string()), (Names{"a.key", "b.KEY", "C.Key"}));
    const FileError error =
        testing::ExpectFileError([&] { ListKeyFiles(dir / "missing"); }, ErrorCode::FileNotFound);
    EXPECT_EQ(error.Description, "not a folder");
}

TEST(ListKeyFiles, FoldsOnlyAsciiLettersAndComparesEveryByteUnsigned)
{
    testing::TempDir dir;
    Names sorted = {"_.key", "A.key", "a.key",    "b.KEY",
                    "z.key", "~.key", "\x7F.key", "\xC3\xA4.key"};
    if (!testing::FolderTellsCaseApart(dir.Path()))
        sorted.erase(std::find(sorted.begin(), sorted.end(), "a.key"));  // it is A.key there
    for (const std::string &name : sorted)
        testing::WriteFile(dir / name, "");
    EXPECT_EQ(ListKeyFiles(dir.Path().string()), sorted);
}

TEST(OutputName, DropsTheLastFourCharactersAndAddsKey)
{
    EXPECT_EQ(OutputNameFor("walk.KEY"), "walk.key");
    EXPECT_EQ(OutputNameFor("run2"), ".key");
    testing::ExpectFileError([] { OutputNameFor("abc"); }, ErrorCode::InvalidArgument);
}

}  // namespace
}  // namespace zerka

namespace zerka {
namespace {

std::map<std::string, std::string> FilesIn(const fs::path &folder)
{
    std::map<std::string, std::string> files;
    for (const auto &item : fs::directory_iterator(folder))
        files[item.path().filename().string()] = testing::ReadFile(item.path().string());
    return files;
}

// The folder's key files and, where there are FIFOs, one that the listing did not see.
Names Listed(const std::string &folder)
{
    Names names = ListKeyFiles(folder);
#if !defined(_WIN32)
    names.push_back("k9999.key");
#endif
    return names;
}

// Two workers give what one gives: the same bytes, outcomes in list order (a bad file, a
// name taken twice) and the caller's tables holding the last file, converted.
TEST(BatchWorkers, TwoWorkersGiveExactlyWhatOneGives)
{
    testing::TempDir dir;
    testing::WriteFile(dir / "old.3do",
                       testing::ModelText({{"hips", "0", "0", "0"}, {"arm", "0", "1", "0"}}));
    testing::WriteFile(dir / "new.3do",
                       testing::ModelText({{"hips", "0", "0", "1"}, {"arm", "0.5", "2", "0"}}));
    for (const char *run : {"one", "two"}) {
        const fs::path keys = dir.Path() / run;
        fs::create_directory(keys);
        for (int i = 0; i < 300; ++i) {
            std::vector<testing::EntrySpec> entries;
            for (int b = 0; b <= i % 7; ++b)
                entries.push_back({b * 5, std::to_string(i * 0.125 + b), std::to_string(b), "-1",
                                   "1", b % 2 ? "0" : "0.5", "1"});
            testing::WriteFile((keys / ("k" + std::to_string(1000 + i) + ".key")).string(),
                               testing::Crlf(testing::KeyText({{"hips", entries}, {"arm", entries}},
                                                              i % 3 ? "0x0000" : "0x0003")));
        }
        testing::WriteFile((keys / "k1100.KEY").string(), "no keyframes");
#if !defined(_WIN32)
        // Swapped in after the listing, last and never read: the tables keep the one before.
        ASSERT_EQ(::mkfifo((keys / "k9999.key").c_str(), 0600), 0);
#endif
        testing::WriteFile((keys / "k1150.KEY").string(),
                           testing::ReadFile((keys / "k1001.key").string()));
    }
    KeyframeTables one, two;
    for (KeyframeTables *tables : {&one, &two}) {
        LoadHierarchy(*tables, dir / "old.3do", true);
        LoadHierarchy(*tables, dir / "new.3do", false);
    }
    BatchOptions oneWorker{1};
    oneWorker.MarkerDate = "01/01/70 00:00:00";
    BatchOptions twoWorkers = oneWorker;
    twoWorkers.Workers = 2;
    const BatchResult byOne = ConvertAll(one, dir / "one", Listed(dir / "one"), {}, oneWorker);
    std::vector<int> progress;
    const BatchResult byTwo = ConvertAll(
        two, dir / "two", Listed(dir / "two"), [&](int done) { progress.push_back(done); },
        twoWorkers);

    // Where case is not told apart, each .KEY file was written over its .key file instead.
    const bool caseApart = testing::FolderTellsCaseApart(dir.Path());
#if defined(_WIN32)
    const int fifos = 0;
#else
    const int fifos = 1;
#endif
    EXPECT_EQ(BatchSummaryText(byTwo), BatchSummaryText(byOne));
    EXPECT_EQ(byOne.NotConvertedCount(), (caseApart ? 2 : 1) + fifos);
    ASSERT_EQ(progress.size(), (caseApart ? 302u : 300u) + fifos);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_TRUE(FilesIn(dir.Path() / "two/New") == FilesIn(dir.Path() / "one/New"));
    EXPECT_EQ(FilesIn(dir.Path() / "two/New").size(), caseApart ? 300u : 299u);
    EXPECT_EQ(two.SourceFileName, one.SourceFileName);
    EXPECT_EQ(BuildKeyText(two, "now"), BuildKeyText(one, "now"));
    EXPECT_EQ(two.MatchedCount, one.MatchedCount);
}

}  // namespace
}  // namespace zerka
