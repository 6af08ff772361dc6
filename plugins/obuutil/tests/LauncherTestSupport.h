#pragma once

// What the module's tests share: the browser program stood in for (a host that records the
// calls the plug-in makes and answers for one view of one collection), a prompter that keeps
// each message's caption, and the module loaded as the browser loads it.

#include "FakeBrowserHost.h"
#include "CaptionPrompter.h"
#include "prompter/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <map>
#include <string>
#include <vector>

// The browser program of obudde's tests, answering also what this plug-in asks.
class CLauncherHost : public CFakeBrowserHost
{
public:
    static constexpr uintptr_t kContext = 0xC0;
    static constexpr uintptr_t kView = 0x1E1;
    static constexpr uintptr_t kCollectionWindow = 0xC01;
    static constexpr uintptr_t kCollection = 0xC02;
    static constexpr uintptr_t kTable = 0x7AB;

    // m_calls (inherited) holds the calls in order: "Enter", "MenuAdd ...", ...
    std::map<int, ZelCallback> m_events;  // event code -> callback
    std::vector<ZelCallback> m_itemProcs; // procedures of the menu items added
    std::string m_directory;              // the collection's directory; empty: none
    std::string m_alias;                  // the collection's name; empty: unknown
    uintptr_t m_mainWindow = 0;

    int EventRegister(uintptr_t context, int event, ZelCallback callback, uintptr_t) override
    {
        m_calls.push_back("Event " + std::to_string(event) + (context == kContext ? "" : " ?"));
        m_events[event] = callback;
        return 0;
    }
    int Enter(uintptr_t context) override
    {
        m_calls.push_back(context == kContext ? "Enter" : "Enter ?");
        return 0;
    }
    intptr_t Leave(uintptr_t context) override
    {
        m_calls.push_back(context == kContext ? "Leave" : "Leave ?");
        return 0;
    }
    int ViewMenuAdd(uintptr_t view, const char* text, uint32_t flags, ZelCallback itemProc,
                    uintptr_t word) override
    {
        char line[160];
        std::snprintf(line, sizeof line, "MenuAdd %s [%s] %#x %lu", view == kView ? "" : "?", text,
                      static_cast<unsigned>(flags), static_cast<unsigned long>(word));
        m_calls.push_back(line);
        m_itemProcs.push_back(itemProc);
        return 0;
    }
    int ViewCallbackRegister(uintptr_t, int kind, ZelCallback, uintptr_t) override
    {
        m_calls.push_back("ViewCallback " + std::to_string(kind));
        return 0;
    }
    uintptr_t CollectionWindowOf(uintptr_t word) override
    {
        return word == kView ? kCollectionWindow : 0;
    }
    uintptr_t CollectionOf(uintptr_t window) override
    {
        return window == kCollectionWindow ? kCollection : 0;
    }
    const char* CollectionDirectory(uintptr_t collection) override
    {
        return collection == kCollection && !m_directory.empty() ? m_directory.c_str() : nullptr;
    }
    uintptr_t CollectionTable(uintptr_t context) override
    {
        return context == kContext ? kTable : 0;
    }
    const char* CollectionAlias(uintptr_t table, const char* directory) override
    {
        return table == kTable && directory == m_directory && !m_alias.empty() ? m_alias.c_str()
                                                                               : nullptr;
    }
    uintptr_t MainWindow(uintptr_t) override { return m_mainWindow; }
};

// The plug-in module, loaded once per test program and kept mapped (as the browser keeps its
// plug-ins until it ends), with the exports the tests call.
struct CLauncherModule
{
    using Init = uintptr_t (*)(uintptr_t, const uintptr_t*);
    using Destroy = intptr_t (*)(uintptr_t);
    using SetPrompter = void (*)(platform::IPrompter*);
    using SetFolder = void (*)(const char*);

    void* handle = nullptr;
    Init init = nullptr;
    Destroy destroy = nullptr;
    ZelCallback menuItemProc = nullptr;
    SetPrompter setPrompter = nullptr;
    SetFolder setProgramFolder = nullptr;

    static CLauncherModule& Get()
    {
        static CLauncherModule module;
        return module;
    }

    // Starts the plug-in with a start record whose first word is the host's context.
    uintptr_t Start() const
    {
        const uintptr_t record[7] = {CLauncherHost::kContext, 0, 0x3A1, 0, 0, 0, 0};
        return init(0, record);
    }

private:
    CLauncherModule()
    {
        handle = dlopen(OBUUTIL_MODULE, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (handle == nullptr)
            return;
        init = reinterpret_cast<Init>(dlsym(handle, "KBL_PLUGINinit"));
        destroy = reinterpret_cast<Destroy>(dlsym(handle, "KBL_PLUGINdestroy"));
        menuItemProc = reinterpret_cast<ZelCallback>(dlsym(handle, "PluginMenuItemProc"));
        setPrompter = reinterpret_cast<SetPrompter>(
            dlsym(handle, "_Z18ObuUtilSetPrompterPN8platform9IPrompterE"));
        setProgramFolder =
            reinterpret_cast<SetFolder>(dlsym(handle, "_Z23ObuUtilSetProgramFolderPKc"));
    }
};
