// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the window program takes on its command line, whatever toolkit it opens: a folder
// to open the lists on, --help and --version, which answer without a display.
namespace zerka {

struct WindowArguments {
    bool Help = false;
    bool Version = false;
    std::string Folder;  // empty: the folder the program was started in
    std::string Problem;  // a wrong argument, in words; empty when all are right
};

// Reads the arguments after the program's name, once the toolkit has taken its own.
WindowArguments ParseWindowArguments(const std::vector<std::string> &arguments);

// What --help shows and --version says.
std::string WindowHelpText();
std::string WindowVersionText();

// Whether a toolkit platform list (QT_QPA_PLATFORM: "wayland;xcb", "vnc:size=800x600")
// names one that draws into memory, a frame buffer or a remote viewer, needing no display.
bool IsPlatformWithoutDisplay(std::string_view platforms);

// The window needs a display: an X or Wayland one, or such a platform.
bool HasDisplay(std::string_view display, std::string_view waylandDisplay,
                std::string_view platforms);

// What the program says of a wrong argument, and of a FOLDER that is none.
std::string UsageErrorText(const std::string &problem);
std::string NotAFolderText(const std::string &folder);

inline constexpr const char *kNoDisplayText = "no display: set DISPLAY, or use zerka-cli";

}  // namespace zerka
