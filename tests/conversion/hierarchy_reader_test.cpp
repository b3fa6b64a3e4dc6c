// SPDX-License-Identifier: MIT
#include "conversion/hierarchy_reader.h"

#include <filesystem>

#include "support/test_support.h"

namespace zerka {
namespace {

using testing::Crlf;
using testing::ExpectFileError;

// An 18-token record; sep stands between the tokens.
std::string Record(int num, const std::string &name, const std::string &x = "1.5",
                   const std::string &sep = " ")
{
    std::string line = "  " + std::to_string(num) + ":";
    for (const char *token : {"0x1", "0x10", "0", "-1", "-1", "-1", "0"})
        line += sep + token;
    line += sep + x + sep + "-2.0" + sep + "3.25";
    for (int i = 0; i < 6; ++i)
        line += sep + "0";
    return line + sep + name;
}

const std::string kGeometry = "# MODEL robot.3do\nSECTION: GEOMETRY\nVERTICES 2\n  0: 0.0 0.0 "
                              "0.0\n  1: 1.0 1.0 1.0\n\nSECTION: HIERARCHY\n";

std::vector<std::string> NamesOf(const KeyframeTables &tables, bool isOld)
{
    std::vector<std::string> names;
    const int count = isOld ? tables.OldHierarchyCount : tables.NewHierarchyCount;
    for (int j = 1; j <= count; ++j)
        names.push_back((isOld ? tables.OldHierarchy : tables.NewHierarchy)(j).NodeName);
    return names;
}

TEST(HierarchyReader, KeepsNumberPositionAndNameOfEveryRecordForTheChosenSide)
{
    testing::TempDir dir;
    const std::string model =
        testing::ModelText({{"pelvis", "0.0", "0.0", "1.0"}, {"torso", "0.0", "-0.25", "1.5e-1"}});
    for (const std::string &text : {model, Crlf(model)}) {
        SCOPED_TRACE(text.find('\r') == std::string::npos ? "LF" : "CR LF");
        testing::WriteFile(dir / "robot.3do", text);
        KeyframeTables tables;
        LoadHierarchy(tables, dir / "robot.3do", false);
        EXPECT_EQ(NamesOf(tables, false), (std::vector<std::string>{"pelvis", "torso"}));
        EXPECT_EQ(tables.OldHierarchyCount, 0);
        EXPECT_EQ(tables.NewHierarchyFile, dir / "robot.3do");
        const HierarchyNode &torso = tables.NewHierarchy(2);
        EXPECT_EQ(torso.Num, "1:");
        EXPECT_EQ(torso.X, "0.0");
        EXPECT_EQ(torso.Y, "-0.25");
        EXPECT_EQ(torso.Z, "1.5e-1");
    }
}

TEST(HierarchyReader, TakesTheLastSectionAndSkipsTitlesBlanksAndComments)
{
    const struct {
        const char *name;
        std::string section;
        std::vector<std::string> names;
    } rows[] = {
        {"title twice",
         "HIERARCHY NODES 1\n" + Record(0, "stale") + "\nHIERARCHY NODES 1\n" + Record(0, "head") +
             "\n",
         {"head"}},
        {"blank and comment lines between records",
         "HIERARCHY NODES 2\n\n# num flags ...\n   # indented\n" + Record(0, "a") + "\n\n \t\n" +
             Record(1, "b") + "\n",
         {"a", "b"}},
        {"last line without a break",
         "HIERARCHY NODES 2\n" + Record(0, "a") + "\n" + Record(1, "b"),
         {"a", "b"}},
        {"CR LF, last line without a break",
         "HIERARCHY NODES 2\r\n\r\n" + Record(0, "a") + "\r\n" + Record(1, "b"),
         {"a", "b"}},
        {"tabs and trailing blanks",
         "HIERARCHY NODES 1\n" + Record(0, "neck", "1.5", "\t") + " \t\n",
         {"neck"}},
    };
    testing::TempDir dir;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        testing::WriteFile(dir / "m.3do", kGeometry + row.section);
        KeyframeTables tables;
        LoadHierarchy(tables, dir / "m.3do", true);
        EXPECT_EQ(NamesOf(tables, true), row.names);
        EXPECT_EQ(tables.OldHierarchy(1).X, "1.5");
    }
}

TEST(HierarchyReader, FindsTheTitleWhereverItFallsAgainstTheReadBlocks)
{
    testing::TempDir dir;
    const std::string records = "HIERARCHY NODES 1\n" + Record(0, "root") + "\n# ";
    for (const std::size_t blocks : {1, 2}) {
        for (const std::size_t shift : {0, 1, 7, 14, 15, 16}) {
            // The title starts `shift` bytes before a 64 KiB boundary counted from the end.
            const std::size_t tailSize = blocks * 65536 + shift;
            const std::string tail =
                records + std::string(tailSize - records.size() - 1, 'c') + "\n";
            SCOPED_TRACE(tailSize);
            testing::WriteFile(dir / "m.3do", kGeometry + "HIERARCHY NODES\n" + tail);
            EXPECT_TRUE(ReadHierarchyTail(InputFile::Open(dir / "m.3do", "m.3do")) == tail);  // no 64 KiB dumps
        }
    }
    testing::WriteFile(dir / "m.3do", records + "\n");
    EXPECT_EQ(ReadHierarchyTail(InputFile::Open(dir / "m.3do", "m.3do")), records + "\n");
}

TEST(HierarchyReader, AFailedLoadLeavesTheTableAsItWas)
{
    std::string tooMany = "HIERARCHY NODES 1001\n";
    for (int i = 0; i < 1001; ++i)
        tooMany += Record(i, "n" + std::to_string(i)) + "\n";
    const struct {
        const char *name;
        std::string text;
        ErrorCode code;
        int line;
        const char *message;  // after "<path>: " or "<path>, line N of the hierarchy section: "
    } rows[] = {
        {"no section", kGeometry, ErrorCode::InputPastEnd, 0,
         "no hierarchy section: the file has no \"HIERARCHY NODES\" title"},
        {"empty file", "", ErrorCode::InputPastEnd, 0,
         "no hierarchy section: the file has no \"HIERARCHY NODES\" title"},
        {"no records", kGeometry + "HIERARCHY NODES 0\n\n# none\n", ErrorCode::InputPastEnd, 0,
         "hierarchy section has no records"},
        {"short record", kGeometry + "HIERARCHY NODES 2\n" + Record(0, "a") + "\n  1: 0x1 0 0 0\n",
         ErrorCode::TypeMismatch, 3, "a hierarchy record needs at least 18 values, found 5"},
        {"1001 records", kGeometry + tooMany, ErrorCode::Subscript, 1002,
         "more than 1000 hierarchy records"},
    };
    testing::TempDir dir;
    testing::WriteFile(dir / "good.3do",
                       testing::ModelText({{"a", "1", "2", "3"}, {"b", "4", "5", "6"}}));
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        KeyframeTables tables;
        LoadHierarchy(tables, dir / "good.3do", true);
        testing::WriteFile(dir / "bad.3do", row.text);
        const FileError error =
            ExpectFileError([&] { LoadHierarchy(tables, dir / "bad.3do", true); }, row.code);
        EXPECT_EQ(error.Line, row.line);
        const std::string where =
            row.line ? ", line " + std::to_string(row.line) + " of the hierarchy section: " : ": ";
        EXPECT_EQ(error.what(), dir / "bad.3do" + where + row.message);
        EXPECT_EQ(NamesOf(tables, true), (std::vector<std::string>{"a", "b"}));
        EXPECT_EQ(tables.OldHierarchy(2).X, "4");
        EXPECT_EQ(tables.OldHierarchyFile, dir / "good.3do");
    }
}

TEST(HierarchyReader, AMissingFileOrAFolderIsAnErrorAndNothingIsCreated)
{
    testing::TempDir dir;
    std::filesystem::create_directory(dir / "folder.3do");
    KeyframeTables tables;
    ExpectFileError([&] { LoadHierarchy(tables, dir / "gone.3do", true); },
                    ErrorCode::FileNotFound);
    ExpectFileError([&] { LoadHierarchy(tables, dir / "folder.3do", false); },
                    ErrorCode::PathAccess);
    EXPECT_FALSE(std::filesystem::exists(dir / "gone.3do"));
    EXPECT_EQ(tables.OldHierarchyCount + tables.NewHierarchyCount, 0);
}

TEST(HierarchyReader, AShorterFileSetsTheCountAndLeavesLaterRecordsInPlace)
{
    testing::TempDir dir;
    KeyframeTables tables;
    testing::WriteFile(
        dir / "long.3do",
        testing::ModelText({{"a", "0", "0", "0"}, {"b", "0", "0", "0"}, {"c", "0", "0", "0"}}));
    testing::WriteFile(dir / "short.3do", testing::ModelText({{"x", "0", "0", "0"}}));
    LoadHierarchy(tables, dir / "long.3do", false);
    LoadHierarchy(tables, dir / "short.3do", false);
    EXPECT_EQ(NamesOf(tables, false), std::vector<std::string>{"x"});
    EXPECT_EQ(tables.NewHierarchy(3).NodeName, "c");
}

}  // namespace
}  // namespace zerka
