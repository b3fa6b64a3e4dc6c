// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

#include "key_entry.h"

namespace zerka {

// Numeric error codes, kept compatible with the codes users already know from the
// tool's message boxes.
enum class ErrorCode : int {
    InvalidArgument = 5,
    Overflow = 6,
    OutOfMemory = 7,
    Subscript = 9,
    TypeMismatch = 13,
    FileNotFound = 53,
    DeviceIo = 57,
    InputPastEnd = 62,
    PermissionDenied = 70,
    PathAccess = 75,
};

// The one error type of the core, raised once by the code that knows the file and line.
// what() is the whole sentence a user sees, e.g.
// "walk.key, line 12: expected 9 values on an entry's first line, found 8".
// File (as listed, or as the user named it) and Line are kept apart for the batch
// summary, which names the file itself (Line 0 = no line).
class FileError : public std::runtime_error {
public:
    FileError(ErrorCode code, std::string file, int line, std::string description,
              std::string lineScope = {});

    ErrorCode Code;
    std::string File;
    int Line;
    std::string Description;
    std::string LineScope;  // "hierarchy section" when Line counts from the section title
};

inline constexpr int kMaxKeyNodes = 100;
inline constexpr int kMaxEntries = 100;
inline constexpr int kMaxHeaderLines = 100;
inline constexpr int kMaxHierarchyNodes = 1000;
inline constexpr int kMaxMatchedNodes = 1000;

// A fixed-size table indexed from 1, as the tool's tables always were. Storage is made
// once; nothing is ever cleared, so content beyond the current counts stays in place.
template <typename T, int Size> class Table {
public:
    Table() : items_(Size) { }

    T &operator()(int index) { return items_[Checked(index)]; }
    const T &operator()(int index) const { return items_[Checked(index)]; }

private:
    static std::size_t Checked(int index)
    {
        if (index < 1 || index > Size)
            throw FileError(ErrorCode::Subscript, {}, 0,
                            "index " + std::to_string(index) + " is outside 1.." +
                                std::to_string(Size));
        return static_cast<std::size_t>(index - 1);
    }

    std::vector<T> items_;
};

struct KeyNode {
    std::int16_t Num = 0;  // the joint it animates, by the joint's number
    int Line = 0;  // of its NODE line, for messages
    std::string MeshName;
    std::int16_t EntryCount = 0;
    Table<KeyEntry, kMaxEntries> Entries;
    double OffsetX = 0;
    double OffsetY = 0;
    double OffsetZ = 0;
};

// One record of a model file's hierarchy section: tokens 0, 8, 9, 10 and 17.
struct HierarchyNode {
    std::string Num;
    // The joint number Num gives ("4:" is 4), the number a key file's NODE line names the
    // joint by; none when Num is no integer of 16 bits.
    std::optional<std::int16_t> JointNumber;
    std::string X;
    std::string Y;
    std::string Z;
    std::string NodeName;
    int Line = 0;  // its line counted from the section title, for messages
};

// What the line numbers of hierarchy records count from.
inline constexpr const char *kHierarchyLineScope = "hierarchy section";

// All data of the tool. The program makes one and passes it by reference to every
// procedure; tests make fresh ones.
struct KeyframeTables {
    Table<KeyNode, kMaxKeyNodes> KeyNodes;
    std::int16_t KeyNodeCount = 0;
    Table<std::string, kMaxHeaderLines> HeaderLines;
    std::int16_t HeaderLineCount = 0;
    bool WrapsAround = false;

    Table<HierarchyNode, kMaxHierarchyNodes> NewHierarchy;
    Table<HierarchyNode, kMaxHierarchyNodes> OldHierarchy;
    // Records set by the last successful load of each side; 0 until one succeeds.
    std::int16_t NewHierarchyCount = 0;
    std::int16_t OldHierarchyCount = 0;
    std::string NewHierarchyFile;
    std::string OldHierarchyFile;

    Table<std::int16_t, kMaxMatchedNodes> MatchedNodes;
    std::int16_t MatchedCount = 0;

    std::string SourceFileName;
};

// What running out of memory is called where it ends one file or one load.
inline constexpr const char *kOutOfMemoryText = "out of memory";

// Adds 1 to a 16-bit counter; passing 32767 is an overflow error (code 6).
void RaiseCounter(std::int16_t &counter);

// A name as messages, summary lines and the marker line show it: every byte below 0x20
// and 0x7F as \xNN (lowercase hex), so a name cannot break a line or forge one.
std::string ShownName(std::string_view name);

// The last path component, split at '/' and, for names typed on Windows, '\'.
std::string FileNameOf(std::string_view path);

// Two files as messages name them side by side: each by its file name, or, where the two
// file names are equal, with as many parent folders as it takes to tell them apart
// ("v1/hero.3do" and "v2/hero.3do"). The same path twice is its file name twice.
std::pair<std::string, std::string> NamesApart(std::string_view a, std::string_view b);

}  // namespace zerka
