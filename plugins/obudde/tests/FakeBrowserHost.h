#pragma once

// A browser program stand-in for the plug-in's tests: the browser library serves books and
// queries itself and forwards windows, views, help and its DDE server to this host, which
// records what the plug-in asked for.

#include "NullBrowserHost.h"

#include "text/AsciiCase.h"

#include <map>
#include <string>
#include <vector>

class CFakeDdeServer : public zelio::IDdeHostServer
{
public:
    static constexpr uintptr_t InstanceHandle = 0x5150;
    static constexpr uintptr_t FirstChain = 0x101;
    static constexpr uintptr_t SecondChain = 0x102;
    static constexpr uintptr_t ExecuteChain = 0x103;

    std::vector<std::string> m_topics;
    std::vector<std::string> m_passedOn; // "first|topic", "execute|topic|command", ...
    std::vector<uintptr_t> m_chains;     // the chaining word of each pass-on
    ZelDdeFirstHook m_first = nullptr;
    ZelDdeSecondHook m_second = nullptr;
    ZelDdeExecuteHook m_execute = nullptr;
    uintptr_t* m_record = nullptr;
    int m_liveStrings = 0;

    uintptr_t Instance() override { return InstanceHandle; }
    int TopicAdd(uintptr_t topic) override
    {
        m_topics.push_back(StringText(topic));
        return 0;
    }
    int TopicRemove(uintptr_t topic) override
    {
        for (auto it = m_topics.begin(); it != m_topics.end(); ++it)
            if (platform::EqualsIgnoreAsciiCase(*it, StringText(topic))) {
                m_topics.erase(it);
                return 0;
            }
        return -1;
    }
    int HooksInstall(ZelDdeFirstHook first, ZelDdeSecondHook second, uintptr_t* record) override
    {
        m_first = first;
        m_second = second;
        m_record = record;
        record[3] = 0xAAAA; // words the server keeps for itself
        record[4] = FirstChain;
        record[5] = 0xBBBB;
        record[6] = SecondChain;
        return 0;
    }
    int ExecuteHookInstall(ZelDdeExecuteHook execute, uintptr_t* record) override
    {
        m_execute = execute;
        record[7] = 0xCCCC;
        record[8] = ExecuteChain;
        return 0;
    }
    intptr_t FirstPassOn(uintptr_t, uintptr_t, uintptr_t topic, uintptr_t chain) override
    {
        m_chains.push_back(chain);
        m_passedOn.push_back("first|" + std::string(StringText(topic)));
        return 21;
    }
    intptr_t SecondPassOn(uintptr_t, uintptr_t, uintptr_t, uintptr_t topic,
                          uintptr_t chain) override
    {
        m_chains.push_back(chain);
        m_passedOn.push_back("second|" + std::string(StringText(topic)));
        return 22;
    }
    intptr_t ExecutePassOn(uintptr_t, uintptr_t, uintptr_t, uintptr_t topic, const char* command,
                           uintptr_t chain) override
    {
        m_chains.push_back(chain);
        m_passedOn.push_back("execute|" + std::string(StringText(topic)) + "|" + command);
        return 23;
    }
    uintptr_t StringCreate(const char* text) override
    {
        m_texts[++m_next] = text;
        ++m_liveStrings;
        return m_next;
    }
    const char* StringText(uintptr_t handle) override
    {
        const auto found = m_texts.find(handle);
        return found == m_texts.end() ? "" : found->second.c_str();
    }
    void StringFree(uintptr_t handle) override
    {
        if (m_texts.erase(handle))
            --m_liveStrings;
    }

private:
    std::map<uintptr_t, std::string> m_texts;
    uintptr_t m_next = 0x7000;
};

class CFakeBrowserHost : public zelio::CNullBrowserHost
{
public:
    static constexpr uintptr_t ServerHandle = 0xD0E;
    static constexpr uintptr_t MainWindowWord = 0x3A1;
    static constexpr uintptr_t NewView = 0x7777;

    CFakeDdeServer m_server;
    uintptr_t m_context = 0;
    uintptr_t m_windows[5] = {0, 0, 0, 0, MainWindowWord};
    uintptr_t m_existingView = 0;     // what BookView answers
    uintptr_t m_openedView = NewView; // what ViewOpen answers
    std::vector<std::string> m_calls; // the host calls in order
    int m_helpAnswer = 0;

    CFakeBrowserHost() { zelio::InstallBrowserHost(this); }
    ~CFakeBrowserHost() override { zelio::InstallBrowserHost(nullptr); }

    const uintptr_t* ContextWindows(uintptr_t context) override
    {
        return context == m_context && context != 0 ? m_windows : nullptr;
    }
    uintptr_t MainWindow(uintptr_t) override { return MainWindowWord; }
    uintptr_t BookView(uintptr_t) override
    {
        m_calls.push_back("BookView");
        return m_existingView;
    }
    uintptr_t ViewOpen(uintptr_t, const char* name, const char* title, bool visible,
                       int style) override
    {
        m_calls.push_back("ViewOpen " + std::string(name) + " " + title + " " +
                          std::to_string(visible) + " " + std::to_string(style));
        return m_openedView;
    }
    int ViewShowBook(uintptr_t book, uintptr_t view) override
    {
        zelio::CBookInfo info;
        zelio::DescribeBook(book, info);
        m_calls.push_back("ShowBook " + info.title + " " + std::to_string(view));
        return 0;
    }
    int ViewRaise(uintptr_t view) override
    {
        m_calls.push_back("Raise " + std::to_string(view));
        return 0;
    }
    int ViewMarkHits(uintptr_t view, const char* query) override
    {
        m_calls.push_back("MarkHits " + std::to_string(view) + " " + query);
        return 0;
    }
    int HelpShow(uintptr_t context, const char* topic) override
    {
        m_calls.push_back("Help " + std::string(context == m_context ? "" : "other ") + "[" +
                          topic + "]");
        return m_helpAnswer;
    }
    zelio::IDdeHostServer* DdeServer(uintptr_t server) override
    {
        return server == ServerHandle ? &m_server : nullptr;
    }
    zelio::IDdeHostServer* DdeServerOfInstance(uintptr_t instance) override
    {
        return instance == CFakeDdeServer::InstanceHandle ? &m_server : nullptr;
    }
    zelio::IDdeHostServer* DdeServerOfChain(uintptr_t) override { return &m_server; }
    int ScriptKindRegister(uintptr_t, const char*, ZelScriptConstructProc, ZelScriptProc,
                           ZelScriptProc, uintptr_t) override
    {
        return -1;
    }
};
