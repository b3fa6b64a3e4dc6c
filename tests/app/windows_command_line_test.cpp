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

}  // namespace
}  // namespace zerka
