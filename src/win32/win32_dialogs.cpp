// SPDX-License-Identifier: MIT
#include "win32_dialogs.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "win32/win32_support.h"
#include "window/window_layout.h"

namespace zerka {
namespace {

constexpr wchar_t kSummaryClass[] = L"ZerkaSummaryBox";
constexpr int kDetailsId = 101;
constexpr int kMargin = 11;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;

LRESULT CALLBACK SummaryProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            DestroyWindow(box);
            return 0;
        }
        break;
    case WM_CLOSE:
        DestroyWindow(box);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(box, message, wParam, lParam);
}

void RegisterSummaryClass()
{
    static const bool registered = [] {
        WNDCLASSEXW type{};
        type.cbSize = sizeof type;
        type.lpfnWndProc = SummaryProc;
        type.hInstance = GetModuleHandleW(nullptr);
        type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        type.lpszClassName = kSummaryClass;
        return RegisterClassExW(&type) != 0;
    }();
    (void)registered;
}

// The size text takes in font, line by line: the summary's lines are elided to the screen
// already, so they are never wrapped.
SIZE TextSize(HWND window, HFONT font, const std::wstring &text)
{
    HDC dc = GetDC(window);
    const HGDIOBJ previous = SelectObject(dc, font);
    RECT rect{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

HWND MakeSummaryBox(HWND owner, const std::wstring &text, const std::wstring &details)
{
    RegisterSummaryClass();
    const HFONT font = DialogFont();
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const HWND box = CreateWindowExW(WS_EX_DLGMODALFRAME, kSummaryClass,
                                     Utf16FromUtf8(kAppCaption).c_str(), style, 0, 0, 100, 100,
                                     owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    const SIZE textSize = TextSize(box, font, text);
    // The details in a fixed font, as the report's columns need, at most 100 columns by 20
    // lines before they scroll.
    const HFONT fixed = static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
    const SIZE cell = TextSize(box, fixed, L"M");
    const int detailsWidth = details.empty() ? 0 : 100 * cell.cx + GetSystemMetrics(SM_CXVSCROLL);
    const int detailsHeight = details.empty() ? 0 : 20 * cell.cy + GetSystemMetrics(SM_CYHSCROLL);

    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    const int chromeWidth = frame.right - frame.left, chromeHeight = frame.bottom - frame.top;
    const int maxWidth = static_cast<int>(work.right - work.left) - chromeWidth;
    const int maxHeight = static_cast<int>(work.bottom - work.top) - chromeHeight;
    const int width = std::min(maxWidth, std::max({static_cast<int>(textSize.cx), detailsWidth, kButtonWidth}) + 2 * kMargin);
    const int fixedHeight = kMargin + textSize.cy + kMargin + kButtonHeight + kMargin +
                            (details.empty() ? 0 : kMargin);
    const int shownDetails = std::max(0, std::min(detailsHeight, maxHeight - fixedHeight));
    const int height = std::min(maxHeight, fixedHeight + shownDetails);

    const auto child = [&](const wchar_t *type, const std::wstring &caption, DWORD childStyle,
                           int id, int x, int y, int w, int h, HFONT childFont) {
        const HWND control = CreateWindowExW(
            0, type, caption.c_str(), WS_CHILD | WS_VISIBLE | childStyle, x, y, w, h, box,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(childFont), TRUE);
        return control;
    };
    child(L"STATIC", text, SS_LEFT | SS_NOPREFIX, -1, kMargin, kMargin, width - 2 * kMargin,
          textSize.cy, font);
    int y = kMargin + textSize.cy + kMargin;
    if (!details.empty()) {
        child(L"EDIT", details,
              WS_BORDER | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                  ES_AUTOVSCROLL | ES_AUTOHSCROLL,
              kDetailsId, kMargin, y, width - 2 * kMargin, shownDetails, fixed);
        y += shownDetails + kMargin;
    }
    const HWND ok = child(L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK,
                          (width - kButtonWidth) / 2, y, kButtonWidth, kButtonHeight, font);
    SetWindowPos(box, nullptr, 0, 0, width + chromeWidth, height + chromeHeight,
                 SWP_NOMOVE | SWP_NOZORDER);
    CenterWithin(box, owner);
    SetFocus(ok);
    return box;
}

void SystemDialogs::ShowMessage(HWND owner, const std::wstring &text)
{
    MessageBoxW(owner, text.c_str(), Utf16FromUtf8(kAppCaption).c_str(), MB_OK);
}

void SystemDialogs::ShowSummary(HWND owner, const std::wstring &text, const std::wstring &details)
{
    const HWND box = MakeSummaryBox(owner, text, details);
    RunModal(owner, box);
}

std::optional<std::wstring> SystemDialogs::OpenHierarchyFile(HWND owner,
                                                             const std::wstring &startFolder)
{
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    // Name, then pattern, each ending in NUL, the list in a second one.
    const std::wstring filter = Utf16FromUtf8(kHierarchyFilterName) + L'\0' +
                                Utf16FromUtf8(kHierarchyPattern) + L'\0';
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = startFolder.c_str();
    const std::wstring title = Utf16FromUtf8(kHierarchyDialogTitle);
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameW(&dialog))
        return std::nullopt;  // cancelled, or the dialog failed: nothing changes either way
    return std::wstring(file.data());
}

}  // namespace zerka
