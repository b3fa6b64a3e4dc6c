// SPDX-License-Identifier: MIT
#include "app/windows_command_line.h"

#include <gtest/gtest.h>

namespace zerka {
namespace {

TEST(WindowsCommandLine, SplitsAsTheRuntimeButKeepsAQuotedFoldersTrailingBackslash)
{
    using Args = std::vector<std::wstring>;
    const struct {
        const wchar_t *line;
        Args arguments;
    } rows[] = {
        {L"zerka-cli.exe a b", {L"zerka-cli.exe", L"a", L"b"}},
        {LR"("C:\Program Files\Zerka\zerka-cli.exe" -q)", {LR"(C:\Program Files\Zerka\zerka-cli.exe)", L"-q"}},
        {LR"(z "Z:\anims\my folder\")", {L"z", LR"(Z:\anims\my folder\)"}},
        {LR"(z "Z:\anims\my folder\" -q --json)", {L"z", LR"(Z:\anims\my folder\)", L"-q", L"--json"}},
        {LR"(z "C:\" next)", {L"z", LR"(C:\)", L"next"}},
        {LR"(z "a\"b" c)", {L"z", LR"(a"b)", L"c"}},  // an escaped quote inside stays one
        {LR"(z a\\"b c" d)", {L"z", LR"(a\b c)", L"d"}},
        {LR"(z "say ""hi""")", {L"z", LR"(say "hi")"}},
        {LR"(z C:\dir\ x)", {L"z", LR"(C:\dir\)", L"x"}},
        {L"z /? x", {L"z", L"--help", L"x"}},
        {L"z\t \"\"", {L"z", L""}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.line)));
        EXPECT_EQ(SplitCommandLine(row.line), row.arguments);
    }
}

TEST(WindowsCommandLine, QuotesAnArgumentSoThatItsBackslashesStayItsOwn)
{
    const struct {
        const wchar_t *argument, *quoted;
    } rows[] = {
        {LR"(C:\anims)", LR"("C:\anims")"},
        {LR"(Z:\anims\my folder\)", LR"("Z:\anims\my folder\\")"},
        {LR"(a"b)", LR"("a\"b")"},
        {LR"(a\"b)", LR"("a\\\"b")"},
        {LR"(\\server\share\)", LR"("\\server\share\\")"},
        {L"", LR"("")"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(QuotedArgument(row.argument), row.quoted) << testing::PrintToString(std::wstring(row.argument));
}

TEST(WindowsConsole, HoldsBackOnlyACharacterCutShortAtTheEnd)
{
    const struct {
        const char *text;
        std::size_t complete;
    } rows[] = {
        {"walk.key", 8},
        {"d\xC3\xA9", 3},          // é whole
        {"d\xC3", 1},               // é cut after its lead byte
        {"\xE6\x97\xA5", 3},        // 日 whole
        {"a\xE6\x97", 1},           // 日 cut after two of its three
        {"\xF0\x9F\x98", 0},        // an emoji cut after three of its four
        {"\xF0\x9F\x98\x80", 4},
        {"a\xFF", 2},               // no UTF-8: passed on, not held
        {"a\x80", 2},               // a stray continuation byte, likewise
        {"", 0},
    };
    for (const auto &row : rows)
        EXPECT_EQ(CompleteUtf8Length(row.text), row.complete) << testing::PrintToString(row.text);
}

}  // namespace
}  // namespace zerka
