// SPDX-License-Identifier: MIT
#include "win32_dialogs.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "win32/win32_support.h"
#include "window/convert_again.h"
#include "window/window_layout.h"

namespace zerka {
namespace {

constexpr wchar_t kBoxClass[] = L"ZerkaBox";
constexpr int kDetailsId = 101;
constexpr int kMargin = 11;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;

// What a box made by hand leaves behind when it closes: the button that closed it, and the
// check boxes' states at that moment.
struct BoxState {
    int ClosedBy = IDCANCEL;
    std::vector<HWND> Choices;
    std::vector<bool> Ticked;
};

LRESULT CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *state = reinterpret_cast<BoxState *>(GetWindowLongPtrW(box, GWLP_USERDATA));
    const auto close = [&](int id) {
        if (state) {
            state->ClosedBy = id;
            state->Ticked.clear();
            for (const HWND choice : state->Choices)
                state->Ticked.push_back(SendMessageW(choice, BM_GETCHECK, 0, 0) == BST_CHECKED);
        }
        DestroyWindow(box);
    };
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
        case kConvertAgainId:
        case kCancelChoiceId:
            close(LOWORD(wParam));
            return 0;
        default:
            break;
        }
        break;
    case WM_CLOSE:
        close(IDCANCEL);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(box, message, wParam, lParam);
}

// A box of this kind, captioned caption, its state behind it.
HWND MakeBox(HWND owner, const std::wstring &caption, BoxState *state)
{
    RegisterWindowClass(kBoxClass, BoxProc);
    const HWND box = CreateWindowExW(WS_EX_DLGMODALFRAME, kBoxClass, caption.c_str(),
                                     WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0, 0,
                                     100, 100, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    return box;
}

HWND Child(HWND box, const wchar_t *type, const std::wstring &caption, DWORD style, int id, int x,
           int y, int w, int h, HFONT font)
{
    const HWND control = CreateWindowExW(
        0, type, caption.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h, box,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return control;
}

// Gives box the client size width x height.
void SizeClient(HWND box, int width, int height)
{
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(box, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(box, GWL_EXSTYLE)));
    SetWindowPos(box, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER);
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

HWND MakeSummaryBox(HWND owner, const std::wstring &text, const std::wstring &details,
                    bool offerAgain, BoxState *state)
{
    const HFONT font = DialogFont();
    const HWND box = MakeBox(owner, Utf16FromUtf8(kAppCaption), state);
    const SIZE textSize = TextSize(box, font, text);
    // The details in a fixed font, as the report's columns need, at most 100 columns by 20
    // lines before they scroll.
    const HFONT fixed = static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
    const SIZE cell = TextSize(box, fixed, L"M");
    const int detailsWidth = details.empty() ? 0 : 100 * cell.cx + GetSystemMetrics(SM_CXVSCROLL);
    const int detailsHeight = details.empty() ? 0 : 20 * cell.cy + GetSystemMetrics(SM_CYHSCROLL);
    const int buttons = offerAgain ? 2 * kButtonWidth + 40 + kMargin : kButtonWidth;

    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(box, GWL_STYLE)), FALSE,
                       WS_EX_DLGMODALFRAME);
    const int maxWidth = static_cast<int>(work.right - work.left) - (frame.right - frame.left);
    const int maxHeight = static_cast<int>(work.bottom - work.top) - (frame.bottom - frame.top);
    const int width = std::min(
        maxWidth, std::max({static_cast<int>(textSize.cx), detailsWidth, buttons}) + 2 * kMargin);
    const int fixedHeight = kMargin + textSize.cy + kMargin + kButtonHeight + kMargin +
                            (details.empty() ? 0 : kMargin);
    const int shownDetails = std::max(0, std::min(detailsHeight, maxHeight - fixedHeight));
    const int height = std::min(maxHeight, fixedHeight + shownDetails);

    Child(box, L"STATIC", text, SS_LEFT | SS_NOPREFIX, -1, kMargin, kMargin, width - 2 * kMargin,
          textSize.cy, font);
    int y = kMargin + textSize.cy + kMargin;
    if (!details.empty()) {
        Child(box, L"EDIT", details,
              WS_BORDER | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                  ES_AUTOVSCROLL | ES_AUTOHSCROLL,
              kDetailsId, kMargin, y, width - 2 * kMargin, shownDetails, fixed);
        y += shownDetails + kMargin;
    }
    const HWND ok = Child(box, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK,
                          (width - buttons) / 2, y, kButtonWidth, kButtonHeight, font);
    if (offerAgain)
        Child(box, L"BUTTON", Utf16FromUtf8(kConvertAgainButton), WS_TABSTOP | BS_PUSHBUTTON,
              kConvertAgainId, (width - buttons) / 2 + kButtonWidth + kMargin, y,
              kButtonWidth + 40, kButtonHeight, font);
    SizeClient(box, width, height);
    CenterWithin(box, owner);
    SetFocus(ok);
    return box;
}

HWND MakeSummaryBox(HWND owner, const std::wstring &text, const std::wstring &details, bool offerAgain)
{
    return MakeSummaryBox(owner, text, details, offerAgain, nullptr);
}

HWND MakeConvertAgainDialog(HWND owner, const std::vector<std::wstring> &labels,
                            const std::vector<bool> &ticked, BoxState *state)
{
    const HFONT font = DialogFont();
    const HWND box = MakeBox(owner, Utf16FromUtf8(kConvertAgainCaption), state);
    // Laid out as the value editor is: the boxes above two buttons of its width.
    const int button = ToPixelsAt(kEditorButtonWidthTwips, SystemDpi());
    int width = 2 * button + kMargin;
    for (const std::wstring &label : labels)
        width = std::max(width, static_cast<int>(TextSize(box, font, label).cx) + 24);
    int y = kMargin;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const HWND choice = Child(box, L"BUTTON", labels[i], WS_TABSTOP | BS_AUTOCHECKBOX,
                                  kFirstChoiceId + static_cast<int>(i), kMargin, y, width,
                                  kButtonHeight, font);
        SendMessageW(choice, BM_SETCHECK, i < ticked.size() && ticked[i] ? BST_CHECKED : BST_UNCHECKED, 0);
        if (state)
            state->Choices.push_back(choice);
        y += kButtonHeight + 4;
    }
    y += kMargin;
    Child(box, L"BUTTON", Utf16FromUtf8(kConvertAgainConvert), WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK,
          kMargin, y, button, kButtonHeight, font);
    Child(box, L"BUTTON", Utf16FromUtf8(kConvertAgainCancel), WS_TABSTOP | BS_PUSHBUTTON,
          kCancelChoiceId, 2 * kMargin + button, y, button, kButtonHeight, font);
    SizeClient(box, width + 2 * kMargin, y + kButtonHeight + kMargin);
    CenterWithin(box, owner);
    return box;
}

HWND MakeConvertAgainDialog(HWND owner, const std::vector<std::wstring> &labels,
                            const std::vector<bool> &ticked)
{
    return MakeConvertAgainDialog(owner, labels, ticked, nullptr);
}

void SystemDialogs::ShowMessage(HWND owner, const std::wstring &text)
{
    MessageBoxW(owner, text.c_str(), Utf16FromUtf8(kAppCaption).c_str(), MB_OK);
}

bool SystemDialogs::ShowSummary(HWND owner, const std::wstring &text, const std::wstring &details,
                                bool offerAgain)
{
    BoxState state;
    RunModal(owner, MakeSummaryBox(owner, text, details, offerAgain, &state));
    return state.ClosedBy == kConvertAgainId;
}

std::optional<std::vector<bool>> SystemDialogs::AskConvertAgain(HWND owner,
                                                                const std::vector<std::wstring> &labels,
                                                                const std::vector<bool> &ticked)
{
    BoxState state;
    RunModal(owner, MakeConvertAgainDialog(owner, labels, ticked, &state));
    if (state.ClosedBy != IDOK)
        return std::nullopt;
    return state.Ticked;
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
