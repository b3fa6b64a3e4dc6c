// SPDX-License-Identifier: MIT
// zerka.exe: the window on Windows. One set of tables lives as long as the window that
// works on it.
#include "win32/frm_main_win32.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/marker_date.h"
#include "keyframes/files.h"
#include "keyframes/keyframe_tables.h"
#include "window/window_arguments.h"
#include "window/window_layout.h"

namespace {

constexpr int kExitUsage = 2;

std::vector<std::string> Arguments()
{
    int count = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide && i < count; ++i)
        arguments.push_back(zerka::Utf8FromUtf16(wide[i]));
    LocalFree(wide);
    return arguments;
}

// A GUI program has no console to write to: what it says, it says in a box.
int Say(const std::string &text, UINT icon)
{
    MessageBoxW(nullptr, zerka::Utf16FromUtf8(text).c_str(),
                zerka::Utf16FromUtf8(zerka::kAppCaption).c_str(), MB_OK | icon);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand)
{
    const zerka::WindowArguments arguments = zerka::ParseWindowArguments(Arguments());
    if (arguments.Help)
        return Say(zerka::WindowHelpText(), MB_ICONINFORMATION);
    if (arguments.Version)
        return Say(zerka::WindowVersionText(), MB_ICONINFORMATION);
    if (!arguments.Problem.empty()) {
        Say(zerka::UsageErrorText(arguments.Problem), MB_ICONERROR);
        return kExitUsage;
    }
    if (!arguments.Folder.empty()) {
        // Opened as the batch opens it, so a folder past MAX_PATH counts as one too.
        try {
            zerka::Folder::Open(arguments.Folder, arguments.Folder);
        } catch (const zerka::FileError &) {
            Say(zerka::NotAFolderText(arguments.Folder), MB_ICONERROR);
            return kExitUsage;
        }
    }

    zerka::KeyframeTables tables;
    zerka::frmMainWin32 window(tables, [] { return zerka::MarkerDate(); });
    std::string folder = arguments.Folder;
    if (!folder.empty()) {
        std::wstring whole(32768, L'\0');
        whole.resize(GetFullPathNameW(zerka::Utf16FromUtf8(folder).c_str(),
                                      static_cast<DWORD>(whole.size()), whole.data(), nullptr));
        if (!whole.empty())  // else the folder as given, which opened above
            folder = zerka::Utf8FromUtf16(whole);
    }
    const HWND main = window.Create(folder);
    ShowWindow(main, showCommand);
    UpdateWindow(main);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.TakeDialogMessage(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
