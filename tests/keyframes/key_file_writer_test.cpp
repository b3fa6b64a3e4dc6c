// SPDX-License-Identifier: MIT
#include "keyframes/key_file_writer.h"

#include <algorithm>
#include <cstdlib>

#include "keyframes/key_file_reader.h"
#include "support/test_support.h"

namespace zerka {
namespace {

const std::string kTitle1 = "# num:   frame:   flags:           x:           y:           z:      "
                            "     p:           y:           r:";
const std::string kTitle2 = "#                                 dx:          dy:          dz:      "
                            "    dp:          dy:          dr:";

KeyframeTables Read(const std::string &text, const std::string &name = "in.key")
{
    KeyframeTables tables;
    LoadKeyText(tables, text, name);
    tables.SourceFileName = name;
    return tables;
}

TEST(KeyFileWriter, BuildsTheExactBytesOfASmallFile)
{
    const KeyframeTables tables = Read("# KEYFRAME in.key\nSECTION: HEADER\nFLAGS 0x0000\nNODES 1\n"
                                       "\nNODE 4\nMESH NAME arm\nENTRIES 1\n"
                                       "  12: 120 0x0000 1.5 -2.25 3 0.0 90.0 -45.0\n"
                                       "  0.1 0.2 0.3 0.4 0.5 0.6\n");
    ASSERT_EQ(kTitle1.size(), 102u);
    ASSERT_EQ(kTitle2.size(), 102u);
    EXPECT_EQ(BuildKeyText(tables, "01/02/24 10:00:00"),
              testing::MarkerLineStart("in.key") +
                  "01/02/24 10:00:00\r\n"
                  "SECTION: HEADER\r\n"
                  "FLAGS 0x0000\r\n"
                  "NODES 1\r\n"
                  "\r\n"
                  "NODE 4\r\n"
                  "MESH NAME arm\r\n"
                  "ENTRIES 1\r\n"
                  "\r\n" +
                  kTitle1 + "\r\n" + kTitle2 +
                  "\r\n"
                  // Widths 5, 9, 9, then 13 each; the second line starts under x.
                  "  12:      120   0x0000          1.5        -2.25            3          0.0"
                  "         90.0        -45.0\r\n"
                  "                                 0.1          0.2          0.3          0.4"
                  "          0.5          0.6\r\n"
                  "\r\n");
}

TEST(KeyFileWriter, TheMarkerReplacesTheFirstLineOnlyWhenItIsEmptyOrAComment)
{
    const struct {
        const char *source;
        const char *afterMarker;
    } rows[] = {
        {"# k\nFLAGS 1\nNODES 0\n\n", "FLAGS 1\r\nNODES 0\r\n\r\n"},
        {"\nFLAGS 1\nNODES 0\n\n", "FLAGS 1\r\nNODES 0\r\n\r\n"},
        {"\xEF\xBB\xBF \t# k\nNODES 0\n\n", "NODES 0\r\n\r\n"},
        {"NODES 0\n\n", "NODES 0\r\n\r\n"},
        {"FLAGS 3\nNODES 0\n\n", "FLAGS 3\r\nNODES 0\r\n\r\n"},
        {"SECTION: HEADER\nNODES 0\n\n", "SECTION: HEADER\r\nNODES 0\r\n\r\n"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.source);
        EXPECT_EQ(BuildKeyText(Read(row.source), "D"),
                  testing::MarkerLineStart("in.key") + "D\r\n" + row.afterMarker);
    }

    // An output converted again still loops and comes out the same.
    const std::string once = BuildKeyText(Read("FLAGS 3\nNODES 0\n\n"), "D");
    EXPECT_TRUE(Read(once).WrapsAround);
    EXPECT_EQ(BuildKeyText(Read(once), "D"), once);

    // Kept below the marker, a first line of a 100-line header would make one too many.
    std::string full = "FLAGS 3\n";
    for (int h = 2; h < kMaxHeaderLines; ++h)
        full += "SECTION: HEADER\n";
    const KeyframeTables tables = Read(full + "NODES 0\n\n");
    testing::ExpectFileError([&] { BuildKeyText(tables, "D"); }, ErrorCode::Subscript);
}

TEST(KeyFileWriter, TextsAsLongAsTheirColumnGetOneSpaceAndReadBackUnchanged)
{
    KeyframeTables tables =
        Read("# k\nNODES 1\nNODE 0\nENTRIES 1\n 0: 0 0x0 1 2 3 4 5 6\n 1 2 3 4 5 6\n");
    KeyEntry &entry = tables.KeyNodes(1).Entries(1);
    testing::SetField(entry, KeyEntry::kNum, "1234:");
    testing::SetField(entry, KeyEntry::kFrame, "123456789");
    testing::SetField(entry, KeyEntry::kFlags, "0x00000003");
    testing::SetField(entry, KeyEntry::kX, "-123.45678901");
    testing::SetField(entry, KeyEntry::kY, "123.456789012");
    testing::SetField(entry, KeyEntry::kZ, "-1234567.12345678");
    testing::SetField(entry, KeyEntry::kDX, "-0.00000100000");
    const std::string text = BuildKeyText(tables, "D");
    EXPECT_NE(text.find("\r\n 1234: 123456789 0x00000003 -123.45678901 123.456789012 "
                        "-1234567.12345678"),
              std::string::npos);
    EXPECT_NE(text.find("\r\n" + std::string(23, ' ') + " -0.00000100000"), std::string::npos);

    const KeyframeTables reread = Read(text);
    const KeyEntry &back = reread.KeyNodes(1).Entries(1);
    for (int f = 0; f < KeyEntry::kFieldCount; ++f) {
        SCOPED_TRACE(f);
        EXPECT_EQ(back.Field(f), entry.Field(f));
    }
}

TEST(KeyFileWriter, ReadBuildReadKeepsEveryFieldAndRebuildsTheSameBytes)
{
    const std::string source = testing::Crlf(testing::KeyText(
        {{"pelvis",
          {{0, "0.0", "-1.5", "2", "0.5", "0", "0"}, {24, "12", "-1.5", "2", "0", "0", "0"}}},
         {"l thigh", {{12, "-0.25", "1.0e-005", "-3", "0.1", "-0.2", "0"}}}},
        "0x0003"));
    const KeyframeTables first = Read(source, "walk.key");
    const std::string built = BuildKeyText(first, "D");
    const KeyframeTables second = Read(built, "walk.key");

    EXPECT_TRUE(second.WrapsAround);
    ASSERT_EQ(second.HeaderLineCount, first.HeaderLineCount);
    for (int h = 2; h <= first.HeaderLineCount; ++h)
        EXPECT_EQ(second.HeaderLines(h), first.HeaderLines(h));
    ASSERT_EQ(second.KeyNodeCount, 2);
    for (int n = 1; n <= 2; ++n) {
        const KeyNode &a = first.KeyNodes(n), &b = second.KeyNodes(n);
        EXPECT_EQ(b.Num, a.Num);
        EXPECT_EQ(b.MeshName, a.MeshName);
        ASSERT_EQ(b.EntryCount, a.EntryCount);
        for (int e = 1; e <= a.EntryCount; ++e)
            for (int f = 0; f < KeyEntry::kFieldCount; ++f)
                EXPECT_EQ(b.Entries(e).Field(f), a.Entries(e).Field(f))
                    << n << "/" << e << "/" << f;
    }
    EXPECT_EQ(BuildKeyText(second, "D"), built);
    EXPECT_EQ(built.substr(built.size() - 4), "\r\n\r\n");
    EXPECT_EQ(std::count(built.begin(), built.end(), '\n'),
              std::count(built.begin(), built.end(), '\r'));
}

}  // namespace
}  // namespace zerka
