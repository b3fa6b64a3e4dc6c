// SPDX-License-Identifier: MIT
// Any text given to the key file reader either loads into tables the writer can lay out,
// or fails with one of the reader's codes and a message naming the file and line.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "keyframes/key_file_reader.h"
#include "keyframes/key_file_writer.h"

using namespace zerka;
using zerka::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // One set of tables for the whole run, as the program keeps one: whatever an earlier
    // input left in them must not leak into this one's result.
    static KeyframeTables tables;
    static const std::string kName = "fuzz.key";
    const std::string_view text(reinterpret_cast<const char *>(data), size);

    try {
        LoadKeyText(tables, text, kName);
    } catch (const FileError &error) {
        fuzz::RequireNamesFile(error, kName, fuzz::CountLines(text));
        const int code = static_cast<int>(error.Code);
        Require(code == 5 || code == 6 || code == 9 || code == 13 || code == 62,
                "unexpected code " + std::to_string(code) + ": " + error.what());
        return 0;
    }

    Require(tables.HeaderLineCount >= 1 && tables.HeaderLineCount <= kMaxHeaderLines,
            "header line count out of bounds");
    Require(tables.HeaderLines(tables.HeaderLineCount).rfind("NODES", 0) == 0,
            "the last header line is not the NODES line");
    Require(tables.KeyNodeCount >= 0 && tables.KeyNodeCount <= kMaxKeyNodes,
            "node count out of bounds");
    for (int n = 1; n <= tables.KeyNodeCount; ++n) {
        const KeyNode &node = tables.KeyNodes(n);
        Require(node.EntryCount >= 0 && node.EntryCount <= kMaxEntries,
                "entry count out of bounds");
        for (int b = 1; b <= node.EntryCount; ++b)
            for (int f = 0; f < KeyEntry::kFieldCount; ++f) {
                Require(!node.Entries(b).Field(f).empty(), "an entry field is empty");
                fuzz::RequireNumberLikeC(node.Entries(b).Field(f));
            }
    }
    tables.SourceFileName = kName;
    std::string built;
    try {
        built = BuildKeyText(tables, "01/02/2003 04:05:06");
    } catch (const FileError &error) {
        // Only a full header whose first line is data, kept below the marker line, is
        // refused: the output would have one header line too many.
        Require(error.File == kName && tables.HeaderLineCount == kMaxHeaderLines,
                std::string("building failed on a header that fits: ") + error.what());
        return 0;
    }
    Require(built.size() >= 2 && built.compare(built.size() - 2, 2, "\r\n") == 0,
            "built text does not end in CR LF");
    return 0;
}
