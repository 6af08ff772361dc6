// The host-bound calls of libzelio: each forwards to the browser program's IBrowserHost and
// answers 0 or -1 when no host is installed (a process that uses the library only for books
// and queries).

#include "BrowserHost.h"

#include "Context.h"
#include "Handles.h"
#include "ZelioErrors.h"

#include <atomic>
#include <climits>
#include <cstring>

namespace zelio {
namespace {

std::atomic<IBrowserHost*> g_host{nullptr};

IBrowserHost* Host()
{
    return g_host.load(std::memory_order_acquire);
}

IDdeHostServer* Server(uintptr_t ddeServer)
{
    IBrowserHost* host = Host();
    return host != nullptr && ddeServer != 0 ? host->DdeServer(ddeServer) : nullptr;
}

IDdeHostServer* ServerOfInstance(uintptr_t ddeInstance)
{
    IBrowserHost* host = Host();
    return host != nullptr && ddeInstance != 0 ? host->DdeServerOfInstance(ddeInstance) : nullptr;
}

const char* Text(const char* text)
{
    return text != nullptr ? text : "";
}

// Copies text into buffer, cut to size - 1 bytes and zero-terminated; nothing for no buffer.
void CopyCut(const char* text, char* buffer, int size)
{
    if (buffer == nullptr || size <= 0)
        return;
    const std::size_t length = text != nullptr ? std::strlen(text) : 0;
    const std::size_t n =
        length < static_cast<std::size_t>(size - 1) ? length : static_cast<std::size_t>(size - 1);
    if (n > 0)
        std::memcpy(buffer, text, n);
    buffer[n] = '\0';
}

} // namespace

void InstallBrowserHost(IBrowserHost* host)
{
    g_host.store(host, std::memory_order_release);
}

IBrowserHost* InstalledBrowserHost()
{
    return Host();
}

bool DescribeBook(uintptr_t book, CBookInfo& info)
{
    const COpenBook* open = BookFromHandle(book);
    if (open == nullptr)
        return false;
    info.folder = open->Book().Folder();
    info.title = open->Book().Title();
    info.collectionDir = open->CollectionDir();
    info.context = ToHandle(&open->Context());
    info.files.clear();
    for (const CContentFile& file : open->Book().ContentFiles())
        info.files.push_back(file.name);
    return true;
}

bool ReadBookText(uintptr_t book, std::size_t index, std::string& text)
{
    const COpenBook* open = BookFromHandle(book);
    text.clear();
    return open != nullptr && open->Text(index, text);
}

int SearchBook(uintptr_t book, const char* query, long& hits, std::vector<CBookFileHits>& files)
{
    hits = 0;
    files.clear();
    const COpenBook* open = BookFromHandle(book);
    if (open == nullptr || query == nullptr)
        return kErrorInvalidArgument;
    const CSearchOutcome outcome = open->Search(query, true);
    if (outcome.error != kErrorNone && outcome.error != kErrorNoHits)
        return outcome.error;
    hits = outcome.hits;
    for (const CFileHits& file : outcome.files) {
        CBookFileHits marks;
        marks.fileIndex = file.fileIndex;
        for (const CHitRange& range : file.ranges)
            marks.ranges.emplace_back(range.begin, range.end);
        files.push_back(std::move(marks));
    }
    return 0;
}

bool SetIndexProgress(uintptr_t context, std::function<void(std::size_t, std::size_t)> progress)
{
    CContext* open = ContextFromHandle(context);
    if (open == nullptr)
        return false;
    if (!progress) {
        open->SetProgressCallback({});
        return true;
    }
    open->SetProgressCallback([progress = std::move(progress)](const CIndexProgress& state) {
        progress(state.filesDone, state.filesTotal);
    });
    return true;
}

} // namespace zelio

using zelio::Host;

extern "C" {

const uintptr_t* ZelContextWindows(uintptr_t context)
{
    auto* host = Host();
    return host != nullptr && context != 0 ? host->ContextWindows(context) : nullptr;
}

uintptr_t ZelMainWindow(uintptr_t startWord3)
{
    auto* host = Host();
    return host != nullptr ? host->MainWindow(startWord3) : 0;
}

uintptr_t ZelBookView(uintptr_t book)
{
    auto* host = Host();
    return host != nullptr && book != 0 ? host->BookView(book) : 0;
}

uintptr_t ZelViewOpen(uintptr_t book, const char* name, uintptr_t /*reserved1*/, const char* title,
                      int visible, uintptr_t /*reserved2*/, uintptr_t /*reserved3*/, int style)
{
    auto* host = Host();
    if (host == nullptr || book == 0)
        return 0;
    return host->ViewOpen(book, zelio::Text(name), zelio::Text(title), visible != 0, style);
}

int ZelViewShowBook(uintptr_t book, uintptr_t view)
{
    auto* host = Host();
    return host != nullptr && book != 0 && view != 0 ? host->ViewShowBook(book, view) : -1;
}

int ZelViewRaise(uintptr_t view)
{
    auto* host = Host();
    return host != nullptr && view != 0 ? host->ViewRaise(view) : -1;
}

int ZelViewMarkHits(uintptr_t view, const char* query)
{
    auto* host = Host();
    return host != nullptr && view != 0 ? host->ViewMarkHits(view, zelio::Text(query)) : -1;
}

int ZelHelpShow(uintptr_t context, const char* topic)
{
    auto* host = Host();
    return host != nullptr ? host->HelpShow(context, zelio::Text(topic)) : -1;
}

uintptr_t ZelDdeInstance(uintptr_t ddeServer)
{
    auto* server = zelio::Server(ddeServer);
    return server != nullptr ? server->Instance() : 0;
}

int ZelDdeTopicAdd(uintptr_t ddeServer, uintptr_t topic, uintptr_t /*reserved*/)
{
    auto* server = zelio::Server(ddeServer);
    return server != nullptr && topic != 0 ? server->TopicAdd(topic) : -1;
}

int ZelDdeTopicRemove(uintptr_t ddeServer, uintptr_t topic)
{
    auto* server = zelio::Server(ddeServer);
    return server != nullptr && topic != 0 ? server->TopicRemove(topic) : -1;
}

int ZelDdeHooksInstall(uintptr_t ddeServer, ZelDdeFirstHook first, ZelDdeSecondHook second,
                       uintptr_t* record)
{
    auto* server = zelio::Server(ddeServer);
    return server != nullptr ? server->HooksInstall(first, second, record) : -1;
}

int ZelDdeExecuteHookInstall(uintptr_t ddeServer, ZelDdeExecuteHook execute, uintptr_t* record)
{
    auto* server = zelio::Server(ddeServer);
    return server != nullptr ? server->ExecuteHookInstall(execute, record) : -1;
}

// The pass-on calls carry no server handle: the host finds the server from the chaining word.
intptr_t ZelDdeFirstPassOn(uintptr_t w1, uintptr_t w2, uintptr_t topic, uintptr_t chain)
{
    auto* host = Host();
    auto* server = host != nullptr ? host->DdeServerOfChain(chain) : nullptr;
    return server != nullptr ? server->FirstPassOn(w1, w2, topic, chain) : 0;
}

intptr_t ZelDdeSecondPassOn(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t topic,
                            uintptr_t chain)
{
    auto* host = Host();
    auto* server = host != nullptr ? host->DdeServerOfChain(chain) : nullptr;
    return server != nullptr ? server->SecondPassOn(w1, w2, w3, topic, chain) : 0;
}

intptr_t ZelDdeExecutePassOn(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t topic,
                             const char* command, uintptr_t chain)
{
    auto* host = Host();
    auto* server = host != nullptr ? host->DdeServerOfChain(chain) : nullptr;
    return server != nullptr ? server->ExecutePassOn(w1, w2, w3, topic, zelio::Text(command), chain)
                             : -1;
}

uintptr_t ZelDdeStringCreate(uintptr_t ddeInstance, const char* text)
{
    auto* server = zelio::ServerOfInstance(ddeInstance);
    return server != nullptr && text != nullptr ? server->StringCreate(text) : 0;
}

int ZelDdeStringQuery(uintptr_t ddeInstance, uintptr_t handle, char* buffer, int size)
{
    auto* server = zelio::ServerOfInstance(ddeInstance);
    const char* text = server != nullptr && handle != 0 ? server->StringText(handle) : nullptr;
    zelio::CopyCut(text, buffer, size);
    return text != nullptr ? static_cast<int>(std::strlen(text)) : -1;
}

void ZelDdeStringFree(uintptr_t ddeInstance, uintptr_t handle)
{
    if (auto* server = zelio::ServerOfInstance(ddeInstance); server != nullptr && handle != 0)
        server->StringFree(handle);
}

int ZelPluginStart(int version)
{
    auto* host = Host();
    return host != nullptr ? host->PluginStart(version) : -1;
}

int ZelEventRegister(uintptr_t context, int event, ZelCallback callback, uintptr_t data)
{
    auto* host = Host();
    return host != nullptr && callback != nullptr
               ? host->EventRegister(context, event, callback, data)
               : -1;
}

int ZelBookCallbackRegister(uintptr_t book, int kind, ZelCallback callback, uintptr_t data)
{
    auto* host = Host();
    return host != nullptr && book != 0 && callback != nullptr
               ? host->BookCallbackRegister(book, kind, callback, data)
               : -1;
}

int ZelViewCallbackRegister(uintptr_t view, int kind, ZelCallback callback, uintptr_t data)
{
    auto* host = Host();
    return host != nullptr && view != 0 && callback != nullptr
               ? host->ViewCallbackRegister(view, kind, callback, data)
               : -1;
}

int ZelGraphCallbackRegister(uintptr_t graph, int kind, ZelCallback callback, uintptr_t data)
{
    auto* host = Host();
    return host != nullptr && graph != 0 && callback != nullptr
               ? host->GraphCallbackRegister(graph, kind, callback, data)
               : -1;
}

int ZelEnter(uintptr_t context)
{
    auto* host = Host();
    return host != nullptr ? host->Enter(context) : 0;
}

intptr_t ZelLeave(uintptr_t context)
{
    auto* host = Host();
    return host != nullptr ? host->Leave(context) : 0;
}

int ZelViewMenuAdd(uintptr_t view, const char* text, uint32_t flags, ZelCallback itemProc,
                   uintptr_t word)
{
    auto* host = Host();
    return host != nullptr && view != 0 && itemProc != nullptr
               ? host->ViewMenuAdd(view, zelio::Text(text), flags, itemProc, word)
               : -1;
}

int ZelCollectionWindowMenuAdd(uintptr_t collectionWindow, const char* text, uint32_t flags,
                               ZelCallback itemProc, uintptr_t word)
{
    auto* host = Host();
    return host != nullptr && collectionWindow != 0 && itemProc != nullptr
               ? host->CollectionWindowMenuAdd(collectionWindow, zelio::Text(text), flags, itemProc,
                                               word)
               : -1;
}

int ZelScriptKindRegister(uintptr_t context, const char* kind, ZelScriptConstructProc construct,
                          ZelScriptProc destruct, ZelScriptProc refresh, uintptr_t data)
{
    auto* host = Host();
    if (host == nullptr || context == 0 || kind == nullptr || kind[0] == '\0' ||
        construct == nullptr)
        return -1;
    return host->ScriptKindRegister(context, kind, construct, destruct, refresh, data);
}

uintptr_t ZelScriptWindow(uintptr_t record)
{
    auto* host = Host();
    return host != nullptr && record != 0 ? host->ScriptWindow(record) : 0;
}

void ZelScriptRelease(uintptr_t view, uintptr_t script)
{
    if (auto* host = Host(); host != nullptr && view != 0)
        host->ScriptRelease(view, script);
}

uintptr_t ZelGraphCreate(uintptr_t plugin, uintptr_t context, const char* title,
                         uintptr_t /*reserved*/)
{
    auto* host = Host();
    return host != nullptr && context != 0 ? host->GraphCreate(plugin, context, zelio::Text(title))
                                           : 0;
}

int ZelGraphLoad(uintptr_t graph, const char* path)
{
    auto* host = Host();
    return host != nullptr && graph != 0 && path != nullptr && path[0] != '\0'
               ? host->GraphLoad(graph, path)
               : -1;
}

int ZelGraphShow(uintptr_t graph)
{
    auto* host = Host();
    return host != nullptr && graph != 0 ? host->GraphShow(graph) : -1;
}

int ZelGraphRefresh(uintptr_t /*reserved*/, uintptr_t graph)
{
    auto* host = Host();
    return host != nullptr && graph != 0 ? host->GraphRefresh(graph) : -1;
}

int ZelGraphClose(uintptr_t graph)
{
    auto* host = Host();
    return host != nullptr && graph != 0 ? host->GraphClose(graph) : -1;
}

uintptr_t ZelCollectionWindowOf(uintptr_t word)
{
    auto* host = Host();
    return host != nullptr && word != 0 ? host->CollectionWindowOf(word) : 0;
}

uintptr_t ZelCollectionOf(uintptr_t collectionWindow)
{
    auto* host = Host();
    return host != nullptr && collectionWindow != 0 ? host->CollectionOf(collectionWindow) : 0;
}

const char* ZelCollectionDirectory(uintptr_t collection)
{
    auto* host = Host();
    return host != nullptr && collection != 0 ? host->CollectionDirectory(collection) : nullptr;
}

uintptr_t ZelCollectionTable(uintptr_t context)
{
    auto* host = Host();
    return host != nullptr && context != 0 ? host->CollectionTable(context) : 0;
}

int ZelCollectionName(uintptr_t table, const char* collectionDir, char* buffer, int size,
                      uintptr_t* found)
{
    auto* host = Host();
    const char* alias = host != nullptr && table != 0 && collectionDir != nullptr
                            ? host->CollectionAlias(table, collectionDir)
                            : nullptr;
    if (alias == nullptr)
        return -1;
    // At most size bytes of the name and a zero: the caller's buffer holds size + 1.
    zelio::CopyCut(alias, buffer, size >= 0 && size < INT_MAX ? size + 1 : size);
    if (found != nullptr)
        *found = 1;
    return 0;
}

} // extern "C"
