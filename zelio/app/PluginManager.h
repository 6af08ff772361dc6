#pragma once

#include "BrowserInterface.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The plug-ins of the browser: loads each shared library with dlopen, starts it with
// KBL_PLUGINinit and stops it with KBL_PLUGINdestroy, keeps the callbacks the plug-ins register
// (events, per-object callbacks, menu items of views and collection windows, script kinds) and
// the script procedures they export, and delivers them. Qt-free; the program calls it on its
// UI thread.
class CPluginManager
{
public:
    // The seven words every plug-in gets at start: the context, the main-window word, the DDE
    // server; the others are 0.
    struct StartRecord
    {
        uintptr_t words[7] = {};
    };
    // What a view menu item carries: the record handed to its procedure (first word the view,
    // second the word given when it was added) and its text and flags.
    struct MenuItem
    {
        uintptr_t record[4] = {}; // view, word, flags, 0
        std::string text;         // empty: a separator
        uint32_t flags = 0;
        ZelCallback procedure = nullptr;
    };
    // The reason word handed to a menu item's procedure when the user chooses it.
    static constexpr uintptr_t kMenuReasonChosen = 2;
    // The menu command of the browser's disclaimer entry, delivered to the plug-ins.
    static constexpr uintptr_t kDisclaimerCommand = 40001;

    CPluginManager() = default;
    ~CPluginManager();
    CPluginManager(const CPluginManager&) = delete;
    CPluginManager& operator=(const CPluginManager&) = delete;

    // The record handed to every plug-in loaded from now on.
    void SetStartRecord(const StartRecord& record) { m_startRecord = record; }
    // Loads and starts one plug-in library. False, with the reason in error, when the library
    // cannot be loaded or lacks KBL_PLUGINinit; nothing of it stays loaded then.
    bool Load(const std::string& path, std::string& error);
    // Stops every plug-in (KBL_PLUGINdestroy with what its init answered, latest first) and
    // unloads them; registrations are dropped. Safe to call twice.
    void UnloadAll();
    // Paths of the loaded plug-ins, in load order.
    std::vector<std::string> LoadedPaths() const;

    // Registrations; 0 on success, -1 for an unknown event or kind.
    int RegisterEvent(uintptr_t context, int event, ZelCallback callback, uintptr_t data = 0);
    int RegisterBookCallback(uintptr_t book, int kind, ZelCallback callback, uintptr_t data);
    int RegisterViewCallback(uintptr_t view, int kind, ZelCallback callback, uintptr_t data);
    int RegisterGraphCallback(uintptr_t graph, int kind, ZelCallback callback, uintptr_t data);
    int AddMenuItem(uintptr_t view, const std::string& text, uint32_t flags, ZelCallback procedure,
                    uintptr_t word);

    // The procedures of a script kind in a context (a later registration of the kind in the
    // same context replaces the earlier one); 0, or -1 for an empty kind or no construct.
    int RegisterScriptKind(uintptr_t context, const std::string& kind,
                           ZelScriptConstructProc construct, ZelScriptProc destruct,
                           ZelScriptProc refresh, uintptr_t data);
    // The kind of a script text: the text before the first "=", or all of it.
    static std::string ScriptKind(const std::string& text);
    // Script deliveries. A script of a kind registered in the context goes to that kind's
    // procedure: construct (record, view, script, data, argument), refresh and destruct
    // (record, view, script, data). Any other script goes to the exported procedures of every
    // plug-in that has them: PluginScriptConstructProc (view, record, script, 0, context),
    // PluginScriptRefreshProc and PluginScriptDestructProc (view, record, script, 0). Each
    // answers the number of procedures called.
    int ConstructScript(uintptr_t context, uintptr_t view, uintptr_t record, uintptr_t script,
                        const std::string& text, uintptr_t argument);
    int RefreshScript(uintptr_t context, uintptr_t view, uintptr_t record, uintptr_t script,
                      const std::string& text);
    int DestructScript(uintptr_t context, uintptr_t view, uintptr_t record, uintptr_t script,
                       const std::string& text);

    // Deliveries, each callback bracketed by the host's enter and leave.
    // An event to every callback registered for it: (context, event, third, fourth, 0, 0);
    // the graph event passes the registration's data as the second word instead of the event.
    void DeliverEvent(int event, uintptr_t third, uintptr_t fourth = 0);
    // A book, view or graph goes away: its destroyed callbacks run and all of its callbacks
    // and menu items are dropped. Collection windows live as long as the plug-ins.
    void BookDestroyed(uintptr_t book);
    void ViewDestroyed(uintptr_t view);
    void GraphDestroyed(uintptr_t graph);
    // The view scrolled: (view, 1, first line, line count, data, 0).
    void ViewScrolled(uintptr_t view, long firstLine, long lineCount);

    // The items plug-ins added to the view (or collection window), in order of adding.
    std::vector<const MenuItem*> MenuItems(uintptr_t view) const;
    // Calls the item's procedure (record, view, chosen reason). False for an unknown item.
    bool ChooseMenuItem(const MenuItem* item);

    // Enter and leave of the browser around a plug-in call: a depth that tells whether a
    // plug-in is running now. Leave answers 0.
    int Enter();
    intptr_t Leave();
    int Depth() const { return m_depth; }

    // Called around every callback in addition to enter and leave (the program uses it to
    // keep windows alive while a plug-in runs). May be empty.
    std::function<void(bool entering)> m_bracket;

private:
    struct Plugin
    {
        std::string path;
        void* handle = nullptr;
        uintptr_t (*init)(uintptr_t, const uintptr_t*) = nullptr;
        intptr_t (*destroy)(uintptr_t) = nullptr;
        ZelScriptConstructProc scriptConstruct = nullptr; // the exported script procedures
        ZelScriptProc scriptRefresh = nullptr;
        ZelScriptProc scriptDestruct = nullptr;
        uintptr_t instance = 0; // what init answered; destroy gets it back
        StartRecord record;     // the plug-in's own copy, alive while it is loaded
    };
    struct EventRegistration
    {
        uintptr_t context = 0;
        int event = 0;
        ZelCallback callback = nullptr;
        uintptr_t data = 0;
    };
    enum class ObjectKind
    {
        Book,
        View,
        Graph
    };
    struct ObjectCallback
    {
        ObjectKind objectKind = ObjectKind::Book;
        uintptr_t object = 0;
        int kind = 0;
        ZelCallback callback = nullptr;
        uintptr_t data = 0;
    };

    struct ScriptKindRegistration
    {
        uintptr_t context = 0;
        std::string kind;
        ZelScriptConstructProc construct = nullptr;
        ZelScriptProc destruct = nullptr;
        ZelScriptProc refresh = nullptr;
        uintptr_t data = 0;
    };
    const ScriptKindRegistration* FindScriptKind(uintptr_t context, const std::string& text) const;
    // Refresh or destruct: the kind's procedure, else every plug-in's exported one.
    int CallScriptProc(ZelScriptProc ScriptKindRegistration::*kindProc,
                       ZelScriptProc Plugin::*exported, uintptr_t context, uintptr_t view,
                       uintptr_t record, uintptr_t script, const std::string& text);
    // Runs call between enter and leave (and the bracket).
    template <typename Operation> void Bracketed(Operation operation);
    intptr_t Call(ZelCallback callback, uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t w4,
                  uintptr_t w5, uintptr_t w6);
    void ObjectDestroyed(ObjectKind kind, uintptr_t object);

    StartRecord m_startRecord;
    std::vector<Plugin*> m_plugins;
    std::vector<EventRegistration> m_events;
    std::vector<ObjectCallback> m_objectCallbacks;
    std::vector<MenuItem*> m_menuItems;
    std::vector<ScriptKindRegistration> m_scriptKinds;
    int m_depth = 0;
};
