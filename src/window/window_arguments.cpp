// SPDX-License-Identifier: MIT
#include "window_arguments.h"

#include "zerka_version.h"

namespace zerka {
namespace {

constexpr std::string_view kPlatformsWithoutDisplay[] = {
    "offscreen", "minimal", "minimalegl", "vnc", "linuxfb", "eglfs", "vkkhrdisplay"};

std::string_view Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

WindowArguments ParseWindowArguments(const std::vector<std::string> &arguments)
{
    WindowArguments parsed;
    bool optionsEnd = false;
    std::vector<std::string> folders;
    for (const std::string &argument : arguments) {
        if (!optionsEnd && argument == "--") {
            optionsEnd = true;
        } else if (!optionsEnd && (argument == "-h" || argument == "--help")) {
            parsed.Help = true;
        } else if (!optionsEnd && (argument == "-V" || argument == "--version")) {
            parsed.Version = true;
        } else if (!optionsEnd && argument.size() > 1 && argument.front() == '-') {
            if (parsed.Problem.empty())
                parsed.Problem = "Unknown option '" +
                                 (argument.find_first_not_of('-') == std::string::npos
                                      ? argument
                                      : argument.substr(argument.find_first_not_of('-'))) +
                                 "'.";
        } else {
            folders.push_back(argument);
        }
    }
    if (folders.size() > 1 && parsed.Problem.empty())
        parsed.Problem = "too many arguments";
    if (!folders.empty())
        parsed.Folder = folders.front();
    return parsed;
}

std::string WindowHelpText()
{
    return "Usage: zerka [options] [FOLDER]\n"
           "Opens the Zerka window, which moves the keyframe animations (.key files) of a\n"
           "folder onto a rebuilt model hierarchy (.3do files) and writes them into the\n"
           "folder's New subfolder. zerka-cli does the same without a window.\n"
           "\n"
           "Qt's own options, such as -platform NAME, are accepted as well.\n"
           "\n"
           "Exit status: 0 once the window is closed, 2 for a wrong argument or when no\n"
           "display is available (DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM).\n"
           "\n"
           "Options:\n"
           "  -h, --help     Display this help and exit.\n"
           "  -V, --version  Output version information and exit.\n"
           "\n"
           "Arguments:\n"
           "  FOLDER         Folder to open the folder lists on; default: the current folder.\n";
}

std::string UsageErrorText(const std::string &problem)
{
    return "zerka: " + problem + "\nTry 'zerka --help' for more information.";
}

std::string NotAFolderText(const std::string &folder) { return "zerka: " + folder + ": not a folder"; }

std::string WindowVersionText() { return std::string("zerka ") + kVersionText; }

bool IsPlatformWithoutDisplay(std::string_view platforms)
{
    while (!platforms.empty()) {
        const std::size_t end = platforms.find(';');
        std::string_view entry = platforms.substr(0, end);
        platforms = end == std::string_view::npos ? std::string_view{} : platforms.substr(end + 1);
        const std::string_view name = Trimmed(entry.substr(0, entry.find(':')));
        for (const std::string_view known : kPlatformsWithoutDisplay)
            if (name == known)
                return true;
    }
    return false;
}

bool HasDisplay(std::string_view display, std::string_view waylandDisplay,
                std::string_view platforms)
{
    return !display.empty() || !waylandDisplay.empty() || IsPlatformWithoutDisplay(platforms);
}

}  // namespace zerka
