// SPDX-License-Identifier: MIT
#include "frm_edit_win32.h"

#include <vector>

#include "window/window_layout.h"

namespace zerka {
namespace {

constexpr wchar_t kClass[] = L"ZerkafrmEdit";
constexpr int kMargin = 8, kRowHeight = 23, kLabelWidth = 90;

}  // namespace

frmEditWin32::frmEditWin32(HWND owner, frmEditLogic &logic,
                           std::function<void(const std::wstring &)> save)
    : owner_(owner), logic_(logic), save_(std::move(save))
{
    RegisterWindowClass(kClass, RoutedWindowProc<frmEditWin32>);
    const int dpi = SystemDpi();
    const int box = ToPixelsAt(kEditorBoxWidthTwips, dpi);
    const int button = ToPixelsAt(kEditorButtonWidthTwips, dpi);
    const int width = 3 * kMargin + std::max(kLabelWidth + box, 2 * button);
    const int height = 4 * kMargin + 3 * kRowHeight;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_TOOLWINDOW);
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClass, Utf16FromUtf8(kEditorCaption).c_str(), style,
                              0, 0, frame.right - frame.left, frame.bottom - frame.top, owner,
                              nullptr, GetModuleHandleW(nullptr), this);
    const auto child = [this](const wchar_t *type, const char *caption, DWORD childStyle, int id,
                              int x, int y, int w) {
        const HWND control = CreateWindowExW(
            type == std::wstring(L"EDIT") ? WS_EX_CLIENTEDGE : 0, type,
            Utf16FromUtf8(caption).c_str(), WS_CHILD | WS_VISIBLE | childStyle, x, y, w, kRowHeight,
            window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
            nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), TRUE);
    };
    const int field = 2 * kMargin + kLabelWidth;
    child(L"STATIC", kEditorCurrentLabel, SS_RIGHT | SS_CENTERIMAGE, -1, kMargin, kMargin, kLabelWidth);
    child(L"EDIT", "", ES_AUTOHSCROLL | WS_DISABLED, kText1, field, kMargin, box);
    child(L"STATIC", kEditorNewLabel, SS_RIGHT | SS_CENTERIMAGE, -1, kMargin,
          2 * kMargin + kRowHeight, kLabelWidth);
    child(L"EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, kText2, field, 2 * kMargin + kRowHeight, box);
    const int buttons = 3 * kMargin + 2 * kRowHeight;
    child(L"BUTTON", kEditorSaveCaption, BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, kMargin, buttons, button);
    child(L"BUTTON", kEditorCancelCaption, BS_PUSHBUTTON | WS_TABSTOP, kCancel,
          2 * kMargin + button, buttons, button);
}

frmEditWin32::~frmEditWin32()
{
    if (window_)
        DestroyWindow(window_);
}

void frmEditWin32::ShowModeless(const std::wstring &value)
{
    SetWindowTextW(Control(kText1), value.c_str());
    SetWindowTextW(Control(kText2), value.c_str());
    SendMessageW(Control(kText2), EM_SETSEL, 0, -1);
    CenterWithin(window_, owner_);
    ShowWindow(window_, SW_SHOW);
    BringForward();
    SetFocus(Control(kText2));
}

void frmEditWin32::BringForward() { SetForegroundWindow(window_); }

void frmEditWin32::Close()
{
    logic_.Close();
    ShowWindow(window_, SW_HIDE);
}

LRESULT frmEditWin32::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {  // Save, the default button: Enter too
            const int length = GetWindowTextLengthW(Control(kText2));
            std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
            GetWindowTextW(Control(kText2), text.data(), length + 1);
            ShowWindow(window_, SW_HIDE);
            save_(std::wstring(text.data()));
            return 0;
        }
        case kCancel:
            Close();
            return 0;
        case IDCANCEL:  // what Esc becomes in a dialog: bound to nothing here
            return 0;
        default:
            break;
        }
        break;
    case WM_CLOSE:
        Close();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace zerka
