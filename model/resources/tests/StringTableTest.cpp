#include "StringTable.h"

#include "Messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Every command that has a menu entry, a toolbar button or a shortcut.
const int kCommands[] = {
    ID_DIAGNOSTICS,
    ID_SAVE_SETTINGS_NOW,
    ID_RELATED_INSTANCES,
    ID_ALL_RELATED_INSTANCES,
    ID_DOCUMENTATION,
    ID_SETTINGS,
    ID_FIND_INSTANCE,
    ID_FIND_NEXT_INSTANCE,
    ID_VIEW_BOTH_PANES,
    ID_VIEW_MODEL_ONLY,
    ID_VIEW_INFORMATION_ONLY,
    ID_INSTANCES,
    ID_CLEAR_TRACKS,
    ID_FONT,
    ID_GRID_SWITCH,
    ID_FOCUS_FIND_BOX,
    ID_ENTER,
    ID_NEXT_ITEM,
    ID_PREVIOUS_ITEM,
    ID_PROPERTIES,
    ID_SHOW_NORMAL_MODE,
    ID_SET_DEFAULT_FONT,
    ID_HISTORY,
    ID_RESTORE_HISTORY,
    ID_CLEAR_HISTORY,
    ID_EXPORT_PAGE,
    ID_ZOOM_IN,
    ID_ZOOM_OUT,
    ID_ZOOM_ACTUAL,
    ID_ZOOM_FIT,
    ID_FILE_NEW,
    ID_FILE_OPEN,
    57616,
    57617,
    57618,
    57619,
    ID_APP_ABOUT,
    ID_APP_EXIT,
    ID_HELP_CONTENTS,
    ID_NEXT_PANE,
    ID_PREV_PANE,
    ID_VIEW_TOOLBAR,
    ID_VIEW_STATUS_BAR,
};

bool HasOuterBlanks(const std::string& text)
{
    return !text.empty() && (text.front() == ' ' || text.back() == ' ');
}

} // namespace

TEST(StringTable, EveryCommandHasOnePromptAndOneToolTip)
{
    for (int id : kCommands) {
        SCOPED_TRACE(id);
        const std::string text = LoadResourceString(id);
        ASSERT_EQ(1, std::count(text.begin(), text.end(), '\n')) << text;
        const std::string prompt = CommandPrompt(id);
        const std::string tip = CommandToolTip(id);
        EXPECT_FALSE(prompt.empty());
        EXPECT_FALSE(tip.empty());
        EXPECT_EQ(text, prompt + "\n" + tip);
        EXPECT_FALSE(HasOuterBlanks(prompt)) << prompt;
        EXPECT_FALSE(HasOuterBlanks(tip)) << tip;
    }
}

TEST(StringTable, PaneModeStringsShareOneStyle)
{
    EXPECT_STREQ("View Model Only\nModel Only", LoadResourceString(32824));
    EXPECT_EQ("View Model Only", CommandPrompt(32824));
    EXPECT_EQ("Model Only", CommandToolTip(32824));
    // The other two modes: "View <tip>\n<tip>".
    for (int id : {32823, 32825}) {
        SCOPED_TRACE(id);
        EXPECT_EQ("View " + CommandToolTip(id), CommandPrompt(id));
    }
}

TEST(StringTable, ExportPageNamesBothFormats)
{
    EXPECT_EQ("Export Page as Image", CommandToolTip(ID_EXPORT_PAGE));
    const std::string prompt = CommandPrompt(ID_EXPORT_PAGE);
    EXPECT_NE(std::string::npos, prompt.find("PNG"));
    EXPECT_NE(std::string::npos, prompt.find("PDF"));
}

TEST(StringTable, FixedTextsOfTheProgram)
{
    const struct
    {
        int id;
        const char* text;
    } cases[] = {
        {200, "Tallvik"},
        {57344, "Model"},
        {6000, "General"},
        {6001, "List"},
        {6002, "Documentation"},
        {6003, "Model"},
        {6004, "Connection"},
        {6005, "Open"},
        {6006, "Font"},
        {6007, "Find"},
        {7004, "Find Instance"},
        {7005, "help=Model"},
        {5066, "Searching from Documentation..."},
        {IDS_TOOLBAR_CAPTION, "Standard"},
        {IDS_MODEL_CAPTION, "Model"},
        {IDS_MODEL_RELATIONS_CAPTION, "Model (with Relations)"},
        {IDS_INFORMATION_CAPTION, "Information"},
        {IDS_ITEMS_TAB, "Items"},
        {IDS_HISTORY_TAB, "History"},
        {IDS_EXECUTING_VIEWER, "Executing Viewer Program..."},
        {IDS_ABOUT_VERSION, "Model Version 3.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_STREQ(c.text, LoadResourceString(c.id));
    }
}

TEST(StringTable, DocumentTemplateFieldsAndFormats)
{
    EXPECT_STREQ("Model\n\nModel\nModel Files (*.mdl)\n.mdl\nModel.Document\nModel Document",
                 LoadResourceString(128));

    const std::string defaults = LoadResourceString(7002);
    EXPECT_EQ(12, std::count(defaults.begin(), defaults.end(), ','));
    EXPECT_EQ(0u, defaults.rfind("ZELIO.EXE,ZELWIN,ZELIO,OBU,4,CORVELLE.INI,", 0));

    char command[64];
    std::snprintf(command, sizeof command, LoadResourceString(7008), "book", "coll", "q");
    EXPECT_STREQ("bookquery=book,coll,q", command);
}

TEST(StringTable, UnknownIdsGiveEmptyTextsNeverNull)
{
    for (int id : {-1, 0, 1, 127, 5000, 5004, 5067, 32771, ID_ZOOM_FIT + 1, 57602, 70000}) {
        SCOPED_TRACE(id);
        const char* text = LoadResourceString(id);
        ASSERT_NE(nullptr, text);
        EXPECT_STREQ("", text);
        EXPECT_FALSE(HasResourceString(id));
        EXPECT_EQ("", CommandPrompt(id));
        EXPECT_EQ("", CommandToolTip(id));
    }
    // A string without a line break is all prompt and no tip.
    EXPECT_EQ("Tallvik", CommandPrompt(200));
    EXPECT_EQ("", CommandToolTip(200));
    EXPECT_TRUE(HasResourceString(200));
}

TEST(StringTable, MessagesComeThroughUnchanged)
{
    int messages = 0;
    for (int id = 5001; id <= 5066; ++id) {
        const char* message = MessageFormat(id);
        if (!*message)
            continue;
        ++messages;
        EXPECT_EQ(message, LoadResourceString(id)) << id;
    }
    EXPECT_GT(messages, 50);
    EXPECT_STREQ(MessageFormat(5017), LoadResourceString(5017));

    // No string of the program's own table hides a text of the data layer.
    for (int id = 0; id <= 65535; ++id) {
        const char* message = MessageFormat(id);
        if (*message) {
            ASSERT_STREQ(message, LoadResourceString(id)) << id;
        }
    }
}

TEST(StringTable, ToolbarLayout)
{
    const int* toolbar = ToolbarSlots();
    // 0: separator; slot 9 holds the find box.
    const int expectedCommands[kToolbarSlotCount] = {
        57600, 57601, 0,     32826, 32816, 32817, 0,     32818, 0, 32820, 0,
        32822, 0,     32823, 32824, 32825, 0,     32829, 32827, 0, 57664};
    for (int slot = 0; slot < kToolbarSlotCount; ++slot)
        EXPECT_EQ(expectedCommands[slot], toolbar[slot]) << slot;
}
