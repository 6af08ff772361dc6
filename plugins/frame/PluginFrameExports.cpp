// The C exports of a plug-in built on CPluginFrame. Each plug-in compiles this file in (see
// plugin_frame_exports in CMakeLists.txt), so the exports leave that plug-in's module and reach
// that module's plug-in object.

#include "PluginFrameExports.h"

#include "BrowserInterface.h"
#include "PluginFrame.h"

namespace plugins {

// The exports' way to the plug-in's operations.
struct CPluginFrameAccess
{
    static intptr_t Run(void (*call)(CPluginFrame&, const uintptr_t*), const uintptr_t* words)
    {
        CPluginFrame* plugin = CPluginFrame::Instance();
        if (plugin == nullptr)
            return 0;
        return plugin->Dispatch([plugin, call, words] { call(*plugin, words); });
    }

    static void MenuCommand(CPluginFrame& p, const uintptr_t* w) { p.OnMenuCommand(w[2]); }
    static void ColwinOpened(CPluginFrame& p, const uintptr_t* w)
    {
        p.OnCollectionWindowOpened(w[2]);
    }
    static void BookOpened(CPluginFrame& p, const uintptr_t* w)
    {
        p.OnBookOpened(w[2]);
        ZelBookCallbackRegister(w[2], 0, &PluginBookDestroyCallback, 0);
    }
    static void BookDestroyed(CPluginFrame& p, const uintptr_t* w) { p.OnBookDestroyed(w[0]); }
    static void ViewOpened(CPluginFrame& p, const uintptr_t* w)
    {
        p.OnViewOpened(w[2], w[3]);
        ZelViewCallbackRegister(w[3], 1, &PluginKblViewScrollCallback, 0);
        ZelViewCallbackRegister(w[3], 0, &PluginViewDestroyCallback, 0);
    }
    static void ViewDestroyed(CPluginFrame& p, const uintptr_t* w) { p.OnViewDestroyed(w[0]); }
    static void ViewScrolled(CPluginFrame& p, const uintptr_t* w)
    {
        p.OnViewScrolled(w[0], w[2], w[3]);
    }
    static void GraphOpened(CPluginFrame& p, const uintptr_t* w)
    {
        p.OnGraphOpened(w[2]);
        ZelGraphCallbackRegister(w[2], 0, &PluginGraphDestroyCallback, w[1]);
    }
    static void GraphDestroyed(CPluginFrame& p, const uintptr_t* w) { p.OnGraphDestroyed(w[0]); }
    static void ScriptConstructed(CPluginFrame& p, const uintptr_t* w)
    {
        p.OnScriptConstructed(ScriptRecordText(w[1]), w[4], w[0], w[2], w[3], w[1]);
    }
    static void ScriptRefreshed(CPluginFrame& p, const uintptr_t* w)
    {
        p.OnScriptRefreshed(ScriptRecordText(w[1]), w[0], w[2], w[3], w[1]);
    }
    static void ScriptDestroyed(CPluginFrame& p, const uintptr_t* w)
    {
        p.OnScriptDestroyed(ScriptRecordText(w[1]), w[0], w[2], w[3], w[1]);
    }
    static void MenuItemChosen(CPluginFrame& p, const uintptr_t* w)
    {
        p.OnMenuItemChosen(MenuItemChoice{w[1], w[2]});
    }
    static uintptr_t Start(uintptr_t word, const uintptr_t* record)
    {
        CPluginFrame* plugin = CPluginFrame::Instance();
        return plugin != nullptr ? plugin->Start(word, record) : 0;
    }
    static intptr_t Stop()
    {
        CPluginFrame* plugin = CPluginFrame::Instance();
        return plugin != nullptr ? plugin->Stop() : 0;
    }
};

} // namespace plugins

using plugins::CPluginFrameAccess;

#define PLUGIN_WORDS(...) const uintptr_t words[6] = {__VA_ARGS__}

uintptr_t KBL_PLUGINinit(uintptr_t startWord, const uintptr_t* startRecord)
{
    return CPluginFrameAccess::Start(startWord, startRecord);
}

intptr_t KBL_PLUGINdestroy(uintptr_t)
{
    return CPluginFrameAccess::Stop();
}

uintptr_t OnAutoCreateThread(uintptr_t plugin)
{
    return plugin != 0 ? static_cast<uintptr_t>(
                             reinterpret_cast<plugins::CPluginFrame*>(plugin)->RunWatch())
                       : 0;
}

intptr_t PluginMenuCallback(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t w4, uintptr_t w5,
                            uintptr_t w6)
{
    PLUGIN_WORDS(w1, w2, w3, w4, w5, w6);
    return CPluginFrameAccess::Run(&CPluginFrameAccess::MenuCommand, words);
}

intptr_t PluginApplicationColwinOpenCallback(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t w4,
                                             uintptr_t w5, uintptr_t w6)
{
    PLUGIN_WORDS(w1, w2, w3, w4, w5, w6);
    return CPluginFrameAccess::Run(&CPluginFrameAccess::ColwinOpened, words);
}

intptr_t PluginApplicationBookOpenCallback(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t w4,
                                           uintptr_t w5, uintptr_t w6)
{
    PLUGIN_WORDS(w1, w2, w3, w4, w5, w6);
    return CPluginFrameAccess::Run(&CPluginFrameAccess::BookOpened, words);
}

intptr_t PluginBookDestroyCallback(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t w4,
                                   uintptr_t w5, uintptr_t w6)
{
    PLUGIN_WORDS(w1, w2, w3, w4, w5, w6);
    return CPluginFrameAccess::Run(&CPluginFrameAccess::BookDestroyed, words);
}

intptr_t PluginApplicationViewOpenCallback(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t w4,
                                           uintptr_t w5, uintptr_t w6)
{
    PLUGIN_WORDS(w1, w2, w3, w4, w5, w6);
    return CPluginFrameAccess::Run(&CPluginFrameAccess::ViewOpened, words);
}

intptr_t PluginViewDestroyCallback(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t w4,
                                   uintptr_t w5, uintptr_t w6)
{
    PLUGIN_WORDS(w1, w2, w3, w4, w5, w6);
    return CPluginFrameAccess::Run(&CPluginFrameAccess::ViewDestroyed, words);
}

intptr_t PluginKblViewScrollCallback(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t w4,
                                     uintptr_t w5, uintptr_t w6)
{
    PLUGIN_WORDS(w1, w2, w3, w4, w5, w6);
    return CPluginFrameAccess::Run(&CPluginFrameAccess::ViewScrolled, words);
}

intptr_t PluginApplicationGraphOpenCallback(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t w4,
                                            uintptr_t w5, uintptr_t w6)
{
    PLUGIN_WORDS(w1, w2, w3, w4, w5, w6);
    return CPluginFrameAccess::Run(&CPluginFrameAccess::GraphOpened, words);
}

intptr_t PluginGraphDestroyCallback(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t w4,
                                    uintptr_t w5, uintptr_t w6)
{
    PLUGIN_WORDS(w1, w2, w3, w4, w5, w6);
    return CPluginFrameAccess::Run(&CPluginFrameAccess::GraphDestroyed, words);
}

intptr_t PluginScriptConstructProc(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t w4,
                                   uintptr_t w5)
{
    PLUGIN_WORDS(w1, w2, w3, w4, w5, 0);
    CPluginFrameAccess::Run(&CPluginFrameAccess::ScriptConstructed, words);
    return static_cast<intptr_t>(w2);
}

intptr_t PluginScriptRefreshProc(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t w4)
{
    PLUGIN_WORDS(w1, w2, w3, w4, 0, 0);
    return CPluginFrameAccess::Run(&CPluginFrameAccess::ScriptRefreshed, words);
}

intptr_t PluginScriptDestructProc(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t w4)
{
    PLUGIN_WORDS(w1, w2, w3, w4, 0, 0);
    return CPluginFrameAccess::Run(&CPluginFrameAccess::ScriptDestroyed, words);
}

#ifndef PLUGIN_FRAME_NO_MENU_ITEM_PROC
intptr_t PluginMenuItemProc(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t w4, uintptr_t w5,
                            uintptr_t w6)
{
    PLUGIN_WORDS(w1, w2, w3, w4, w5, w6);
    return CPluginFrameAccess::Run(&CPluginFrameAccess::MenuItemChosen, words);
}
#endif
