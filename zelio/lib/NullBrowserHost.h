#pragma once

// A browser host that knows nothing: every call answers as for an unknown handle (0, -1 or
// nullptr), plug-in start, enter and leave answer 0. Stand-in hosts (the tests of libzelio and
// of the plug-ins) derive from it and override only the calls they watch, so a new host call
// does not touch every stand-in. It does not install itself.

#include "BrowserHost.h"

namespace zelio {

class CNullBrowserHost : public IBrowserHost
{
public:
    const uintptr_t* ContextWindows(uintptr_t) override { return nullptr; }
    uintptr_t MainWindow(uintptr_t) override { return 0; }
    uintptr_t BookView(uintptr_t) override { return 0; }
    uintptr_t ViewOpen(uintptr_t, const char*, const char*, bool, int) override { return 0; }
    int ViewShowBook(uintptr_t, uintptr_t) override { return -1; }
    int ViewRaise(uintptr_t) override { return -1; }
    int ViewMarkHits(uintptr_t, const char*) override { return -1; }
    int HelpShow(uintptr_t, const char*) override { return -1; }
    IDdeHostServer* DdeServer(uintptr_t) override { return nullptr; }
    IDdeHostServer* DdeServerOfInstance(uintptr_t) override { return nullptr; }
    IDdeHostServer* DdeServerOfChain(uintptr_t) override { return nullptr; }
    int PluginStart(int) override { return 0; }
    int EventRegister(uintptr_t, int, ZelCallback, uintptr_t) override { return -1; }
    int BookCallbackRegister(uintptr_t, int, ZelCallback, uintptr_t) override { return -1; }
    int ViewCallbackRegister(uintptr_t, int, ZelCallback, uintptr_t) override { return -1; }
    int GraphCallbackRegister(uintptr_t, int, ZelCallback, uintptr_t) override { return -1; }
    int Enter(uintptr_t) override { return 0; }
    intptr_t Leave(uintptr_t) override { return 0; }
    int ViewMenuAdd(uintptr_t, const char*, uint32_t, ZelCallback, uintptr_t) override
    {
        return -1;
    }
    uintptr_t CollectionWindowOf(uintptr_t) override { return 0; }
    uintptr_t CollectionOf(uintptr_t) override { return 0; }
    const char* CollectionDirectory(uintptr_t) override { return nullptr; }
    int CollectionWindowMenuAdd(uintptr_t, const char*, uint32_t, ZelCallback, uintptr_t) override
    {
        return -1;
    }
    int ScriptKindRegister(uintptr_t, const char*, ZelScriptConstructProc, ZelScriptProc,
                           ZelScriptProc, uintptr_t) override
    {
        return -1;
    }
    uintptr_t ScriptWindow(uintptr_t) override { return 0; }
    void ScriptRelease(uintptr_t, uintptr_t) override {}
    uintptr_t GraphCreate(uintptr_t, uintptr_t, const char*) override { return 0; }
    int GraphLoad(uintptr_t, const char*) override { return -1; }
    int GraphShow(uintptr_t) override { return -1; }
    int GraphRefresh(uintptr_t) override { return -1; }
    int GraphClose(uintptr_t) override { return -1; }
    uintptr_t CollectionTable(uintptr_t) override { return 0; }
    const char* CollectionAlias(uintptr_t, const char*) override { return nullptr; }
};

} // namespace zelio
