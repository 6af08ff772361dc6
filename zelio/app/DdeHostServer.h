#pragma once

#include "BrowserHost.h"
#include "dde/DdeServer.h"

// The browser's DDE server as the ZelDde* calls see it: the plug-ins' C hooks become hooks of
// the platform server, their chaining words go into the plug-in's record, and string handles
// are the server's own. The DDE instance word is this object's address. Qt-free.
class CDdeHostServer : public zelio::IDdeHostServer
{
public:
    explicit CDdeHostServer(platform::CDdeServer& server) : m_server(server) {}

    platform::CDdeServer& Server() { return m_server; }
    uintptr_t Handle() const { return reinterpret_cast<uintptr_t>(this); }

    uintptr_t Instance() override { return Handle(); }
    int TopicAdd(uintptr_t topic) override;
    int TopicRemove(uintptr_t topic) override;
    // Writes the first hook at index 3, its chaining word at index 4, the second hook at
    // index 5 and its chaining word at index 6 of the record.
    int HooksInstall(ZelDdeFirstHook first, ZelDdeSecondHook second, uintptr_t* record) override;
    // Writes the execute hook at index 7 and its chaining word at index 8 of the record.
    int ExecuteHookInstall(ZelDdeExecuteHook execute, uintptr_t* record) override;
    // First: 0 when the connection is accepted, 1 when refused. Second: 1 when served, 0
    // when not. Execute: 0 processed, -1 not processed.
    intptr_t FirstPassOn(uintptr_t w1, uintptr_t w2, uintptr_t topic, uintptr_t chain) override;
    intptr_t SecondPassOn(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t topic,
                          uintptr_t chain) override;
    intptr_t ExecutePassOn(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t topic,
                           const char* command, uintptr_t chain) override;
    uintptr_t StringCreate(const char* text) override;
    const char* StringText(uintptr_t handle) override;
    void StringFree(uintptr_t handle) override;

private:
    platform::CDdeServer& m_server;
    std::string m_textBuffer; // the last text StringText answered
};
