// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "win32/frm_edit_win32.h"
#include "win32/win32_dialogs.h"
#include "window/main_window_logic.h"

// zerka.exe's main window: the controls at their twip places, scaled to the system's DPI,
// drawing what frmMainLogic tells them. It keeps no behaviour of its own.
namespace zerka {

class frmMainWin32 final : private frmMainView {
public:
    // markerDate gives the date of the marker line of the outputs a conversion writes.
    frmMainWin32(KeyframeTables &tables, std::function<std::string()> markerDate,
                 std::unique_ptr<Win32Dialogs> dialogs = std::make_unique<SystemDialogs>());
    ~frmMainWin32() override;
    frmMainWin32(const frmMainWin32 &) = delete;
    frmMainWin32 &operator=(const frmMainWin32 &) = delete;

    // Makes the window, centred, with its lists on folder (UTF-8; when empty, the folder the
    // program was started in) and its drive list on the drive of the program. Not shown yet.
    HWND Create(const std::string &folder);
    HWND Handle() const { return window_; }
    HWND Control(std::string_view name) const;
    // What the window's keyboard needs of a message before it is dispatched: tab, access
    // keys, the editor's Enter. True when it was taken.
    bool TakeDialogMessage(MSG &message);

    // The folder the directory and file lists show.
    const std::string &Folder() const { return folder_; }
    void OpenFolder(const std::string &folder);

private:
    template <typename Owner> friend LRESULT CALLBACK RoutedWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void OnCommand(int id, int code);
    LRESULT OnNotify(const NMHDR &header);

    void FillDrives();
    void Drive1_Change();
    void FillDirectories();
    void Dir1_DblClick();
    void FillFiles();
    std::string SelectedFile() const;
    std::wstring GridText(int row, int col) const;

    // frmMainView
    void ShowMessage(const std::string &text) override;
    bool ShowSummary(const std::string &text, const std::string &details, bool offerAgain) override;
    std::optional<std::vector<bool>> AskConvertAgain(
        const std::vector<ConvertAgainChoice> &choices) override;
    std::optional<std::string> AskForHierarchyFile(const std::string &startFolder) override;
    void SetNameBox(bool isOld, const std::string &shownName, const std::string &path) override;
    void EnableConvert(bool enabled) override;
    void EnableLists(bool enabled) override;
    void SetProgressMaximum(int maximum) override;
    void ShowProgress(int done, const std::string &text) override;
    void LetPaint() override;
    void HideTable() override;
    void ClearDump() override;
    void ClearTable() override;
    void ShowKeyInfo(const std::string &dump, const KeyTable &table) override;
    void OpenEditor(const std::string &value) override;
    void BringEditorForward() override;
    void SetBusy(bool busy) override;
    void RefreshFolders() override;
    std::string ElideSummaryLine(const std::string &line) override;

    std::unique_ptr<Win32Dialogs> dialogs_;
    frmMainLogic logic_;
    HWND window_ = nullptr;
    std::map<std::string, HWND, std::less<>> controls_;
    HWND tooltips_ = nullptr;
    HFONT fixedFont_ = nullptr;
    bool busy_ = false;
    std::string folder_;
    std::vector<std::string> drives_;
    std::vector<std::string> directories_;  // the path of each row of Dir1
    std::vector<std::string> files_;
    std::wstring progressText_;
    std::vector<int> bandRows_;  // of the table, as laid out
    int gridRows_ = 0;
    int gridRow_ = 0, gridCol_ = 0;  // the table's current cell
    std::unique_ptr<frmEditWin32> editor_;
};

}  // namespace zerka
