// SPDX-License-Identifier: MIT
#include "win32/frm_main_win32.h"

#include <commctrl.h>

#include <deque>
#include <filesystem>

#include "conversion/batch_conversion.h"
#include "conversion/hierarchy_reader.h"
#include "conversion/key_file_list.h"
#include "support/test_support.h"
#include "window/window_layout.h"

namespace zerka {
namespace {

namespace fs = std::filesystem;

// Answers the window's boxes instead of a person: a modal box would hold the test's own
// messages. An empty file answer cancels.
class ScriptedDialogs final : public Win32Dialogs {
public:
    std::vector<std::wstring> &Messages;
    std::deque<std::wstring> &FileAnswers;

    ScriptedDialogs(std::vector<std::wstring> &messages, std::deque<std::wstring> &answers,
                    bool &again)
        : Messages(messages), FileAnswers(answers), Again(again)
    {
    }
    void ShowMessage(HWND, const std::wstring &text) override { Messages.push_back(text); }
    bool ShowSummary(HWND, const std::wstring &text, const std::wstring &, bool offerAgain) override
    {
        Messages.push_back(text);
        Offered.push_back(offerAgain);
        return offerAgain && Again;
    }
    std::optional<std::vector<bool>> AskConvertAgain(HWND, const std::vector<std::wstring> &labels,
                                                     const std::vector<bool> &ticked) override
    {
        Labels = labels;
        Again = false;  // once
        return ticked;
    }
    std::vector<bool> Offered;
    bool &Again;  // press "Convert again…" once and take the boxes as ticked
    std::vector<std::wstring> Labels;
    std::optional<std::wstring> OpenHierarchyFile(HWND, const std::wstring &) override
    {
        std::wstring answer = FileAnswers.empty() ? L"" : FileAnswers.front();
        if (!FileAnswers.empty())
            FileAnswers.pop_front();
        return answer.empty() ? std::nullopt : std::optional<std::wstring>(answer);
    }
};

class Win32Window : public ::testing::Test {
protected:
    Win32Window()
    {
        fs::copy(ZERKA_EXAMPLES_DIR, dir.Path() / "examples", fs::copy_options::recursive);
        fs::copy(ZERKA_EXAMPLES_DIR, dir.Path() / "byCore", fs::copy_options::recursive);
        if (!window.Create(dir / "examples"))
            return;
        ShowWindow(window.Handle(), SW_SHOW);
        UpdateWindow(window.Handle());
    }

    void SetUp() override
    {
        if (!window.Handle())
            GTEST_SKIP() << "no window could be made: wine needs an X server (DISPLAY); "
                            "scripts/test runs these tests under xvfb-run";
    }

    RECT PlaceOn(HWND control) const
    {
        RECT rect{};
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT *>(&rect), 2);
        return rect;
    }
    void Click(const char *name) { SendMessageW(window.Control(name), BM_CLICK, 0, 0); }
    // Alt and a letter, as the keyboard sends them to the focused window.
    void AccessKey(wchar_t key)
    {
        MSG message{window.Control("File1"), WM_SYSCHAR, key, LPARAM{1} << 29, 0, {}};
        EXPECT_TRUE(window.TakeDialogMessage(message));
    }
    std::wstring Model(const char *name) const { return Utf16FromUtf8(dir / ("examples/" + std::string(name))); }

    testing::TempDir dir;
    std::vector<std::wstring> messages;
    std::deque<std::wstring> answers;
    bool again = false;
    KeyframeTables tables;
    frmMainWin32 window{tables, [] { return std::string("01/02/70 00:00:00"); },
                        std::make_unique<ScriptedDialogs>(messages, answers, again)};
};

TEST_F(Win32Window, SitsAtItsTwipPlacesInAFixedWindowCaptionedZerka)
{
    wchar_t caption[64] = L"";
    GetWindowTextW(window.Handle(), caption, 64);
    EXPECT_STREQ(caption, L"Zerka");
    const LONG style = GetWindowLongW(window.Handle(), GWL_STYLE);
    EXPECT_EQ(style & WS_THICKFRAME, 0);
    EXPECT_NE(style & WS_MINIMIZEBOX, 0);
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);
    if (SystemDpi() != 96)
        GTEST_SKIP() << "the places below are those at 96 DPI";
    RECT client{};
    GetClientRect(window.Handle(), &client);
    EXPECT_EQ(client.right, 666);
    EXPECT_EQ(client.bottom, 280);
    for (const ControlPlace &place : kControlPlaces) {
        SCOPED_TRACE(std::string(place.Name));
        const RECT rect = PlaceOn(window.Control(place.Name));
        EXPECT_EQ(rect.left, ToPixels(place.Rect.Left));
        EXPECT_EQ(rect.top, ToPixels(place.Rect.Top));
        EXPECT_EQ(rect.right - rect.left, ToPixels(place.Rect.Width));
        if (place.Name != "Drive1") {  // a drop-down list is as high as its font makes it
            EXPECT_EQ(rect.bottom - rect.top, ToPixels(place.Rect.Height));
        }
        const bool hidden = place.Name == "cmdSave" || place.Name == "cmdListMesh" || place.Name == "Text1";
        EXPECT_EQ(IsWindowVisible(window.Control(place.Name)) != FALSE, !hidden);
    }
    EXPECT_FALSE(IsWindowEnabled(window.Control("cmdAll")));
}

// The examples through the three steps, by the buttons' access keys and by their clicks,
// give what the command line's conversion gives, after the marker line.
TEST_F(Win32Window, ConvertsTheExamplesThroughItsThreeStepsAsTheCommandLineDoes)
{
    for (const bool byKeys : {true, false}) {
        SCOPED_TRACE(byKeys ? "access keys" : "clicks");
        fs::remove_all(dir.Path() / "examples/New");
        messages.clear();
        answers = {Model("old.3do"), Model("new.3do")};
        if (byKeys) {
            AccessKey(L'o');
            AccessKey(L'n');
            AccessKey(L'c');
        } else {
            Click("cmdLoadOld");
            Click("cmdLoad3do");
            Click("cmdAll");
        }
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0], L"3");
        EXPECT_EQ(messages[1].rfind(L"Converted:  3\r\nNot Converted:  0", 0), 0u);
        EXPECT_EQ(SendMessageW(window.Control("pb1"), PBM_GETPOS, 0, 0), 3);
    }

    KeyframeTables core;
    LoadHierarchy(core, dir / "byCore/old.3do", true);
    LoadHierarchy(core, dir / "byCore/new.3do", false);
    BatchOptions options;
    options.MarkerDate = "01/02/70 00:00:00";
    ConvertAll(core, dir / "byCore", ListKeyFiles(dir / "byCore"), {}, options);
    const auto afterMarker = [](const std::string &text) { return text.substr(text.find('\n')); };
    for (const char *name : {"idle.key", "kick.key", "walk.key"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(afterMarker(testing::ReadFile(dir / ("examples/New/" + std::string(name)))),
                  afterMarker(testing::ReadFile(dir / ("byCore/New/" + std::string(name)))));
    }
}

// examples/inserted through the window: its second chance gives what zerka-cli --renumber
// gives; the box's button and the dialog are there and close as pressed.
TEST_F(Win32Window, ConvertAgainFollowsRenumberedJointsAsTheCommandLine)
{
    fs::copy(ZERKA_EXAMPLES_DIR "/inserted", dir.Path() / "inserted");
    fs::copy(ZERKA_EXAMPLES_DIR "/inserted", dir.Path() / "insertedByCore");
    window.OpenFolder(dir / "inserted");
    answers = {Utf16FromUtf8(dir / "inserted/old.3do"), Utf16FromUtf8(dir / "inserted/new.3do")};
    again = true;
    Click("cmdLoadOld");
    Click("cmdLoad3do");
    Click("cmdAll");
    EXPECT_FALSE(again);  // the dialog was asked
    ASSERT_EQ(messages.size(), 4u);  // the count and the summary of each batch

    KeyframeTables core;
    LoadHierarchy(core, dir / "insertedByCore/old.3do", true);
    LoadHierarchy(core, dir / "insertedByCore/new.3do", false);
    BatchOptions options;
    options.Match.Renumber = true;
    options.MarkerDate = "01/02/70 00:00:00";
    ConvertAll(core, dir / "insertedByCore", ListKeyFiles(dir / "insertedByCore"), {}, options);
    for (const char *name : {"look.key", "walk.key"})
        EXPECT_EQ(testing::ReadFile(dir / ("inserted/New/" + std::string(name))),
                  testing::ReadFile(dir / ("insertedByCore/New/" + std::string(name))));

    const HWND box = MakeSummaryBox(window.Handle(), L"Converted:  1", L"details", true);
    const HWND button = GetDlgItem(box, kConvertAgainId);
    ASSERT_TRUE(button);
    wchar_t caption[64] = L"";
    GetWindowTextW(button, caption, 64);
    EXPECT_STREQ(caption, L"Convert &again\u2026");
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindow(box));
    const HWND dialog = MakeConvertAgainDialog(window.Handle(), {L"follow", L"head"}, {true, false});
    EXPECT_EQ(SendMessageW(GetDlgItem(dialog, kFirstChoiceId), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(GetDlgItem(dialog, kFirstChoiceId + 1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(Win32Window, ADoubleClickedFileFillsTheHiddenViewsAndAKeyOpensTheEditor)
{
    SendMessageW(window.Control("File1"), LB_SETCURSEL, 2, 0);  // walk.key
    SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window.Control("File1")), LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(window.Control("File1")));
    EXPECT_TRUE(messages.empty());
    const HWND grid = window.Control("fgNodes");
    EXPECT_GT(ListView_GetItemCount(grid), 10);
    wchar_t text[64] = L"";
    ListView_GetItemText(grid, 0, 4, text, 64);
    EXPECT_STREQ(text, L"Dest. X");  // the second heading row
    NMLVKEYDOWN key{{grid, static_cast<UINT_PTR>(GetDlgCtrlID(grid)), LVN_KEYDOWN}, 'A', 0};
    SendMessageW(window.Handle(), WM_NOTIFY, key.hdr.idFrom, reinterpret_cast<LPARAM>(&key));
    const HWND editor = FindWindowW(L"ZerkafrmEdit", nullptr);
    ASSERT_TRUE(editor);
    EXPECT_TRUE(IsWindowVisible(editor));
    // Esc is bound to nothing: the editor stays open.
    SendMessageW(editor, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindowVisible(editor));
}

}  // namespace
}  // namespace zerka
