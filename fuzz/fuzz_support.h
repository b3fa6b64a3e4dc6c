// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "keyframes/keyframe_tables.h"
#include "keyframes/number_text.h"

namespace zerka::fuzz {

// A broken property is a finding: say which one and stop, so libFuzzer keeps the input.
[[noreturn]] inline void Fail(const std::string &what)
{
    std::fprintf(stderr, "property broken: %s\n", what.c_str());
    std::abort();
}

inline void Require(bool holds, const std::string &what)
{
    if (!holds)
        Fail(what);
}

inline int CountLines(std::string_view text)
{
    int lines = 0;
    for (const char c : text)
        lines += c == '\n';
    return lines + (!text.empty() && text.back() != '\n');
}

// Every error a person sees names the file, and a line only where the file has one.
inline void RequireNamesFile(const FileError &error, const std::string &file, int maxLine)
{
    const std::string message = error.what();
    Require(error.File == file, "error names '" + error.File + "', not '" + file + "': " + message);
    Require(message.rfind(file, 0) == 0, "message does not start with the file: " + message);
    Require(error.Line >= 0 && error.Line <= maxLine,
            "line " + std::to_string(error.Line) + " outside the file: " + message);
    if (error.Line > 0)
        Require(message.find("line " + std::to_string(error.Line)) != std::string::npos,
                "message does not name its line: " + message);
    Require(!error.Description.empty(), "error without a description");
}

// The number texts against the C library as an independent oracle: a text the parser takes
// reads as strtod reads it, and formatting gives exactly printf's "%.8f" (the fuzzers run
// in the C locale).
inline void RequireNumberLikeC(std::string_view text)
{
    double value = 0;
    try {
        value = ParseDoubleText(text);
    } catch (const FileError &) {
        return;
    }
    const std::string copy(text);
    const double expected = std::strtod(copy.c_str(), nullptr);
    Require(value == expected, "'" + copy + "' parsed differently from strtod");
    char printed[400];
    std::snprintf(printed, sizeof printed, "%.8f", value);
    Require(FormatDouble(value) == printed,
            "'" + copy + "' formats as " + FormatDouble(value) + ", printf gives " + printed);
}

}  // namespace zerka::fuzz
