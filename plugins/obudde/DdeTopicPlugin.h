#pragma once

#include "BrowserInterface.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {
class IPrompter;
}

// The plug-in that serves the DDE topic "OBU" on the browser's DDE server: "bookquery" opens
// a book of a collection and shows a query's hits in it, "help" opens the browser's help.
// Everything addressed to another topic goes on to the server unchanged. Qt-free: messages
// go through the installed prompter, the main window is raised through the installed raiser.
//
// The plug-in is its record of eleven words, which the hooks receive:
//   index 0  the browser context (word 1 of the plug-in start record)
//   index 1  the browser's DDE server (word 4 of the start record)
//   index 2  the server's DDE instance
//   3 to 10  written by the server when the hooks are installed; indexes 4, 6 and 8 are the
//            chaining words of the first, second and execute hook. The plug-in never writes
//            them.
struct CDdeTopicPlugin
{
    static constexpr int ContextWord = 0;
    static constexpr int ServerWord = 1;
    static constexpr int InstanceWord = 2;
    static constexpr int FirstChainWord = 4;
    static constexpr int SecondChainWord = 6;
    static constexpr int ExecuteChainWord = 8;

    uintptr_t m_words[11] = {};

    uintptr_t* Record() { return m_words; }
};

// The topic served and the caption of the plug-in's messages.
inline constexpr const char* ObuTopic = "OBU";
// The plug-in's messages.
inline constexpr int MsgNoHits = 17001;
inline constexpr const char* MsgNoHitsText = "No hits found from the current book.";
inline constexpr int MsgNoBook = 17002;
inline constexpr const char* MsgNoBookText = "Unable to open desired book and make the query.";

// Makes the plug-in from the start record (at least four words): stores the context and the
// DDE server, asks the DDE instance, adds the topic "OBU" and installs the three hooks.
// Answers the plug-in, owned by the caller (StopDdeTopicPlugin frees it), or nullptr when the
// start record is missing or memory runs out.
CDdeTopicPlugin* StartDdeTopicPlugin(const uintptr_t* startRecord);
// Removes the topic "OBU" and frees the plug-in; nullptr is harmless.
void StopDdeTopicPlugin(CDdeTopicPlugin* plugin);

// The hooks the plug-in installs. For topic "OBU" (any case) the first and second answer 0
// and the execute hook carries out the command; other topics go to the server's own
// handling with the hook's chaining word. A missing record answers -1.
intptr_t ObuFirstHook(uintptr_t w1, uintptr_t w2, uintptr_t topic, uintptr_t* record);
intptr_t ObuSecondHook(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t topic,
                       uintptr_t* record);
intptr_t ObuExecuteHook(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t topic,
                        const char* command, uintptr_t* record);

// A command text split at its first "=": the command, and the argument up to the next "="
// (both empty when missing).
struct CDdeCommand
{
    std::string command;
    std::string argument;
};
CDdeCommand SplitDdeCommand(std::string_view text);

// Field index (from 0) of a text split at ","; empty when there is no such field.
std::string CommaField(std::string_view text, int index);

// Carries out a command of topic "OBU": "bookquery" (0 when hits were shown, else -1 after
// message 17001 or 17002), "help" (the browser's answer), anything else: 0, nothing done.
intptr_t ExecuteObuCommand(const uintptr_t* record, std::string_view text);

// Opens the book "book,collection,query" names and shows the query's hits in its view.
// Answers the hit count (0: none, or an empty query), or -1 when the book does not open or
// has no view to show it in.
long OpenBookAndQuery(const uintptr_t* record, std::string_view argument);

// The prompter of the plug-in's messages; nullptr returns to the default prompter (none
// until one is set with SetDefaultObuPrompter: then messages are not shown).
void SetObuPrompter(platform::IPrompter* prompter);
void SetDefaultObuPrompter(platform::IPrompter* prompter);
// How the browser's main window is brought to the top; nullptr: it is not.
void SetObuWindowRaiser(void (*raise)(uintptr_t window));
