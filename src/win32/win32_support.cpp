// SPDX-License-Identifier: MIT
#include "win32_support.h"

#include <algorithm>

namespace zerka {

HFONT DialogFont()
{
    static const HFONT font = [] {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            if (const HFONT made = CreateFontIndirectW(&metrics.lfMessageFont))
                return made;
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }();
    return font;
}

void CenterWithin(HWND window, HWND owner)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    const HMONITOR on = MonitorFromWindow(owner ? owner : window, MONITOR_DEFAULTTOPRIMARY);
    GetMonitorInfoW(on, &monitor);
    RECT rect{};
    GetWindowRect(window, &rect);
    const RECT &work = monitor.rcWork;
    RECT over = work;  // the owner's place, or the whole work area without one
    if (owner)
        GetWindowRect(owner, &over);
    const LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
    const LONG left = std::clamp<LONG>(over.left + (over.right - over.left - width) / 2, work.left,
                                       std::max(work.left, work.right - width));
    const LONG top = std::clamp<LONG>(over.top + (over.bottom - over.top - height) / 2, work.top,
                                      std::max(work.top, work.bottom - height));
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void RunModal(HWND owner, HWND box)
{
    if (owner)
        EnableWindow(owner, FALSE);
    ShowWindow(box, SW_SHOW);
    MSG message{};
    while (IsWindow(box) && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(box, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (owner) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
    if (message.message == WM_QUIT)
        PostQuitMessage(static_cast<int>(message.wParam));  // the loop above took it
}

void RegisterWindowClass(const wchar_t *name, WNDPROC procedure, int iconId)
{
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &type))
        return;  // registered already
    type.lpfnWndProc = procedure;
    type.hInstance = GetModuleHandleW(nullptr);
    if (iconId != 0)
        type.hIcon = LoadIconW(type.hInstance, MAKEINTRESOURCEW(iconId));
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    type.lpszClassName = name;
    RegisterClassExW(&type);
}

int SystemDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace zerka
