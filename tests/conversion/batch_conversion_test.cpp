#include "conversion/batch_conversion.h"

#include <algorithm>
#include <filesystem>

#include "conversion/hierarchy_reader.h"
#include "support/test_support.h"

namespace zerka {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// Records what the window would show, in order.
class RecordingView : public BatchView {
public:
    explicit RecordingView(std::string directory) : directory_(std::move(directory)) { }

    std::string ListedDirectory() const override { return directory_; }
    Names ListedFiles() const override { return ListKeyFiles(directory_); }
    void SetListsEnabled(bool enabled) override
    {
        Events.push_back(enabled ? "lists on" : "lists off");
    }
    void ClearInfoText() override { Events.push_back("info cleared"); }
    void ShowMessage(const std::string &text) override { Events.push_back("box " + text); }
    void SetProgressMaximum(int maximum) override
    {
        Events.push_back("max " + std::to_string(maximum));
    }
    void SetProgressValue(int value) override
    {
        Events.push_back("value " + std::to_string(value));
    }

    Names Events;

private:
    std::string directory_;
};

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

TEST_F(Batch, ABadFileInTheMiddleIsReportedAndTheOthersAreConverted)
{
    LoadHierarchies();
    const fs::path keys = dir.Path() / "keys";
    fs::create_directory(keys);
    const std::string bad = "# a text file, not keyframes\r\n";
    testing::WriteFile((keys / "a.key").string(), keyText);
    testing::WriteFile((keys / "b.key").string(), bad);
    testing::WriteFile((keys / "c.KEY").string(), keyText);

    RecordingView view(keys.string());
    const BatchResult result = ConvertAll(tables, view);

    EXPECT_EQ(result.Converted, 2);
    const std::string reason =
        (keys / "b.key").string() + ": no NODES line: this is not a keyframe file";
    EXPECT_EQ(
        view.Events,
        (Names{"lists off", "info cleared", "box 3", "max 3", "value 1", "value 2", "value 3",
               "lists on", "box Converted:  2\r\nNot Converted:  1\r\n\r\nb.key: " + reason}));
    EXPECT_EQ(testing::ReadFile((keys / "a.key").string()), keyText);
    EXPECT_EQ(testing::ReadFile((keys / "b.key").string()), bad);
    EXPECT_EQ(NamesIn(keys), (Names{"New", "a.key", "b.key", "c.KEY"}));
    EXPECT_EQ(NamesIn(keys / "New"), (Names{"a.key", "c.key"}));
    EXPECT_NE(testing::ReadFile((keys / "New" / "c.key").string()).find("0x0000   2.00000000"),
              std::string::npos);
}

TEST_F(Batch, DoesNotRunUntilBothHierarchiesAreLoaded)
{
    const struct {
        bool old, fresh;
        const char *box;
    } rows[] = {
        {false, false,
         "box Load both hierarchies first: neither the old nor the new hierarchy is loaded."},
        {false, true, "box Load the old hierarchy first: no old hierarchy is loaded."},
        {true, false, "box Load the new hierarchy first: no new hierarchy is loaded."},
    };
    testing::WriteFile(dir / "a.key", keyText);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.box);
        tables = KeyframeTables();
        LoadHierarchies(row.old, row.fresh);
        RecordingView view(dir.Path().string());
        EXPECT_FALSE(ConvertAll(tables, view).Ran);
        EXPECT_EQ(view.Events, Names{row.box});
        EXPECT_FALSE(fs::exists(dir / "New"));
    }
}

TEST_F(Batch, AnEmptyListShowsZeroAndLeavesTheProgressBarAlone)
{
    LoadHierarchies();
    const fs::path empty = dir.Path() / "empty";
    fs::create_directory(empty);
    RecordingView view(empty.string());
    ConvertAll(tables, view);
    EXPECT_EQ(view.Events, (Names{"lists off", "info cleared", "box 0", "lists on",
                                  "box Converted:  0\r\nNot Converted:  0"}));
    EXPECT_FALSE(fs::exists(empty / "New"));
}

TEST_F(Batch, ANewEntryThatIsNotAFolderFailsEveryFileWithoutTouchingTheSources)
{
    LoadHierarchies();
    testing::WriteFile(dir / "a.key", keyText);
    testing::WriteFile(dir / "New", "in the way");
    RecordingView view(dir.Path().string());
    const BatchResult result = ConvertAll(tables, view);
    EXPECT_EQ(result.Converted, 0);
    ASSERT_EQ(result.Failures.size(), 1u);
    EXPECT_EQ(result.Failures[0].FileName, "a.key");
    EXPECT_EQ(testing::ReadFile(dir / "New"), "in the way");
    EXPECT_EQ(testing::ReadFile(dir / "a.key"), keyText);
}

TEST_F(Batch, NamesDifferingOnlyInCaseDoNotOverwriteEachOthersOutput)
{
    LoadHierarchies();
    // Listed as "a.KEY" then "a.key"; both would be written as New/a.key.
    testing::WriteFile(dir / "a.KEY", keyText);
    testing::WriteFile(dir / "a.key", testing::Crlf(testing::KeyText(
                                          {{"arm", {{0, "7", "0", "0", "0", "0", "0"}}}})));
    RecordingView view(dir.Path().string());
    const BatchResult result = ConvertAll(tables, view);
    EXPECT_EQ(result.Converted, 1);
    ASSERT_EQ(result.Failures.size(), 1u);
    EXPECT_EQ(result.Failures[0].FileName, "a.key");
    EXPECT_NE(result.Failures[0].Message.find("New/a.key was already written"), std::string::npos);
    EXPECT_NE(testing::ReadFile(dir / "New/a.key").find("0x0000   2.00000000"), std::string::npos);
}

TEST(BatchSummary, ListsEveryFailedFileAfterTheCounts)
{
    BatchResult result;
    result.Converted = 3;
    result.Failures = {{"b.key", "b.key, line 4: bad"}, {"d.key", "d.key: worse"}};
    EXPECT_EQ(BatchSummaryText(result), "Converted:  3\r\nNot Converted:  2\r\n\r\n"
                                        "b.key: b.key, line 4: bad\r\nd.key: d.key: worse");
}

TEST(ListKeyFiles, OffersRegularVisibleKeyFilesSortedIgnoringCase)
{
    testing::TempDir dir;
    for (const char *name :
         {"b.KEY", "a.key", "C.Key", ".hidden.key", "notes.txt", "x.key.bak", "key"})
        testing::WriteFile(dir / name, "");
    fs::create_directory(dir / "folder.key");
    EXPECT_EQ(ListKeyFiles(dir.Path().string()), (Names{"a.key", "b.KEY", "C.Key"}));
    EXPECT_EQ(ListKeyFiles(dir / "missing"), Names{});
}

TEST(ListKeyFiles, FoldsOnlyAsciiLettersAndComparesEveryByteUnsigned)
{
    testing::TempDir dir;
    const Names sorted = {"_.key", "A.key", "a.key",    "b.KEY",
                          "z.key", "~.key", "\x7F.key", "\xC3\xA4.key"};
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
