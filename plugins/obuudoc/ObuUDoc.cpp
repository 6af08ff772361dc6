// The user-documents plug-in module: its one plug-in object and its own exports.

#include "ObuUDoc.h"

#include "UserDocumentPlugin.h"

namespace {

obuudoc::CUserDocumentPlugin g_plugin;

} // namespace

intptr_t OBUUDocAddUserDocMenuItemProc(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                       uintptr_t)
{
    return g_plugin.ChooseAddUserDocument();
}

intptr_t OBU_LAUNCH_ScriptConstructProc(uintptr_t record, uintptr_t, uintptr_t, uintptr_t,
                                        uintptr_t file)
{
    return g_plugin.LaunchDocument(record, reinterpret_cast<const char*>(file));
}

intptr_t OBU_LAUNCH_ScriptDestructProc(uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return 0;
}

intptr_t OBU_LAUNCH_ScriptRefreshProc(uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return 0;
}

intptr_t AskUserdocumentInfoDialogProc(uintptr_t owner)
{
    return g_plugin.RunAddDialog(owner);
}

intptr_t LocateDocumentFile(uintptr_t)
{
    return g_plugin.LocateDocument();
}

intptr_t OBUUDocAnnotScriptConstructProc(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    g_plugin.Prompter().MessageBeep(platform::BeepType::Simple);
    return 0;
}

intptr_t OBUUDocAnnotScriptDestructProc(uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    g_plugin.Prompter().MessageBeep(platform::BeepType::Simple);
    return 0;
}

void ObuUDocSetPrompter(platform::IPrompter* prompter)
{
    g_plugin.SetPrompter(prompter);
}
