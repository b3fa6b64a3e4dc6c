// SPDX-License-Identifier: MIT
#include "window/main_window_logic.h"

#include <algorithm>
#include <deque>
#include <filesystem>

#include "conversion/batch_conversion.h"
#include "conversion/hierarchy_reader.h"
#include "conversion/key_file_list.h"
#include "support/test_support.h"

namespace zerka {
namespace {

using Events = std::vector<std::string>;

// Records what the window was told, in order, and answers its file dialogs in turn (an
// empty answer cancels).
class FakeView final : public frmMainView {
public:
    Events Told;
    std::deque<std::string> FileAnswers;
    bool ConvertEnabled = false;

    void ShowMessage(const std::string &text) override { Told.push_back("message " + text); }
    bool ShowSummary(const std::string &text, const std::string &details, bool offerAgain) override
    {
        Told.push_back((offerAgain ? "summary offering again " : "summary ") + text);
        Details = details;
        return offerAgain && !AgainAnswers.empty();
    }
    std::optional<std::vector<bool>> AskConvertAgain(
        const std::vector<ConvertAgainChoice> &choices) override
    {
        std::string labels;
        for (const ConvertAgainChoice &choice : choices)
            labels += " [" + std::string(choice.Ticked ? "x] " : " ] ") + choice.Label;
        Told.push_back("convert again?" + labels);
        const std::optional<std::vector<bool>> answer = AgainAnswers.front();
        AgainAnswers.pop_front();
        return answer;
    }
    // Each answer presses "Convert again…" and ticks as given (nothing: Cancel); none: OK.
    std::deque<std::optional<std::vector<bool>>> AgainAnswers;
    std::optional<std::string> AskForHierarchyFile(const std::string &startFolder) override
    {
        Told.push_back("ask in " + startFolder);
        std::string answer = FileAnswers.empty() ? "" : FileAnswers.front();
        if (!FileAnswers.empty())
            FileAnswers.pop_front();
        return answer.empty() ? std::nullopt : std::optional<std::string>(answer);
    }
    void SetNameBox(bool isOld, const std::string &shownName, const std::string &path) override
    {
        Told.push_back(std::string(isOld ? "old box " : "new box ") + shownName + " (" + path + ")");
    }
    void EnableConvert(bool enabled) override { ConvertEnabled = enabled; }
    void EnableLists(bool enabled) override { Told.push_back(enabled ? "lists on" : "lists off"); }
    void SetProgressMaximum(int maximum) override
    {
        Told.push_back("bar to " + std::to_string(maximum));
    }
    void ShowProgress(int done, const std::string &text) override
    {
        Told.push_back("bar at " + std::to_string(done) + ": " + text);
    }
    void LetPaint() override { }
    void HideTable() override { Told.push_back("hide table"); }
    void ClearDump() override { Told.push_back("clear dump"); }
    void ClearTable() override { Told.push_back("clear table"); }
    void ShowKeyInfo(const std::string &, const KeyTable &table) override
    {
        Told.push_back("key info of " + std::to_string(table.Rows) + " rows");
    }
    void OpenEditor(const std::string &value) override { Told.push_back("editor " + value); }
    void BringEditorForward() override { Told.push_back("editor forward"); }
    void SetBusy(bool busy) override { Told.push_back(busy ? "busy" : "arrow"); }
    void RefreshFolders() override { Told.push_back("refresh"); }
    std::string ElideSummaryLine(const std::string &line) override { return line; }

    std::string Details;
};

// A window's logic on fresh tables, as a window that was just opened has it.
struct Session {
    KeyframeTables Tables;
    FakeView View;
    frmMainLogic Logic{Tables, View, [] { return std::string("01/02/70 00:00:00"); }};
    Session() { Logic.Form_Load(); }
};

class Window : public ::testing::Test {
protected:
    Window()
    {
        std::filesystem::create_directories(dir.Path() / "keys");
        std::filesystem::create_directories(dir.Path() / "models/old");
        const testing::NodeSpec node{"m", {{0, "0", "0", "0", "0", "0", "0"}}};
        testing::WriteFile(dir / "keys/a.key", testing::KeyText({node, node}));
        testing::WriteFile(dir / "keys/bad.key", "NODES 1\nNODE x\n");
        testing::WriteFile(dir / "models/old/body.3do",
                           testing::ModelText({{"mesh1", "0", "0", "0"}}));
        testing::WriteFile(dir / "models/new.3do", testing::ModelText({{"MESH1", "1", "2", "3"}}));
        testing::WriteFile(dir / "models/broken.3do", "only geometry\n");
    }

    // One action: "old FILE", "new FILE" (a load; no FILE cancels the dialog), "key FILE" (a
    // double click on a listed file; no FILE: none selected).
    void Do(Session &session, const std::string &action)
    {
        const std::size_t space = action.find(' ');
        const std::string verb = action.substr(0, space);
        const std::string file = space == std::string::npos ? "" : action.substr(space + 1);
        if (verb == "old" || verb == "new") {
            session.View.FileAnswers.push_back(file.empty() ? "" : dir / file);
            if (verb == "old")
                session.Logic.cmdLoadOld_Click(dir / "keys");
            else
                session.Logic.cmdLoad3do_Click(dir / "keys");
        } else {
            session.Logic.File1_DblClick(dir / "keys", file);
        }
    }

    testing::TempDir dir;
};

TEST_F(Window, TheStepCounterEnablesConvertAfterTwoActionsThatSucceeded)
{
    const struct {
        std::vector<std::string> actions;
        bool enabled;
    } rows[] = {
        {{"old models/old/body.3do"}, false},
        {{"old models/old/body.3do", "old models/old/body.3do"}, true},
        {{"old models/old/body.3do", "new models/new.3do"}, true},
        {{"key a.key", "key a.key"}, true},
        {{"key a.key", "new models/new.3do"}, true},
        {{"old", "old models/old/body.3do"}, false},  // a cancel does not count
        {{"old models/broken.3do", "new models/new.3do"}, false},
        {{"key bad.key", "old models/old/body.3do"}, false},
        {{"key", "old models/old/body.3do"}, false},  // no file selected
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.actions.front() + ", then " + row.actions.back());
        Session session;
        for (const std::string &action : row.actions)
            Do(session, action);
        EXPECT_EQ(session.View.ConvertEnabled, row.enabled);
    }
}

TEST_F(Window, EachHandlerTellsTheWindowWhatToShowInOrder)
{
    const std::string keys = dir / "keys", models = dir / "models";
    const struct {
        const char *name;
        std::vector<std::string> actions;
        Events told;  // by the last action
    } rows[] = {
        {"a cancelled dialog changes nothing", {"old"}, {"ask in " + keys}},
        {"a loaded model is shown by name, its path whole",
         {"old models/old/body.3do"},
         {"ask in " + keys, "hide table", "busy", "clear dump",
          "old box body.3do (" + models + "/old/body.3do)", "arrow"}},
        {"the dialog opens where the last model was, also after a failed load",
         {"old models/old/body.3do", "new models/broken.3do", "new models/new.3do"},
         {"ask in " + models, "hide table", "busy", "clear dump",
          "old box body.3do (" + models + "/old/body.3do)",
          "new box new.3do (" + models + "/new.3do)", "arrow"}},
        {"a failed load says why and keeps the box",
         {"old models/old/body.3do", "old models/broken.3do"},
         {"ask in " + models + "/old", "hide table", "busy", "clear dump", "arrow",
          "message " + models +
              "/broken.3do: no hierarchy section: the file has no \"HIERARCHY NODES\" title"}},
        {"a key file fills both views", {"key a.key"},
         {"hide table", "busy", "clear table", "clear dump", "key info of 8 rows", "arrow"}},
        {"a failed key file says where", {"key bad.key"},
         {"hide table", "busy", "clear table", "clear dump", "arrow",
          "message bad.key, line 2: NODE 'x' is not a number"}},
        {"no file selected", {"key"}, {"message You must select a file!"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Session session;
        for (const std::string &action : row.actions) {
            session.View.Told.clear();
            Do(session, action);
        }
        EXPECT_EQ(session.View.Told, row.told);
    }
}

TEST_F(Window, ABatchTurnsTheListsOffCountsOnTheBarAndSumsUp)
{
    Session session;
    Do(session, "old models/old/body.3do");
    Do(session, "new models/new.3do");
    session.View.Told.clear();
    session.Logic.cmdAll_Click(dir / "keys", {"a.key", "bad.key"});
    EXPECT_EQ(session.View.Told,
              (Events{"hide table", "busy", "lists off", "clear dump", "bar to 2", "bar at 0: 0 of 2",
                      "message 2", "bar at 1: 1 of 2", "bar at 2: 2 of 2", "lists on",
                      "summary Converted:  1\r\nNot Converted:  1\r\n\r\n"
                      "bad.key: NODE 'x' is not a number (line 2)",
                      "arrow", "refresh"}));
    EXPECT_EQ(session.View.Details.rfind("bad.key: NODE 'x' is not a number (line 2)\r\n\r\n"
                                         "Joints of body.3do (1) and new.3do (1)",
                                         0),
              0u)
        << session.View.Details;

    Session unloaded;
    unloaded.Logic.cmdAll_Click(dir / "keys", {"a.key"});
    EXPECT_EQ(unloaded.View.Told,
              (Events{"hide table",
                      "message Load both hierarchies first: neither the old nor the new "
                      "hierarchy is loaded."}));
}

TEST_F(Window, TheHiddenSaveSaysNyahThenTheErrorsNumber)
{
    Session session;
    Do(session, "key a.key");
    session.View.Told.clear();
    // The tables loaded last, under the name selected now.
    session.Logic.cmdSave_Click(dir / "keys", "bad.key");
    session.Logic.cmdSave_Click(dir / "keys", "");  // a name too short: code 5
    EXPECT_EQ(session.View.Told, (Events{"message Nyah", "message Nyah", "message 5"}));
    const std::string saved = testing::ReadFile(dir / "keys/New/bad.key");
    EXPECT_EQ(saved.rfind(testing::MarkerLineStart("bad.key"), 0), 0u);
    EXPECT_NE(saved.find("\r\nNODES 2\r\n"), std::string::npos);  // a.key's two nodes
}

// After a batch whose warnings say that nodes sit on joints the new model numbers
// differently or renamed, the summary box offers to convert again as zerka-cli would.
TEST_F(Window, ABatchThatLeftNodesOnRenumberedOrRenamedJointsOffersToConvertAgain)
{
    const struct {
        const char *folder;  // of the examples
        std::string offered;  // the dialog's boxes, as the fake view words them
        std::vector<bool> ticked;  // as the person leaves them
        MatchOptions expected;  // what zerka-cli is given for the same outputs
    } rows[] = {
        {"inserted", " [x] Follow joints whose numbers changed (as zerka-cli --renumber)", {true},
         {{}, true}},
        {"", " [x] head \u2192 sensor", {true}, {{{"head", "sensor"}}, false}},
        {"", " [x] head \u2192 sensor", {false}, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.folder) + (row.ticked[0] ? " ticked" : " unticked"));
        std::filesystem::remove_all(dir.Path() / "window");
        std::filesystem::remove_all(dir.Path() / "cli");
        const std::string source =
            std::string(ZERKA_EXAMPLES_DIR) + (*row.folder ? "/" : "") + row.folder;
        std::filesystem::copy(source, dir.Path() / "window");
        std::filesystem::copy(source, dir.Path() / "cli");
        Session session;
        Do(session, "old window/old.3do");
        Do(session, "new window/new.3do");
        session.View.AgainAnswers = {row.ticked};
        session.View.Told.clear();
        session.Logic.cmdAll_Click(dir / "window", ListKeyFiles(dir / "window"));
        const Events &told = session.View.Told;
        EXPECT_EQ(std::count(told.begin(), told.end(), "convert again?" + row.offered), 1);
        // The second batch's box offers nothing more when its choices were all taken.
        const auto offers = std::count_if(told.begin(), told.end(), [](const std::string &event) {
            return event.rfind("summary offering again", 0) == 0;
        });
        EXPECT_EQ(offers, row.ticked[0] ? 1 : 2);
        if (row.ticked[0]) {
            EXPECT_EQ(session.View.Details.rfind("Converted as zerka-cli --", 0), 0u)
                << session.View.Details;
        }

        KeyframeTables cli;
        LoadHierarchy(cli, dir / "cli/old.3do", true);
        LoadHierarchy(cli, dir / "cli/new.3do", false);
        BatchOptions options;
        options.Match = row.expected;
        options.MarkerDate = "01/02/70 00:00:00";
        ConvertAll(cli, dir / "cli", ListKeyFiles(dir / "cli"), {}, options);
        for (const std::string &name : ListKeyFiles(dir / "cli")) {
            SCOPED_TRACE(name);
            EXPECT_EQ(testing::ReadFile(dir / ("window/New/" + name)),
                      testing::ReadFile(dir / ("cli/New/" + name)));
        }
    }

    // A batch with no such warning offers nothing.
    Session plain;
    Do(plain, "old models/old/body.3do");
    Do(plain, "new models/new.3do");
    plain.View.Told.clear();
    plain.Logic.cmdAll_Click(dir / "keys", {"a.key"});
    for (const std::string &event : plain.View.Told)
        EXPECT_EQ(event.find("offering again"), std::string::npos) << event;
}

TEST(ValueEditor, AnOpenEditorKeepsItsValuesAndSaveMovesOneRowDownButNotPastTheLast)
{
    frmEditLogic editor;
    editor.EditValue = "first";
    EXPECT_EQ(editor.Show(), std::optional<std::string>("first"));
    editor.EditValue = "second";
    EXPECT_EQ(editor.Show(), std::nullopt);  // open already: it only comes forward
    const struct {
        int row, rows, next;
    } rows[] = {{1, 10, 2}, {8, 10, 9}, {9, 10, 9}, {0, 1, 0}};
    for (const auto &row : rows) {
        EXPECT_TRUE(editor.IsOpen());
        const frmEditLogic::Saved saved = editor.Save(row.row, 3, row.rows);
        EXPECT_EQ(saved.Row, row.row);
        EXPECT_EQ(saved.Col, 3);
        EXPECT_EQ(saved.NextRow, row.next);
        EXPECT_FALSE(editor.IsOpen());
        EXPECT_EQ(editor.Show(), std::optional<std::string>("second"));
    }
    editor.Close();
    EXPECT_FALSE(editor.IsOpen());
}

}  // namespace
}  // namespace zerka
