// A plug-in for the browser's tests: registers every event, records what it receives, adds a
// view menu item, registers per-object callbacks, and serves a DDE topic "TPL" through the
// browser's hook chain. The test reads the record through TestPluginLog.

#include "BrowserInterface.h"

#include <string>

namespace {

std::string g_log;
uintptr_t g_context = 0;
uintptr_t g_record[11] = {};

void Log(const std::string& line)
{
    g_log += line + "\n";
}

intptr_t ItemProc(uintptr_t record, uintptr_t item, uintptr_t reason, uintptr_t, uintptr_t,
                  uintptr_t)
{
    const auto* words = reinterpret_cast<const uintptr_t*>(record);
    const uintptr_t colwin = ZelCollectionWindowOf(item);
    const char* dir = ZelCollectionDirectory(ZelCollectionOf(colwin));
    char name[300] = {};
    uintptr_t found = 0;
    const int named = dir != nullptr
                          ? ZelCollectionName(ZelCollectionTable(g_context), dir, name, 299, &found)
                          : -1;
    Log("item word=" + std::to_string(words[1]) + " reason=" + std::to_string(reason) +
        " viewmatches=" + std::to_string(words[0] == item) +
        " name=" + (named == 0 ? std::string(name) : std::string("?")));
    return 0;
}

intptr_t ViewDestroyed(uintptr_t, uintptr_t, uintptr_t, uintptr_t data, uintptr_t, uintptr_t)
{
    Log("view destroyed data=" + std::to_string(data));
    return 0;
}

intptr_t BookDestroyed(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    Log("book destroyed");
    return 0;
}

intptr_t OnEvent(uintptr_t context, uintptr_t event, uintptr_t third, uintptr_t fourth, uintptr_t,
                 uintptr_t)
{
    ZelEnter(context);
    switch (event) {
    case ZEL_EVENT_MENU:
        Log("menu " + std::to_string(third));
        break;
    case ZEL_EVENT_COLWIN_OPEN:
        Log(std::string("colwin ") + ZelCollectionDirectory(ZelCollectionOf(third)));
        break;
    case ZEL_EVENT_BOOK_OPEN:
        Log(std::string("book ") + ZelBookTitle(third));
        ZelBookCallbackRegister(third, 0, BookDestroyed, 0);
        break;
    case ZEL_EVENT_VIEW_OPEN:
        Log("view " + std::to_string(ZelBookView(third) == fourth));
        ZelViewMenuAdd(fourth, "", 0x60000, ItemProc, 2);
        ZelViewMenuAdd(fourth, "Test Item", 0x60002, ItemProc, 2);
        ZelViewCallbackRegister(fourth, 0, ViewDestroyed, 7);
        break;
    default:
        Log("event " + std::to_string(event));
    }
    return ZelLeave(context);
}

uintptr_t TopicText(uintptr_t topic, std::string& text)
{
    char buffer[257] = {};
    const int length = ZelDdeStringQuery(g_record[2], topic, buffer, sizeof buffer);
    text = length >= 0 ? buffer : "";
    return static_cast<uintptr_t>(length);
}

intptr_t First(uintptr_t w1, uintptr_t w2, uintptr_t topic, uintptr_t* record)
{
    std::string text;
    TopicText(topic, text);
    return text == "TPL" ? 0 : ZelDdeFirstPassOn(w1, w2, topic, record[4]);
}

intptr_t Second(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t topic, uintptr_t* record)
{
    std::string text;
    TopicText(topic, text);
    return text == "TPL" ? 0 : ZelDdeSecondPassOn(w1, w2, w3, topic, record[6]);
}

intptr_t Execute(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t topic, const char* command,
                 uintptr_t* record)
{
    std::string text;
    TopicText(topic, text);
    if (text != "TPL")
        return ZelDdeExecutePassOn(w1, w2, w3, topic, command, record[8]);
    Log(std::string("dde ") + command);
    return std::string(command) == "ping" ? 0 : -1;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) uintptr_t KBL_PLUGINinit(uintptr_t startWord,
                                                                const uintptr_t* start)
{
    g_context = start[0];
    Log("init " + std::to_string(startWord) + " start=" + std::to_string(ZelPluginStart(2)) +
        " main=" + std::to_string(ZelMainWindow(start[2]) == ZelContextWindows(start[0])[4]));
    for (int event :
         {ZEL_EVENT_MENU, ZEL_EVENT_COLWIN_OPEN, ZEL_EVENT_BOOK_OPEN, ZEL_EVENT_VIEW_OPEN})
        ZelEventRegister(g_context, event, OnEvent, 0);
    if (start[3] != 0) {
        g_record[0] = g_context;
        g_record[1] = start[3];
        g_record[2] = ZelDdeInstance(start[3]);
        const uintptr_t topic = ZelDdeStringCreate(g_record[2], "TPL");
        ZelDdeTopicAdd(start[3], topic, 0);
        ZelDdeHooksInstall(start[3], First, Second, g_record);
        ZelDdeExecuteHookInstall(start[3], Execute, g_record);
    }
    return 4242;
}

__attribute__((visibility("default"))) intptr_t KBL_PLUGINdestroy(uintptr_t instance)
{
    Log("destroy " + std::to_string(instance));
    return 0;
}

__attribute__((visibility("default"))) const char* TestPluginLog()
{
    return g_log.c_str();
}

__attribute__((visibility("default"))) void TestPluginClear()
{
    g_log.clear();
}
}
