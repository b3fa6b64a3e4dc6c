// SPDX-License-Identifier: MIT
// zerka.exe's main window, its other half: the folder lists, and what frmMainLogic tells
// the window to show.
#include "frm_main_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "conversion/key_file_list.h"
#include "window/window_layout.h"

namespace zerka {
namespace {

std::wstring Wide(std::string_view text) { return Utf16FromUtf8(text); }

// A folder's path as the lists keep it: whole, with a backslash after a drive only.
std::string Trimmed(std::string path)
{
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

// The folders on the way from the drive down to path: "C:\", "C:\anims", "C:\anims\keys".
std::vector<std::string> FoldersDownTo(const std::string &path)
{
    const std::size_t root = std::min(path.size(), path.size() >= 2 && path[1] == ':' ? std::size_t{3}
                                                                                   : std::size_t{1});
    std::vector<std::string> folders{path.substr(0, root)};
    for (std::size_t at = root; at < path.size();) {
        std::size_t next = path.find_first_of("\\/", at);
        if (next == std::string::npos)
            next = path.size();
        if (next > at)
            folders.push_back(path.substr(0, next));
        at = next + 1;
    }
    return folders;
}

}  // namespace

void frmMainWin32::FillDrives()
{
    const HWND list = Control("Drive1");
    std::wstring letters(512, L'\0');
    letters.resize(GetLogicalDriveStringsW(static_cast<DWORD>(letters.size()), letters.data()));
    drives_.clear();
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (std::size_t at = 0; at < letters.size() && letters[at] != L'\0';) {
        const std::wstring drive(letters.c_str() + at);
        drives_.push_back(Utf8FromUtf16(drive));
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.c_str()));
        at += drive.size() + 1;
    }
    std::wstring program(32768, L'\0');
    program.resize(GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size())));
    for (std::size_t i = 0; i < drives_.size(); ++i)
        if (_wcsnicmp(program.c_str(), Wide(drives_[i]).c_str(), 2) == 0)
            SendMessageW(list, CB_SETCURSEL, i, 0);
}

void frmMainWin32::Drive1_Change()
{
    const LRESULT chosen = SendMessageW(Control("Drive1"), CB_GETCURSEL, 0, 0);
    if (chosen >= 0 && static_cast<std::size_t>(chosen) < drives_.size())
        OpenFolder(drives_[static_cast<std::size_t>(chosen)]);
}

void frmMainWin32::OpenFolder(const std::string &folder)
{
    folder_ = Trimmed(folder);
    FillDirectories();
    FillFiles();
}

// The way down to the folder, each a step further in, the folder itself selected, then its
// subfolders one step further still.
void frmMainWin32::FillDirectories()
{
    const HWND list = Control("Dir1");
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    directories_ = FoldersDownTo(folder_);
    const std::size_t current = directories_.size() - 1;
    std::vector<std::string> below;
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = Wide(folder_) + (folder_.back() == '\\' ? L"*" : L"\\*");
    const HANDLE listing = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                            FindExSearchLimitToDirectories, nullptr, 0);
    if (listing != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != L"." &&
                name != L".." && (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0)
                below.push_back(Utf8FromUtf16(name));
        } while (FindNextFileW(listing, &found));
        FindClose(listing);
    }
    std::sort(below.begin(), below.end());
    for (std::size_t i = 0; i < directories_.size(); ++i) {
        const std::string &path = directories_[i];
        const std::string shown = i == 0 ? path : path.substr(path.find_last_of("\\/") + 1);
        SendMessageW(list, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>((std::wstring(2 * i, L' ') + Wide(shown)).c_str()));
    }
    for (const std::string &name : below) {
        directories_.push_back(folder_ + (folder_.back() == '\\' ? "" : "\\") + name);
        SendMessageW(list, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>((std::wstring(2 * (current + 1), L' ') + Wide(name)).c_str()));
    }
    SendMessageW(list, LB_SETCURSEL, current, 0);
}

void frmMainWin32::Dir1_DblClick()
{
    const LRESULT row = SendMessageW(Control("Dir1"), LB_GETCURSEL, 0, 0);
    if (row >= 0 && static_cast<std::size_t>(row) < directories_.size())
        OpenFolder(directories_[static_cast<std::size_t>(row)]);
}

// The folder's key files through the core's own listing, in the batch's order; a folder
// that cannot be listed shows none, as any file list would.
void frmMainWin32::FillFiles()
{
    const HWND list = Control("File1");
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    try {
        files_ = ListKeyFiles(folder_);
    } catch (const FileError &) {
        files_.clear();
    }
    for (const std::string &name : files_)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
}

std::string frmMainWin32::SelectedFile() const
{
    const LRESULT row = SendMessageW(Control("File1"), LB_GETCURSEL, 0, 0);
    return row >= 0 && static_cast<std::size_t>(row) < files_.size()
               ? files_[static_cast<std::size_t>(row)]
               : std::string();
}

std::wstring frmMainWin32::GridText(int row, int col) const
{
    wchar_t text[1024] = L"";
    if (row == 0) {  // the header row
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = static_cast<int>(std::size(text));
        ListView_GetColumn(Control("fgNodes"), col, &column);
    } else {
        ListView_GetItemText(Control("fgNodes"), row - 1, col, text, static_cast<int>(std::size(text)));
    }
    return text;
}

void frmMainWin32::ShowMessage(const std::string &text) { dialogs_->ShowMessage(window_, Wide(text)); }

bool frmMainWin32::ShowSummary(const std::string &text, const std::string &details, bool offerAgain)
{
    return dialogs_->ShowSummary(window_, Wide(text), Wide(details), offerAgain);
}

std::optional<std::vector<bool>> frmMainWin32::AskConvertAgain(
    const std::vector<ConvertAgainChoice> &choices)
{
    std::vector<std::wstring> labels;
    std::vector<bool> ticked;
    for (const ConvertAgainChoice &choice : choices) {
        labels.push_back(Wide(choice.Label));
        ticked.push_back(choice.Ticked);
    }
    return dialogs_->AskConvertAgain(window_, labels, ticked);
}

std::optional<std::string> frmMainWin32::AskForHierarchyFile(const std::string &startFolder)
{
    const std::optional<std::wstring> chosen = dialogs_->OpenHierarchyFile(window_, Wide(startFolder));
    if (!chosen)
        return std::nullopt;
    return Utf8FromUtf16(*chosen);
}

void frmMainWin32::SetNameBox(bool isOld, const std::string &shownName, const std::string &path)
{
    const char *name = isOld ? "lblOld" : "lbl3do";
    SetWindowTextW(Control(name), (Wide(CaptionOf(name)) + L"\r\n" + Wide(shownName)).c_str());
    const std::wstring whole = Wide(path);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(Control(name));
    tool.lpszText = const_cast<wchar_t *>(whole.c_str());
    SendMessageW(tooltips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void frmMainWin32::EnableConvert(bool enabled) { EnableWindow(Control("cmdAll"), enabled); }

void frmMainWin32::EnableLists(bool enabled)
{
    EnableWindow(Control("Dir1"), enabled);
    EnableWindow(Control("File1"), enabled);
}

void frmMainWin32::SetProgressMaximum(int maximum)
{
    SendMessageW(Control("pb1"), PBM_SETRANGE32, 0, maximum);
}

void frmMainWin32::ShowProgress(int done, const std::string &text)
{
    progressText_ = Wide(text);
    SendMessageW(Control("pb1"), PBM_SETPOS, static_cast<WPARAM>(done), 0);
    InvalidateRect(Control("pb1"), nullptr, TRUE);
}

// The batch holds the message loop until it ends; paint messages still get through, so
// the bar moves, while the person's input waits as the busy pointer says.
void frmMainWin32::LetPaint()
{
    MSG message{};
    while (PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        DispatchMessageW(&message);
    UpdateWindow(window_);
}

void frmMainWin32::HideTable() { ShowWindow(Control("fgNodes"), SW_HIDE); }

void frmMainWin32::ClearDump() { SetWindowTextW(Control("Text1"), L""); }

void frmMainWin32::ClearTable()
{
    ListView_DeleteAllItems(Control("fgNodes"));
    bandRows_.clear();
}

void frmMainWin32::ShowKeyInfo(const std::string &dump, const KeyTable &table)
{
    const HWND grid = Control("fgNodes");
    SendMessageW(grid, WM_SETREDRAW, FALSE, 0);
    SetWindowTextW(Control("Text1"), Wide(dump).c_str());
    ListView_DeleteAllItems(grid);
    while (ListView_DeleteColumn(grid, 0)) {
    }
    const int dpi = SystemDpi();
    // The first heading row is the list view's header; the second is its first row.
    std::vector<std::vector<std::wstring>> rows(
        static_cast<std::size_t>(std::max(table.Rows, KeyTable::kFixedRows)),
        std::vector<std::wstring>(KeyTable::kCols));
    for (const KeyTableCell &cell : table.Cells)
        rows[static_cast<std::size_t>(cell.Row)][static_cast<std::size_t>(cell.Col)] = Wide(cell.Text);
    for (int col = 0; col < KeyTable::kCols; ++col) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = rows[0][static_cast<std::size_t>(col)].data();
        column.cx = ToPixelsAt(table.ColWidthsTwips[col], dpi);
        ListView_InsertColumn(grid, col, &column);
    }
    for (std::size_t row = 1; row < rows.size(); ++row) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row - 1);
        item.pszText = rows[row][0].data();
        ListView_InsertItem(grid, &item);
        for (int col = 1; col < KeyTable::kCols; ++col)
            ListView_SetItemText(grid, static_cast<int>(row - 1), col, rows[row][static_cast<std::size_t>(col)].data());
    }
    bandRows_ = table.BandRows;
    gridRows_ = static_cast<int>(rows.size());
    gridRow_ = table.Rows > 0 ? table.CurrentRow : 0;
    gridCol_ = table.CurrentCol;
    if (gridRow_ > 0)
        ListView_SetItemState(grid, gridRow_ - 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(grid, WM_SETREDRAW, TRUE, 0);
}

void frmMainWin32::OpenEditor(const std::string &value)
{
    if (!editor_)
        editor_ = std::make_unique<frmEditWin32>(window_, logic_.Editor, [this](const std::wstring &text) {
            const frmEditLogic::Saved saved = logic_.Editor.Save(gridRow_, gridCol_, gridRows_);
            if (saved.Row > 0)
                ListView_SetItemText(Control("fgNodes"), saved.Row - 1, saved.Col,
                                     const_cast<wchar_t *>(text.c_str()));
            gridRow_ = saved.NextRow;
        });
    editor_->ShowModeless(Wide(value));
}

void frmMainWin32::BringEditorForward()
{
    if (editor_)
        editor_->BringForward();
}

void frmMainWin32::SetBusy(bool busy)
{
    busy_ = busy;
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void frmMainWin32::RefreshFolders() { OpenFolder(folder_); }

// Lines of the summary are cut to the width of the work area, less the box's frame and
// margins, and end in "…" where they were cut.
std::string frmMainWin32::ElideSummaryLine(const std::string &line)
{
    constexpr int kBoxChrome = 64;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int room = std::max(120, static_cast<int>(work.right - work.left) - kBoxChrome);
    std::wstring text = Wide(line);
    HDC dc = GetDC(window_);
    const HGDIOBJ previous = SelectObject(dc, DialogFont());
    const auto width = [dc](const std::wstring &candidate) {
        SIZE size{};
        GetTextExtentPoint32W(dc, candidate.c_str(), static_cast<int>(candidate.size()), &size);
        return static_cast<int>(size.cx);
    };
    if (width(text) > room) {
        while (!text.empty() && width(text + L"\u2026") > room)
            text.pop_back();
        text += L"\u2026";
    }
    SelectObject(dc, previous);
    ReleaseDC(window_, dc);
    return Utf8FromUtf16(text);
}

}  // namespace zerka
