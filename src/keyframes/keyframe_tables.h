// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

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
    Cancelled = 32755,
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

// One keyframe entry: two lines of a key file. Every field is held as the text cut
// from the file; numbers are parsed only where arithmetic needs them.
//
// The texts share one buffer: Raw first, then every field text set since it was read, so
// reading an entry copies its two lines once and each field is a place in Raw. A field
// text stays valid until the entry is next changed.
class KeyEntry {
public:
    static constexpr int kFieldCount = 15;
    // Fields by token index.
    enum FieldIndex : int {
        kNum, kFrame, kFlags, kX, kY, kZ, kPitch, kYaw, kRoll,
        kDX, kDY, kDZ, kDPitch, kDYaw, kDRoll,
    };

    // The first line immediately followed by the second, as read.
    std::string_view Raw() const { return {text_.data(), rawSize_}; }
    std::string_view Num() const { return Text(kNum); }  // with its colon, e.g. "0:"
    std::string_view Frame() const { return Text(kFrame); }
    std::string_view Flags() const { return Text(kFlags); }
    std::string_view X() const { return Text(kX); }
    std::string_view Y() const { return Text(kY); }
    std::string_view Z() const { return Text(kZ); }
    std::string_view Pitch() const { return Text(kPitch); }
    std::string_view Yaw() const { return Text(kYaw); }
    std::string_view Roll() const { return Text(kRoll); }
    std::string_view DX() const { return Text(kDX); }
    std::string_view DY() const { return Text(kDY); }
    std::string_view DZ() const { return Text(kDZ); }
    std::string_view DPitch() const { return Text(kDPitch); }
    std::string_view DYaw() const { return Text(kDYaw); }
    std::string_view DRoll() const { return Text(kDRoll); }

    // Index outside 0..14: code 9.
    std::string_view Field(int index) const;
    void SetField(int index, std::string_view text);

    // Where a field lies among the entry's texts.
    struct Place {
        std::uint32_t Begin = 0;
        std::uint32_t Size = 0;
    };
    // Raw becomes the two lines, and field f the bytes places[f] of Raw (code 9 when one
    // does not lie within it): the reader's one step per entry.
    void SetRaw(std::string_view first, std::string_view second,
                const Place (&places)[kFieldCount]);
    // Field indices[i] becomes the i-th piece of texts, which ends at ends[i] (ascending,
    // the last at texts' end; code 9 otherwise): several texts stored in one step.
    template <std::size_t N>
    void SetFields(std::string_view texts, const int (&indices)[N], const std::size_t (&ends)[N])
    {
        bool valid = ends[N - 1] == texts.size();
        for (std::size_t i = 0; i < N; ++i)
            valid &= (indices[i] >= 0) & (indices[i] < kFieldCount) &
                     (i == 0 || ends[i - 1] <= ends[i]);
        if (!valid)
            FailPieces();
        const std::size_t base = AppendText(texts);
        for (std::size_t i = 0; i < N; ++i) {
            const std::size_t begin = i == 0 ? 0 : ends[i - 1];
            places_[indices[i]] = {static_cast<std::uint32_t>(base + begin),
                                   static_cast<std::uint32_t>(ends[i] - begin)};
        }
    }

    int Line = 0;  // line of the entry's first line in its file, for messages

private:
    // Offsets are 32 bits. Raw and each text are at most 64 MiB (a whole key file), the
    // buffer is compacted at twice what it shows, and never grows past 2^31 bytes.
    static constexpr std::size_t kMaxEntryText = std::size_t{64} << 20;
    static constexpr std::size_t kMaxEntryBuffer = std::size_t{1} << 31;

    std::string_view Text(int index) const
    {
        return {text_.data() + places_[index].Begin, places_[index].Size};
    }
    static void CheckIndex(int index);
    // Puts text behind Raw and the texts set before, and gives its offset.
    std::size_t AppendText(std::string_view text);
    [[noreturn]] static void FailPieces();
    std::size_t LiveSize() const;
    void Compact();

    std::string text_;
    std::uint32_t rawSize_ = 0;
    Place places_[kFieldCount] = {};
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

// Adds 1 to a 16-bit counter; passing 32767 is an overflow error (code 6).
void RaiseCounter(std::int16_t &counter);

// A name as messages, summary lines and the marker line show it: every byte below 0x20
// and 0x7F as \xNN (lowercase hex), so a name cannot break a line or forge one.
std::string ShownName(std::string_view name);

// The last path component, split at '/' and, for names typed on Windows, '\'.
std::string FileNameOf(std::string_view path);

}  // namespace zerka
