#include "NullBrowserHost.h"

#include <gtest/gtest.h>

#include <string>

namespace {

intptr_t Construct(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return 0;
}
intptr_t Item(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return 0;
}

// Records what reaches the host of the script, graph and collection-window menu calls; the
// other calls are not used here.
class CRecordingHost : public zelio::CNullBrowserHost
{
public:
    std::string calls;
    int EventRegister(uintptr_t, int event, ZelCallback, uintptr_t data) override
    {
        calls += "event " + std::to_string(event) + " " + std::to_string(data) + ";";
        return 0;
    }
    int CollectionWindowMenuAdd(uintptr_t window, const char* text, uint32_t flags, ZelCallback,
                                uintptr_t word) override
    {
        calls += "colmenu " + std::to_string(window) + " '" + text + "' " + std::to_string(flags) +
                 " " + std::to_string(word) + ";";
        return 0;
    }
    int ScriptKindRegister(uintptr_t context, const char* kind, ZelScriptConstructProc,
                           ZelScriptProc destruct, ZelScriptProc, uintptr_t data) override
    {
        calls += "kind " + std::to_string(context) + " " + kind +
                 (destruct != nullptr ? " d" : " -") + " " + std::to_string(data) + ";";
        return 0;
    }
    uintptr_t ScriptWindow(uintptr_t record) override { return record + 1; }
    void ScriptRelease(uintptr_t view, uintptr_t script) override
    {
        calls += "release " + std::to_string(view) + " " + std::to_string(script) + ";";
    }
    uintptr_t GraphCreate(uintptr_t plugin, uintptr_t context, const char* title) override
    {
        calls +=
            "create " + std::to_string(plugin) + " " + std::to_string(context) + " " + title + ";";
        return 77;
    }
    int GraphLoad(uintptr_t graph, const char* path) override
    {
        calls += "load " + std::to_string(graph) + " " + path + ";";
        return 0;
    }
    int GraphShow(uintptr_t graph) override { return graph == 77 ? 0 : -1; }
    int GraphRefresh(uintptr_t graph) override { return graph == 77 ? 0 : -1; }
    int GraphClose(uintptr_t graph) override { return graph == 77 ? 0 : -1; }
};

TEST(HostCallsTest, ScriptGraphAndMenuCallsAnswerFailureWithoutAHost)
{
    zelio::InstallBrowserHost(nullptr);
    EXPECT_EQ(ZelScriptKindRegister(1, "user_document", Construct, nullptr, nullptr, 0), -1);
    EXPECT_EQ(ZelScriptWindow(5), 0u);
    ZelScriptRelease(1, 2); // harmless
    EXPECT_EQ(ZelGraphCreate(1, 2, "Graphics Window", 0), 0u);
    EXPECT_EQ(ZelGraphLoad(3, "/tmp/x.tif"), -1);
    EXPECT_EQ(ZelGraphShow(3), -1);
    EXPECT_EQ(ZelGraphRefresh(0, 3), -1);
    EXPECT_EQ(ZelGraphClose(3), -1);
    EXPECT_EQ(ZelCollectionWindowMenuAdd(4, "Add &User Doc", 0x10002, Item, 0), -1);
}

TEST(HostCallsTest, CallsReachTheHostAndBadArgumentsStopBefore)
{
    CRecordingHost host;
    zelio::InstallBrowserHost(&host);
    // Kinds need a context, a name and a construct procedure.
    EXPECT_EQ(ZelScriptKindRegister(0, "user_document", Construct, nullptr, nullptr, 0), -1);
    EXPECT_EQ(ZelScriptKindRegister(9, "", Construct, nullptr, nullptr, 0), -1);
    EXPECT_EQ(ZelScriptKindRegister(9, nullptr, Construct, nullptr, nullptr, 0), -1);
    EXPECT_EQ(ZelScriptKindRegister(9, "user_document", nullptr, nullptr, nullptr, 0), -1);
    EXPECT_EQ(ZelScriptKindRegister(9, "user_document", Construct, nullptr, nullptr, 9), 0);
    EXPECT_EQ(ZelScriptWindow(40), 41u);
    EXPECT_EQ(ZelScriptWindow(0), 0u);
    ZelScriptRelease(3, 4);
    ZelScriptRelease(0, 4); // no view: not passed on
    EXPECT_EQ(ZelGraphCreate(6, 9, nullptr, 0), 77u);
    EXPECT_EQ(ZelGraphCreate(6, 0, "T", 0), 0u);
    EXPECT_EQ(ZelGraphLoad(77, "/p.tif"), 0);
    EXPECT_EQ(ZelGraphLoad(77, nullptr), -1);
    EXPECT_EQ(ZelGraphLoad(77, ""), -1);
    EXPECT_EQ(ZelGraphShow(77), 0);
    EXPECT_EQ(ZelGraphRefresh(0, 77), 0);
    EXPECT_EQ(ZelGraphRefresh(0, 0), -1);
    EXPECT_EQ(ZelGraphClose(77), 0);
    EXPECT_EQ(ZelGraphClose(78), -1);
    EXPECT_EQ(ZelCollectionWindowMenuAdd(4, nullptr, 1, Item, 8), 0);
    EXPECT_EQ(ZelCollectionWindowMenuAdd(4, "x", 1, nullptr, 8), -1);
    EXPECT_EQ(ZelEventRegister(9, ZEL_EVENT_GRAPH_OPEN, Item, 123), 0);
    EXPECT_EQ(host.calls, "kind 9 user_document - 9;release 3 4;create 6 9 ;load 77 /p.tif;"
                          "colmenu 4 '' 1 8;event 16 123;");
    zelio::InstallBrowserHost(nullptr);
}

} // namespace
