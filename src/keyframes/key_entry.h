// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zerka {

// One keyframe entry: two lines of a key file. Every field is held as the text cut
// from the file; numbers are parsed only where arithmetic needs them.
//
// The texts share one buffer: Raw first, then every field text set since it was read, so
// reading an entry copies its two lines once and each field is a place in Raw. A field
// text stays valid until the entry is next changed. Fields as sixteen plain strings made a
// batch a fifth slower (docs/performance.md).
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
        if (ends[N - 1] != texts.size())
            FailPieces();
        for (std::size_t i = 0; i < N; ++i)
            if (indices[i] < 0 || indices[i] >= kFieldCount || (i > 0 && ends[i - 1] > ends[i]))
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

}  // namespace zerka
