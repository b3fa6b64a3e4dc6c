// SPDX-License-Identifier: MIT
#include "window/window_arguments.h"

#include <gtest/gtest.h>

namespace zerka {
namespace {

TEST(WindowArguments, AFolderHelpAndVersionAndWhatIsWrong)
{
    const struct {
        std::vector<std::string> arguments;
        bool help, version;
        const char *folder, *problem;
    } rows[] = {
        {{}, false, false, "", ""},
        {{"anims"}, false, false, "anims", ""},
        {{"-h"}, true, false, "", ""},
        {{"--help", "anims"}, true, false, "anims", ""},
        {{"-V"}, false, true, "", ""},
        {{"--version"}, false, true, "", ""},
        {{"--", "-anims"}, false, false, "-anims", ""},
        {{"--bogus"}, false, false, "", "Unknown option 'bogus'."},
        {{"---"}, false, false, "", "Unknown option '---'."},
        {{"a", "b"}, false, false, "a", "too many arguments"},
    };
    for (const auto &row : rows) {
        const WindowArguments parsed = ParseWindowArguments(row.arguments);
        EXPECT_EQ(parsed.Help, row.help);
        EXPECT_EQ(parsed.Version, row.version);
        EXPECT_EQ(parsed.Folder, row.folder);
        EXPECT_EQ(parsed.Problem, row.problem);
    }
}

TEST(WindowArguments, APlatformThatDrawsIntoMemoryNeedsNoDisplay)
{
    const struct {
        const char *display, *wayland, *platforms;
        bool has;
    } rows[] = {
        {"", "", "", false},          {":0", "", "", true},
        {"", "wayland-0", "", true},  {"", "", "offscreen", true},
        {"", "", "xcb", false},       {"", "", "wayland;offscreen", true},
        {"", "", "vnc:size=800x600", true}, {"", "", " minimal ", true},
        {"", "", "offscreenx", false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.platforms);
        EXPECT_EQ(HasDisplay(row.display, row.wayland, row.platforms), row.has);
    }
}

}  // namespace
}  // namespace zerka
