// The plug-in module as the browser loads it: by path, through its two entry points.

#include "CraftedDocs.h"
#include "FakeBrowserHost.h"
#include "prompter/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

TEST(ObuDdeModule, LoadedStartedAndStoppedByTheBrowser)
{
    CCraftedDocs docs;
    CFakeBrowserHost host;
    // Kept mapped after dlclose, as a browser keeps its plug-ins until it ends: what the
    // module's statics hold stays reachable for the leak checker.
    void* module = dlopen(OBUDDE_MODULE, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    ASSERT_NE(module, nullptr) << dlerror();
    using Init = uintptr_t (*)(uintptr_t, const uintptr_t*);
    using Destroy = intptr_t (*)(uintptr_t);
    using SetPrompter = void (*)(platform::IPrompter*);
    auto init = reinterpret_cast<Init>(dlsym(module, "KBL_PLUGINinit"));
    auto destroy = reinterpret_cast<Destroy>(dlsym(module, "KBL_PLUGINdestroy"));
    auto setPrompter =
        reinterpret_cast<SetPrompter>(dlsym(module, "_Z17ObuDdeSetPrompterPN8platform9IPrompterE"));
    ASSERT_TRUE(init && destroy && setPrompter);
    // Nothing of the core is visible.
    EXPECT_EQ(dlsym(module, "_Z19StartDdeTopicPluginPKm"), nullptr);
    EXPECT_EQ(dlsym(module, "_Z13ObuFirstHookmmmPm"), nullptr);

    platform::ScriptedPrompter prompter;
    setPrompter(&prompter);
    const uintptr_t start[7] = {0, 0, 0, CFakeBrowserHost::ServerHandle, 0, 0, 0};
    const uintptr_t record = init(0, start);
    ASSERT_NE(record, 0u);
    CFakeDdeServer& server = host.m_server;
    EXPECT_EQ(server.m_topics, std::vector<std::string>{"OBU"});
    ASSERT_NE(server.m_execute, nullptr);
    const uintptr_t topic = server.StringCreate("OBU");
    // Without a context no book opens.
    EXPECT_EQ(server.m_execute(1, 0, 0, topic, "bookquery=p101,manuals,impeller", server.m_record),
              -1);
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{17002});
    EXPECT_EQ(destroy(record), 0);
    EXPECT_TRUE(server.m_topics.empty());
    EXPECT_EQ(destroy(0), 0);
    EXPECT_EQ(init(0, nullptr), 0u);
    setPrompter(nullptr);
    dlclose(module);
}
