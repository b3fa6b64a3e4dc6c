// SPDX-License-Identifier: MIT
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// ZERKA_PORTABLE_TOKENS builds the path for processors without SSE2 where SSE2 is there too,
// so that its tests run on every machine.
#if defined(__SSE2__) && !defined(ZERKA_PORTABLE_TOKENS)
#define ZERKA_TOKENS_SSE2 1
#include <emmintrin.h>
#endif

namespace zerka {

// Cuts an entry line into its value tokens and hands each to take(begin, end) as offsets
// into the line. Tokens are separated by spaces and tabs; a '-' after a non-separator ends
// the token and starts the next ("1.0-2.5" is two values), except straight after 'e' or
// 'E', where it is the exponent's sign.
//
// Entry lines are mostly padding between short values, so a character-by-character loop
// mispredicts a branch at nearly every token edge. Here the line is classified 64 bytes at
// a time into bit masks, sixteen bytes per step with SSE2 (eight elsewhere), and token
// starts and ends are found by bit scans: the branches left are one per token.
//
// readable is how many bytes from the line's start may be read (at least its size): where
// 64 of them are, the bytes are classified where they lie instead of being copied first.
template <typename Take> void ForEachToken(std::string_view line, std::size_t readable, Take &&take)
{
#if !defined(ZERKA_TOKENS_SSE2)
    constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7fULL;
    constexpr std::uint64_t kEach = 0x0101010101010101ULL;
    // The high bit of each zero byte of x, exactly (no false hits from carries).
    auto zeroBytes = [](std::uint64_t x) { return ~(((x & kLow7) + kLow7) | x | kLow7); };
    // Gathers those high bits into eight bits, byte k to bit k.
    auto gather = [](std::uint64_t highs) { return ((highs >> 7) * 0x0102040810204080ULL) >> 56; };

#endif

    const std::size_t n = line.size();
    std::uint64_t blankBefore = 1;  // the line's start counts as a separator
    std::uint64_t exponentBefore = 0;
    bool inToken = false;
    std::size_t tokenStart = 0;
    for (std::size_t base = 0; base < n; base += 64) {
        // Bytes past the readable ones are never touched: a copy padded with spaces stands
        // in for them.
        char chunk[64];
        const char *bytes = line.data() + base;
        if (readable - base < 64) {
            std::memset(chunk, ' ', sizeof chunk);
            std::memcpy(chunk, bytes, n - base);
            bytes = chunk;
        }
        std::uint64_t blank = 0, minus = 0, exponent = 0;
#if defined(ZERKA_TOKENS_SSE2)
        // Sixteen bytes a step where the processor has them (every x86-64 does).
        for (int w = 0; w < 4; ++w) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + 16 * w));
            const auto bits = [](__m128i hits) {
                return static_cast<std::uint64_t>(
                    static_cast<std::uint16_t>(_mm_movemask_epi8(hits)));
            };
            const int shift = 16 * w;
            blank |= bits(_mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(' ')),
                                       _mm_cmpeq_epi8(x, _mm_set1_epi8('\t'))))
                     << shift;
            minus |= bits(_mm_cmpeq_epi8(x, _mm_set1_epi8('-'))) << shift;
            exponent |=
                bits(_mm_cmpeq_epi8(_mm_or_si128(x, _mm_set1_epi8(0x20)), _mm_set1_epi8('e')))
                << shift;
        }
#else
        for (int w = 0; w < 8; ++w) {
            std::uint64_t x;
            std::memcpy(&x, bytes + 8 * w, 8);
            // The masks take the line's first byte as the lowest one of a word.
            if constexpr (std::endian::native == std::endian::big)
                x = __builtin_bswap64(x);
            const int shift = 8 * w;
            blank |= gather(zeroBytes(x ^ (kEach * ' ')) | zeroBytes(x ^ (kEach * '\t'))) << shift;
            minus |= gather(zeroBytes(x ^ (kEach * '-'))) << shift;
            exponent |= gather(zeroBytes((x | (kEach * 0x20)) ^ (kEach * 'e'))) << shift;
        }
#endif
        // Bytes past the line's end count as separators, so a token ending there ends.
        if (n - base < 64)
            blank |= ~std::uint64_t{0} << (n - base);
        const std::uint64_t starts =
            ~blank & (((blank << 1) | blankBefore) | (minus & ~((exponent << 1) | exponentBefore)));
        // A token ends where a separator or the next token's start follows a token byte.
        std::uint64_t ends = (blank | starts) & ((~blank << 1) | (blankBefore ^ 1));
        blankBefore = blank >> 63;
        exponentBefore = exponent >> 63;

        // Starts and ends alternate, so the k-th end left closes the k-th start; a token
        // still open at the chunk's end is closed by the first end of a later one.
        if (inToken && ends != 0) {
            take(tokenStart, base + static_cast<std::size_t>(std::countr_zero(ends)));
            ends &= ends - 1;
            inToken = false;
        }
        for (std::uint64_t pending = starts; pending != 0; pending &= pending - 1) {
            const std::size_t begin = base + static_cast<std::size_t>(std::countr_zero(pending));
            if (ends != 0) {
                take(begin, base + static_cast<std::size_t>(std::countr_zero(ends)));
                ends &= ends - 1;
            } else {
                inToken = true;
                tokenStart = begin;
            }
        }
    }
    if (inToken)
        take(tokenStart, n);
}

template <typename Take> void ForEachToken(std::string_view line, Take &&take)
{
    ForEachToken(line, line.size(), take);
}

}  // namespace zerka
