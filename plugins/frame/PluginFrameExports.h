#pragma once

// The C exports of a plug-in built on CPluginFrame (defined by PluginFrameExports.cpp, which
// each plug-in compiles in). The browser calls the event and per-object callbacks with six
// words, of which each uses the ones named; the script procedures with five (construct) or
// four words. Every callback answers what the browser's leave call answers, except the
// construct procedure, which answers the script record.

#include <stdint.h>

#if defined(__GNUC__)
#define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#else
#define PLUGIN_EXPORT extern "C"
#endif

// Starts the plug-in (start word, start record of seven words); answers the plug-in object.
PLUGIN_EXPORT uintptr_t KBL_PLUGINinit(uintptr_t startWord, const uintptr_t* startRecord);
// Stops it; answers 0.
PLUGIN_EXPORT intptr_t KBL_PLUGINdestroy(uintptr_t unused);
// The window-watch thread's procedure, given the plug-in object; answers the exit code 0.
PLUGIN_EXPORT uintptr_t OnAutoCreateThread(uintptr_t plugin);

// Events: (context, event, object, extra, 0, 0).
PLUGIN_EXPORT intptr_t PluginMenuCallback(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                          uintptr_t);
PLUGIN_EXPORT intptr_t PluginApplicationColwinOpenCallback(uintptr_t, uintptr_t, uintptr_t,
                                                           uintptr_t, uintptr_t, uintptr_t);
PLUGIN_EXPORT intptr_t PluginApplicationBookOpenCallback(uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                                         uintptr_t, uintptr_t);
PLUGIN_EXPORT intptr_t PluginApplicationViewOpenCallback(uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                                         uintptr_t, uintptr_t);
// Per-object callbacks: book destroyed (book, ...), view destroyed (view, ...), view scrolled
// (view, 1, first line, line count, ...).
PLUGIN_EXPORT intptr_t PluginBookDestroyCallback(uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                                 uintptr_t, uintptr_t);
PLUGIN_EXPORT intptr_t PluginViewDestroyCallback(uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                                 uintptr_t, uintptr_t);
PLUGIN_EXPORT intptr_t PluginKblViewScrollCallback(uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                                   uintptr_t, uintptr_t);
// Scripts of kinds no plug-in registered: construct (view, record, script, fourth, context),
// refresh and destruct (view, record, script, fourth).
PLUGIN_EXPORT intptr_t PluginScriptConstructProc(uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                                 uintptr_t);
PLUGIN_EXPORT intptr_t PluginScriptRefreshProc(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
PLUGIN_EXPORT intptr_t PluginScriptDestructProc(uintptr_t, uintptr_t, uintptr_t, uintptr_t);

// A plug-in compiled with PLUGIN_FRAME_NO_MENU_ITEM_PROC has a menu-item procedure of its own
// and does not export this one: (menu-item record, item word, reason, 0, 0, 0).
#ifndef PLUGIN_FRAME_NO_MENU_ITEM_PROC
PLUGIN_EXPORT intptr_t PluginMenuItemProc(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                          uintptr_t);
#endif

// Graph opened (context, registration data, graph, ...) and graph destroyed (graph, ...). A
// plug-in compiled with PLUGIN_FRAME_NO_GRAPH_EXPORTS keeps them inside the library: it
// registers them by address should it ask for graph events.
#ifdef PLUGIN_FRAME_NO_GRAPH_EXPORTS
#define PLUGIN_GRAPH_EXPORT extern "C"
#else
#define PLUGIN_GRAPH_EXPORT PLUGIN_EXPORT
#endif
PLUGIN_GRAPH_EXPORT intptr_t PluginApplicationGraphOpenCallback(uintptr_t, uintptr_t, uintptr_t,
                                                                uintptr_t, uintptr_t, uintptr_t);
PLUGIN_GRAPH_EXPORT intptr_t PluginGraphDestroyCallback(uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                                        uintptr_t, uintptr_t);
