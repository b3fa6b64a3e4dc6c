// SPDX-License-Identifier: MIT
// Inputs the fuzzers found, kept so the faults they showed stay fixed. Each broke the
// chain's promise: what the reader accepts converts into a text that reads back the same.
#include <string>

#include <gtest/gtest.h>

#include "conversion/keyframe_conversion.h"
#include "keyframes/key_file_reader.h"
#include "keyframes/key_file_writer.h"
#include "support/test_support.h"

namespace zerka {
namespace {

using testing::ExpectFileError;

void SetEqualHierarchies(KeyframeTables &tables, int count)
{
    for (int i = 1; i <= count; ++i) {
        HierarchyNode &record = tables.OldHierarchy(i);
        record.Num = std::to_string(i - 1) + ":";
        record.JointNumber = static_cast<std::int16_t>(i - 1);
        record.X = "1";
        record.Y = "2";
        record.Z = "3";
        record.NodeName = "n" + std::to_string(i);
        tables.NewHierarchy(i) = tables.OldHierarchy(i);
    }
    tables.OldHierarchyCount = tables.NewHierarchyCount = static_cast<std::int16_t>(count);
}

TEST(FuzzFindings, NodeLinesInTheHeaderAreRefusedInsteadOfWrittenTwice)
{
    // Read as a node and kept as header lines, the node came out twice, or the built text
    // could not be read at all when its entries followed in the header.
    const char *inputs[] = {
        "h\nNODE 1\nMSH ENAME a\nNODES 2\nNODE 1\nMESH NAME a\nENTRIES 0\n",
        "h\nNODE 1\nENTRIES 1\n 0: 0 0 1 2 3 4 5 6\n 1 2 3 4 5 6\nNODES 1\n\n",
        "h\nMESH NAME a\nNODES 0\n\n",
    };
    for (const char *input : inputs) {
        SCOPED_TRACE(input);
        KeyframeTables tables;
        const FileError error =
            ExpectFileError([&] { LoadKeyText(tables, input, "f.key"); }, ErrorCode::Subscript);
        EXPECT_EQ(error.Line, 2);
    }
}

TEST(FuzzFindings, AnOverflowingDeltaFailsTheFileAndLeavesTheEntryAsRead)
{
    // The delta (1.7e308 - -1.7e308) / 1 was written as "-inf", which no reader takes.
    KeyframeTables tables;
    LoadKeyText(tables,
                "h\nNODES 1\nNODE 0\nENTRIES 2\n 0: 0 0 1.7e308 0 0 0 0 0\n 1 0 0 0 0 0\n"
                " 1: 1 0 -1.7e308 0 0 0 0 0\n 1 0 0 0 0 0\n",
                "f.key");
    SetEqualHierarchies(tables, 1);
    const FileError error =
        ExpectFileError([&] { ConvertTables(tables, "f.key"); }, ErrorCode::Overflow);
    EXPECT_STREQ(error.what(), "f.key, line 5: the computed DX is out of range");
    EXPECT_EQ(tables.KeyNodes(1).Entries(1).X(), "1.7e308");
    EXPECT_EQ(tables.KeyNodes(1).Entries(1).DX(), "1");
}

TEST(FuzzFindings, ConvertedExtremeButFiniteValuesReadBack)
{
    KeyframeTables tables;
    LoadKeyText(tables,
                "h\nNODES 1\nNODE 0\nENTRIES 2\n 0: 0 0 1.7e308 -0.0 4.9e-324 0 0 0\n 1 1 1 0 0 0\n"
                " 1: 32767 0 1e308 -0.000000004 0 0 0 0\n 1 1 1 0 0 0\n",
                "f.key");
    SetEqualHierarchies(tables, 1);
    ConvertTables(tables, "f.key");
    KeyframeTables again;
    LoadKeyText(again, BuildKeyText(tables, "D"), "again.key");
    for (int b = 1; b <= 2; ++b)
        for (int f = 0; f < KeyEntry::kFieldCount; ++f)
            EXPECT_EQ(again.KeyNodes(1).Entries(b).Field(f), tables.KeyNodes(1).Entries(b).Field(f))
                << "entry " << b << " field " << f;
    EXPECT_EQ(again.KeyNodes(1).Entries(2).Y(), "-0.00000000");
}

}  // namespace
}  // namespace zerka
