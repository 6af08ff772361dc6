#pragma once

// The exports of the user-documents plug-in besides the frame's (PluginFrameExports.h).

#include "PluginFrameExports.h"

namespace platform {
class IPrompter;
}

// The menu item "Add &User Doc": (menu-item record, item word, reason, 0, 0, 0). Opens the
// "Add User Document" dialog; answers 0.
PLUGIN_EXPORT intptr_t OBUUDocAddUserDocMenuItemProc(uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                                     uintptr_t, uintptr_t);
// Scripts of the kind "user_document": construct (record, view, script, data, file) opens the
// file, a zero-terminated text, with its associated program and answers 0; destruct and
// refresh (record, view, script, data) do nothing and answer 0.
PLUGIN_EXPORT intptr_t OBU_LAUNCH_ScriptConstructProc(uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                                      uintptr_t);
PLUGIN_EXPORT intptr_t OBU_LAUNCH_ScriptDestructProc(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
PLUGIN_EXPORT intptr_t OBU_LAUNCH_ScriptRefreshProc(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
// The "Add User Document" dialog over the owner window (a QWidget* as a word): 1 when a
// document was given, 0 when cancelled.
PLUGIN_EXPORT intptr_t AskUserdocumentInfoDialogProc(uintptr_t owner);
// The "Add Document" file chooser; its choice becomes the location (of the open dialog).
// Answers 1.
PLUGIN_EXPORT intptr_t LocateDocumentFile(uintptr_t unused);
// Annotation scripts: a simple beep; answer 0.
PLUGIN_EXPORT intptr_t OBUUDocAnnotScriptConstructProc(uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                                       uintptr_t);
PLUGIN_EXPORT intptr_t OBUUDocAnnotScriptDestructProc(uintptr_t, uintptr_t, uintptr_t, uintptr_t);

// For tests: the prompter of the plug-in's messages and choosers (nullptr: its own widget
// prompter again).
__attribute__((visibility("default"))) void ObuUDocSetPrompter(platform::IPrompter* prompter);
