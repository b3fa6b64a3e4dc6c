// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#define WIN32_LEAN_AND_MEAN
#if !defined(NOMINMAX)
#define NOMINMAX
#endif
#include <windows.h>

// The Win32 window's boxes and its file dialog, behind one interface so that tests can
// answer them: a modal box would hold the test's own messages.
namespace zerka {

class Win32Dialogs {
public:
    virtual ~Win32Dialogs() = default;

    // A modal box captioned "Zerka" with the OK button only; text breaks lines with CR LF.
    virtual void ShowMessage(HWND owner, const std::wstring &text) = 0;
    // The box after a batch: its text, and below it the details in a scrollable, selectable
    // read-only box unless they are empty; never larger than the screen, OK its default.
    virtual void ShowSummary(HWND owner, const std::wstring &text, const std::wstring &details) = 0;
    // The file-open dialog for a model file (*.3do), opening in startFolder; nothing when
    // the person cancels.
    virtual std::optional<std::wstring> OpenHierarchyFile(HWND owner,
                                                          const std::wstring &startFolder) = 0;
};

// The real ones: MessageBoxW, a small dialog of its own, GetOpenFileNameW.
class SystemDialogs final : public Win32Dialogs {
public:
    void ShowMessage(HWND owner, const std::wstring &text) override;
    void ShowSummary(HWND owner, const std::wstring &text, const std::wstring &details) override;
    std::optional<std::wstring> OpenHierarchyFile(HWND owner,
                                                  const std::wstring &startFolder) override;
};

// The summary box, made but not shown: its OK button has the id IDOK. The caller runs it.
HWND MakeSummaryBox(HWND owner, const std::wstring &text, const std::wstring &details);

}  // namespace zerka
