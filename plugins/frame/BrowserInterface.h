#pragma once

/* The documentation browser's calls, as its library libzelio exports them to the query library
 * and to the plug-ins it loads. One C function per browser call; the number in brackets is the
 * call's ordinal, by which older callers knew it.
 *
 * Handles (contexts, books, views, results, DDE servers and string handles, windows) are
 * opaque uintptr_t words; 0 is none. Texts are zero-terminated bytes. A text a call answers
 * belongs to the library and stays valid until the object it belongs to is released, unless
 * the call says otherwise. No call throws; failures are answers (0, a negative number). */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define ZEL_API __attribute__((visibility("default")))
#else
#define ZEL_API
#endif

/* Last errors of ZelLastError: the query found nothing in the book. */
#define ZEL_ERROR_NO_HITS 11
#define ZEL_ERROR_EMPTY_QUERY 14

/* ---- Configuration ---------------------------------------------------------------------- */

/* [459] The full path of the browser's configuration file of that name ("corvelle.ini"):
 * $ZELIO_CONFIG, else beside the browser program, else in the user's configuration folder.
 * The caller gives it back with ZelConfigPathRelease. 0 when none can be found. */
ZEL_API const char* ZelConfigPathGet(const char* name);
/* [460] Releases a path answered by ZelConfigPathGet; 0 is harmless. */
ZEL_API void ZelConfigPathRelease(const char* path);
/* [289] Reads one value of a profile-format file (section and key ignore case) into buffer,
 * cut to size - 1 bytes. file may be a bare name ("corvelle.ini"), found as ZelConfigPathGet
 * finds it. Answers the length written, or a negative number when the file, section or key
 * is missing (the buffer then holds an empty text). reserved is 0. */
ZEL_API int ZelProfileRead(uintptr_t reserved, const char* section, const char* file,
                           const char* key, char* buffer, int size);

/* ---- Contexts, books and queries ---------------------------------------------------------- */

/* [237] A context for a data folder, private and public folders and an authorisation value;
 * 0 when the data folder is not a readable folder. reserved is 0. */
ZEL_API uintptr_t ZelContextCreate(const char* dataDir, const char* privateDir,
                                   const char* publicDir, const char* authorisation,
                                   uintptr_t reserved);
/* [57] Ends a context: its books and results are released. */
ZEL_API void ZelContextDestroy(uintptr_t context);
/* [87] The context's last error: 0 none, ZEL_ERROR_NO_HITS when the last query found
 * nothing, ZEL_ERROR_EMPTY_QUERY when it had nothing to search for, other numbers for other
 * failures. */
ZEL_API int ZelLastError(uintptr_t context);
/* [258] Opens the book <collectionDir>/books/<bookDir>/ (a collection directory relative to
 * the context's data folder or absolute); 0 when it is not a book. Builds or refreshes the
 * book's full-text index when the book changed. */
ZEL_API uintptr_t ZelBookOpen(uintptr_t context, const char* collectionDir, const char* bookDir);
/* [19] Closes a book and releases its results. */
ZEL_API void ZelBookClose(uintptr_t book);
/* [366] The book's title (its book.ini), or its folder name when it has none. */
ZEL_API const char* ZelBookTitle(uintptr_t book);
/* [245] Runs a full-text query in the book; a result, or 0 with the last error set
 * (ZEL_ERROR_NO_HITS, ZEL_ERROR_EMPTY_QUERY, or another error). reserved is 0. */
ZEL_API uintptr_t ZelQueryRun(uintptr_t book, const char* query, uintptr_t reserved);
/* [275] The number of hits of a result (kind 1: every marked occurrence in the book). */
ZEL_API long ZelResultHits(uintptr_t result, int kind);
/* [62] Releases a result. */
ZEL_API void ZelResultRelease(uintptr_t result);

/* ---- Windows, views and help (answer 0 outside the browser program) ----------------------- */

/* [137] The context's window record: five words, the fifth the browser's main window. */
ZEL_API const uintptr_t* ZelContextWindows(uintptr_t context);
/* [200] The browser's main window from the third word of a plug-in start record. */
ZEL_API uintptr_t ZelMainWindow(uintptr_t startWord3);
/* [127] The book's view, or 0 when it has none. */
ZEL_API uintptr_t ZelBookView(uintptr_t book);
/* [250] Opens a new view of the book: (book, "fulltext", 0, "fulltext", 1, 0, 0, 108).
 * Answers the view or 0. */
ZEL_API uintptr_t ZelViewOpen(uintptr_t book, const char* name, uintptr_t reserved1,
                              const char* title, int visible, uintptr_t reserved2,
                              uintptr_t reserved3, int style);
/* [317] Shows the book in the view. 0 on success. */
ZEL_API int ZelViewShowBook(uintptr_t book, uintptr_t view);
/* [183] Brings the view forward. 0 on success. */
ZEL_API int ZelViewRaise(uintptr_t view);
/* [261] Marks the query's hits in the view. 0 on success. */
ZEL_API int ZelViewMarkHits(uintptr_t view, const char* query);
/* [332] Shows the browser's help on a topic (an empty topic: the help's first page). 0 when
 * shown, -1 when the browser has no help to show. */
ZEL_API int ZelHelpShow(uintptr_t context, const char* topic);

/* ---- The browser's DDE server -------------------------------------------------------------- */

/* Hook procedures of the DDE server. The record is the one handed to the installing call;
 * the chaining word is handed back to the pass-on call.
 * First hook: a client connects (conversation, service string handle, topic): 0 accepts.
 * Second hook: a request or poke (conversation, item string handle, format, topic): 0 means
 * "not served here".
 * Execute hook: a command (conversation, 0, 0, topic, command text): 0 processed, -1 not. */
typedef intptr_t (*ZelDdeFirstHook)(uintptr_t w1, uintptr_t w2, uintptr_t topic, uintptr_t* record);
typedef intptr_t (*ZelDdeSecondHook)(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t topic,
                                     uintptr_t* record);
typedef intptr_t (*ZelDdeExecuteHook)(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t topic,
                                      const char* command, uintptr_t* record);

/* [41] The DDE instance of the browser's DDE server, for string handles. */
ZEL_API uintptr_t ZelDdeInstance(uintptr_t ddeServer);
/* [47] Adds a topic (a string handle) to the server. 0 on success. reserved is 0. */
ZEL_API int ZelDdeTopicAdd(uintptr_t ddeServer, uintptr_t topic, uintptr_t reserved);
/* [33] Removes a topic. 0 on success. */
ZEL_API int ZelDdeTopicRemove(uintptr_t ddeServer, uintptr_t topic);
/* [28] Installs the first and second hook. record points at the plug-in's record; the
 * server writes words 4 to 7 of it (0-based indexes 3 to 6): index 4 and 6 receive the
 * chaining words of the first and second hook. 0 on success. */
ZEL_API int ZelDdeHooksInstall(uintptr_t ddeServer, ZelDdeFirstHook first, ZelDdeSecondHook second,
                               uintptr_t* record);
/* [29] Installs the execute hook; the server writes words 8 and 9 (indexes 7 and 8): index 8
 * receives its chaining word. 0 on success. */
ZEL_API int ZelDdeExecuteHookInstall(uintptr_t ddeServer, ZelDdeExecuteHook execute,
                                     uintptr_t* record);
/* [360] [358] [359] The server's own handling of a hook call, given the chaining word: what
 * the next hook, or the server itself, answers for that topic. */
ZEL_API intptr_t ZelDdeFirstPassOn(uintptr_t w1, uintptr_t w2, uintptr_t topic, uintptr_t chain);
ZEL_API intptr_t ZelDdeSecondPassOn(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t topic,
                                    uintptr_t chain);
ZEL_API intptr_t ZelDdeExecutePassOn(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t topic,
                                     const char* command, uintptr_t chain);

/* DDE string handles of an instance (the platform's string-handle calls, served by the
 * browser's library so that every plug-in shares the server's table). Texts compare
 * ignoring case. */
ZEL_API uintptr_t ZelDdeStringCreate(uintptr_t ddeInstance, const char* text);
/* Copies the handle's text into buffer, cut to size - 1 bytes; answers the full length, or
 * -1 for an unknown handle (the buffer then holds an empty text). */
ZEL_API int ZelDdeStringQuery(uintptr_t ddeInstance, uintptr_t handle, char* buffer, int size);
ZEL_API void ZelDdeStringFree(uintptr_t ddeInstance, uintptr_t handle);

/* ---- Plug-ins: start, events, callbacks, menus --------------------------------------------- */

/* Every callback the browser calls gets six words; a callback uses the ones it needs and
 * the rest are 0. */
typedef intptr_t (*ZelCallback)(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t w4,
                                uintptr_t w5, uintptr_t w6);

/* Event codes of ZelEventRegister; the callback gets (context, event, object, extra, 0, 0). */
#define ZEL_EVENT_MENU 4         /* third word: the menu command */
#define ZEL_EVENT_VIEW_OPEN 9    /* third word: a word, fourth: the view */
#define ZEL_EVENT_BOOK_OPEN 11   /* third word: the book */
#define ZEL_EVENT_GRAPH_OPEN 16  /* third word: the graph, second: the registration's data */
#define ZEL_EVENT_COLWIN_OPEN 17 /* third word: the collection window */

/* [461] Called once by each plug-in at its start, with 2. */
ZEL_API int ZelPluginStart(int version);
/* [6] Registers an event callback of a plug-in. 0 on success. reserved is 0. */
ZEL_API int ZelEventRegister(uintptr_t context, int event, ZelCallback callback,
                             uintptr_t reserved);
/* [7] A callback for a book: kind 0, destroyed; called (book, 0, 0, data, 0, 0). 0 on success. */
ZEL_API int ZelBookCallbackRegister(uintptr_t book, int kind, ZelCallback callback, uintptr_t data);
/* [15] A callback for a view: kind 0 destroyed (view, 0, 0, data, 0, 0); kind 1 scrolled
 * (view, 1, first line, line count, data, 0). 0 on success. */
ZEL_API int ZelViewCallbackRegister(uintptr_t view, int kind, ZelCallback callback, uintptr_t data);
/* [9] A callback for a graphics window: kind 0 destroyed (graph, 0, 0, data, 0, 0). */
ZEL_API int ZelGraphCallbackRegister(uintptr_t graph, int kind, ZelCallback callback,
                                     uintptr_t data);
/* [393] [394] The browser's enter and leave around each plug-in callback; leave answers the
 * callback's answer (0). */
ZEL_API int ZelEnter(uintptr_t context);
ZEL_API intptr_t ZelLeave(uintptr_t context);
/* [219] Adds an item to a view's menu: text (empty: a separator), flags, the item
 * procedure called (menu-item record, item word, reason, 0, 0, 0) when chosen, and a word
 * handed back in the record. 0 on success. The menu-item record's first word is the view. */
ZEL_API int ZelViewMenuAdd(uintptr_t view, const char* text, uint32_t flags, ZelCallback itemProc,
                           uintptr_t word);
/* [217] Adds an item to a collection window's menu, as ZelViewMenuAdd does for a view; the
 * menu-item record's first word is the collection window. 0 on success. */
ZEL_API int ZelCollectionWindowMenuAdd(uintptr_t collectionWindow, const char* text, uint32_t flags,
                                       ZelCallback itemProc, uintptr_t word);

/* ---- Scripts: active places in a book's text ----------------------------------------------- */

/* A script is an active place in a book's text that the browser reaches when the user opens
 * it in a view: a user document, a raster figure. The browser describes each script with a
 * record whose text starts at byte ZEL_SCRIPT_TEXT_OFFSET: "user_document" for a user
 * document, "orn-raster=<figure name>" for a raster figure (the figure lies in the user's
 * temporary folder under that name). The record stays valid until the script's destruct
 * call has returned. */
#define ZEL_SCRIPT_TEXT_OFFSET 20
typedef struct ZelScriptRecord
{
    uint32_t size;   /* bytes of the whole record, text and its zero included */
    uint32_t serial; /* the script's number in its view, from 1 */
    uint32_t line;   /* line of the view's text the script stands on, from 0 */
    uint32_t reserved[2];
    char text[1]; /* zero-terminated, at byte ZEL_SCRIPT_TEXT_OFFSET */
} ZelScriptRecord;

/* Procedures of a registered script kind: construct (record, view, script, data, argument),
 * where argument points at a zero-terminated text (a user document's file path); refresh
 * and destruct (record, view, script, data). Construct answers 0. */
typedef intptr_t (*ZelScriptConstructProc)(uintptr_t record, uintptr_t view, uintptr_t script,
                                           uintptr_t data, uintptr_t argument);
typedef intptr_t (*ZelScriptProc)(uintptr_t record, uintptr_t view, uintptr_t script,
                                  uintptr_t data);

/* [13] Registers the procedures for scripts of one kind (the record's text up to "=", or
 * all of it): construct, destruct and refresh (0: none), and a word handed back as data. The
 * scripts of every kind no plug-in registered go to each plug-in's exported
 * PluginScriptConstructProc (view, record, script, 0, context), PluginScriptRefreshProc and
 * PluginScriptDestructProc (view, record, script, 0). 0 on success, -1 for an unknown
 * context, an empty kind or no construct procedure. */
ZEL_API int ZelScriptKindRegister(uintptr_t context, const char* kind,
                                  ZelScriptConstructProc construct, ZelScriptProc destruct,
                                  ZelScriptProc refresh, uintptr_t data);
/* [153] The window word of the browser window showing the script of the record (a window as
 * ZelMainWindow answers), or 0 for an unknown record. */
ZEL_API uintptr_t ZelScriptWindow(uintptr_t record);
/* [293] Gives back a plug-in's hold on a script, named by the view and script words it was
 * constructed with. Unknown words are harmless. */
ZEL_API void ZelScriptRelease(uintptr_t view, uintptr_t script);

/* ---- Graphics windows ------------------------------------------------------------------------ */

/* [239] Makes a graphics window of the browser, hidden, titled title, for a plug-in (the
 * object its init answered) in a context; the graph-opened event follows. The graph or 0.
 * reserved is 0. */
ZEL_API uintptr_t ZelGraphCreate(uintptr_t plugin, uintptr_t context, const char* title,
                                 uintptr_t reserved);
/* [166] Loads a picture file (CGM or TIFF) into the graphics window. 0 on success, -1 for an
 * unknown graph or a picture that cannot be loaded. */
ZEL_API int ZelGraphLoad(uintptr_t graph, const char* path);
/* [176] Shows the graphics window and brings it forward. 0 on success, -1 for an unknown graph. */
ZEL_API int ZelGraphShow(uintptr_t graph);
/* [284] Repaints the graphics window. reserved is 0. 0 on success, -1 for an unknown graph. */
ZEL_API int ZelGraphRefresh(uintptr_t reserved, uintptr_t graph);
/* [58] Closes the graphics window: its destroyed callbacks run, then the graph is gone.
 * 0 on success, -1 for an unknown graph. */
ZEL_API int ZelGraphClose(uintptr_t graph);

/* [227] [128] [129] The collection window of a menu-item record's first word, its
 * collection, and the collection's directory (a text of the library). 0 when none. */
ZEL_API uintptr_t ZelCollectionWindowOf(uintptr_t word);
ZEL_API uintptr_t ZelCollectionOf(uintptr_t collectionWindow);
ZEL_API const char* ZelCollectionDirectory(uintptr_t collection);
/* [134] The collection table of a context; [131] writes the name (alias) of the collection
 * whose directory is given into buffer (at most size bytes and a zero) and sets *found to 1.
 * 0 on success, -1 when the directory is not a collection of the table. */
ZEL_API uintptr_t ZelCollectionTable(uintptr_t context);
ZEL_API int ZelCollectionName(uintptr_t table, const char* collectionDir, char* buffer, int size,
                              uintptr_t* found);

#ifdef __cplusplus
}
#endif
