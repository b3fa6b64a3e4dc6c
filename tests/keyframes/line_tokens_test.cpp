// SPDX-License-Identifier: MIT
#include "keyframes/line_tokens.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace zerka {
namespace {

using namespace std::string_literals;
using Tokens = std::vector<std::string>;

// readable: bytes of the buffer from the line's start; what follows the line must not
// change its tokens.
Tokens Cut(std::string_view line, std::size_t readable = 0)
{
    Tokens tokens;
    ForEachToken(line, std::max(readable, line.size()), [&](std::size_t begin, std::size_t end) {
        tokens.emplace_back(line.substr(begin, end - begin));
    });
    return tokens;
}

// The token rule stated one character at a time, to hold the word-wise cutter against.
Tokens CutCharByChar(std::string_view line)
{
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    Tokens tokens;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && blank(line[i]))
            ++i;
        if (i >= line.size())
            return tokens;
        const std::size_t start = i++;
        while (i < line.size() && !blank(line[i]) &&
               !(line[i] == '-' && line[i - 1] != 'e' && line[i - 1] != 'E'))
            ++i;
        tokens.emplace_back(line.substr(start, i - start));
    }
}

TEST(LineTokens, CutsAtBlanksAndAtMinusSignsThatDoNotFollowAnExponentMark)
{
    const std::pair<std::string, Tokens> rows[] = {
        {"", {}},
        {" \t ", {}},
        {"  0:  12\t0x0", {"0:", "12", "0x0"}},
        {"1.000000-2.500000", {"1.000000", "-2.500000"}},
        {"-1.0-2.0--3", {"-1.0", "-2.0", "-", "-3"}},
        {"1.0e-005 2.0E-3 e- -e-1", {"1.0e-005", "2.0E-3", "e-", "-e-1"}},
        {"x\0-y"s, {"x\0"s, "-y"}},
    };
    for (const auto &[line, tokens] : rows) {
        SCOPED_TRACE(line);
        EXPECT_EQ(Cut(line), tokens);
    }
}

// Tokens that cross or touch the 64-byte steps of the cutter, at every offset.
TEST(LineTokens, TokensAcrossWordAndBlockEdgesMatchTheCharacterRule)
{
    std::mt19937 random(20261207);
    const std::string alphabet = "  \t-eE5.x\x80\xff";
    for (int round = 0; round < 20000; ++round) {
        std::string line(random() % 200, ' ');
        for (char &c : line)
            c = alphabet[random() % alphabet.size()];
        SCOPED_TRACE(line);
        const Tokens expected = CutCharByChar(line);
        ASSERT_EQ(Cut(line), expected);
        std::string buffer = line + std::string(64, ' ');
        for (std::size_t i = line.size(); i < buffer.size(); ++i)
            buffer[i] = alphabet[random() % alphabet.size()];
        ASSERT_EQ(Cut(std::string_view(buffer).substr(0, line.size()), buffer.size()), expected);
    }
    for (std::size_t length = 60; length <= 130; ++length) {
        const std::string longToken(length, '7');
        ASSERT_EQ(Cut(longToken), Tokens{longToken});
        ASSERT_EQ(Cut(" " + longToken + "-1"), (Tokens{longToken, "-1"}));
        ASSERT_EQ(Cut(longToken + "e-1 "), Tokens{longToken + "e-1"});
    }
}

}  // namespace
}  // namespace zerka
