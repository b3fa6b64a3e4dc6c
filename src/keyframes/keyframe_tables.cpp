// SPDX-License-Identifier: MIT
#include "keyframe_tables.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace zerka {
namespace {

std::string ComposeMessage(const std::string &file, int line, const std::string &description,
                           const std::string &lineScope)
{
    std::string message = ShownName(file);
    if (line > 0) {
        message += message.empty() ? "line " : ", line ";
        message += std::to_string(line);
        if (!lineScope.empty())
            message += " of the " + lineScope;
    }
    if (!message.empty())
        message += ": ";
    return message + description;
}

}  // namespace

FileError::FileError(ErrorCode code, std::string file, int line, std::string description,
                     std::string lineScope)
    : std::runtime_error(ComposeMessage(file, line, description, lineScope)), Code(code),
      File(std::move(file)), Line(line), Description(std::move(description)),
      LineScope(std::move(lineScope))
{
}

void KeyEntry::CheckIndex(int index)
{
    if (index < 0 || index >= kFieldCount)
        throw FileError(ErrorCode::Subscript, {}, 0,
                        "field " + std::to_string(index) + " is outside 0..14");
}

void KeyEntry::FailCut(int index)
{
    CheckIndex(index);
    throw FileError(ErrorCode::Subscript, {}, 0,
                    "field " + std::to_string(index) + " lies outside the entry's texts");
}

std::string_view KeyEntry::Field(int index) const
{
    CheckIndex(index);
    return Text(index);
}

void KeyEntry::SetRaw(std::string_view first, std::string_view second)
{
    if (first.size() + second.size() > kMaxEntryText)
        throw FileError(ErrorCode::OutOfMemory, {}, 0, "an entry's two lines are too long");
    const auto inside = [this](std::string_view text) {
        return !text.empty() && text.data() >= text_.data() &&
               text.data() < text_.data() + text_.size();
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
    std::fill(std::begin(begin_), std::end(begin_), 0);
    std::fill(std::begin(size_), std::end(size_), 0);
}

void KeyEntry::SetField(int index, std::string_view text)
{
    CheckIndex(index);
    CutField(index, AppendText(text), text.size());
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
        if (begin_[index] >= rawSize_)
            live += size_[index];
    return live;
}

void KeyEntry::Compact()
{
    std::string kept(Raw());
    for (int index = 0; index < kFieldCount; ++index) {
        if (begin_[index] >= rawSize_) {
            const std::size_t begin = kept.size();
            kept.append(Text(index));
            begin_[index] = static_cast<std::uint32_t>(begin);
        }
    }
    text_.swap(kept);
}

void RaiseCounter(std::int16_t &counter)
{
    if (counter == std::numeric_limits<std::int16_t>::max())
        throw FileError(ErrorCode::Overflow, {}, 0, "a counter passed 32767");
    ++counter;
}

std::string ShownName(std::string_view name)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0xf];
        } else {
            shown += c;
        }
    }
    return shown;
}

std::string FileNameOf(std::string_view path)
{
    const auto cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

}  // namespace zerka
