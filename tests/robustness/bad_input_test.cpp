// SPDX-License-Identifier: MIT
// Bad input of every kind a person may feed the tool: each must end in a FileError with
// the right code whose message starts with the file and, where there is one, the line.
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "conversion/hierarchy_reader.h"
#include "conversion/keyframe_conversion.h"
#include "keyframes/key_file_reader.h"
#include "support/test_support.h"

namespace zerka {
namespace {

namespace fs = std::filesystem;
using testing::Crlf;
using testing::ExpectFileError;
using testing::TempDir;
using testing::WriteFile;

struct BadInput {
    const char *what;
    std::string bytes;
    ErrorCode code;
    int line;  // 0: the error has no line
    std::string says;
};

void ExpectNamesFileAndLine(const FileError &error, const std::string &path, int line)
{
    EXPECT_EQ(error.File, path);
    EXPECT_EQ(error.Line, line);
    const std::string prefix = line > 0 ? path + ", line " + std::to_string(line) : path + ": ";
    EXPECT_EQ(std::string(error.what()).rfind(prefix, 0), 0u) << error.what();
}

// Bytes no editor makes: a fixed pseudo-random sequence without line breaks or keywords.
std::string Garbage(std::size_t size)
{
    std::string bytes(size, '\0');
    unsigned state = 12345;
    for (char &c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
        if (c == 'N' || c == 'H' || c == '\n')
            c = '~';
    }
    return bytes;
}

std::string Utf16(const std::string &ascii)
{
    std::string out;
    for (const char c : ascii)
        out += std::string(1, c) + '\0';
    return out;
}

const std::string kHeader = "# KEYFRAME walk.key\nSECTION: HEADER\nFLAGS 0x0000\nNODES 2\n\n";
const std::string kEntry = "  0:  0  0x0000  1.0  2.0  3.0  0.0  0.0  0.0\n"
                           "      0.1  0.1  0.1  0.0  0.0  0.0\n";
const std::string kNode0 = "NODE 0\nMESH NAME hips\nENTRIES 1\n\n" + kEntry + "\n";

std::string NodeWithEntries(int num, int declared, int present)
{
    std::string text =
        "NODE " + std::to_string(num) + "\nMESH NAME m\nENTRIES " + std::to_string(declared) + "\n";
    for (int b = 0; b < present; ++b)
        text += " " + std::to_string(b) + ": " + std::to_string(b) +
                " 0x0 1 2 3 0 0 0\n"
                " 0 0 0 0 0 0\n";
    return text;
}

void RunKeyRows(const std::vector<BadInput> &rows)
{
    TempDir dir;
    KeyframeTables tables;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].what);
        const std::string path = dir / ("bad" + std::to_string(i) + ".key");
        WriteFile(path, rows[i].bytes);
        const FileError error = ExpectFileError([&] { LoadKeyFile(tables, path); }, rows[i].code);
        ExpectNamesFileAndLine(error, path, rows[i].line);
        EXPECT_NE(std::string(error.what()).find(rows[i].says), std::string::npos) << error.what();
    }
}

TEST(BadKeyFile, TextsThatAreNoKeyframeFileAreErrorSixtyTwoWithoutALine)
{
    RunKeyRows({
        {"0-byte file", "", ErrorCode::InputPastEnd, 0, "no NODES line"},
        {"empty lines only", "\r\n \r\n\t\n\n", ErrorCode::InputPastEnd, 0, "no NODES line"},
        {"binary garbage", Garbage(8192), ErrorCode::InputPastEnd, 0, "no NODES line"},
        {"NUL bytes", std::string(4096, '\0'), ErrorCode::InputPastEnd, 0, "no NODES line"},
        {"a single 50 MB line", std::string(50u << 20, 'x'), ErrorCode::InputPastEnd, 0,
         "no NODES line"},
        {"UTF-16 text", Utf16(kHeader + kNode0), ErrorCode::InputPastEnd, 0, "no NODES line"},
        {"cut inside the header", "# KEYFRAME walk.key\r\nSECTION: HEADER\r\nFLA",
         ErrorCode::InputPastEnd, 0, "no NODES line"},
    });
}

TEST(BadKeyFile, AFileCutShortIsErrorSixtyTwoAtTheLineWhereItBreaks)
{
    RunKeyRows({
        {"cut right after NODES", "# k\r\nNODES 2", ErrorCode::InputPastEnd, 2,
         "ends right after its NODES line"},
        {"cut between NODES and the first NODE", Crlf(kHeader), ErrorCode::InputPastEnd, 4,
         "declares 2 nodes but only 0 follow"},
        {"cut between two nodes", Crlf(kHeader + kNode0), ErrorCode::InputPastEnd, 4,
         "declares 2 nodes but only 1 follow"},
        {"cut inside an entry", kHeader + "NODE 0\nENTRIES 1\n  0:  0  0x0  1 2 3 0 0 0",
         ErrorCode::InputPastEnd, 8, "entry 1 of node 0 has no second line"},
        {"ENTRIES larger than the entries present", kHeader + NodeWithEntries(0, 3, 2) + "\n",
         ErrorCode::InputPastEnd, 13, "node 0 declares 3 entries but only 2 follow"},
        {"ENTRIES running into the next node",
         kHeader + "NODE 0\nENTRIES 2\n" + kEntry + "NODE 1\nENTRIES 0\n", ErrorCode::InputPastEnd,
         10, "node 0 declares 2 entries but only 1 follow"},
    });
}

TEST(BadKeyFile, MoreThanATableHoldsIsErrorNineAtTheLineThatOverflows)
{
    std::string header101;
    for (int i = 1; i <= 101; ++i)
        header101 += "# header line " + std::to_string(i) + "\n";
    std::string nodes101 = "# k\nNODES 101\n";
    for (int n = 0; n < 101; ++n)
        nodes101 += "NODE " + std::to_string(n) + "\nENTRIES 0\n";
    RunKeyRows({
        {"101 header lines", header101 + "NODES 0\n\n", ErrorCode::Subscript, 101,
         "more than 100 header lines"},
        {"101 nodes", nodes101, ErrorCode::Subscript, 203, "more than 100 nodes"},
        {"101 entries", "# k\nNODES 1\n" + NodeWithEntries(0, 101, 101), ErrorCode::Subscript, 5,
         "ENTRIES 101 is outside 0..100"},
        {"MESH NAME before any NODE", "# k\nNODES 1\nMESH NAME a\n", ErrorCode::Subscript, 3,
         "before any NODE line"},
        {"a NODE line in the header", "# k\nNODE 1\nNODES 1\nNODE 1\n", ErrorCode::Subscript, 2,
         "comes before the NODES line"},
    });
}

TEST(BadKeyFile, WrongValuesAreTheirCodeAtTheirLine)
{
    const std::string node = "# k\nNODES 1\nNODE 0\nENTRIES 1\n";
    std::string hugeEntry = node + " 0:";
    for (int i = 0; i < (1 << 19); ++i)
        hugeEntry += " 1";
    RunKeyRows({
        {"8 values on a first line", node + " 0: 0 0x0 1 2 3 4 5\n 0 0 0 0 0 0\n",
         ErrorCode::TypeMismatch, 5, "expected 9 values on an entry's first line, found 8"},
        {"10 values on a first line", node + " 0: 0 0x0 1 2 3 4 5 6 7\n 0 0 0 0 0 0\n",
         ErrorCode::TypeMismatch, 5, "found 10"},
        {"5 values on a second line", node + " 0: 0 0x0 1 2 3 4 5 6\n 0 0 0 0 0\n",
         ErrorCode::TypeMismatch, 6, "expected 6 values on an entry's second line, found 5"},
        {"a comment as the second line", node + " 0: 0 0x0 1 2 3 4 5 6\n# dx dy\n",
         ErrorCode::TypeMismatch, 6, "found 3"},
        {"a 1 MB entry line", hugeEntry + "\n 0 0 0 0 0 0\n", ErrorCode::TypeMismatch, 5,
         "found 524289"},
        {"non-numeric NODE", "# k\nNODES 1\nNODE one\n", ErrorCode::TypeMismatch, 3,
         "'one' is not a number"},
        {"non-numeric ENTRIES", "# k\nNODES 1\nNODE 0\nENTRIES 2x\n", ErrorCode::TypeMismatch, 4,
         "not a number"},
        {"NODE out of range", "# k\nNODES 1\nNODE 32768\n", ErrorCode::Overflow, 3,
         "outside -32768..32767"},
        {"ENTRIES out of range", "# k\nNODES 1\nNODE 0\nENTRIES -40000\n", ErrorCode::Overflow, 4,
         "outside -32768..32767"},
        {"keyword-only NODE", "# k\nNODES 1\nNODE\n", ErrorCode::InvalidArgument, 3,
         "holds only its keyword"},
        {"keyword-only MESH NAME", "# k\nNODES 1\nNODE 0\nMESH NAME\n", ErrorCode::InvalidArgument,
         4, "holds only its keyword"},
        {"keyword-only ENTRIES", "# k\nNODES 1\nNODE 0\nENTRIES\r\n", ErrorCode::InvalidArgument, 4,
         "holds only its keyword"},
    });
}

TEST(BadKeyFile, FilesThatCannotBeReadNameTheirPath)
{
    TempDir dir;
    KeyframeTables tables;
    fs::create_directory(dir / "folder.key");
    fs::create_symlink("loop.key", dir / "loop.key");
    fs::create_symlink("nowhere.key", dir / "dangling.key");
    const struct {
        const char *name;
        ErrorCode code;
    } rows[] = {
        {"missing.key", ErrorCode::FileNotFound},
        {"folder.key", ErrorCode::PathAccess},
        {"loop.key", ErrorCode::PathAccess},
        {"dangling.key", ErrorCode::FileNotFound},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = dir / row.name;
        ExpectNamesFileAndLine(ExpectFileError([&] { LoadKeyFile(tables, path); }, row.code), path,
                               0);
    }
}

TEST(BadKeyFile, AFileWithoutReadPermissionIsErrorSeventy)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root from reading";
    TempDir dir;
    KeyframeTables tables;
    const std::string path = dir / "locked.key";
    WriteFile(path, Crlf(kHeader + kNode0));
    fs::permissions(path, fs::perms::none);
    ExpectNamesFileAndLine(
        ExpectFileError([&] { LoadKeyFile(tables, path); }, ErrorCode::PermissionDenied), path, 0);
}

std::string Record(int num, const std::string &name, const std::string &x = "1.0")
{
    return "  " + std::to_string(num) + ":  0x1 0x10 0 -1 -1 -1 0 " + x + " 2.0 3.0 0 0 0 0 0 0 " +
           name + "\n";
}

TEST(BadHierarchyFile, EachFailureNamesTheFileAndLeavesTheTableAsItWas)
{
    const std::string geometry = "SECTION: GEOMETRY\nVERTICES 1\n 0: 0.0 0.0 0.0\n\n";
    std::string records1001 = "HIERARCHY NODES 1001\n";
    for (int i = 0; i < 1001; ++i)
        records1001 += Record(i, "n" + std::to_string(i));
    const std::vector<BadInput> rows = {
        {"0-byte file", "", ErrorCode::InputPastEnd, 0, "no hierarchy section"},
        {"geometry only", geometry, ErrorCode::InputPastEnd, 0, "no hierarchy section"},
        {"binary garbage", Garbage(200000), ErrorCode::InputPastEnd, 0, "no hierarchy section"},
        {"a single 50 MB line", std::string(50u << 20, 'v'), ErrorCode::InputPastEnd, 0,
         "no hierarchy section"},
        {"title in lower case", geometry + "hierarchy nodes 1\n" + Record(0, "a"),
         ErrorCode::InputPastEnd, 0, "no hierarchy section"},
        {"no records", geometry + "HIERARCHY NODES 0\r\n\r\n# none\r\n   \r\n",
         ErrorCode::InputPastEnd, 0, "hierarchy section has no records"},
        {"NUL bytes after the title", "HIERARCHY NODES 1\n" + std::string(64, '\0') + "\n",
         ErrorCode::TypeMismatch, 2, "found 1"},
        {"a short record",
         geometry + "HIERARCHY NODES 2\n" + Record(0, "a") +
             "  1:  0x1 0x10 0 -1 -1 -1 0 1.0 2.0 3.0 0 0 0 0 0 0\n",
         ErrorCode::TypeMismatch, 3, "at least 18 values, found 17"},
        {"tab-less record cut by the end of the file", "HIERARCHY NODES 1\r\n  0:  0x1 0x10 0 -1",
         ErrorCode::TypeMismatch, 2, "found 5"},
        {"1001 records", records1001, ErrorCode::Subscript, 1002, "more than 1000"},
    };

    TempDir dir;
    KeyframeTables tables;
    const std::string good = dir / "good.3do";
    WriteFile(good, geometry + "HIERARCHY NODES 2\n" + Record(0, "hips") + Record(1, "head"));
    LoadHierarchy(tables, good, true);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].what);
        const std::string path = dir / ("bad" + std::to_string(i) + ".3do");
        WriteFile(path, rows[i].bytes);
        const FileError error =
            ExpectFileError([&] { LoadHierarchy(tables, path, true); }, rows[i].code);
        ExpectNamesFileAndLine(error, path, rows[i].line);
        EXPECT_NE(std::string(error.what()).find(rows[i].says), std::string::npos) << error.what();
        EXPECT_EQ(tables.OldHierarchyCount, 2);
        EXPECT_EQ(tables.OldHierarchyFile, good);
        EXPECT_EQ(tables.OldHierarchy(2).NodeName, "head");
    }

    fs::create_directory(dir / "folder.3do");
    for (const auto &[name, code] : {std::pair{"missing.3do", ErrorCode::FileNotFound},
                                     std::pair{"folder.3do", ErrorCode::PathAccess}}) {
        SCOPED_TRACE(name);
        const std::string path = dir / name;
        ExpectNamesFileAndLine(ExpectFileError([&] { LoadHierarchy(tables, path, false); }, code),
                               path, 0);
        EXPECT_FALSE(fs::exists(path) && fs::is_regular_file(path)) << "a load created a file";
        EXPECT_EQ(tables.NewHierarchyCount, 0);
    }
}

// Values the reader keeps as text but the conversion cannot compute with: the error names
// the key file and the entry's line, and no output is written.
TEST(BadValuesInConversion, NameTheKeyFileAndEntryLineAndWriteNothing)
{
    const auto file = [](const std::string &first, const std::string &second) {
        return "# k\nNODES 1\nNODE 0\nENTRIES 2\n 0: 0 0x0 1 2 3 0 0 0\n 1 1 1 0 0 0\n" + first +
               "\n" + second + "\n";
    };
    const std::vector<BadInput> rows = {
        {"non-numeric x", file(" 1: 24 0x0 one 2 3 0 0 0", " 1 1 1 0 0 0"), ErrorCode::TypeMismatch,
         7, "'one' is not a number"},
        {"comma decimal", file(" 1: 24 0x0 1,5 2 3 0 0 0", " 1 1 1 0 0 0"), ErrorCode::TypeMismatch,
         7, "'1,5' is not a number"},
        {"NUL inside a value",
         file(" 1: 24 0x0 1" + std::string(1, '\0') + "5 2 3 0 0 0", " 1 1 1 0 0 0"),
         ErrorCode::TypeMismatch, 7, "X '1\\x005' is not a number"},
        {"long non-numeric x",
         file(" 1: 24 0x0 " + std::string(100000, 'x') + " 2 3 0 0 0", " 1 1 1 0 0 0"),
         ErrorCode::TypeMismatch, 7, "X '" + std::string(40, 'x') + "...' is not a number"},
        {"non-numeric delta", file(" 1: 24 0x0 1 2 3 0 0 0", " 1 dy 1 0 0 0"),
         ErrorCode::TypeMismatch, 7, "DY"},
        {"x beyond the double range", file(" 1: 24 0x0 1e999 2 3 0 0 0", " 1 1 1 0 0 0"),
         ErrorCode::Overflow, 7, "out of range"},
        {"non-numeric frame", file(" 1: x24 0x0 1 2 3 0 0 0", " 1 1 1 0 0 0"),
         ErrorCode::TypeMismatch, 7, "frame"},
        {"frame out of 16 bits", file(" 1: 40000 0x0 1 2 3 0 0 0", " 1 1 1 0 0 0"),
         ErrorCode::Overflow, 7, "outside -32768..32767"},
        {"frame difference out of 16 bits",
         "# k\nNODES 1\nNODE 0\nENTRIES 2\n 0: -30000 0x0 1 2 3 0 0 0\n 1 1 1 0 0 0\n"
         " 1: 30000 0x0 1 2 3 0 0 0\n 1 1 1 0 0 0\n",
         ErrorCode::Overflow, 5, "frame difference"},
        {"positions whose delta overflows",
         "# k\nNODES 1\nNODE 0\nENTRIES 2\n 0: 0 0x0 -1.7e308 2 3 0 0 0\n 1 1 1 0 0 0\n"
         " 1: 1 0x0 1.7e308 2 3 0 0 0\n 1 1 1 0 0 0\n",
         ErrorCode::Overflow, 5, "the computed DX is out of range"},
    };

    TempDir dir;
    KeyframeTables tables;
    WriteFile(dir / "old.3do", "HIERARCHY NODES 1\n" + Record(0, "hips"));
    WriteFile(dir / "new.3do", "HIERARCHY NODES 1\n" + Record(0, "HIPS", "1.5"));
    LoadHierarchy(tables, dir / "old.3do", true);
    LoadHierarchy(tables, dir / "new.3do", false);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].what);
        const std::string path = dir / ("bad" + std::to_string(i) + ".key");
        const std::string output = dir / ("out" + std::to_string(i) + ".key");
        WriteFile(path, rows[i].bytes);
        LoadKeyFile(tables, path);
        tables.SourceFileName = path;
        const FileError error =
            ExpectFileError([&] { testing::ConvertKeyFileTo(tables, output); }, rows[i].code);
        ExpectNamesFileAndLine(error, path, rows[i].line);
        EXPECT_NE(std::string(error.what()).find(rows[i].says), std::string::npos) << error.what();
        EXPECT_FALSE(fs::exists(output));
    }

    // A coordinate of the model file that is not a number names the model file.
    WriteFile(dir / "new.3do", "HIERARCHY NODES 1\n" + Record(0, "HIPS", "1,5"));
    LoadHierarchy(tables, dir / "new.3do", false);
    LoadKeyFile(tables, [&] {
        WriteFile(dir / "good.key", "# k\nNODES 1\nNODE 0\nENTRIES 0\n");
        return dir / "good.key";
    }());
    const FileError error = ExpectFileError([&] { testing::ConvertKeyFileTo(tables, dir / "never.key"); },
                                            ErrorCode::TypeMismatch);
    ExpectNamesFileAndLine(error, dir / "new.3do", 2);
    EXPECT_EQ(error.LineScope, "hierarchy section");
    EXPECT_FALSE(fs::exists(dir / "never.key"));
}

}  // namespace
}  // namespace zerka
