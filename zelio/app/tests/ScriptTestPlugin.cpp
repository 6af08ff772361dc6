// A plug-in for the tests of scripts, graphics windows and collection-window menus: adds
// items to collection windows and views, registers the kind "user_document", exports the
// script procedures for every other kind and, for "orn-raster=" scripts, shows the figure in
// a graphics window that it closes when the script is destructed (deleting the figure and
// releasing the script then, as a figure-showing plug-in does). The test reads the record
// through ScriptPluginLog and sets the figure handling with ScriptPluginSetFigureMode.

#include "BrowserInterface.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string g_log;
uintptr_t g_context = 0;
int g_figureMode = 1; // 0: ignore figures, 1: show them
struct FigureRecord
{
    uintptr_t view = 0;
    uintptr_t script = 0;
    uintptr_t graph = 0;
    std::string path;
};
std::vector<FigureRecord> g_figures;

void Log(const std::string& line)
{
    g_log += line + "\n";
}

std::string Text(uintptr_t record)
{
    return record != 0 ? reinterpret_cast<const char*>(record) + ZEL_SCRIPT_TEXT_OFFSET : "";
}

std::string Hex(uintptr_t word)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%lx", static_cast<unsigned long>(word));
    return buffer;
}

intptr_t ItemProc(uintptr_t record, uintptr_t item, uintptr_t reason, uintptr_t, uintptr_t,
                  uintptr_t)
{
    const auto* words = reinterpret_cast<const uintptr_t*>(record);
    Log("item owner=" + Hex(words[0]) + " word=" + std::to_string(words[1]) +
        " reason=" + std::to_string(reason) + " colwin=" + Hex(ZelCollectionWindowOf(item)));
    return 0;
}

void DropFigure(std::vector<FigureRecord>::iterator figure)
{
    std::remove(figure->path.c_str());
    ZelScriptRelease(figure->view, figure->script);
    g_figures.erase(figure);
}

intptr_t GraphDestroyed(uintptr_t graph, uintptr_t, uintptr_t, uintptr_t data, uintptr_t, uintptr_t)
{
    Log("graph destroyed data=" + std::to_string(data));
    for (auto figure = g_figures.begin(); figure != g_figures.end(); ++figure)
        if (figure->graph == graph) {
            DropFigure(figure);
            break;
        }
    return 0;
}

intptr_t OnEvent(uintptr_t context, uintptr_t second, uintptr_t third, uintptr_t fourth, uintptr_t,
                 uintptr_t)
{
    ZelEnter(context);
    if (second == ZEL_EVENT_COLWIN_OPEN) {
        ZelCollectionWindowMenuAdd(third, "", 0x10000, ItemProc, 1);
        ZelCollectionWindowMenuAdd(third, "Add &User Doc", 0x10002, ItemProc, 5);
    } else if (second == ZEL_EVENT_VIEW_OPEN) {
        ZelViewMenuAdd(fourth, "Add &User Doc", 0x10002, ItemProc, 6);
    }
    return ZelLeave(context);
}

intptr_t OnGraphOpened(uintptr_t context, uintptr_t data, uintptr_t graph, uintptr_t, uintptr_t,
                       uintptr_t)
{
    ZelEnter(context);
    Log("graph opened data=" + std::to_string(data));
    ZelGraphCallbackRegister(graph, 0, GraphDestroyed, 77);
    return ZelLeave(context);
}

intptr_t UserDocConstruct(uintptr_t record, uintptr_t view, uintptr_t script, uintptr_t data,
                          uintptr_t argument)
{
    const auto* header = reinterpret_cast<const ZelScriptRecord*>(record);
    Log("userdoc " + Text(record) + " serial=" + std::to_string(header->serial) +
        " arg=" + (argument != 0 ? reinterpret_cast<const char*>(argument) : "-") +
        " data=" + std::to_string(data == g_context) +
        " window=" + std::to_string(ZelScriptWindow(record) == view));
    ZelScriptRelease(view, script);
    return 0;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) uintptr_t KBL_PLUGINinit(uintptr_t, const uintptr_t* start)
{
    g_context = start[0];
    ZelPluginStart(2);
    ZelEventRegister(g_context, ZEL_EVENT_COLWIN_OPEN, OnEvent, 0);
    ZelEventRegister(g_context, ZEL_EVENT_VIEW_OPEN, OnEvent, 0);
    ZelEventRegister(g_context, ZEL_EVENT_GRAPH_OPEN, OnGraphOpened, 99);
    Log("kind " + std::to_string(ZelScriptKindRegister(g_context, "user_document", UserDocConstruct,
                                                       nullptr, nullptr, g_context)));
    return 1;
}

__attribute__((visibility("default"))) intptr_t KBL_PLUGINdestroy(uintptr_t)
{
    while (!g_figures.empty())
        DropFigure(g_figures.begin());
    return 0;
}

__attribute__((visibility("default"))) intptr_t
PluginScriptConstructProc(uintptr_t view, uintptr_t record, uintptr_t script, uintptr_t fourth,
                          uintptr_t context)
{
    const std::string text = Text(record);
    const auto* header = reinterpret_cast<const ZelScriptRecord*>(record);
    Log("construct " + text + " line=" + std::to_string(header->line) +
        " fourth=" + std::to_string(fourth) + " context=" + std::to_string(context == g_context));
    if (g_figureMode == 1 && text.rfind("orn-raster=", 0) == 0) {
        const char* tmp = std::getenv("TMPDIR");
        FigureRecord figure{view, script, 0,
                            std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/" +
                                text.substr(text.find('=') + 1)};
        figure.graph = ZelGraphCreate(1, context, "Graphics Window", 0);
        Log("load " + std::to_string(ZelGraphLoad(figure.graph, figure.path.c_str())) + " show " +
            std::to_string(ZelGraphShow(figure.graph)));
        g_figures.push_back(figure);
    }
    return static_cast<intptr_t>(record);
}

__attribute__((visibility("default"))) intptr_t
PluginScriptRefreshProc(uintptr_t view, uintptr_t record, uintptr_t script, uintptr_t)
{
    Log("refresh " + Text(record));
    for (const FigureRecord& figure : g_figures)
        if (figure.view == view && figure.script == script)
            Log("repaint " + std::to_string(ZelGraphRefresh(0, figure.graph)));
    return 0;
}

__attribute__((visibility("default"))) intptr_t
PluginScriptDestructProc(uintptr_t view, uintptr_t record, uintptr_t script, uintptr_t)
{
    Log("destruct " + Text(record));
    for (const FigureRecord& figure : std::vector<FigureRecord>(g_figures))
        if (figure.view == view && figure.script == script)
            Log("close " + std::to_string(ZelGraphClose(figure.graph)));
    return 0;
}

__attribute__((visibility("default"))) const char* ScriptPluginLog()
{
    return g_log.c_str();
}

__attribute__((visibility("default"))) void ScriptPluginClear()
{
    g_log.clear();
}

__attribute__((visibility("default"))) void ScriptPluginSetFigureMode(int mode)
{
    g_figureMode = mode;
}
}
