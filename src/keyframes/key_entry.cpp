// SPDX-License-Identifier: MIT
#include "key_entry.h"

#include <algorithm>
#include <functional>
#include <iterator>

#include "keyframe_tables.h"

namespace zerka {

void KeyEntry::CheckIndex(int index)
{
    if (index < 0 || index >= kFieldCount)
        throw FileError(ErrorCode::Subscript, {}, 0,
                        "field " + std::to_string(index) + " is outside 0..14");
}

void KeyEntry::FailPieces()
{
    throw FileError(ErrorCode::Subscript, {}, 0, "the texts given do not match their fields");
}

std::string_view KeyEntry::Field(int index) const
{
    CheckIndex(index);
    return Text(index);
}

void KeyEntry::SetRaw(std::string_view first, std::string_view second,
                      const Place (&places)[kFieldCount])
{
    if (first.size() + second.size() > kMaxEntryText)
        throw FileError(ErrorCode::OutOfMemory, {}, 0, "an entry's two lines are too long");
    const std::uint64_t rawSize = first.size() + second.size();
    for (const Place &place : places)
        if (std::uint64_t{place.Begin} + place.Size > rawSize)
            throw FileError(ErrorCode::Subscript, {}, 0, "a field lies outside the entry's lines");
    const auto inside = [this](std::string_view text) {
        const std::less<const char *> before;  // a total order, for unrelated pointers too
        return !text.empty() && !before(text.data(), text_.data()) &&
               before(text.data(), text_.data() + text_.size());
    };
    if (inside(first) || inside(second)) {  // assigning would overwrite what is still read
        std::string joined(first);
        joined += second;
        text_.swap(joined);
    } else {
        text_.assign(first);
        text_.append(second);
    }
    rawSize_ = static_cast<std::uint32_t>(text_.size());
    std::copy(std::begin(places), std::end(places), places_);
}

std::size_t KeyEntry::AppendText(std::string_view text)
{
    if (text.size() > kMaxEntryText)
        throw FileError(ErrorCode::OutOfMemory, {}, 0, "a field text is too long");
    // Texts set again and again would only pile up behind Raw: past a bound the buffer
    // keeps just what is still shown. A text taken from this entry is copied first, since
    // that moves it.
    if (text_.size() > 2 * std::size_t{rawSize_} + 256 && text_.size() > 2 * LiveSize() + 256) {
        const std::string kept(text);
        Compact();
        return AppendText(kept);
    }
    // Fields set by hand may overlap and so seem to keep more than they do: the offsets
    // must still fit in 32 bits.
    if (text_.size() + text.size() > kMaxEntryBuffer)
        throw FileError(ErrorCode::OutOfMemory, {}, 0, "an entry's texts are too long");
    const std::size_t begin = text_.size();
    text_.append(text);
    return begin;
}

std::size_t KeyEntry::LiveSize() const
{
    std::size_t live = rawSize_;
    for (int index = 0; index < kFieldCount; ++index)
        if (places_[index].Begin >= rawSize_)
            live += places_[index].Size;
    return live;
}

void KeyEntry::Compact()
{
    std::string kept(Raw());
    for (int index = 0; index < kFieldCount; ++index) {
        if (places_[index].Begin >= rawSize_) {
            const std::size_t begin = kept.size();
            kept.append(Text(index));
            places_[index].Begin = static_cast<std::uint32_t>(begin);
        }
    }
    text_.swap(kept);
}

}  // namespace zerka
