// SPDX-License-Identifier: MIT
#include "key_file_reader.h"

#include <cstdint>

#include "files.h"
#include "line_tokens.h"
#include "number_text.h"
#include "key_header.h"
#include "text_rules.h"

namespace zerka {
namespace {

bool StartsWith(std::string_view line, std::string_view keyword)
{
    return line.substr(0, keyword.size()) == keyword;
}

class KeyTextParser {
public:
    KeyTextParser(KeyframeTables &tables, std::string_view text, const std::string &sourceName)
        : tables_(tables), lines_(text), sourceName_(sourceName)
    {
    }

    void Run()
    {
        try {
            ReadAll();
        } catch (const FileError &error) {
            if (!error.File.empty())
                throw;
            // Raised by the tables themselves (an index, a counter, an entry's texts), which
            // know no file: placed at the line being read.
            Fail(error.Code, error.Description);
        }
    }

private:
    void ReadAll()
    {
        tables_.HeaderLineCount = 0;
        tables_.KeyNodeCount = 0;
        tables_.WrapsAround = false;
        bool inHeader = true;
        std::string_view line;
        while (lines_.Next(line)) {
            if (inHeader)
                AddHeaderLine(line);
            // The line after "NODES" takes its place for the keyword tests, header or not;
            // it is never a header line itself.
            if (IsNodesLine(line)) {
                if (inHeader)
                    NoteDeclaredNodes(line);
                inHeader = false;
                if (!lines_.Next(line))
                    Fail(ErrorCode::InputPastEnd, "the file ends right after its NODES line");
            } else if (inHeader) {
                // A node's lines in the header would be taken as a node and also kept as
                // header lines, so the written file would hold that node twice.
                FailOnNodeLineInHeader(line);
            }
            if (StartsWith(line, "NODE"))
                AddNode(RestAfter(line, 5, "NODE"));
            else if (StartsWith(line, "MESH NAME"))
                CurrentNode("MESH NAME").MeshName.assign(RestAfter(line, 10, "MESH NAME"));
            else if (StartsWith(line, "ENTRIES"))
                ReadEntries(RestAfter(line, 8, "ENTRIES"));
        }
        if (inHeader)
            throw FileError(ErrorCode::InputPastEnd, sourceName_, 0,
                            "no NODES line: this is not a keyframe file");
        // A file cut off after its header, or between two nodes, still reads cleanly line
        // by line; only the count on its NODES line shows that nodes are missing.
        if (declaredNodes_ > tables_.KeyNodeCount)
            throw FileError(ErrorCode::InputPastEnd, sourceName_, nodesLine_,
                            "the NODES line declares " + std::to_string(declaredNodes_) +
                                " nodes but only " + std::to_string(tables_.KeyNodeCount) +
                                " follow");
    }

    [[noreturn]] void Fail(ErrorCode code, const std::string &description) const
    {
        throw FileError(code, sourceName_, lines_.LineNumber(), description);
    }

    // What follows a keyword and its separator ("NODE 3" -> "3"). A line holding only its
    // keyword has nothing to take: code 5.
    std::string_view RestAfter(std::string_view line, std::size_t skip, const char *keyword) const
    {
        if (line.size() < skip)
            Fail(ErrorCode::InvalidArgument,
                 std::string("the ") + keyword + " line holds only its keyword");
        return line.substr(skip);
    }

    TextSource Here(std::string_view what) const
    {
        return TextSource{sourceName_, lines_.LineNumber(), what};
    }

    // A count that is not a number is left alone, as it always was: it only serves to
    // tell a cut-off file.
    void NoteDeclaredNodes(std::string_view line)
    {
        nodesLine_ = lines_.LineNumber();
        try {
            declaredNodes_ = line.size() > 6 ? ParseIntegerText(line.substr(6), Here("NODES")) : 0;
        } catch (const FileError &) {
            declaredNodes_ = 0;
        }
    }

    void FailOnNodeLineInHeader(std::string_view line) const
    {
        for (const char *keyword : {"NODE", "MESH NAME", "ENTRIES"})
            if (StartsWith(line, keyword))
                Fail(ErrorCode::Subscript,
                     std::string("a ") + keyword + " line comes before the NODES line");
    }

    void AddHeaderLine(std::string_view line)
    {
        if (tables_.HeaderLineCount >= kMaxHeaderLines)
            Fail(ErrorCode::Subscript, "more than 100 header lines before the NODES line");
        RaiseCounter(tables_.HeaderLineCount);
        tables_.HeaderLines(tables_.HeaderLineCount).assign(line);
        if (StartsWithIgnoringCase(line, "FLAGS") && line.back() == '3')
            tables_.WrapsAround = true;
    }

    void AddNode(std::string_view numberText)
    {
        if (tables_.KeyNodeCount >= kMaxKeyNodes)
            Fail(ErrorCode::Subscript, "more than 100 nodes");
        RaiseCounter(tables_.KeyNodeCount);
        // A node starts empty, so one lacking its MESH NAME or ENTRIES line never carries
        // an earlier file's data into an output.
        KeyNode &node = tables_.KeyNodes(tables_.KeyNodeCount);
        node.MeshName.clear();
        node.EntryCount = 0;
        node.OffsetX = node.OffsetY = node.OffsetZ = 0;
        node.Line = lines_.LineNumber();
        node.Num = ParseIntegerText(numberText, Here("NODE"));
    }

    KeyNode &CurrentNode(const char *keyword)
    {
        if (tables_.KeyNodeCount == 0)
            Fail(ErrorCode::Subscript,
                 std::string("a ") + keyword + " line comes before any NODE line");
        return tables_.KeyNodes(tables_.KeyNodeCount);
    }

    void ReadEntries(std::string_view countText)
    {
        KeyNode &node = CurrentNode("ENTRIES");
        node.EntryCount = ParseIntegerText(countText, Here("ENTRIES"));
        if (node.EntryCount < 0 || node.EntryCount > kMaxEntries)
            Fail(ErrorCode::Subscript,
                 "ENTRIES " + std::to_string(node.EntryCount) + " is outside 0..100");
        for (int k = 1; k <= node.EntryCount; ++k)
            ReadEntry(node, k);
    }

    void ReadEntry(KeyNode &node, int k)
    {
        std::string_view first;
        for (;;) {
            if (!lines_.Next(first) || StartsWith(first, "NODE") ||
                StartsWith(first, "MESH NAME") || StartsWith(first, "ENTRIES"))
                Fail(ErrorCode::InputPastEnd, "node " + std::to_string(node.Num) + " declares " +
                                                  std::to_string(node.EntryCount) +
                                                  " entries but only " + std::to_string(k - 1) +
                                                  " follow");
            // Blank lines, comments and other lines without a colon may stand before an
            // entry.
            if (!first.empty() && first.front() != '#' && first.find(':') != std::string_view::npos)
                break;
        }
        KeyEntry &entry = node.Entries(k);
        entry.Line = lines_.LineNumber();
        KeyEntry::Place places[KeyEntry::kFieldCount];
        CutTokens(first, 0, places, 9, "first");

        // The second line follows immediately, whatever it holds.
        std::string_view second;
        if (!lines_.Next(second))
            Fail(ErrorCode::InputPastEnd, "entry " + std::to_string(k) + " of node " +
                                              std::to_string(node.Num) + " has no second line");
        CutTokens(second, first.size(), places + KeyEntry::kDX, 6, "second");
        entry.SetRaw(first, second, places);
    }

    // The line's tokens, as places in Raw where the line starts at offset.
    void CutTokens(std::string_view line, std::size_t offset, KeyEntry::Place *places,
                   int expected, const char *which) const
    {
        int count = 0;
        ForEachToken(line, lines_.ReadableFrom(line), [&](std::size_t begin, std::size_t end) {
            if (count < expected)
                places[count] = {static_cast<std::uint32_t>(offset + begin),
                                 static_cast<std::uint32_t>(end - begin)};
            ++count;
        });
        if (count != expected)
            Fail(ErrorCode::TypeMismatch, "expected " + std::to_string(expected) +
                                              " values on an entry's " + which + " line, found " +
                                              std::to_string(count));
    }

    KeyframeTables &tables_;
    LineSplitter lines_;
    const std::string &sourceName_;
    int declaredNodes_ = 0;
    int nodesLine_ = 0;
};

}  // namespace

int LoadKeyText(KeyframeTables &tables, std::string_view text, const std::string &sourceName)
{
    KeyTextParser(tables, text, sourceName).Run();
    return 1;
}

int LoadKeyFile(KeyframeTables &tables, const std::string &path, const std::string &name)
{
    return LoadKeyFile(tables, InputFile::Open(path, name.empty() ? path : name));
}

int LoadKeyFile(KeyframeTables &tables, const InputFile &file)
{
    const std::string text = file.ReadAll();
    return LoadKeyText(tables, text, file.Name());
}

}  // namespace zerka
