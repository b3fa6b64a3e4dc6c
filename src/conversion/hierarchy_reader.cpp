#include "hierarchy_reader.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace zerka {
namespace {

constexpr std::string_view kSectionTitle = "HIERARCHY NODES";
constexpr std::size_t kBlockSize = 1 << 16;
constexpr int kMinRecordTokens = 18;
constexpr const char *kSectionScope = "hierarchy section";

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

[[noreturn]] void ThrowOpenError(const std::string &path, int error)
{
    const ErrorCode code = error == ENOENT                     ? ErrorCode::FileNotFound
                           : error == EACCES || error == EPERM ? ErrorCode::PermissionDenied
                                                               : ErrorCode::PathAccess;
    throw FileError(code, path, 0, "cannot open: " + std::generic_category().message(error));
}

void ReadAt(std::FILE *file, const std::string &path, long pos, std::string &into)
{
    if (std::fseek(file, pos, SEEK_SET) != 0 ||
        std::fread(into.data(), 1, into.size(), file) != into.size())
        throw FileError(ErrorCode::DeviceIo, path, 0, "cannot read the file");
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A line that is not a record: the title, a blank line, or a comment.
bool IsSkippedLine(std::string_view line)
{
    if (line.substr(0, kSectionTitle.size()) == kSectionTitle)
        return true;
    const std::size_t first = line.find_first_not_of(" \t");
    return first == std::string_view::npos || line[first] == '#';
}

HierarchyNode ParseRecord(std::string_view line, const std::string &sourceName, int lineNo)
{
    HierarchyNode node;
    int count = 0;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i >= line.size())
            break;
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        const std::string_view token = line.substr(start, i - start);
        switch (count++) {
        case 0: node.Num.assign(token); break;
        case 8: node.X.assign(token); break;
        case 9: node.Y.assign(token); break;
        case 10: node.Z.assign(token); break;
        case 17: node.NodeName.assign(token); break;
        default: break;
        }
    }
    if (count < kMinRecordTokens)
        throw FileError(ErrorCode::TypeMismatch, sourceName, lineNo,
                        "a hierarchy record needs at least 18 values, found " +
                            std::to_string(count),
                        kSectionScope);
    return node;
}

}  // namespace

std::string ReadHierarchyTail(const std::string &path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw FileError(ErrorCode::PathAccess, path, 0, "is a folder, not a model file");
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        ThrowOpenError(path, errno);
    if (std::fseek(file.get(), 0, SEEK_END) != 0)
        ThrowOpenError(path, errno);
    const long length = std::ftell(file.get());
    if (length < 0)
        ThrowOpenError(path, errno);

    // Blocks are read from the end towards the start until the title turns up; each
    // search also covers the start of the block after it, for a title across the seam.
    // Only then is the tail read, so memory stays at one block while searching.
    std::string window;
    long pos = length;
    while (pos > 0) {
        const long size = std::min<long>(pos, static_cast<long>(kBlockSize));
        pos -= size;
        const std::string seam = window.substr(0, kSectionTitle.size() - 1);
        window.assign(static_cast<std::size_t>(size), '\0');
        ReadAt(file.get(), path, pos, window);
        window += seam;
        const std::size_t found = window.rfind(kSectionTitle);
        if (found != std::string::npos) {
            std::string tail(static_cast<std::size_t>(length - pos) - found, '\0');
            ReadAt(file.get(), path, pos + static_cast<long>(found), tail);
            return tail;
        }
    }
    throw FileError(ErrorCode::InputPastEnd, path, 0,
                    "no hierarchy section: the file has no \"HIERARCHY NODES\" title");
}

std::vector<HierarchyNode> ParseHierarchyText(std::string_view text, const std::string &sourceName)
{
    std::vector<HierarchyNode> records;
    int lineNo = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find('\n', pos);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        std::string_view line = text.substr(pos, stop - pos);
        pos = stop + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (IsSkippedLine(line))
            continue;
        if (records.size() == static_cast<std::size_t>(kMaxHierarchyNodes))
            throw FileError(ErrorCode::Subscript, sourceName, lineNo,
                            "more than 1000 hierarchy records", kSectionScope);
        records.push_back(ParseRecord(line, sourceName, lineNo));
    }
    if (records.empty())
        throw FileError(ErrorCode::InputPastEnd, sourceName, 0, "hierarchy section has no records");
    return records;
}

void LoadHierarchy(KeyframeTables &tables, const std::string &path, bool isOld)
{
    const std::string text = ReadHierarchyTail(path);
    const std::vector<HierarchyNode> records = ParseHierarchyText(text, path);

    // Only now, with every record read, is the table changed. Records beyond the new
    // count keep what an earlier, longer file left; matching never looks at them.
    auto &table = isOld ? tables.OldHierarchy : tables.NewHierarchy;
    for (std::size_t j = 0; j < records.size(); ++j)
        table(static_cast<int>(j) + 1) = records[j];
    (isOld ? tables.OldHierarchyCount : tables.NewHierarchyCount) =
        static_cast<std::int16_t>(records.size());
    (isOld ? tables.OldHierarchyFile : tables.NewHierarchyFile) = path;
}

}  // namespace zerka
