// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

// The small text rules every file format of the tool shares, written once.
namespace zerka {

// Files break lines with CR LF; the tool writes them so.
inline constexpr std::string_view kCrLf = "\r\n";

// Names and keywords compare with ASCII letters folded and every other byte as it is: a
// UTF-8 name is never changed by a locale's idea of case.
constexpr char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

inline bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
}

inline bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && SameIgnoringCase(text.substr(0, prefix.size()), prefix);
}

inline bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() &&
           SameIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

// Spaces and tabs: what separates the fields of a model's records and may surround a number.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Hands out the lines of a text one by one, split on LF, each without a CR before its LF,
// so CR LF and LF files read the same. Text after the last LF is a line too.
class LineSplitter {
public:
    explicit LineSplitter(std::string_view text) : text_(text) { }

    bool Next(std::string_view &line)
    {
        if (pos_ >= text_.size())
            return false;
        const std::size_t end = text_.find('\n', pos_);
        const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
        line = text_.substr(pos_, stop - pos_);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        pos_ = stop + 1;
        ++lineNumber_;
        return true;
    }

    // The line Next gave last, counted from 1.
    int LineNumber() const { return lineNumber_; }
    // Bytes that may be read from line on: up to the text's end.
    std::size_t ReadableFrom(std::string_view line) const
    {
        return static_cast<std::size_t>(text_.data() + text_.size() - line.data());
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    int lineNumber_ = 0;
};

}  // namespace zerka
