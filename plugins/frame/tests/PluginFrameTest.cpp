// The plug-in frame against libzelio with a stand-in browser: start and stop, the hook mask,
// the callback exports between enter and leave, the per-object registrations they make, the
// script record's text, and the watch for the main window in a private window registry.

#include "PluginFrame.h"
#include "FakeBrowserHost.h"
#include "PluginFrameExports.h"

#include "DdeTestSupport.h"
#include "windows/WindowRegistry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

constexpr uintptr_t kContext = 0xC0;
constexpr intptr_t kLeaveAnswer = 77;

// Records the calls of the browser's plug-in side in order.
class CRecordingHost : public CFakeBrowserHost
{
public:
    std::vector<std::string> m_log;
    int m_refuseEvent = 0; // an event code EventRegister refuses
    int m_starts = 0;

    int PluginStart(int version) override
    {
        ++m_starts;
        m_log.push_back("start " + std::to_string(version));
        return 0;
    }
    int EventRegister(uintptr_t context, int event, ZelCallback callback, uintptr_t) override
    {
        m_log.push_back("event " + std::to_string(event) + (context == kContext ? "" : " ?ctx") +
                        (callback != nullptr ? "" : " ?cb"));
        return event == m_refuseEvent ? -1 : 0;
    }
    int BookCallbackRegister(uintptr_t book, int kind, ZelCallback callback,
                             uintptr_t data) override
    {
        return Object("book", book, kind, callback, data);
    }
    int ViewCallbackRegister(uintptr_t view, int kind, ZelCallback callback,
                             uintptr_t data) override
    {
        return Object("view", view, kind, callback, data);
    }
    int GraphCallbackRegister(uintptr_t graph, int kind, ZelCallback callback,
                              uintptr_t data) override
    {
        return Object("graph", graph, kind, callback, data);
    }
    int Enter(uintptr_t context) override
    {
        m_log.push_back(context == kContext ? "enter" : "enter ?ctx");
        return 0;
    }
    intptr_t Leave(uintptr_t context) override
    {
        m_log.push_back(context == kContext ? "leave" : "leave ?ctx");
        return kLeaveAnswer;
    }

    std::vector<ZelCallback> m_objectCallbacks;

private:
    int Object(const char* what, uintptr_t object, int kind, ZelCallback callback, uintptr_t data)
    {
        m_objectCallbacks.push_back(callback);
        m_log.push_back(std::string(what) + " " + std::to_string(object) + " " +
                        std::to_string(kind) + " " + std::to_string(data));
        return 0;
    }
};

// A plug-in that logs its operations into the host's log.
class CTestPlugin : public plugins::CPluginFrame
{
public:
    CRecordingHost* m_host = nullptr;
    bool m_throw = false;
    int m_inits = 0;
    int m_destroys = 0;
    std::vector<std::string> m_found;

    void Log(const std::string& text)
    {
        if (m_host != nullptr)
            m_host->m_log.push_back(text);
        if (m_throw)
            throw std::runtime_error("plug-in failure");
    }

protected:
    void OnInit() override { ++m_inits; }
    void OnDestroy() override { ++m_destroys; }
    void OnMainWindowFound(const platform::WindowEntry* window) override
    {
        m_found.push_back(window != nullptr ? window->title : "(none)");
    }
    void OnCollectionWindowOpened(uintptr_t word) override
    {
        Log("colwin " + std::to_string(word));
    }
    void OnMenuItemChosen(const plugins::MenuItemChoice& choice) override
    {
        Log("item " + std::to_string(choice.item) + " " + std::to_string(choice.reason));
    }
    void OnMenuCommand(uintptr_t command) override { Log("command " + std::to_string(command)); }
    void OnBookOpened(uintptr_t book) override { Log("book opened " + std::to_string(book)); }
    void OnBookDestroyed(uintptr_t book) override { Log("book gone " + std::to_string(book)); }
    void OnViewOpened(uintptr_t word, uintptr_t view) override
    {
        Log("view opened " + std::to_string(word) + " " + std::to_string(view));
    }
    void OnViewDestroyed(uintptr_t view) override { Log("view gone " + std::to_string(view)); }
    void OnViewScrolled(uintptr_t view, uintptr_t first, uintptr_t count) override
    {
        Log("scrolled " + std::to_string(view) + " " + std::to_string(first) + " " +
            std::to_string(count));
    }
    void OnScriptConstructed(const std::string& text, uintptr_t context, uintptr_t view,
                             uintptr_t script, uintptr_t fourth, uintptr_t record) override
    {
        Log("construct [" + text + "] " + std::to_string(context) + " " + std::to_string(view) +
            " " + std::to_string(script) + " " + std::to_string(fourth) + " " +
            (record != 0 ? "record" : "none"));
    }
    void OnScriptRefreshed(const std::string& text, uintptr_t view, uintptr_t script,
                           uintptr_t fourth, uintptr_t) override
    {
        Log("refresh [" + text + "] " + std::to_string(view) + " " + std::to_string(script) + " " +
            std::to_string(fourth));
    }
    void OnScriptDestroyed(const std::string& text, uintptr_t view, uintptr_t script,
                           uintptr_t fourth, uintptr_t) override
    {
        Log("destruct [" + text + "] " + std::to_string(view) + " " + std::to_string(script) + " " +
            std::to_string(fourth));
    }
    void OnGraphOpened(uintptr_t graph) override { Log("graph opened " + std::to_string(graph)); }
    void OnGraphDestroyed(uintptr_t graph) override { Log("graph gone " + std::to_string(graph)); }
};

class PluginFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_plugin.m_host = &m_host;
        g_plugin.m_throw = false;
        // No registered browser window in this private registry: the watch gives up at
        // once when told to stop.
        const uintptr_t record[7] = {kContext, 0, 0x3000, 0xD0E, 0, 0, 0};
        g_plugin.SetWatchTiming(2, 5);
        m_answer = KBL_PLUGINinit(5, record);
    }
    void TearDown() override
    {
        KBL_PLUGINdestroy(0);
        g_plugin.m_host = nullptr;
    }
    // The log from the first entry that is not the start's own.
    std::vector<std::string> LogAfterStart() const
    {
        std::vector<std::string> log;
        for (const std::string& line : m_host.m_log)
            if (line != "start 2")
                log.push_back(line);
        return log;
    }

    ScopedRuntimeDir m_runtime;
    CRecordingHost m_host;
    // The plug-in object the exports reach: each test gets a fresh one, as a freshly loaded
    // library would make (hook bits, once set, are never cleared).
    CTestPlugin g_plugin;
    uintptr_t m_answer = 0;
};

using Log = std::vector<std::string>;

} // namespace

TEST_F(PluginFrameTest, StartCopiesTheRecordAnnouncesItselfAndAnswersThePluginObject)
{
    EXPECT_EQ(m_answer, reinterpret_cast<uintptr_t>(&g_plugin));
    EXPECT_EQ(plugins::CPluginFrame::Instance(), &g_plugin);
    EXPECT_EQ(g_plugin.StartWord(), 5u);
    EXPECT_EQ(g_plugin.Context(), kContext);
    EXPECT_EQ(g_plugin.StartRecord()[2], 0x3000u);
    EXPECT_EQ(g_plugin.StartRecord()[3], 0xD0Eu);
    EXPECT_EQ(m_host.m_starts, 1);
    EXPECT_EQ(g_plugin.MainWindowClass(), "Zelio30");

    const int inits = g_plugin.m_inits;
    const int destroys = g_plugin.m_destroys;
    EXPECT_EQ(KBL_PLUGINdestroy(0), 0);
    EXPECT_EQ(g_plugin.m_destroys, destroys + 1);
    // Stopping ends the watch: it reported nothing found.
    ASSERT_FALSE(g_plugin.m_found.empty());
    EXPECT_EQ(g_plugin.m_found.back(), "(none)");
    // TearDown stops once more; starting again for the next test is clean.
    KBL_PLUGINinit(5, nullptr);
    EXPECT_EQ(g_plugin.m_inits, inits + 1);
    EXPECT_EQ(g_plugin.Context(), 0u);
}

TEST_F(PluginFrameTest, AStartWithoutStopEndsTheRunningWatchAtOnce)
{
    // The full watch of about ten seconds runs; a second start must not wait for it.
    g_plugin.SetWatchTiming(plugins::CPluginFrame::kWatchTries,
                            plugins::CPluginFrame::kWatchSleepMs);
    KBL_PLUGINinit(5, nullptr);
    const auto start = std::chrono::steady_clock::now();
    KBL_PLUGINinit(5, nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(PluginFrameTest, HookMaskRegistersEachEventOnceInItsOrder)
{
    g_plugin.RegisterHooks(0xF1);
    g_plugin.RegisterHooks(0xF1);
    g_plugin.RegisterHooks(0x41);
    EXPECT_EQ(LogAfterStart(), (Log{"event 4", "event 17", "event 11", "event 9", "event 16"}));
    EXPECT_EQ(g_plugin.HookFlags(), 0xF1u);
}

TEST_F(PluginFrameTest, RefusedRegistrationIsRetriedButTheMenuBitIsKeptWhateverTheAnswer)
{
    m_host.m_refuseEvent = 9;
    g_plugin.RegisterHooks(0x40);
    EXPECT_EQ(g_plugin.HookFlags(), 0u);
    m_host.m_refuseEvent = 4;
    g_plugin.RegisterHooks(0x41);
    EXPECT_EQ(g_plugin.HookFlags(), 0x41u);
    g_plugin.RegisterHooks(0x41);
    EXPECT_EQ(LogAfterStart(), (Log{"event 9", "event 4", "event 9"}));
}

TEST_F(PluginFrameTest, EveryCallbackRunsBetweenEnterAndLeaveAndAnswersLeave)
{
    EXPECT_EQ(PluginMenuCallback(kContext, 4, 40001, 0, 0, 0), kLeaveAnswer);
    EXPECT_EQ(PluginApplicationColwinOpenCallback(kContext, 17, 0x51, 0, 0, 0), kLeaveAnswer);
    EXPECT_EQ(PluginMenuItemProc(0x900, 0x52, 2, 0, 0, 0), kLeaveAnswer);
    EXPECT_EQ(PluginKblViewScrollCallback(0x53, 1, 10, 40, 0, 0), kLeaveAnswer);
    EXPECT_EQ(LogAfterStart(),
              (Log{"enter", "command 40001", "leave", "enter", "colwin 81", "leave", "enter",
                   "item 82 2", "leave", "enter", "scrolled 83 10 40", "leave"}));
}

TEST_F(PluginFrameTest, AThrowingOperationStillLeavesExactlyOnce)
{
    g_plugin.m_throw = true;
    EXPECT_EQ(PluginMenuCallback(kContext, 4, 7, 0, 0, 0), kLeaveAnswer);
    EXPECT_EQ(LogAfterStart(), (Log{"enter", "command 7", "leave"}));
}

TEST_F(PluginFrameTest, OpenedObjectsGetTheirDestroyAndScrollCallbacks)
{
    PluginApplicationBookOpenCallback(kContext, 11, 0x60, 0, 0, 0);
    PluginApplicationViewOpenCallback(kContext, 9, 0x61, 0x62, 0, 0);
    PluginApplicationGraphOpenCallback(kContext, 0x99, 0x63, 0, 0, 0);
    EXPECT_EQ(LogAfterStart(), (Log{"enter", "book opened 96", "book 96 0 0", "leave", "enter",
                                    "view opened 97 98", "view 98 1 0", "view 98 0 0", "leave",
                                    "enter", "graph opened 99", "graph 99 0 153", "leave"}));
    ASSERT_EQ(m_host.m_objectCallbacks.size(), 4u);
    EXPECT_EQ(m_host.m_objectCallbacks[0], &PluginBookDestroyCallback);
    EXPECT_EQ(m_host.m_objectCallbacks[1], &PluginKblViewScrollCallback);
    EXPECT_EQ(m_host.m_objectCallbacks[2], &PluginViewDestroyCallback);
    EXPECT_EQ(m_host.m_objectCallbacks[3], &PluginGraphDestroyCallback);

    m_host.m_log.clear();
    PluginBookDestroyCallback(0x60, 0, 0, 0, 0, 0);
    PluginViewDestroyCallback(0x62, 0, 0, 0, 0, 0);
    PluginGraphDestroyCallback(0x63, 0, 0, 0x99, 0, 0);
    EXPECT_EQ(m_host.m_log, (Log{"enter", "book gone 96", "leave", "enter", "view gone 98", "leave",
                                 "enter", "graph gone 99", "leave"}));
}

TEST_F(PluginFrameTest, ScriptProceduresHandOnTheRecordsTextAndWords)
{
    // A record as the browser makes it: the text from byte 20 on.
    alignas(ZelScriptRecord) char bytes[64] = {};
    auto* record = reinterpret_cast<ZelScriptRecord*>(bytes);
    std::strcpy(bytes + ZEL_SCRIPT_TEXT_OFFSET, "orn-raster=fig.tif");
    record->size = ZEL_SCRIPT_TEXT_OFFSET + 19;
    const auto word = reinterpret_cast<uintptr_t>(bytes);

    // Construct answers the script record, not leave's answer.
    EXPECT_EQ(PluginScriptConstructProc(0x70, word, 0x71, 0x72, kContext),
              static_cast<intptr_t>(word));
    EXPECT_EQ(PluginScriptRefreshProc(0x70, word, 0x71, 0x72), kLeaveAnswer);
    EXPECT_EQ(PluginScriptDestructProc(0x70, word, 0x71, 0x72), kLeaveAnswer);
    EXPECT_EQ(LogAfterStart(),
              (Log{"enter", "construct [orn-raster=fig.tif] 192 112 113 114 record", "leave",
                   "enter", "refresh [orn-raster=fig.tif] 112 113 114", "leave", "enter",
                   "destruct [orn-raster=fig.tif] 112 113 114", "leave"}));
}

TEST(ScriptRecordTextTest, TextEndsAtItsZeroOrAtTheRecordsEnd)
{
    EXPECT_EQ(plugins::ScriptRecordText(0), "");
    alignas(ZelScriptRecord) char bytes[40];
    std::memset(bytes, 'x', sizeof bytes);
    auto* record = reinterpret_cast<ZelScriptRecord*>(bytes);
    record->size = ZEL_SCRIPT_TEXT_OFFSET + 5; // no zero inside the record
    EXPECT_EQ(plugins::ScriptRecordText(reinterpret_cast<uintptr_t>(bytes)), "xxxxx");
    record->size = 4; // shorter than its own header
    EXPECT_EQ(plugins::ScriptRecordText(reinterpret_cast<uintptr_t>(bytes)), "");
    record->size = sizeof bytes;
    bytes[ZEL_SCRIPT_TEXT_OFFSET + 2] = '\0';
    EXPECT_EQ(plugins::ScriptRecordText(reinterpret_cast<uintptr_t>(bytes)), "xx");
}

// The watch for the browser's main window in a private registry.
class MainWindowWatchTest : public ::testing::Test
{
protected:
    bool Register(platform::CRegisteredWindow& window, const char* className, const char* title,
                  bool visible)
    {
        std::string error;
        return window.Register(className, title, visible, false, error);
    }
    ScopedRuntimeDir m_runtime;
    CTestPlugin m_plugin; // not the library's object: only the watch is used
};

TEST_F(MainWindowWatchTest, AVisibleWindowOfTheClassEndsTheWatchAtOnce)
{
    platform::CRegisteredWindow other, browser;
    ASSERT_TRUE(Register(other, "ZELWIN", "other class", true));
    ASSERT_TRUE(Register(browser, "zelio30", "Browser", true));
    const auto start = std::chrono::steady_clock::now();
    const auto found = m_plugin.WatchForMainWindow(20, 500);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->title, "Browser");
}

TEST_F(MainWindowWatchTest, AWindowThatNeverShowsIsReportedAfterTheLastTry)
{
    platform::CRegisteredWindow hidden;
    ASSERT_TRUE(Register(hidden, "Zelio30", "Hidden browser", false));
    const auto start = std::chrono::steady_clock::now();
    const auto found = m_plugin.WatchForMainWindow(4, 20);
    // Three sleeps between four looks.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->title, "Hidden browser");
    EXPECT_FALSE(found->visible);
}

TEST_F(MainWindowWatchTest, NoWindowAtAllGivesNone)
{
    EXPECT_FALSE(m_plugin.WatchForMainWindow(3, 5).has_value());
    m_plugin.SetWatchTiming(2, 5);
    m_plugin.RunWatch(); // reports "none" to the plug-in after its tries
    ASSERT_EQ(m_plugin.m_found.size(), 1u);
    EXPECT_EQ(m_plugin.m_found[0], "(none)");
    EXPECT_FALSE(m_plugin.FoundMainWindow().has_value());
}
