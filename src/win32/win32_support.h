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

// The DPI the window draws at: the system's, as the manifest asks for.
int SystemDpi();

}  // namespace zerka
