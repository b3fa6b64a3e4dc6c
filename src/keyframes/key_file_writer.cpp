// SPDX-License-Identifier: MIT
#include "key_file_writer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "key_header.h"
#include "text_rules.h"

namespace zerka {
namespace {

constexpr std::string_view kTitleLine1 =
    "# num:   frame:   flags:           x:           y:           z:           p:           y:"
    "           r:";
constexpr std::string_view kTitleLine2 =
    "#                                 dx:          dy:          dz:          dp:          dy:"
    "          dr:";
constexpr std::size_t kSecondLineIndent = 23;

struct Column {
    std::string_view Text;
    std::size_t Width;
};

// Field texts are mostly 8 to 16 bytes: two overlapping words copy them without a call
// into the C library, which costs more than the copy itself at these sizes (std::copy
// instead made a batch 3.4 % more instructions, docs/performance.md).
char *CopyText(std::string_view text, char *to)
{
    const std::size_t n = text.size();
    const char *from = text.data();
    if (n >= 8 && n <= 16) {
        std::uint64_t head, tail;
        std::memcpy(&head, from, 8);
        std::memcpy(&tail, from + n - 8, 8);
        std::memcpy(to, &head, 8);
        std::memcpy(to + n - 8, &tail, 8);
        return to + n;
    }
    return std::copy(text.begin(), text.end(), to);
}

// One entry line and its CR LF, after `indent` spaces. Each text is right-aligned in its
// column; a text as long as the column or longer gets exactly one space instead, so
// neighbouring values never touch and every entry line begins with a space. The line's
// length is known before it is written, so the text grows once per line, not twice per
// column.
void AppendRow(std::string &out, std::size_t indent, std::initializer_list<Column> columns)
{
    std::size_t length = indent + kCrLf.size();
    for (const Column &column : columns)
        length += std::max(column.Width, column.Text.size() + 1);
    const std::size_t from = out.size();
    out.resize(from + length, ' ');
    char *at = out.data() + from + indent;
    for (const Column &column : columns) {
        at += column.Text.size() < column.Width ? column.Width - column.Text.size() : 1;
        at = CopyText(column.Text, at);
    }
    std::copy(kCrLf.begin(), kCrLf.end(), at);
}

// The source's first line is as a rule its own marker or title comment, which the marker
// line replaces. A first line that is data stays below it: without it a FLAGS 3 output
// would no longer loop, and a one-line header would lose its NODES line.
bool MarkerTakesThePlaceOf(std::string_view firstLine)
{
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (firstLine.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        firstLine.remove_prefix(kByteOrderMark.size());
    const std::size_t text = firstLine.find_first_not_of(" \t");
    return text == std::string_view::npos || firstLine[text] == '#';
}

}  // namespace

std::string BuildKeyText(const KeyframeTables &tables, const std::string &dateText)
{
    std::string out;
    std::size_t entries = 0;
    for (int n = 1; n <= tables.KeyNodeCount; ++n)
        entries += static_cast<std::size_t>(std::max<int>(tables.KeyNodes(n).EntryCount, 0));
    out.reserve(4096 + entries * 220 + tables.KeyNodeCount * 300);

    out += std::string(kMarkerStart) + ShownName(tables.SourceFileName) +
           std::string(kMarkerMiddle) + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + " on " + dateText;
    out += kCrLf;
    const int firstKept = MarkerTakesThePlaceOf(tables.HeaderLines(1)) ? 2 : 1;
    if (firstKept == 1 && tables.HeaderLineCount >= kMaxHeaderLines)
        throw FileError(ErrorCode::Subscript, tables.SourceFileName, 1,
                        "this first line is data and is kept below the marker line, which "
                        "would give the output more than 100 header lines");
    for (int h = firstKept; h <= tables.HeaderLineCount; ++h) {
        out += tables.HeaderLines(h);
        out += kCrLf;
    }
    out += kCrLf;

    for (int n = 1; n <= tables.KeyNodeCount; ++n) {
        const KeyNode &node = tables.KeyNodes(n);
        out += "NODE " + std::to_string(node.Num);
        out += kCrLf;
        out += "MESH NAME " + node.MeshName;
        out += kCrLf;
        out += "ENTRIES " + std::to_string(node.EntryCount);
        out += kCrLf;
        out += kCrLf;
        out += kTitleLine1;
        out += kCrLf;
        out += kTitleLine2;
        out += kCrLf;
        for (int b = 1; b <= node.EntryCount; ++b) {
            const KeyEntry &entry = node.Entries(b);
            AppendRow(out, 0,
                      {{entry.Num(), 5},
                       {entry.Frame(), 9},
                       {entry.Flags(), 9},
                       {entry.X(), 13},
                       {entry.Y(), 13},
                       {entry.Z(), 13},
                       {entry.Pitch(), 13},
                       {entry.Yaw(), 13},
                       {entry.Roll(), 13}});
            AppendRow(out, kSecondLineIndent,
                      {{entry.DX(), 13},
                       {entry.DY(), 13},
                       {entry.DZ(), 13},
                       {entry.DPitch(), 13},
                       {entry.DYaw(), 13},
                       {entry.DRoll(), 13}});
        }
        out += kCrLf;
    }
    return out;
}

}  // namespace zerka
