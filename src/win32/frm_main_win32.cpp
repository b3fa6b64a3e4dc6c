// SPDX-License-Identifier: MIT
#include "frm_main_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "conversion/key_file_list.h"
#include "window/window_layout.h"

namespace zerka {
namespace {

constexpr wchar_t kClass[] = L"ZerkafrmMain";
constexpr int kFirstId = 100;  // control i of kControlPlaces has the id kFirstId + i
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr UINT_PTR kBarSubclass = 1;

int IdOf(std::string_view name)
{
    for (std::size_t i = 0; i < std::size(kControlPlaces); ++i)
        if (kControlPlaces[i].Name == name)
            return kFirstId + static_cast<int>(i);
    return -1;
}

std::wstring Wide(std::string_view text) { return Utf16FromUtf8(text); }

// The bar shows "3 of 5" over itself, as a count says more of a long batch than a length.
LRESULT CALLBACK BarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                         DWORD_PTR text)
{
    const LRESULT result = DefSubclassProc(bar, message, wParam, lParam);
    if (message == WM_PAINT) {
        const auto *shown = reinterpret_cast<const std::wstring *>(text);
        if (!shown->empty()) {
            HDC dc = GetDC(bar);
            RECT rect{};
            GetClientRect(bar, &rect);
            SetBkMode(dc, TRANSPARENT);
            const HGDIOBJ previous = SelectObject(dc, DialogFont());
            DrawTextW(dc, shown->c_str(), static_cast<int>(shown->size()), &rect,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            SelectObject(dc, previous);
            ReleaseDC(bar, dc);
        }
    }
    return result;
}

}  // namespace

frmMainWin32::frmMainWin32(KeyframeTables &tables, std::function<std::string()> markerDate,
                           std::unique_ptr<Win32Dialogs> dialogs)
    : dialogs_(std::move(dialogs)), logic_(tables, *this, std::move(markerDate))
{
}

frmMainWin32::~frmMainWin32()
{
    editor_.reset();
    if (window_)
        DestroyWindow(window_);
    if (fixedFont_)
        DeleteObject(fixedFont_);
}

HWND frmMainWin32::Control(std::string_view name) const
{
    const auto found = controls_.find(name);
    return found == controls_.end() ? nullptr : found->second;
}

HWND frmMainWin32::Create(const std::string &folder)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES |
                                                       ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    RegisterWindowClass(kClass, RoutedWindowProc<frmMainWin32>, 1);  // icon 1 of zerka.rc
    const int dpi = SystemDpi();
    RECT frame{0, 0, ToPixelsAt(kClientWidthTwips, dpi), ToPixelsAt(kClientHeightTwips, dpi)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    window_ = CreateWindowExW(0, kClass, Wide(kAppCaption).c_str(), kStyle, CW_USEDEFAULT, 0,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
    CreateControls();
    CenterWithin(window_, nullptr);

    // The drive list shows the program's volume while the folder lists open where the
    // program was started, or on the folder it was given.
    FillDrives();
    logic_.Form_Load();
    std::wstring start(MAX_PATH, L'\0');
    start.resize(GetCurrentDirectoryW(static_cast<DWORD>(start.size()), start.data()));
    OpenFolder(folder.empty() ? Utf8FromUtf16(start) : folder);
    return window_;
}

void frmMainWin32::CreateControls()
{
    const int dpi = SystemDpi();
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    fixedFont_ = CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New");
    struct Kind {
        std::string_view Name;
        const wchar_t *Class;
        DWORD Style;
        DWORD ExStyle;
    };
    const Kind kinds[] = {
        // Last in the tab order, so drawn first, behind the controls they group.
        {"Frame1", L"BUTTON", BS_GROUPBOX, 0},
        {"Frame2", L"BUTTON", BS_GROUPBOX, 0},
        {"Frame3", L"BUTTON", BS_GROUPBOX, 0},
        {"Drive1", L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0},
        {"Dir1", L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0},
        {"File1", L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0},
        {"cmdLoadOld", L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0},
        {"lblOld", L"EDIT", ES_MULTILINE | ES_READONLY | WS_TABSTOP, WS_EX_CLIENTEDGE},
        {"cmdLoad3do", L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0},
        {"lbl3do", L"EDIT", ES_MULTILINE | ES_READONLY | WS_TABSTOP, WS_EX_CLIENTEDGE},
        {"cmdAll", L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, 0},
        {"pb1", PROGRESS_CLASSW, 0, 0},
        {"cmdSave", L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0},
        {"cmdListMesh", L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0},
        {"fgNodes", WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 0},
        {"Text1", L"EDIT", ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE},
    };
    for (const Kind &kind : kinds) {
        const TwipRect place = PlaceOf(kind.Name);
        std::wstring caption = Wide(CaptionOf(kind.Name));
        if (kind.Name == "lblOld" || kind.Name == "lbl3do")
            caption += L"\r\n";
        // The hidden buttons and views lie below the client area, where no one sees them.
        const HWND control = CreateWindowExW(
            kind.ExStyle, kind.Class, caption.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | kind.Style,
            ToPixelsAt(place.Left, dpi), ToPixelsAt(place.Top, dpi), ToPixelsAt(place.Width, dpi),
            ToPixelsAt(place.Height, dpi), window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdOf(kind.Name))), instance, nullptr);
        SendMessageW(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(kind.Name == "Text1" ? fixedFont_ : DialogFont()), TRUE);
        controls_.emplace(std::string(kind.Name), control);
    }
    // The drop-down list's height is the list's when open; the box itself is as high as
    // its font makes it.
    const TwipRect drive = PlaceOf("Drive1");
    SetWindowPos(Control("Drive1"), nullptr, 0, 0, ToPixelsAt(drive.Width, dpi), 10 * ToPixelsAt(drive.Height, dpi),
                 SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(Control("pb1"), PBM_SETRANGE32, 0, 100);
    SetWindowSubclass(Control("pb1"), BarProc, kBarSubclass, reinterpret_cast<DWORD_PTR>(&progressText_));
    ShowWindow(Control("cmdSave"), SW_HIDE);
    ShowWindow(Control("cmdListMesh"), SW_HIDE);
    ShowWindow(Control("Text1"), SW_HIDE);
    ListView_SetExtendedListViewStyle(Control("fgNodes"), LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);

    // Tab order: each control after the one before it.
    HWND previous = HWND_TOP;
    for (const std::string_view name : kTabOrder) {
        SetWindowPos(Control(name), previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = Control(name);
    }

    tooltips_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                window_, nullptr, instance, nullptr);
    for (const char *name : {"lblOld", "lbl3do"}) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = window_;
        tool.uId = reinterpret_cast<UINT_PTR>(Control(name));
        tool.lpszText = const_cast<wchar_t *>(L"");
        SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

bool frmMainWin32::TakeDialogMessage(MSG &message)
{
    if (editor_ && IsWindowVisible(editor_->Handle()) && IsDialogMessageW(editor_->Handle(), &message))
        return true;
    return window_ && IsDialogMessageW(window_, &message);
}

LRESULT frmMainWin32::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR *>(lParam));
    case WM_SETCURSOR:
        if (busy_) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_DESTROY:
        window_ = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void frmMainWin32::OnCommand(int id, int code)
{
    const std::string_view name =
        id >= kFirstId && id < kFirstId + static_cast<int>(std::size(kControlPlaces))
            ? kControlPlaces[id - kFirstId].Name
            : std::string_view();
    if (name == "Drive1" && code == CBN_SELCHANGE)
        Drive1_Change();
    else if (name == "Dir1" && code == LBN_DBLCLK)
        Dir1_DblClick();
    else if (name == "File1" && code == LBN_DBLCLK)
        logic_.File1_DblClick(folder_, SelectedFile());
    else if (code != BN_CLICKED)
        return;
    else if (name == "cmdListMesh")
        logic_.cmdListMesh_Click(folder_, SelectedFile());
    else if (name == "cmdLoadOld")
        logic_.cmdLoadOld_Click(folder_);
    else if (name == "cmdLoad3do")
        logic_.cmdLoad3do_Click(folder_);
    else if (name == "cmdAll")
        logic_.cmdAll_Click(folder_, files_);  // taken once, as the list shows them now
    else if (name == "cmdSave")
        logic_.cmdSave_Click(folder_, SelectedFile());
}

LRESULT frmMainWin32::OnNotify(const NMHDR &header)
{
    if (header.hwndFrom != Control("fgNodes"))
        return 0;
    switch (header.code) {
    case NM_CLICK: {
        // A list view has no current cell of its own: the table keeps one.
        const auto &click = reinterpret_cast<const NMITEMACTIVATE &>(header);
        if (click.iItem >= 0) {
            gridRow_ = click.iItem + 1;
            gridCol_ = std::max(0, click.iSubItem);
        }
        return 0;
    }
    case NM_DBLCLK:
        logic_.fgNodes_DblClick();
        return 0;
    case LVN_KEYDOWN: {
        const auto &key = reinterpret_cast<const NMLVKEYDOWN &>(header);
        if (key.wVKey == VK_LEFT || key.wVKey == VK_RIGHT) {
            gridCol_ = std::clamp(gridCol_ + (key.wVKey == VK_LEFT ? -1 : 1), 0, KeyTable::kCols - 1);
            return 0;
        }
        if (key.wVKey == VK_UP || key.wVKey == VK_DOWN) {
            gridRow_ = std::clamp(gridRow_ + (key.wVKey == VK_UP ? -1 : 1), 1, std::max(1, gridRows_ - 1));
            return 0;
        }
        logic_.fgNodes_KeyPress(Utf8FromUtf16(GridText(gridRow_, gridCol_)));
        return 0;
    }
    case NM_CUSTOMDRAW: {
        auto &draw = const_cast<NMLVCUSTOMDRAW &>(reinterpret_cast<const NMLVCUSTOMDRAW &>(header));
        if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
            return CDRF_NOTIFYITEMDRAW;
        if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
            return CDRF_NOTIFYSUBITEMDRAW;
        if (draw.nmcd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
            const int row = static_cast<int>(draw.nmcd.dwItemSpec) + 1;
            const bool band = std::find(bandRows_.begin(), bandRows_.end(), row) != bandRows_.end();
            draw.clrTextBk = band && draw.iSubItem > 0
                                 ? RGB(KeyTable::kBandRed, KeyTable::kBandGreen, KeyTable::kBandBlue)
                                 : GetSysColor(COLOR_WINDOW);
            return CDRF_NEWFONT;
        }
        return CDRF_DODEFAULT;
    }
    default:
        return 0;
    }
}

}  // namespace zerka
