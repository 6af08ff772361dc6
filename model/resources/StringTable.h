#pragma once

#include <string>

// Numbers of the program's string resources that have no message number of their own.
// Command ids double as string ids: the string of a command holds its status-bar prompt
// and, after a line break, its tool tip.
enum ResourceStringId
{
    IDS_DOCUMENT_TEMPLATE = 128, // "Model\n\nModel\nModel Files (*.mdl)\n.mdl\n..."
    IDS_COMPANY = 200,           // settings-store company word
    IDS_HELP_GENERAL = 6000,     // help topic titles of the settings pages and dialogs
    IDS_HELP_LIST = 6001,
    IDS_HELP_DOCUMENTATION = 6002,
    IDS_HELP_MODEL = 6003,
    IDS_HELP_CONNECTION = 6004,
    IDS_HELP_OPEN = 6005,
    IDS_HELP_FONT = 6006,
    IDS_HELP_FIND = 6007,
    IDS_PROGRAM_FILTER = 7000,          // filter of the viewer-program file dialog
    IDS_VIEWER_DEFAULTS = 7002,         // documentation viewer defaults, comma separated
    IDS_FIND_INSTANCE_TITLE = 7004,     // title of the find dialog
    IDS_HELP_COMMAND = 7005,            // the command sent to the viewer for help
    IDS_BOOKQUERY_COMMAND = 7008,       // printf format of the book-query command
    IDS_TOOLBAR_CAPTION = 7100,         // "Standard"
    IDS_MODEL_CAPTION = 7101,           // "Model"
    IDS_MODEL_RELATIONS_CAPTION = 7102, // "Model (with Relations)"
    IDS_INFORMATION_CAPTION = 7103,     // "Information"
    IDS_ITEMS_TAB = 7104,               // "Items"
    IDS_HISTORY_TAB = 7105,             // "History"
    IDS_EXECUTING_VIEWER = 7106,        // status text while the viewer program starts
    IDS_ABOUT_VERSION = 7107,           // "Model Version 3.1"
    IDS_EXPORT_TITLE = 7108,            // title of the export file dialog
    IDS_EXPORT_FILTER = 7109,           // filter of the export file dialog: PNG, then PDF
    IDS_APP_TITLE = 57344,              // application name and frame title: "Model"
    IDS_IDLE_MESSAGE = 57345,           // status bar text when nothing else is shown: "Ready"
    IDS_INDICATOR_CAPS = 59137,         // status bar indicator texts
    IDS_INDICATOR_NUM = 59138,
    IDS_INDICATOR_SCRL = 59139,
};

// Command ids of the program and of the framework that have strings here.
enum CommandId
{
    ID_DIAGNOSTICS = 32784,
    ID_SAVE_SETTINGS_NOW = 32809,
    ID_RELATED_INSTANCES = 32816,
    ID_ALL_RELATED_INSTANCES = 32817,
    ID_DOCUMENTATION = 32818,
    ID_SETTINGS = 32819,
    ID_FIND_INSTANCE = 32820,
    ID_FIND_NEXT_INSTANCE = 32822,
    ID_VIEW_BOTH_PANES = 32823,
    ID_VIEW_MODEL_ONLY = 32824,
    ID_VIEW_INFORMATION_ONLY = 32825,
    ID_INSTANCES = 32826,
    ID_CLEAR_TRACKS = 32827,
    ID_FONT = 32829,
    ID_GRID_SWITCH = 32830,
    ID_FOCUS_FIND_BOX = 32834,
    ID_ENTER = 32835,
    ID_NEXT_ITEM = 32840,
    ID_PREVIOUS_ITEM = 32841,
    ID_PROPERTIES = 32847,
    ID_SHOW_NORMAL_MODE = 32850,
    ID_SET_DEFAULT_FONT = 32851,
    ID_HISTORY = 32852,
    ID_RESTORE_HISTORY = 32855,
    ID_CLEAR_HISTORY = 32857,
    ID_EXPORT_PAGE = 32858,
    ID_ZOOM_IN = 32859, // zoom of the model page: after the program's own range
    ID_ZOOM_OUT = 32860,
    ID_ZOOM_ACTUAL = 32861,
    ID_ZOOM_FIT = 32862,
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_MRU_FILE1 = 57616,
    ID_FILE_MRU_FILE4 = 57619,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_CONTENTS = 57670,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
};

// The text of string resource `id`. Never nullptr: an unknown id gives "" (no resource of
// the program is empty). Covers the program's own strings above, every command's
// "prompt\ntip" string and, through MessageFormat, the messages 5001..5066 and the
// element-kind texts. The text is static; the caller must not free it.
const char* LoadResourceString(int id);

// Whether `id` names a string resource.
bool HasResourceString(int id);

// The status-bar prompt of a command: its string up to the first line break (the whole
// string when it has none). Empty for an unknown id.
std::string CommandPrompt(int id);

// The tool tip of a command: its string after the first line break. Empty for an unknown id
// or a string without a line break.
std::string CommandToolTip(int id);

// The toolbar's slots from left to right. 0 is a separator; the slot that holds the find
// box carries ID_FIND_INSTANCE. The array is static.
constexpr int kToolbarSlotCount = 21;
const int* ToolbarSlots();
