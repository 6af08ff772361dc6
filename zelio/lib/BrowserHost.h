#pragma once

// The browser program's side of libzelio. The library serves the data calls (contexts, books,
// queries) by itself; the calls about windows, views, help, the DDE server, plug-in events and
// menus need the running browser program. The program installs an IBrowserHost at start and
// the host-bound C calls forward to it. Without a host (a process that loads libzelio only for
// books and queries) those calls answer 0 or -1. Qt-free.

#include "BrowserInterface.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#if defined(__GNUC__)
#define ZEL_CPP_API __attribute__((visibility("default")))
#else
#define ZEL_CPP_API
#endif

namespace zelio {

class IDdeHostServer;

// What the browser program offers to the host-bound calls. Every handle is the word the C
// calls pass; a handle the host does not know answers 0 (or -1 where the call answers a
// status), never a crash. The host is called on the program's UI thread.
class IBrowserHost
{
public:
    virtual ~IBrowserHost() = default;

    // The context's window record (five words, the fifth the main window); nullptr for an
    // unknown context. The record belongs to the host and lives as long as the context.
    virtual const uintptr_t* ContextWindows(uintptr_t context) = 0;
    // The main window from the third word of a plug-in start record; 0 when unknown.
    virtual uintptr_t MainWindow(uintptr_t startWord3) = 0;

    // The view showing the book (the same book folder), or 0.
    virtual uintptr_t BookView(uintptr_t book) = 0;
    // A new view for the book; 0 when the book is unknown.
    virtual uintptr_t ViewOpen(uintptr_t book, const char* name, const char* title, bool visible,
                               int style) = 0;
    // Shows the book in the view; 0 on success, -1 for an unknown book or view.
    virtual int ViewShowBook(uintptr_t book, uintptr_t view) = 0;
    // Brings the view forward; 0 on success, -1 for an unknown view.
    virtual int ViewRaise(uintptr_t view) = 0;
    // Marks the query's hits in the view; 0 on success, -1 for an unknown view or a query
    // the view's book cannot run.
    virtual int ViewMarkHits(uintptr_t view, const char* query) = 0;
    // Shows the help topic (empty: the first page); 0 when shown, -1 when there is none.
    virtual int HelpShow(uintptr_t context, const char* topic) = 0;

    // The browser's DDE server behind a server handle, or behind the DDE instance it
    // answered; nullptr for an unknown handle.
    virtual IDdeHostServer* DdeServer(uintptr_t ddeServer) = 0;
    virtual IDdeHostServer* DdeServerOfInstance(uintptr_t ddeInstance) = 0;
    // The server whose hook chain a chaining word belongs to (0: the server's own handling
    // follows); nullptr when no server is running.
    virtual IDdeHostServer* DdeServerOfChain(uintptr_t chain) = 0;

    // A plug-in announces itself (version 2). 0 on success.
    virtual int PluginStart(int version) = 0;
    // Registrations of plug-in callbacks; 0 on success, -1 for an unknown object, kind or event.
    // data is the registration's word: the graph-opened event hands it back as its second word.
    virtual int EventRegister(uintptr_t context, int event, ZelCallback callback,
                              uintptr_t data) = 0;
    virtual int BookCallbackRegister(uintptr_t book, int kind, ZelCallback callback,
                                     uintptr_t data) = 0;
    virtual int ViewCallbackRegister(uintptr_t view, int kind, ZelCallback callback,
                                     uintptr_t data) = 0;
    virtual int GraphCallbackRegister(uintptr_t graph, int kind, ZelCallback callback,
                                      uintptr_t data) = 0;
    // The bracket around every plug-in callback; leave answers 0.
    virtual int Enter(uintptr_t context) = 0;
    virtual intptr_t Leave(uintptr_t context) = 0;
    // Adds an item (empty text: a separator) to the view's menu; 0 on success, -1 for an
    // unknown view or no procedure.
    virtual int ViewMenuAdd(uintptr_t view, const char* text, uint32_t flags, ZelCallback itemProc,
                            uintptr_t word) = 0;

    // The collection window of a menu-item record's first word (a view or a collection
    // window), its collection and that collection's directory; 0 / nullptr when none.
    virtual uintptr_t CollectionWindowOf(uintptr_t word) = 0;
    virtual uintptr_t CollectionOf(uintptr_t collectionWindow) = 0;
    virtual const char* CollectionDirectory(uintptr_t collection) = 0;
    // Adds an item (empty text: a separator) to the collection window's menu; 0 on success,
    // -1 for an unknown collection window or no procedure.
    virtual int CollectionWindowMenuAdd(uintptr_t collectionWindow, const char* text,
                                        uint32_t flags, ZelCallback itemProc, uintptr_t word) = 0;

    // Scripts. Registers the procedures of a script kind (text before "=", or all of it) in a
    // context; 0 on success, -1 for an unknown context, an empty kind or no construct
    // procedure. A later registration of the same kind replaces the earlier one.
    virtual int ScriptKindRegister(uintptr_t context, const char* kind,
                                   ZelScriptConstructProc construct, ZelScriptProc destruct,
                                   ZelScriptProc refresh, uintptr_t data) = 0;
    // The window word of the view showing the script of the record; 0 for an unknown record.
    virtual uintptr_t ScriptWindow(uintptr_t record) = 0;
    // Gives back a plug-in's hold on the script (view, script words); unknown words are
    // harmless.
    virtual void ScriptRelease(uintptr_t view, uintptr_t script) = 0;

    // Graphics windows. A new hidden window titled title for the plug-in in the context (the
    // graph-opened event follows); the graph or 0 for an unknown context.
    virtual uintptr_t GraphCreate(uintptr_t plugin, uintptr_t context, const char* title) = 0;
    // Load a picture, show, repaint, close; 0 on success, -1 for an unknown graph (and, for
    // load, a picture that cannot be loaded). Close runs the destroyed callbacks; the graph is
    // gone afterwards.
    virtual int GraphLoad(uintptr_t graph, const char* path) = 0;
    virtual int GraphShow(uintptr_t graph) = 0;
    virtual int GraphRefresh(uintptr_t graph) = 0;
    virtual int GraphClose(uintptr_t graph) = 0;

    // The context's collection table, or 0.
    virtual uintptr_t CollectionTable(uintptr_t context) = 0;
    // The alias of the collection whose directory is given (directories compare ignoring
    // case and the separator kind); nullptr when the table or the directory is unknown. The
    // text belongs to the host.
    virtual const char* CollectionAlias(uintptr_t table, const char* collectionDir) = 0;
};

// The hook chain of the browser's DDE server as the ZelDde* calls see it. The program wraps
// its DDE server in one of these; the hooks the plug-ins install run before the server's own
// handling, the latest installed first.
class IDdeHostServer
{
public:
    virtual ~IDdeHostServer() = default;
    // The DDE instance for string handles; 0 when the server has none.
    virtual uintptr_t Instance() = 0;
    // Adds or removes a topic given as a string handle of the instance; 0 on success, -1 for
    // an unknown handle or (removing) a topic the server does not serve.
    virtual int TopicAdd(uintptr_t topic) = 0;
    virtual int TopicRemove(uintptr_t topic) = 0;
    // Installs hooks; record is the plug-in's record that receives the chaining words (see
    // ZelDdeHooksInstall). 0 on success, -1 when a hook or the record is missing.
    virtual int HooksInstall(ZelDdeFirstHook first, ZelDdeSecondHook second, uintptr_t* record) = 0;
    virtual int ExecuteHookInstall(ZelDdeExecuteHook execute, uintptr_t* record) = 0;
    // What the hook after the chaining word (or the server itself) answers.
    virtual intptr_t FirstPassOn(uintptr_t w1, uintptr_t w2, uintptr_t topic, uintptr_t chain) = 0;
    virtual intptr_t SecondPassOn(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t topic,
                                  uintptr_t chain) = 0;
    virtual intptr_t ExecutePassOn(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t topic,
                                   const char* command, uintptr_t chain) = 0;
    // String handles of the instance: a handle (0 on failure; texts equal ignoring case
    // share one), its text (nullptr for an unknown handle; valid until the handle is freed),
    // free (an unknown handle is harmless).
    virtual uintptr_t StringCreate(const char* text) = 0;
    virtual const char* StringText(uintptr_t handle) = 0;
    virtual void StringFree(uintptr_t handle) = 0;
};

// What the program needs of a book handle to show it: the book's folder and title, the
// collection directory it was opened with, its context and its content files' names.
struct CBookInfo
{
    std::string folder; // absolute, without a trailing slash
    std::string title;  // bytes as written in book.ini (or the folder name)
    std::string collectionDir;
    uintptr_t context = 0;
    std::vector<std::string> files;
};
// The hits of a query in one content file: byte ranges [begin, end) of its plain text.
struct CBookFileHits
{
    std::size_t fileIndex = 0;
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
};

// Describes a live book handle; false (info untouched) for anything else.
ZEL_CPP_API bool DescribeBook(uintptr_t book, CBookInfo& info);
// The plain text of content file index as the browser shows it and the index holds it; false
// for an unknown book or index.
ZEL_CPP_API bool ReadBookText(uintptr_t book, std::size_t index, std::string& text);
// Runs a query in the book for marking, without touching the context's last error. Answers 0
// with the hit count and the ranges per file (no hits: 0 and nothing), or the error number
// (ZEL_ERROR_EMPTY_QUERY, another number for an unknown book or a failed index).
ZEL_CPP_API int SearchBook(uintptr_t book, const char* query, long& hits,
                           std::vector<CBookFileHits>& files);
// Called with (files done, files in all) while a book's index is built in the context; an
// empty function stops the reports. False for an unknown context.
ZEL_CPP_API bool SetIndexProgress(uintptr_t context,
                                  std::function<void(std::size_t, std::size_t)> progress);

// Installs the host the host-bound calls forward to (nullptr removes it). The caller keeps
// ownership; it removes the host before destroying it.
ZEL_CPP_API void InstallBrowserHost(IBrowserHost* host);
// The installed host, or nullptr.
ZEL_CPP_API IBrowserHost* InstalledBrowserHost();

} // namespace zelio
