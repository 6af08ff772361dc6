#pragma once

// A browser program stand-in for the user-documents plug-in's tests: libzelio forwards its
// window, menu, script and graphics-window calls to this host, which records them in order
// and keeps the callbacks and procedures the plug-in handed over, so a test can call them as
// the browser would.

#include "NullBrowserHost.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

class CUserDocBrowserHost : public zelio::CNullBrowserHost
{
public:
    static constexpr uintptr_t kContext = 0xC0;
    static constexpr uintptr_t kFirstGraph = 0x6000;

    std::vector<std::string> m_calls;    // the recorded calls, in order
    std::map<int, ZelCallback> m_events; // event code -> callback
    std::map<uintptr_t, std::vector<std::pair<ZelCallback, uintptr_t>>> m_graphCallbacks;
    std::map<std::string, ZelCallback> m_menuProcs; // "view 5" / "colwin 7" -> item procedure
    struct ScriptKind
    {
        ZelScriptConstructProc construct = nullptr;
        ZelScriptProc destruct = nullptr;
        ZelScriptProc refresh = nullptr;
        uintptr_t data = 0;
    };
    std::map<std::string, ScriptKind> m_scriptKinds;
    uintptr_t m_windows[5] = {0, 0, 0, 0, 0}; // the fifth: the main window
    uintptr_t m_scriptWindow = 0;             // what ScriptWindow answers
    int m_depth = 0;                          // enter minus leave
    std::vector<uintptr_t> m_graphs;          // live graphs

    CUserDocBrowserHost() { zelio::InstallBrowserHost(this); }
    ~CUserDocBrowserHost() override { zelio::InstallBrowserHost(nullptr); }

    // Closes a graph as the browser does when its window is closed: the destroyed
    // callbacks run (graph, 0, 0, data, 0, 0) and the graph is gone.
    int CloseGraph(uintptr_t graph)
    {
        const auto live = std::find(m_graphs.begin(), m_graphs.end(), graph);
        if (live == m_graphs.end())
            return -1;
        m_graphs.erase(live);
        const auto callbacks = m_graphCallbacks[graph];
        m_graphCallbacks.erase(graph);
        for (const auto& [callback, data] : callbacks)
            callback(graph, 0, 0, data, 0, 0);
        return 0;
    }

    const uintptr_t* ContextWindows(uintptr_t context) override
    {
        return context == kContext ? m_windows : nullptr;
    }
    uintptr_t MainWindow(uintptr_t) override { return m_windows[4]; }
    int PluginStart(int version) override
    {
        m_calls.push_back("start " + std::to_string(version));
        return 0;
    }
    int EventRegister(uintptr_t context, int event, ZelCallback callback, uintptr_t) override
    {
        if (context != kContext)
            return -1;
        m_calls.push_back("event " + std::to_string(event));
        m_events[event] = callback;
        return 0;
    }
    int BookCallbackRegister(uintptr_t, int, ZelCallback, uintptr_t) override { return 0; }
    int ViewCallbackRegister(uintptr_t, int, ZelCallback, uintptr_t) override { return 0; }
    int GraphCallbackRegister(uintptr_t graph, int kind, ZelCallback callback,
                              uintptr_t data) override
    {
        m_calls.push_back("graph callback " + std::to_string(graph) + " " + std::to_string(kind));
        m_graphCallbacks[graph].push_back({callback, data});
        return 0;
    }
    int Enter(uintptr_t) override { return ++m_depth, 0; }
    intptr_t Leave(uintptr_t) override { return --m_depth, 0; }
    int ViewMenuAdd(uintptr_t view, const char* text, uint32_t flags, ZelCallback itemProc,
                    uintptr_t word) override
    {
        return MenuAdd("view " + std::to_string(view), text, flags, itemProc, word);
    }
    int CollectionWindowMenuAdd(uintptr_t collectionWindow, const char* text, uint32_t flags,
                                ZelCallback itemProc, uintptr_t word) override
    {
        return MenuAdd("colwin " + std::to_string(collectionWindow), text, flags, itemProc, word);
    }
    int ScriptKindRegister(uintptr_t context, const char* kind, ZelScriptConstructProc construct,
                           ZelScriptProc destruct, ZelScriptProc refresh, uintptr_t data) override
    {
        m_calls.push_back(std::string("script kind ") + kind + " " +
                          (context == kContext ? "context" : "other"));
        m_scriptKinds[kind] = {construct, destruct, refresh, data};
        return 0;
    }
    uintptr_t ScriptWindow(uintptr_t) override { return m_scriptWindow; }
    void ScriptRelease(uintptr_t view, uintptr_t script) override
    {
        m_calls.push_back("release " + std::to_string(view) + " " + std::to_string(script));
    }
    uintptr_t GraphCreate(uintptr_t, uintptr_t context, const char* title) override
    {
        if (context != kContext)
            return 0;
        const uintptr_t graph = kFirstGraph + m_nextGraph++;
        m_graphs.push_back(graph);
        m_calls.push_back("create " + std::string(title) + " " + std::to_string(graph));
        return graph;
    }
    int GraphLoad(uintptr_t graph, const char* path) override
    {
        m_calls.push_back("load " + std::to_string(graph) + " " + path);
        return 0;
    }
    int GraphShow(uintptr_t graph) override
    {
        m_calls.push_back("show " + std::to_string(graph));
        return 0;
    }
    int GraphRefresh(uintptr_t graph) override
    {
        m_calls.push_back("refresh " + std::to_string(graph));
        return 0;
    }
    int GraphClose(uintptr_t graph) override
    {
        m_calls.push_back("close " + std::to_string(graph));
        return CloseGraph(graph);
    }

private:
    int MenuAdd(const std::string& where, const char* text, uint32_t flags, ZelCallback itemProc,
                uintptr_t word)
    {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%#x", flags);
        m_calls.push_back("menu " + where + " " + text + " " + hex + " " + std::to_string(word));
        m_menuProcs[where] = itemProc;
        return 0;
    }

    uintptr_t m_nextGraph = 0;
};
