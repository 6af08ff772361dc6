#include "CommandTable.h"

#include "CommandIds.h"

const QList<CCommandInfo>& CommandTable()
{
    static const QList<CCommandInfo> table = {
        {ID_FILE_NEW, "&New", "Ctrl+N"},
        {ID_FILE_OPEN, "&Open...", "Ctrl+O"},
        {ID_EXPORT_PAGE, "&Export Page as Image...", ""},
        {ID_APP_EXIT, "E&xit", ""},
        {ID_INSTANCES, "&Instances", "Enter"},
        {ID_RELATED_INSTANCES, "&Related Instances", "Ctrl+R"},
        {ID_ALL_RELATED_INSTANCES, "&All Related Instances", "Ctrl+A"},
        {ID_DOCUMENTATION, "&Documentation", "Ctrl+D"},
        {ID_VIEW_BOTH_PANES, "Model and Information P&ane", "F7", true},
        {ID_VIEW_MODEL_ONLY, "&Model Pane Only", "F4", true},
        {ID_VIEW_INFORMATION_ONLY, "&Information Pane Only", "F5", true},
        {ID_HISTORY, "&History", "Ctrl+H"},
        {ID_ZOOM_IN, "&Zoom In", "Ctrl++"},
        {ID_ZOOM_OUT, "Zoom &Out", "Ctrl+-"},
        {ID_ZOOM_ACTUAL, "Act&ual Size", "Ctrl+0"},
        {ID_ZOOM_FIT, "&Fit Page", ""},
        {ID_VIEW_TOOLBAR, "&Toolbar", "", true},
        {ID_VIEW_STATUS_BAR, "&Status Bar", "", true},
        {ID_PROPERTIES, "&Properties", "Alt+Enter"},
        {ID_FIND_INSTANCE, "&Find Instance...", ""},
        {ID_FIND_NEXT_INSTANCE, "Find &Next Instance", "F3"},
        {ID_FONT, "Fon&t...", ""},
        {ID_SET_DEFAULT_FONT, "Set &Default Font", ""},
        {ID_CLEAR_TRACKS, "&Clear Tracks", "Ctrl+T"},
        {ID_CLEAR_HISTORY, "Clear History", "Ctrl+I"},
        {ID_RESTORE_HISTORY, "&Restore History...", ""},
        {ID_SETTINGS, "&Settings...", ""},
        {ID_SAVE_SETTINGS_NOW, "Save Settings &Now", ""},
        {ID_HELP_CONTENTS, "&Contents", ""},
        {ID_APP_ABOUT, "&About Model", ""},
        // Reached by keys only.
        {ID_DIAGNOSTICS, "", ""},
        {ID_GRID_SWITCH, "", ""},
        {ID_FOCUS_FIND_BOX, "", ""},
        {ID_ENTER, "", ""},
        {ID_NEXT_ITEM, "", ""},
        {ID_PREVIOUS_ITEM, "", ""},
        {ID_SHOW_NORMAL_MODE, "", ""},
        {ID_NEXT_PANE, "", ""},
        {ID_PREV_PANE, "", ""},
        {ID_EDIT_UNDO, "", ""},
    };
    return table;
}

const CCommandInfo* FindCommand(int id)
{
    for (const CCommandInfo& info : CommandTable()) {
        if (info.id == id)
            return &info;
    }
    return nullptr;
}

const QList<CAccelerator>& AcceleratorTable()
{
    static const QList<CAccelerator> table = {
        {QKeySequence(Qt::CTRL | Qt::Key_A), ID_ALL_RELATED_INSTANCES},
        {QKeySequence(Qt::ALT | Qt::Key_A), ID_FOCUS_FIND_BOX},
        {QKeySequence(Qt::CTRL | Qt::Key_D), ID_DOCUMENTATION},
        {QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::ALT | Qt::Key_D), ID_DIAGNOSTICS},
        {QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::ALT | Qt::Key_G), ID_GRID_SWITCH},
        {QKeySequence(Qt::CTRL | Qt::Key_H), ID_HISTORY},
        {QKeySequence(Qt::CTRL | Qt::Key_I), ID_CLEAR_HISTORY},
        {QKeySequence(Qt::CTRL | Qt::Key_N), ID_FILE_NEW},
        {QKeySequence(Qt::CTRL | Qt::Key_O), ID_FILE_OPEN},
        {QKeySequence(Qt::CTRL | Qt::Key_R), ID_RELATED_INSTANCES},
        {QKeySequence(Qt::CTRL | Qt::Key_T), ID_CLEAR_TRACKS},
        {QKeySequence(Qt::ALT | Qt::Key_Backspace), ID_EDIT_UNDO},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), ID_EDIT_UNDO},
        {QKeySequence(Qt::Key_Escape), ID_SHOW_NORMAL_MODE},
        {QKeySequence(Qt::Key_F3), ID_FIND_NEXT_INSTANCE},
        {QKeySequence(Qt::Key_F4), ID_VIEW_MODEL_ONLY},
        {QKeySequence(Qt::Key_F5), ID_VIEW_INFORMATION_ONLY},
        {QKeySequence(Qt::Key_F6), ID_NEXT_PANE},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), ID_PREV_PANE},
        {QKeySequence(Qt::Key_F7), ID_VIEW_BOTH_PANES},
        {QKeySequence(Qt::Key_Return), ID_ENTER},
        {QKeySequence(Qt::Key_Enter), ID_ENTER},
        {QKeySequence(Qt::ALT | Qt::Key_Return), ID_PROPERTIES},
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), ID_ZOOM_IN},
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), ID_ZOOM_IN}, // the plus key without Shift
        {QKeySequence(Qt::CTRL | Qt::Key_Minus), ID_ZOOM_OUT},
        {QKeySequence(Qt::CTRL | Qt::Key_0), ID_ZOOM_ACTUAL},
        {QKeySequence(Qt::Key_Tab), ID_NEXT_ITEM},
        {QKeySequence(Qt::SHIFT | Qt::Key_Backtab), ID_PREVIOUS_ITEM},
        {QKeySequence(Qt::Key_Backtab), ID_PREVIOUS_ITEM},
    };
    return table;
}
