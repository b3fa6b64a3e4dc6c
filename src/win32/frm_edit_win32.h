// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

#include "win32/win32_support.h"
#include "window/value_editor.h"

// The value editor of zerka.exe: a modeless window with the current value, the new one,
// Save and Cancel, by the rules of frmEditLogic. Esc is bound to nothing.
namespace zerka {

class frmEditWin32 {
public:
    // save writes the new text into the table's current cell and moves it as the rules say.
    frmEditWin32(HWND owner, frmEditLogic &logic, std::function<void(const std::wstring &)> save);
    ~frmEditWin32();
    frmEditWin32(const frmEditWin32 &) = delete;
    frmEditWin32 &operator=(const frmEditWin32 &) = delete;

    void ShowModeless(const std::wstring &value);
    void BringForward();
    HWND Handle() const { return window_; }
    HWND Control(int id) const { return GetDlgItem(window_, id); }

    static constexpr int kText1 = 201, kText2 = 202, kCancel = 203;  // Save is IDOK

private:
    template <typename Owner> friend LRESULT CALLBACK RoutedWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Close();

    HWND owner_;
    frmEditLogic &logic_;
    std::function<void(const std::wstring &)> save_;
    HWND window_ = nullptr;
};

}  // namespace zerka
