// SPDX-License-Identifier: MIT
#include "keyframes/key_file_reader.h"

#include "support/test_support.h"

namespace zerka {
namespace {

using testing::Crlf;
using testing::ExpectFileError;

// A hand-made file as animators keep them: a sectioned header, column titles, comments and
// blank lines between entries, a '-' value touching the one before it.
const std::string kWalk =
    "# KEYFRAME walk.key\n"
    "SECTION: HEADER\n"
    "FLAGS 0x0003\n"
    "TYPE 0xFFFF\n"
    "FRAMES 48\n"
    "FPS 24.000\n"
    "JOINTS 2\n"
    "\n"
    "SECTION: KEYFRAME NODES\n"
    "NODES 2\n"
    "\n"
    "NODE 0\n"
    "MESH NAME pelvis\n"
    "ENTRIES 2\n"
    "\n"
    "# num:   frame:   flags:           x:           y:           z:\n"
    "    0:        0   0x0000   0.00000000   0.00000000   1.00000000   0.0   0.0   0.0\n"
    "                           0.50000000   0.00000000   0.00000000   0.0   0.0   0.0\n"
    "\n"
    "# step 2: forward\n"
    "   \n"
    "    1:       24   0x0000  12.00000000-3.25000000   1.00000000   0.0  90.0   0.0\n"
    "                           0.00000000   0.00000000   1.0e-005   0.0   0.0   0.0\n"
    "\n"
    "NODE 1\n"
    "MESH NAME l thigh\n"
    "ENTRIES 0\n";

KeyframeTables LoadText(const std::string &text)
{
    KeyframeTables tables;
    LoadKeyText(tables, text, "walk.key");
    return tables;
}

TEST(KeyFileReader, ReadsARealisticFileTheSameWithLfAndCrLf)
{
    testing::TempDir dir;
    for (const std::string &text : {kWalk, Crlf(kWalk)}) {
        SCOPED_TRACE(text.find('\r') == std::string::npos ? "LF" : "CR LF");
        testing::WriteFile(dir / "walk.key", text);
        KeyframeTables tables;
        EXPECT_EQ(LoadKeyFile(tables, dir / "walk.key"), 1);

        EXPECT_EQ(tables.HeaderLineCount, 10);
        EXPECT_EQ(tables.HeaderLines(3), "FLAGS 0x0003");
        EXPECT_EQ(tables.HeaderLines(10), "NODES 2");
        EXPECT_TRUE(tables.WrapsAround);
        ASSERT_EQ(tables.KeyNodeCount, 2);

        const KeyNode &pelvis = tables.KeyNodes(1);
        EXPECT_EQ(pelvis.MeshName, "pelvis");
        ASSERT_EQ(pelvis.EntryCount, 2);
        const KeyEntry &first = pelvis.Entries(1);
        EXPECT_EQ(first.Raw(), "    0:        0   0x0000   0.00000000   0.00000000   1.00000000   "
                             "0.0   0.0   0.0                           0.50000000   0.00000000   "
                             "0.00000000   0.0   0.0   0.0");
        EXPECT_EQ(first.Num(), "0:");
        EXPECT_EQ(first.DX(), "0.50000000");
        EXPECT_EQ(first.Line, 17);
        const KeyEntry &second = pelvis.Entries(2);
        EXPECT_EQ(second.Frame(), "24");
        EXPECT_EQ(second.X(), "12.00000000");
        EXPECT_EQ(second.Y(), "-3.25000000");
        EXPECT_EQ(second.Yaw(), "90.0");
        EXPECT_EQ(second.DZ(), "1.0e-005");
        EXPECT_EQ(second.Line, 22);

        EXPECT_EQ(tables.KeyNodes(2).Num, 1);
        EXPECT_EQ(tables.KeyNodes(2).MeshName, "l thigh");
        EXPECT_EQ(tables.KeyNodes(2).EntryCount, 0);
    }
}

TEST(KeyFileReader, HeaderEndsWithTheNodesLineAndFlagsEndingIn3Wrap)
{
    const struct {
        const char *text;
        int headerLines;
        bool wraps;
        int firstNodeNum;  // -1: no node
    } rows[] = {
        {"NODES 0\n\n", 1, false, -1},
        {"# k\nflags 0x0003\nNODES 1\nNODE 7\nENTRIES 0\n", 3, true, 7},
        {"# k\nFLAGS 0x0000\nNODES 0\n\n", 3, false, -1},
        {"# k\nFLAGS 0x0003 \nNODES 0\n\n", 3, false, -1},
        {"# k\n# FLAGS 0x0003\nNODES 0\n\n", 3, false, -1},
        // Keywords are case-sensitive; only FLAGS is not.
        {"# k\nNODES 1\nnode 4\nNODE 5\nMesh Name b\n", 2, false, 5},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        const KeyframeTables tables = LoadText(row.text);
        EXPECT_EQ(tables.HeaderLineCount, row.headerLines);
        EXPECT_EQ(tables.WrapsAround, row.wraps);
        EXPECT_EQ(tables.KeyNodeCount, row.firstNodeNum < 0 ? 0 : 1);
        if (row.firstNodeNum >= 0) {
            EXPECT_EQ(tables.KeyNodes(1).Num, row.firstNodeNum);
            EXPECT_EQ(tables.KeyNodes(1).MeshName, "");
        }
    }
}

TEST(KeyFileReader, MinusAfterAValueStartsANewTokenButNotAfterAnExponentMark)
{
    const struct {
        const char *firstLine;
        const char *x, *y, *z;
    } rows[] = {
        {" 0: 0 0x0 1.000000-2.500000 3.0 4 5 6", "1.000000", "-2.500000", "3.0"},
        {" 0: 0 0x0 -1.0-2.0-3.0 4 5 6", "-1.0", "-2.0", "-3.0"},
        {" 0: 0 0x0 1.0e-005 2.0E-3 -3 4 5 6", "1.0e-005", "2.0E-3", "-3"},
        {"0:\t0\t0x0\t1\t2\t3\t4\t5\t6", "1", "2", "3"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.firstLine);
        const KeyframeTables tables = LoadText(std::string("NODES 1\nNODE 0\nENTRIES 1\n") +
                                               row.firstLine + "\n 0 0 0 0 0 0\n");
        const KeyEntry &entry = tables.KeyNodes(1).Entries(1);
        EXPECT_EQ(entry.X(), row.x);
        EXPECT_EQ(entry.Y(), row.y);
        EXPECT_EQ(entry.Z(), row.z);
        EXPECT_EQ(entry.Roll(), "6");
    }
}

TEST(KeyFileReader, ErrorsNameTheFileTheLineAndWhatWasWrong)
{
    const std::string head = "# k\nNODES 1\nNODE 3\nMESH NAME a\n";
    const struct {
        std::string text;
        ErrorCode code;
        const char *message;
    } rows[] = {
        {head + "ENTRIES 1\n 0: 0 0x0 1 2 3 4 5\n 0 0 0 0 0 0\n", ErrorCode::TypeMismatch,
         "walk.key, line 6: expected 9 values on an entry's first line, found 8"},
        {head + "ENTRIES 1\n 0: 0 0x0 1 2 3 4 5 6\n 0 0 0-1 0 0 0\n", ErrorCode::TypeMismatch,
         "walk.key, line 7: expected 6 values on an entry's second line, found 7"},
        // A comment between an entry's two lines is taken as its second line.
        {head + "ENTRIES 1\n 0: 0 0x0 1 2 3 4 5 6\n# note\n 0 0 0 0 0 0\n", ErrorCode::TypeMismatch,
         "walk.key, line 7: expected 6 values on an entry's second line, found 2"},
        {head + "ENTRIES 2\n 0: 0 0x0 1 2 3 4 5 6\n 0 0 0 0 0 0\nNODE 4\nENTRIES 0\n",
         ErrorCode::InputPastEnd, "walk.key, line 8: node 3 declares 2 entries but only 1 follow"},
        {head + "ENTRIES 1\n\n# none\n", ErrorCode::InputPastEnd,
         "walk.key, line 7: node 3 declares 1 entries but only 0 follow"},
        {head + "ENTRIES 1\n 0: 0 0x0 1 2 3 4 5 6\n", ErrorCode::InputPastEnd,
         "walk.key, line 6: entry 1 of node 3 has no second line"},
        {"# k\nSECTION: HEADER\n", ErrorCode::InputPastEnd,
         "walk.key: no NODES line: this is not a keyframe file"},
        {"", ErrorCode::InputPastEnd, "walk.key: no NODES line: this is not a keyframe file"},
        {"# k\nNODES 1", ErrorCode::InputPastEnd,
         "walk.key, line 2: the file ends right after its NODES line"},
        {"NODES 1\nMESH NAME a\n", ErrorCode::Subscript,
         "walk.key, line 2: a MESH NAME line comes before any NODE line"},
        {"NODES 1\nNODE x\n", ErrorCode::TypeMismatch, "walk.key, line 2: NODE 'x' is not a number"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        const FileError error = ExpectFileError([&] { LoadText(row.text); }, row.code);
        EXPECT_STREQ(error.what(), row.message);
        EXPECT_EQ(error.File, "walk.key");
    }
}

TEST(KeyFileReader, BadKeywordLinesAndNumbersGiveTheirCodes)
{
    const struct {
        const char *line;
        ErrorCode code;
    } rows[] = {
        {"NODE", ErrorCode::InvalidArgument},     {"MESH NAME", ErrorCode::InvalidArgument},
        {"ENTRIES", ErrorCode::InvalidArgument},  {"NODE ", ErrorCode::TypeMismatch},
        {"NODE 40000", ErrorCode::Overflow},      {"NODE 1,5", ErrorCode::TypeMismatch},
        {"ENTRIES two", ErrorCode::TypeMismatch}, {"ENTRIES 101", ErrorCode::Subscript},
        {"ENTRIES -1", ErrorCode::Subscript},     {"ENTRIES 99999", ErrorCode::Overflow},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.line);
        const FileError error = ExpectFileError(
            [&] { LoadText(std::string("NODES 1\nNODE 0\n") + row.line + "\n"); }, row.code);
        EXPECT_EQ(error.Line, 3);
    }
}

TEST(KeyFileReader, AcceptsOneHundredOfEachAndRejectsTheHundredAndFirst)
{
    const auto headerOf = [](int lines) {
        std::string text;
        for (int i = 1; i < lines; ++i)
            text += "# header " + std::to_string(i) + "\n";
        return text + "NODES 0\n\n";
    };
    const auto nodes = [](int count) {
        std::string text = "NODES 1\n";
        for (int i = 0; i < count; ++i)
            text += "NODE " + std::to_string(i) + "\n";
        return text;
    };
    const auto entries = [](int count) {
        std::string text = "NODES 1\nNODE 0\nENTRIES " + std::to_string(count) + "\n";
        for (int i = 0; i < count; ++i)
            text += " " + std::to_string(i) + ": 0 0x0 1 2 3 4 5 6\n 0 0 0 0 0 0\n";
        return text;
    };
    EXPECT_EQ(LoadText(headerOf(100)).HeaderLineCount, 100);
    EXPECT_EQ(LoadText(nodes(100)).KeyNodeCount, 100);
    EXPECT_EQ(LoadText(entries(100)).KeyNodes(1).EntryCount, 100);
    EXPECT_EQ(ExpectFileError([&] { LoadText(headerOf(101)); }, ErrorCode::Subscript).Line, 101);
    EXPECT_EQ(ExpectFileError([&] { LoadText(nodes(101)); }, ErrorCode::Subscript).Line, 102);
    ExpectFileError([&] { LoadText(entries(101)); }, ErrorCode::Subscript);
}

TEST(KeyFileReader, ANodeStartsEmptyInsteadOfKeepingAnEarlierFilesData)
{
    KeyframeTables tables;
    LoadKeyText(tables, kWalk, "walk.key");
    LoadKeyText(tables, "NODES 1\nNODE 9\n", "bare.key");
    ASSERT_EQ(tables.KeyNodeCount, 1);
    EXPECT_EQ(tables.KeyNodes(1).Num, 9);
    EXPECT_EQ(tables.KeyNodes(1).MeshName, "");
    EXPECT_EQ(tables.KeyNodes(1).EntryCount, 0);
    EXPECT_EQ(tables.HeaderLineCount, 1);
    EXPECT_FALSE(tables.WrapsAround);
}

TEST(KeyFileReader, AMissingFileIsErrorFiftyThreeNamingIt)
{
    testing::TempDir dir;
    KeyframeTables tables;
    const FileError error =
        ExpectFileError([&] { LoadKeyFile(tables, dir / "gone.key"); }, ErrorCode::FileNotFound);
    EXPECT_EQ(error.File, dir / "gone.key");
}

// An entry's texts share one buffer that texts set later are appended to and that is
// compacted now and then: every field must survive that, a text taken from the entry itself
// too, and Raw must stay as read.
TEST(KeyEntry, TextsSetAgainAndAgainStayRightAndRawStaysAsRead)
{
    KeyframeTables tables =
        LoadText("NODES 1\nNODE 0\nENTRIES 1\n 0: 5 0x0 1 2 3 4 5 6\n 7 8 9 10 11 12\n");
    KeyEntry &entry = tables.KeyNodes(1).Entries(1);
    const std::string raw(entry.Raw());
    for (int i = 0; i < 1000; ++i) {
        testing::SetField(entry, KeyEntry::kY, std::to_string(i) + std::string(i % 40, '0'));
        testing::SetField(entry, KeyEntry::kX, entry.Y());
    }
    const std::string last = "999" + std::string(999 % 40, '0');
    EXPECT_EQ(entry.X(), last);
    EXPECT_EQ(entry.Y(), last);
    EXPECT_EQ(entry.Raw(), raw);
    const char *unchanged[] = {"0:", "5", "0x0", nullptr, nullptr, "3", "4", "5", "6",
                               "7", "8", "9", "10", "11", "12"};
    for (int f = 0; f < KeyEntry::kFieldCount; ++f) {
        if (unchanged[f] != nullptr) {
            EXPECT_EQ(entry.Field(f), unchanged[f]) << f;
        }
    }
    ExpectFileError([&] { testing::SetField(entry, 15, "1"); }, ErrorCode::Subscript);

    KeyEntry::Place places[KeyEntry::kFieldCount] = {};
    places[KeyEntry::kX] = {2, 3};
    entry.SetRaw(entry.Raw().substr(0, 6), entry.Raw().substr(6), places);  // its own text
    EXPECT_EQ(entry.Raw(), raw);
    EXPECT_EQ(entry.X(), raw.substr(2, 3));
    places[KeyEntry::kY] = {static_cast<std::uint32_t>(raw.size()) - 1, 2};
    ExpectFileError([&] { entry.SetRaw(raw, {}, places); }, ErrorCode::Subscript);
}

}  // namespace
}  // namespace zerka
