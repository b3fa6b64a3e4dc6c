// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#define WIN32_LEAN_AND_MEAN
#if !defined(NOMINMAX)
#define NOMINMAX
#endif
#include <windows.h>

#include "keyframes/utf16.h"

// Small pieces every part of the Win32 window uses.
namespace zerka {

// The system's message font, as dialogs use it.
HFONT DialogFont();

// Centres window over owner, within its monitor's work area; without an owner, on the
// primary monitor's work area.
void CenterWithin(HWND window, HWND owner);

// Shows box and runs its messages until it is gone, with owner disabled meanwhile: what a
// modal dialog does, for a window made by hand.
void RunModal(HWND owner, HWND box);

// Registers a window class of this program's once, with the arrow, the dialog colour and,
// when iconId is not 0, that icon of the program's resources.
void RegisterWindowClass(const wchar_t *name, WNDPROC procedure, int iconId = 0);

// The window procedure of a window class whose object passed itself as CreateWindowExW's
// last argument: a message reaches the object's Handle once the object knows its window,
// the few before that (WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE) the default procedure.
template <typename Owner>
LRESULT CALLBACK RoutedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams));
    auto *owner = reinterpret_cast<Owner *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!owner || owner->Handle() != window)
        return DefWindowProcW(window, message, wParam, lParam);
    return owner->Handle(message, wParam, lParam);
}

// The DPI the window draws at: the system's, as the manifest asks for.
int SystemDpi();

}  // namespace zerka
