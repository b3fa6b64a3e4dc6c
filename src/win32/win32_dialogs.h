// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "win32/win32_support.h"

// The Win32 window's boxes and its file dialog, behind one interface so that tests can
// answer them: a modal box would hold the test's own messages.
namespace zerka {

class Win32Dialogs {
public:
    virtual ~Win32Dialogs() = default;

    // A modal box captioned "Zerka" with the OK button only; text breaks lines with CR LF.
    virtual void ShowMessage(HWND owner, const std::wstring &text) = 0;
    // The box after a batch: its text, and below it the details in a scrollable, selectable
    // read-only box unless they are empty; never larger than the screen, OK its default. With
    // offerAgain a Convert again… button stands beside OK; true when it was pressed.
    virtual bool ShowSummary(HWND owner, const std::wstring &text, const std::wstring &details,
                             bool offerAgain) = 0;
    // The dialog of Convert again…: a check box per label, ticked as told, Convert and
    // Cancel. The boxes ticked at Convert; none on Cancel.
    virtual std::optional<std::vector<bool>> AskConvertAgain(HWND owner,
                                                             const std::vector<std::wstring> &labels,
                                                             const std::vector<bool> &ticked) = 0;
    // The file-open dialog for a model file (*.3do), opening in startFolder; nothing when
    // the person cancels.
    virtual std::optional<std::wstring> OpenHierarchyFile(HWND owner,
                                                          const std::wstring &startFolder) = 0;
};

// The real ones: MessageBoxW, a small dialog of its own, GetOpenFileNameW.
class SystemDialogs final : public Win32Dialogs {
public:
    void ShowMessage(HWND owner, const std::wstring &text) override;
    bool ShowSummary(HWND owner, const std::wstring &text, const std::wstring &details,
                     bool offerAgain) override;
    std::optional<std::vector<bool>> AskConvertAgain(HWND owner,
                                                     const std::vector<std::wstring> &labels,
                                                     const std::vector<bool> &ticked) override;
    std::optional<std::wstring> OpenHierarchyFile(HWND owner,
                                                  const std::wstring &startFolder) override;
};

// The summary box, made but not shown: OK has the id IDOK, Convert again… (with
// offerAgain) kConvertAgainId. The caller runs it; the box's GWLP_USERDATA is the id of the
// button that closed it.
inline constexpr int kConvertAgainId = 102;
HWND MakeSummaryBox(HWND owner, const std::wstring &text, const std::wstring &details,
                    bool offerAgain = false);

// The dialog of Convert again…, made but not shown: check boxes from kFirstChoiceId on,
// Convert IDOK, Cancel kCancelChoiceId; GWLP_USERDATA as the summary box's.
inline constexpr int kFirstChoiceId = 300;
inline constexpr int kCancelChoiceId = 299;
HWND MakeConvertAgainDialog(HWND owner, const std::vector<std::wstring> &labels,
                            const std::vector<bool> &ticked);

}  // namespace zerka
