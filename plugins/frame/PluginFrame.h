#pragma once

// The frame every documentation-browser plug-in but the DDE one is built on. The frame holds
// the library's single plug-in object, starts and stops it for the browser, waits in a thread
// of its own for the browser's main window, registers the browser events the plug-in asks
// for, and turns every browser callback into one virtual call of the plug-in object, between
// the browser's enter and leave calls. A plug-in derives from CPluginFrame, overrides what it
// needs and makes its one object as a static of its library; PluginFrameExports.cpp, compiled
// into the plug-in, gives the browser the C exports that reach it. Qt-free.

#include "windows/WindowRegistry.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace plugins {

// The menu-item record a menu item's procedure gets: the item word (the record's first
// word, the view or collection window) and the reason word.
struct MenuItemChoice
{
    uintptr_t item = 0;
    uintptr_t reason = 0;
};

class CPluginFrame
{
public:
    // Events a plug-in can ask for, as bits of a hook mask.
    enum HookBit : uint32_t
    {
        kHookMenu = 0x01,
        kHookCollectionWindow = 0x10,
        kHookBook = 0x20,
        kHookView = 0x40,
        kHookGraph = 0x80
    };
    // How often and how long the watch thread looks for the main window.
    static constexpr int kWatchTries = 20;
    static constexpr int kWatchSleepMs = 500;

    // Becomes the library's plug-in object (the one the exports reach); the last one made wins.
    CPluginFrame();
    // Stops the watch thread if it still runs; the library's reference is cleared.
    virtual ~CPluginFrame();
    CPluginFrame(const CPluginFrame&) = delete;
    CPluginFrame& operator=(const CPluginFrame&) = delete;

    // The library's plug-in object, or nullptr before one is made.
    static CPluginFrame* Instance();

    // ---- What the exports call -------------------------------------------------------------
    // Starts the plug-in: copies the seven words of the start record (nullptr: zeros) and the
    // start word, announces the plug-in to the browser, starts the watch thread and runs
    // OnInit. Answers the plug-in object as a word.
    uintptr_t Start(uintptr_t startWord, const uintptr_t* startRecord);
    // Runs OnDestroy and stops the watch thread (it ends within one sleep). Answers 0.
    intptr_t Stop();
    // Runs operation between the browser's enter and leave with this plug-in's context and
    // answers what leave answers; leave is called once also when operation throws (the
    // exception ends there: nothing crosses the C boundary).
    intptr_t Dispatch(const std::function<void()>& operation);

    // ---- What a plug-in uses -----------------------------------------------------------------
    // Registers, in the order menu, collection window, book, view, graph, each event of the
    // mask not registered yet, and records it. A registration the browser refuses is left
    // unrecorded (and tried again next time), except the menu event, recorded whatever the
    // answer.
    void RegisterHooks(uint32_t mask);
    uint32_t HookFlags() const { return m_hookFlags; }

    // The start record's words: the context (word 1), the main-window word (word 3), the DDE
    // server (word 4).
    const uintptr_t* StartRecord() const { return m_startRecord; }
    uintptr_t StartWord() const { return m_startWord; }
    uintptr_t Context() const { return m_startRecord[0]; }

    // The class of the browser's main window the watch thread looks for ("Zelio30").
    const std::string& MainWindowClass() const { return m_mainWindowClass; }
    void SetMainWindowClass(std::string className) { m_mainWindowClass = std::move(className); }
    // The browser's main window as the watch thread found it; none before it has, or when it
    // found none. Safe from any thread.
    std::optional<platform::WindowEntry> FoundMainWindow() const;
    // How often and how long apart the watch thread looks (kWatchTries, kWatchSleepMs unless
    // set; tests shorten it).
    void SetWatchTiming(int tries, int sleepMs) { m_watchTries = tries, m_watchSleepMs = sleepMs; }
    // Waits until the watch thread has ended (for tests and orderly stops).
    void JoinWatchThread();

    // What the watch thread does, without the thread: looks up to tries times, sleeping
    // sleepMs between looks (ending early when stop is set), for a visible registered window
    // of the main window class; answers the last window it found, visible or not.
    std::optional<platform::WindowEntry> WatchForMainWindow(int tries, int sleepMs);
    // The watch thread's procedure: WatchForMainWindow, then the repaint of what it found,
    // then OnMainWindowFound. Answers 0, the thread's exit code.
    int RunWatch();

protected:
    // ---- The plug-in's operations; the frame's own do nothing --------------------------------
    // All but OnMainWindowFound run on the browser's thread between enter and leave.
    virtual void OnInit() {}
    virtual void OnDestroy() {}
    // Runs on the watch thread, once; window is nullptr when none was found. Store only.
    virtual void OnMainWindowFound(const platform::WindowEntry* window) { (void)window; }
    virtual void OnCollectionWindowOpened(uintptr_t word) { (void)word; }
    virtual void OnMenuItemChosen(const MenuItemChoice& choice) { (void)choice; }
    virtual void OnMenuCommand(uintptr_t command) { (void)command; }
    virtual void OnBookOpened(uintptr_t book) { (void)book; }
    virtual void OnBookDestroyed(uintptr_t book) { (void)book; }
    virtual void OnViewOpened(uintptr_t word, uintptr_t view) { (void)word, (void)view; }
    virtual void OnViewDestroyed(uintptr_t view) { (void)view; }
    virtual void OnViewScrolled(uintptr_t view, uintptr_t firstLine, uintptr_t lineCount)
    {
        (void)view, (void)firstLine, (void)lineCount;
    }
    // Script operations get the script's text (from byte 20 of its record), then the words the
    // browser called with: construct (context, view, script, fourth word, record); refresh
    // and destroy (view, script, fourth word, record).
    virtual void OnScriptConstructed(const std::string& text, uintptr_t context, uintptr_t view,
                                     uintptr_t script, uintptr_t fourth, uintptr_t record)
    {
        (void)text, (void)context, (void)view, (void)script, (void)fourth, (void)record;
    }
    virtual void OnScriptRefreshed(const std::string& text, uintptr_t view, uintptr_t script,
                                   uintptr_t fourth, uintptr_t record)
    {
        (void)text, (void)view, (void)script, (void)fourth, (void)record;
    }
    virtual void OnScriptDestroyed(const std::string& text, uintptr_t view, uintptr_t script,
                                   uintptr_t fourth, uintptr_t record)
    {
        (void)text, (void)view, (void)script, (void)fourth, (void)record;
    }
    virtual void OnGraphOpened(uintptr_t graph) { (void)graph; }
    virtual void OnGraphDestroyed(uintptr_t graph) { (void)graph; }

    // The exports call the operations above.
    friend struct CPluginFrameAccess;

private:
    uintptr_t m_startRecord[7] = {};
    uintptr_t m_startWord = 0;
    std::string m_mainWindowClass = "Zelio30";
    uint32_t m_hookFlags = 0;
    int m_watchTries = kWatchTries;
    int m_watchSleepMs = kWatchSleepMs;

    mutable std::mutex m_mutex; // guards the found window and the stop flag
    std::condition_variable m_wake;
    bool m_stopWatch = false;
    std::optional<platform::WindowEntry> m_foundWindow;
    std::thread m_watchThread;
};

// The script text a record holds from its byte 20 on (empty for a null record).
std::string ScriptRecordText(uintptr_t record);

} // namespace plugins
