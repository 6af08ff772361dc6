#include "PluginManager.h"

#include <algorithm>
#include <dlfcn.h>

CPluginManager::~CPluginManager()
{
    UnloadAll();
}

bool CPluginManager::Load(const std::string& path, std::string& error)
{
    dlerror();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : "the library cannot be loaded";
        return false;
    }
    auto* plugin = new Plugin;
    plugin->path = path;
    plugin->handle = handle;
    plugin->init = reinterpret_cast<uintptr_t (*)(uintptr_t, const uintptr_t*)>(
        dlsym(handle, "KBL_PLUGINinit"));
    plugin->destroy = reinterpret_cast<intptr_t (*)(uintptr_t)>(dlsym(handle, "KBL_PLUGINdestroy"));
    if (plugin->init == nullptr) {
        error = "the library has no KBL_PLUGINinit";
        dlclose(handle);
        delete plugin;
        return false;
    }
    plugin->scriptConstruct =
        reinterpret_cast<ZelScriptConstructProc>(dlsym(handle, "PluginScriptConstructProc"));
    plugin->scriptRefresh =
        reinterpret_cast<ZelScriptProc>(dlsym(handle, "PluginScriptRefreshProc"));
    plugin->scriptDestruct =
        reinterpret_cast<ZelScriptProc>(dlsym(handle, "PluginScriptDestructProc"));
    plugin->record = m_startRecord;
    m_plugins.push_back(plugin);
    // The start word tells the plug-in which of the browser's plug-ins it is (from 1).
    const auto startWord = static_cast<uintptr_t>(m_plugins.size());
    ++m_depth;
    plugin->instance = plugin->init(startWord, plugin->record.words);
    --m_depth;
    return true;
}

void CPluginManager::UnloadAll()
{
    while (!m_plugins.empty()) {
        Plugin* plugin = m_plugins.back();
        if (plugin->destroy != nullptr) {
            ++m_depth;
            plugin->destroy(plugin->instance);
            --m_depth;
        }
        m_plugins.pop_back();
        // Callbacks of the library would point into unloaded code: drop them all first.
        m_events.clear();
        m_objectCallbacks.clear();
        for (MenuItem* item : m_menuItems)
            delete item;
        m_menuItems.clear();
        m_scriptKinds.clear();
        dlclose(plugin->handle);
        delete plugin;
    }
}

std::vector<std::string> CPluginManager::LoadedPaths() const
{
    std::vector<std::string> paths;
    for (const Plugin* plugin : m_plugins)
        paths.push_back(plugin->path);
    return paths;
}

int CPluginManager::RegisterEvent(uintptr_t context, int event, ZelCallback callback,
                                  uintptr_t data)
{
    switch (event) {
    case ZEL_EVENT_MENU:
    case ZEL_EVENT_VIEW_OPEN:
    case ZEL_EVENT_BOOK_OPEN:
    case ZEL_EVENT_GRAPH_OPEN:
    case ZEL_EVENT_COLWIN_OPEN:
        break;
    default:
        return -1;
    }
    if (callback == nullptr)
        return -1;
    m_events.push_back({context, event, callback, data});
    return 0;
}

int CPluginManager::RegisterBookCallback(uintptr_t book, int kind, ZelCallback callback,
                                         uintptr_t data)
{
    if (book == 0 || kind != 0 || callback == nullptr)
        return -1;
    m_objectCallbacks.push_back({ObjectKind::Book, book, kind, callback, data});
    return 0;
}

int CPluginManager::RegisterViewCallback(uintptr_t view, int kind, ZelCallback callback,
                                         uintptr_t data)
{
    if (view == 0 || (kind != 0 && kind != 1) || callback == nullptr)
        return -1;
    m_objectCallbacks.push_back({ObjectKind::View, view, kind, callback, data});
    return 0;
}

int CPluginManager::RegisterGraphCallback(uintptr_t graph, int kind, ZelCallback callback,
                                          uintptr_t data)
{
    if (graph == 0 || kind != 0 || callback == nullptr)
        return -1;
    m_objectCallbacks.push_back({ObjectKind::Graph, graph, kind, callback, data});
    return 0;
}

int CPluginManager::AddMenuItem(uintptr_t view, const std::string& text, uint32_t flags,
                                ZelCallback procedure, uintptr_t word)
{
    if (view == 0 || procedure == nullptr)
        return -1;
    auto* item = new MenuItem;
    item->record[0] = view;
    item->record[1] = word;
    item->record[2] = flags;
    item->text = text;
    item->flags = flags;
    item->procedure = procedure;
    m_menuItems.push_back(item);
    return 0;
}

int CPluginManager::RegisterScriptKind(uintptr_t context, const std::string& kind,
                                       ZelScriptConstructProc construct, ZelScriptProc destruct,
                                       ZelScriptProc refresh, uintptr_t data)
{
    if (kind.empty() || construct == nullptr)
        return -1;
    std::erase_if(m_scriptKinds, [&](const ScriptKindRegistration& registration) {
        return registration.context == context && registration.kind == kind;
    });
    m_scriptKinds.push_back({context, kind, construct, destruct, refresh, data});
    return 0;
}

std::string CPluginManager::ScriptKind(const std::string& text)
{
    return text.substr(0, text.find('='));
}

const CPluginManager::ScriptKindRegistration*
CPluginManager::FindScriptKind(uintptr_t context, const std::string& text) const
{
    const std::string kind = ScriptKind(text);
    for (const ScriptKindRegistration& registration : m_scriptKinds)
        if (registration.context == context && registration.kind == kind)
            return &registration;
    return nullptr;
}

template <typename Operation> void CPluginManager::Bracketed(Operation operation)
{
    if (m_bracket)
        m_bracket(true);
    Enter();
    operation();
    Leave();
    if (m_bracket)
        m_bracket(false);
}

int CPluginManager::ConstructScript(uintptr_t context, uintptr_t view, uintptr_t record,
                                    uintptr_t script, const std::string& text, uintptr_t argument)
{
    if (const ScriptKindRegistration* found = FindScriptKind(context, text)) {
        const ScriptKindRegistration registration = *found; // the call may register again
        Bracketed(
            [&] { registration.construct(record, view, script, registration.data, argument); });
        return 1;
    }
    int called = 0;
    const std::vector<Plugin*> plugins = m_plugins;
    for (const Plugin* plugin : plugins)
        if (plugin->scriptConstruct != nullptr) {
            Bracketed([&] { plugin->scriptConstruct(view, record, script, 0, context); });
            ++called;
        }
    return called;
}

int CPluginManager::RefreshScript(uintptr_t context, uintptr_t view, uintptr_t record,
                                  uintptr_t script, const std::string& text)
{
    return CallScriptProc(&ScriptKindRegistration::refresh, &Plugin::scriptRefresh, context, view,
                          record, script, text);
}

int CPluginManager::DestructScript(uintptr_t context, uintptr_t view, uintptr_t record,
                                   uintptr_t script, const std::string& text)
{
    return CallScriptProc(&ScriptKindRegistration::destruct, &Plugin::scriptDestruct, context, view,
                          record, script, text);
}

int CPluginManager::CallScriptProc(ZelScriptProc ScriptKindRegistration::*kindProc,
                                   ZelScriptProc Plugin::*exported, uintptr_t context,
                                   uintptr_t view, uintptr_t record, uintptr_t script,
                                   const std::string& text)
{
    if (const ScriptKindRegistration* found = FindScriptKind(context, text)) {
        const ScriptKindRegistration registration = *found; // the call may register again
        const ZelScriptProc procedure = registration.*kindProc;
        if (procedure == nullptr)
            return 0;
        Bracketed([&] { procedure(record, view, script, registration.data); });
        return 1;
    }
    int called = 0;
    const std::vector<Plugin*> plugins = m_plugins;
    for (const Plugin* plugin : plugins)
        if (const ZelScriptProc procedure = plugin->*exported; procedure != nullptr) {
            Bracketed([&] { procedure(view, record, script, 0); });
            ++called;
        }
    return called;
}

intptr_t CPluginManager::Call(ZelCallback callback, uintptr_t w1, uintptr_t w2, uintptr_t w3,
                              uintptr_t w4, uintptr_t w5, uintptr_t w6)
{
    if (m_bracket)
        m_bracket(true);
    Enter();
    const intptr_t answer = callback(w1, w2, w3, w4, w5, w6);
    Leave();
    if (m_bracket)
        m_bracket(false);
    return answer;
}

void CPluginManager::DeliverEvent(int event, uintptr_t third, uintptr_t fourth)
{
    // A callback may register more callbacks: deliver to the ones registered now.
    const std::vector<EventRegistration> registrations = m_events;
    for (const EventRegistration& registration : registrations) {
        if (registration.event != event)
            continue;
        // The graph-opened event carries the registration's data instead of its code.
        const uintptr_t second =
            event == ZEL_EVENT_GRAPH_OPEN ? registration.data : static_cast<uintptr_t>(event);
        Call(registration.callback, registration.context, second, third, fourth, 0, 0);
    }
}

void CPluginManager::ObjectDestroyed(ObjectKind kind, uintptr_t object)
{
    std::vector<ObjectCallback> destroyed;
    for (const ObjectCallback& callback : m_objectCallbacks)
        if (callback.objectKind == kind && callback.object == object && callback.kind == 0)
            destroyed.push_back(callback);
    std::erase_if(m_objectCallbacks, [&](const ObjectCallback& callback) {
        return callback.objectKind == kind && callback.object == object;
    });
    if (kind == ObjectKind::View) {
        std::erase_if(m_menuItems, [&](MenuItem* item) {
            if (item->record[0] != object)
                return false;
            delete item;
            return true;
        });
    }
    for (const ObjectCallback& callback : destroyed)
        Call(callback.callback, object, 0, 0, callback.data, 0, 0);
}

void CPluginManager::BookDestroyed(uintptr_t book)
{
    ObjectDestroyed(ObjectKind::Book, book);
}

void CPluginManager::ViewDestroyed(uintptr_t view)
{
    ObjectDestroyed(ObjectKind::View, view);
}

void CPluginManager::GraphDestroyed(uintptr_t graph)
{
    ObjectDestroyed(ObjectKind::Graph, graph);
}

void CPluginManager::ViewScrolled(uintptr_t view, long firstLine, long lineCount)
{
    const std::vector<ObjectCallback> callbacks = m_objectCallbacks;
    for (const ObjectCallback& callback : callbacks) {
        if (callback.objectKind != ObjectKind::View || callback.object != view ||
            callback.kind != 1)
            continue;
        Call(callback.callback, view, 1, static_cast<uintptr_t>(firstLine),
             static_cast<uintptr_t>(lineCount), callback.data, 0);
    }
}

std::vector<const CPluginManager::MenuItem*> CPluginManager::MenuItems(uintptr_t view) const
{
    std::vector<const MenuItem*> items;
    for (const MenuItem* item : m_menuItems)
        if (item->record[0] == view)
            items.push_back(item);
    return items;
}

bool CPluginManager::ChooseMenuItem(const MenuItem* item)
{
    if (std::find(m_menuItems.begin(), m_menuItems.end(), item) == m_menuItems.end())
        return false;
    // The record lives in the item; copy what the call needs in case the procedure closes
    // the view and so drops the item.
    uintptr_t record[4];
    std::copy(std::begin(item->record), std::end(item->record), record);
    Call(item->procedure, reinterpret_cast<uintptr_t>(record), record[0], kMenuReasonChosen, 0, 0,
         0);
    return true;
}

int CPluginManager::Enter()
{
    ++m_depth;
    return 0;
}

intptr_t CPluginManager::Leave()
{
    if (m_depth > 0)
        --m_depth;
    return 0;
}
