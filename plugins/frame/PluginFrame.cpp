#include "PluginFrame.h"

#include "BrowserInterface.h"
#include "PluginFrameExports.h"

#include <chrono>
#include <cstring>

#include <pthread.h>
#include <sched.h>

namespace plugins {

namespace {

// The library's plug-in object. Each plug-in module holds its own copy of the frame (hidden
// visibility), so this reference is per plug-in.
CPluginFrame* g_instance = nullptr;

// How long the watch thread waits for the main window's program to answer the repaint.
constexpr int kRepaintTimeoutMs = 1000;

struct HookRegistration
{
    uint32_t bit;
    int event;
};
constexpr HookRegistration kHookOrder[] = {
    {CPluginFrame::kHookMenu, ZEL_EVENT_MENU},
    {CPluginFrame::kHookCollectionWindow, ZEL_EVENT_COLWIN_OPEN},
    {CPluginFrame::kHookBook, ZEL_EVENT_BOOK_OPEN},
    {CPluginFrame::kHookView, ZEL_EVENT_VIEW_OPEN},
    {CPluginFrame::kHookGraph, ZEL_EVENT_GRAPH_OPEN},
};

} // namespace

namespace {
ZelCallback HookCallback(uint32_t bit)
{
    switch (bit) {
    case CPluginFrame::kHookMenu:
        return &PluginMenuCallback;
    case CPluginFrame::kHookCollectionWindow:
        return &PluginApplicationColwinOpenCallback;
    case CPluginFrame::kHookBook:
        return &PluginApplicationBookOpenCallback;
    case CPluginFrame::kHookView:
        return &PluginApplicationViewOpenCallback;
    default:
        return &PluginApplicationGraphOpenCallback;
    }
}
} // namespace

CPluginFrame::CPluginFrame()
{
    g_instance = this;
}

CPluginFrame::~CPluginFrame()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopWatch = true;
    }
    m_wake.notify_all();
    JoinWatchThread();
    if (g_instance == this)
        g_instance = nullptr;
}

CPluginFrame* CPluginFrame::Instance()
{
    return g_instance;
}

uintptr_t CPluginFrame::Start(uintptr_t startWord, const uintptr_t* startRecord)
{
    for (int i = 0; i < 7; ++i)
        m_startRecord[i] = startRecord != nullptr ? startRecord[i] : 0;
    m_startWord = startWord;
    // Common controls need no set-up here: the browser's toolkit is running already.
    ZelPluginStart(2);
    // A second start replaces the first watch: end it (it stops within one sleep) first.
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopWatch = true;
    }
    m_wake.notify_all();
    JoinWatchThread();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopWatch = false;
        m_foundWindow.reset();
    }
    // The watch runs beside the browser's start-up; it only looks and sleeps, so it takes
    // no time from the browser.
    m_watchThread = std::thread([this] { OnAutoCreateThread(reinterpret_cast<uintptr_t>(this)); });
    OnInit();
    return reinterpret_cast<uintptr_t>(this);
}

intptr_t CPluginFrame::Stop()
{
    OnDestroy();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopWatch = true;
    }
    m_wake.notify_all();
    JoinWatchThread();
    return 0;
}

intptr_t CPluginFrame::Dispatch(const std::function<void()>& operation)
{
    const uintptr_t context = Context();
    ZelEnter(context);
    try {
        operation();
    } catch (...) {
        // A plug-in's failure must not leave the browser inside a callback, nor unwind
        // through the browser's C frames.
    }
    return ZelLeave(context);
}

void CPluginFrame::RegisterHooks(uint32_t mask)
{
    for (const HookRegistration& hook : kHookOrder) {
        if ((mask & hook.bit) == 0 || (m_hookFlags & hook.bit) != 0)
            continue;
        const int answer = ZelEventRegister(Context(), hook.event, HookCallback(hook.bit), 0);
        if (answer == 0 || hook.bit == kHookMenu)
            m_hookFlags |= hook.bit;
    }
}

std::optional<platform::WindowEntry> CPluginFrame::FoundMainWindow() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_foundWindow;
}

void CPluginFrame::JoinWatchThread()
{
    if (m_watchThread.joinable() && m_watchThread.get_id() != std::this_thread::get_id())
        m_watchThread.join();
}

std::optional<platform::WindowEntry> CPluginFrame::WatchForMainWindow(int tries, int sleepMs)
{
    std::optional<platform::WindowEntry> last;
    for (int attempt = 0; attempt < tries; ++attempt) {
        if (auto window = platform::FindWindowByClass(m_mainWindowClass)) {
            const bool visible = window->visible;
            last = std::move(window);
            if (visible)
                break;
        }
        if (attempt + 1 == tries)
            break;
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_wake.wait_for(lock, std::chrono::milliseconds(sleepMs),
                            [this] { return m_stopWatch; }))
            break;
    }
    return last;
}

int CPluginFrame::RunWatch()
{
    // The lowest priority there is: the watch must never compete with the browser.
    sched_param idle{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &idle);
    std::optional<platform::WindowEntry> window = WatchForMainWindow(m_watchTries, m_watchSleepMs);
    if (window)
        platform::RepaintWindow(*window, kRepaintTimeoutMs);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_foundWindow = window;
    }
    OnMainWindowFound(window ? &*window : nullptr);
    return 0;
}

std::string ScriptRecordText(uintptr_t record)
{
    if (record == 0)
        return {};
    const auto* script = reinterpret_cast<const ZelScriptRecord*>(record);
    const char* text = reinterpret_cast<const char*>(record) + ZEL_SCRIPT_TEXT_OFFSET;
    // The record says how long it is; the text ends at its zero or at the record's end.
    if (script->size <= ZEL_SCRIPT_TEXT_OFFSET)
        return {};
    const size_t room = script->size - ZEL_SCRIPT_TEXT_OFFSET;
    return std::string(text, strnlen(text, room));
}

} // namespace plugins
