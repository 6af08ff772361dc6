#include "StringTable.h"

#include "Messages.h"

#include <cstring>

namespace {

struct StringEntry
{
    int id;
    const char* text;
};

// Strings of the program besides the messages that the data layer already holds
// (MessageFormat). Ordered by id.
const StringEntry kStrings[] = {
    {IDS_DOCUMENT_TEMPLATE,
     "Model\n\nModel\nModel Files (*.mdl)\n.mdl\nModel.Document\nModel Document"},
    {IDS_COMPANY, "Tallvik"},
    {IDS_HELP_GENERAL, "General"},
    {IDS_HELP_LIST, "List"},
    {IDS_HELP_DOCUMENTATION, "Documentation"},
    {IDS_HELP_MODEL, "Model"},
    {IDS_HELP_CONNECTION, "Connection"},
    {IDS_HELP_OPEN, "Open"},
    {IDS_HELP_FONT, "Font"},
    {IDS_HELP_FIND, "Find"},
    {IDS_PROGRAM_FILTER, "Programs (*.exe)|*.exe|All Files (*.*)|*.*||"},
    {IDS_VIEWER_DEFAULTS,
     "ZELIO.EXE,ZELWIN,ZELIO,OBU,4,CORVELLE.INI,ZELIO,COLLECTION,ZELIO,.ornrc,ORNRC,HOME,2_0"},
    {IDS_FIND_INSTANCE_TITLE, "Find Instance"},
    {IDS_HELP_COMMAND, "help=Model"},
    {IDS_BOOKQUERY_COMMAND, "bookquery=%s,%s,%s"},
    {IDS_TOOLBAR_CAPTION, "Standard"},
    {IDS_MODEL_CAPTION, "Model"},
    {IDS_MODEL_RELATIONS_CAPTION, "Model (with Relations)"},
    {IDS_INFORMATION_CAPTION, "Information"},
    {IDS_ITEMS_TAB, "Items"},
    {IDS_HISTORY_TAB, "History"},
    {IDS_EXECUTING_VIEWER, "Executing Viewer Program..."},
    {IDS_ABOUT_VERSION, "Model Version 3.1"},
    {IDS_EXPORT_TITLE, "Export Page as Image"},
    {IDS_EXPORT_FILTER, "PNG Image (*.png)|*.png|PDF Document (*.pdf)|*.pdf||"},

    // Commands: status-bar prompt, line break, tool tip.
    {ID_DIAGNOSTICS, "Test the model file syntax or dump the model contents\nDiagnostics"},
    {ID_SAVE_SETTINGS_NOW, "Save all settings now\nSave Settings Now"},
    {ID_RELATED_INSTANCES,
     "Count the relations of the selected instance in the model\nRelated Instances"},
    {ID_ALL_RELATED_INSTANCES,
     "Count the relations of all listed instances in the model\nAll Related Instances"},
    {ID_DOCUMENTATION, "View the selected instance in the documentation\nDocumentation"},
    {ID_SETTINGS, "Change the program settings\nSettings"},
    {ID_FIND_INSTANCE, "Find an instance in the instance list\nFind Instance"},
    {ID_FIND_NEXT_INSTANCE, "Find the next matching instance\nFind Next Instance"},
    {ID_VIEW_BOTH_PANES, "View Model and Information\nModel and Information"},
    {ID_VIEW_MODEL_ONLY, "View Model Only\nModel Only"},
    {ID_VIEW_INFORMATION_ONLY, "View Information Only\nInformation Only"},
    {ID_INSTANCES, "List the instances of the selected element\nInstances"},
    {ID_CLEAR_TRACKS, "Clear the marks of visited elements\nClear Tracks"},
    {ID_FONT, "Change the font of the model\nFont"},
    {ID_GRID_SWITCH, "Show or hide the grid on the model pane\nGrid"},
    {ID_FOCUS_FIND_BOX, "Move to the find box\nFind Box"},
    {ID_ENTER, "Open the selected item\nEnter"},
    {ID_NEXT_ITEM, "Select the next item\nNext Item"},
    {ID_PREVIOUS_ITEM, "Select the previous item\nPrevious Item"},
    {ID_PROPERTIES, "Change the settings of the active pane\nProperties"},
    {ID_SHOW_NORMAL_MODE, "Hide the relation counters\nShow Normal Mode"},
    {ID_SET_DEFAULT_FONT, "Change the font of the model back to the default\nSet Default Font"},
    {ID_HISTORY, "Show the history\nHistory"},
    {ID_RESTORE_HISTORY, "Restore the selected history item\nRestore History"},
    {ID_CLEAR_HISTORY, "Remove every item from the history\nClear History"},
    {ID_EXPORT_PAGE, "Save the current page as a PNG image or a PDF file\nExport Page as Image"},
    {ID_ZOOM_IN, "Show the page larger\nZoom In"},
    {ID_ZOOM_OUT, "Show the page smaller\nZoom Out"},
    {ID_ZOOM_ACTUAL, "Show the page at its actual size\nActual Size"},
    {ID_ZOOM_FIT, "Show the whole page in the window\nFit Page"},

    {IDS_APP_TITLE, "Model"},
    {IDS_IDLE_MESSAGE, "Ready"},
    {ID_FILE_NEW, "Close the model and start with an empty window\nNew"},
    {ID_FILE_OPEN, "Open an existing model\nOpen"},
    {ID_FILE_MRU_FILE1, "Open this model\nRecent Model 1"},
    {ID_FILE_MRU_FILE1 + 1, "Open this model\nRecent Model 2"},
    {ID_FILE_MRU_FILE1 + 2, "Open this model\nRecent Model 3"},
    {ID_FILE_MRU_FILE4, "Open this model\nRecent Model 4"},
    {ID_APP_ABOUT, "Display program information and version number\nAbout"},
    {ID_APP_EXIT, "Quit the program\nExit"},
    {ID_HELP_CONTENTS, "Show help on the current subject\nHelp"},
    {ID_NEXT_PANE, "Switch to the other pane\nNext Pane"},
    {ID_PREV_PANE, "Switch back to the other pane\nPrevious Pane"},
    {IDS_INDICATOR_CAPS, "CAP"},
    {IDS_INDICATOR_NUM, "NUM"},
    {IDS_INDICATOR_SCRL, "SCRL"},
    {ID_VIEW_TOOLBAR, "Show or hide the toolbar\nToolbar"},
    {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nStatus Bar"},
};

const int kToolbar[kToolbarSlotCount] = {
    ID_FILE_NEW,              // 0
    ID_FILE_OPEN,             // 1
    0,                        // 2
    ID_INSTANCES,             // 3
    ID_RELATED_INSTANCES,     // 4
    ID_ALL_RELATED_INSTANCES, // 5
    0,                        // 6
    ID_DOCUMENTATION,         // 7
    0,                        // 8
    ID_FIND_INSTANCE,         // 9 (find box)
    0,                        // 10
    ID_FIND_NEXT_INSTANCE,    // 11
    0,                        // 12
    ID_VIEW_BOTH_PANES,       // 13
    ID_VIEW_MODEL_ONLY,       // 14
    ID_VIEW_INFORMATION_ONLY, // 15
    0,                        // 16
    ID_FONT,                  // 17
    ID_CLEAR_TRACKS,          // 18
    0,                        // 19
    ID_APP_ABOUT,             // 20
};

const char* FindString(int id)
{
    for (const StringEntry& entry : kStrings) {
        if (entry.id == id)
            return entry.text;
    }
    return nullptr;
}

} // namespace

const char* LoadResourceString(int id)
{
    if (const char* text = FindString(id))
        return text;
    // The messages and element-kind texts live with the data layer, which shows them.
    const char* message = MessageFormat(id);
    return message ? message : "";
}

bool HasResourceString(int id)
{
    return *LoadResourceString(id) != '\0';
}

std::string CommandPrompt(int id)
{
    const char* text = LoadResourceString(id);
    const char* lineBreak = std::strchr(text, '\n');
    return lineBreak ? std::string(text, lineBreak) : std::string(text);
}

std::string CommandToolTip(int id)
{
    const char* text = LoadResourceString(id);
    const char* lineBreak = std::strchr(text, '\n');
    return lineBreak ? std::string(lineBreak + 1) : std::string();
}

const int* ToolbarSlots()
{
    return kToolbar;
}
