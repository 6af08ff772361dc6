#include "windows/WindowRegistry.h"
#include "DdeTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

using namespace platform;

namespace {

std::string RegistryFolder()
{
    std::string folder, error;
    WindowRegistryFolder(folder, error);
    return folder;
}

// The pid of a process that has ended (a child that exited and was reaped).
pid_t DeadPid()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

WindowEntry SampleEntry()
{
    WindowEntry entry;
    entry.className = "ZELWIN";
    entry.title = "Books \\ and\nlines\r";
    entry.visible = true;
    entry.minimised = true;
    entry.pid = 4242;
    entry.startTime = 987654321;
    entry.registered = 17;
    entry.controlSocket = "4242-1.sock";
    return entry;
}

} // namespace

TEST(WindowEntryTest, FormatAndParseRoundTrip)
{
    const WindowEntry entry = SampleEntry();
    WindowEntry parsed;
    ASSERT_TRUE(ParseWindowEntry(FormatWindowEntry(entry), parsed));
    EXPECT_EQ(parsed.className, entry.className);
    EXPECT_EQ(parsed.title, entry.title);
    EXPECT_TRUE(parsed.visible);
    EXPECT_TRUE(parsed.minimised);
    EXPECT_EQ(parsed.pid, 4242);
    EXPECT_EQ(parsed.startTime, 987654321u);
    EXPECT_EQ(parsed.registered, 17u);
    EXPECT_EQ(parsed.controlSocket, "4242-1.sock");
    // Keys of later versions are skipped.
    EXPECT_TRUE(ParseWindowEntry(FormatWindowEntry(entry) + "colour=red\n", parsed));
}

TEST(WindowEntryTest, BrokenEntriesAreRefused)
{
    const std::string good = FormatWindowEntry(SampleEntry());
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const std::string broken[] = {
        "",
        good.substr(good.find('\n') + 1),              // no first line
        replaced("class=ZELWIN\n", ""),                // no class
        replaced("class=ZELWIN", "class="),            // empty class
        replaced("pid=4242", "pid=0"),                 // no process
        replaced("pid=4242", "pid=-3"),                //
        replaced("pid=4242", "pid=99999999999"),       // beyond any pid
        replaced("socket=4242-1.sock", "socket=../x"), // leaves the folder
        replaced("socket=4242-1.sock", "socket=.hidden"),
        replaced("visible=1", "visible=yes"),
        replaced("lines", "li\\qnes"), // unknown escape
        replaced("start=987654321", "start=1x"),
        good.substr(0, good.find("socket=")), // cut before the socket
        good + "no equals sign\n",
        good + std::string(16 * 1024, 'x'), // too long
    };
    for (const std::string& text : broken) {
        WindowEntry entry;
        EXPECT_FALSE(ParseWindowEntry(text, entry)) << text;
    }
}

TEST(WindowRegistryTest, RegisterFindEnumerateAndUpdate)
{
    ScopedRuntimeDir runtime;
    CRegisteredWindow window;
    std::string error;
    ASSERT_TRUE(window.Register("ZelWin", "Zelio - Books", true, false, error)) << error;
    CRegisteredWindow other;
    ASSERT_TRUE(other.Register("ModelFrame", "model", false, false, error)) << error;

    const auto found = FindWindowByClass("ZELWIN"); // classes compare ignoring case
    ASSERT_TRUE(found);
    EXPECT_EQ(found->title, "Zelio - Books");
    EXPECT_EQ(found->pid, ::getpid());
    EXPECT_FALSE(FindWindowByClass("ZELWI")); // the whole name
    EXPECT_FALSE(FindWindowByClass("ZELWIN2"));

    auto windows = EnumerateWindows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0].className, "ZelWin"); // oldest first
    EXPECT_EQ(windows[1].title, "model");

    EXPECT_TRUE(window.Update("Zelio - Other", true, true));
    EXPECT_EQ(FindWindowByClass("zelwin")->title, "Zelio - Other");
    EXPECT_TRUE(FindWindowByClass("zelwin")->minimised);

    // The newest registration of a class is the one found.
    CRegisteredWindow newer;
    ASSERT_TRUE(newer.Register("ZELWIN", "second", true, false, error));
    EXPECT_EQ(FindWindowByClass("zelwin")->title, "second");
    newer.Unregister();
    EXPECT_EQ(FindWindowByClass("zelwin")->title, "Zelio - Other");

    // Unregistering removes the entry and the control socket.
    const std::string socket = RegistryFolder() + "/" + window.Entry().controlSocket;
    EXPECT_TRUE(std::filesystem::exists(socket));
    window.Unregister();
    EXPECT_FALSE(FindWindowByClass("zelwin"));
    EXPECT_FALSE(std::filesystem::exists(socket));
    EXPECT_FALSE(window.Update("x", true, false));
}

TEST(WindowRegistryTest, StaleEntriesAreIgnoredAndCleaned)
{
    ScopedRuntimeDir runtime;
    const std::string folder = RegistryFolder();
    ASSERT_FALSE(folder.empty());
    // A process that ended, and our own pid with another start time (a reused pid).
    WindowEntry dead = SampleEntry();
    dead.pid = DeadPid();
    dead.startTime = 0;
    dead.controlSocket = "dead.sock";
    WindowEntry reused = SampleEntry();
    reused.pid = ::getpid();
    reused.startTime = 1; // no process of ours started at tick 1
    reused.controlSocket = "reused.sock";
    std::ofstream(folder + "/dead.window") << FormatWindowEntry(dead);
    std::ofstream(folder + "/reused.window") << FormatWindowEntry(reused);
    std::ofstream(folder + "/dead.sock") << "";
    std::ofstream(folder + "/." + std::to_string(DeadPid()) + "-1.window.tmp") << "half";
    std::ofstream(folder + "/garbage.window") << "\x01\x02 not an entry";

    EXPECT_TRUE(EnumerateWindows().empty());
    EXPECT_FALSE(FindWindowByClass("ZELWIN"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/dead.window"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/dead.sock"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/reused.window"));
    // Files that are not entries are skipped, not removed.
    EXPECT_TRUE(std::filesystem::exists(folder + "/garbage.window"));
    std::size_t left = 0;
    for ([[maybe_unused]] const auto& item : std::filesystem::directory_iterator(folder))
        ++left;
    EXPECT_EQ(left, 1u);
}

TEST(WindowRegistryTest, RaiseAndRepaintThroughTheControlSocket)
{
    HangGuard guard;
    ScopedRuntimeDir runtime;
    CRegisteredWindow window;
    std::string error;
    ASSERT_TRUE(window.Register("ZELWIN", "Zelio", true, true, error)) << error;
    std::atomic<int> raised{0}, repainted{0};
    window.SetRaiseHandler([&] { ++raised; });
    window.SetRepaintHandler([&] { ++repainted; });
    const WindowEntry entry = *FindWindowByClass("ZELWIN");
    {
        LoopThread loop(window);
        loop.Start();
        EXPECT_TRUE(BringWindowToFront(entry, 1000, &error)) << error;
        EXPECT_TRUE(RepaintWindow(entry, 1000, &error)) << error;
        EXPECT_TRUE(RepaintWindow(entry, 1000, &error)) << error;
    }
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(repainted, 2);
    // A window whose program does not serve its socket any more.
    window.Unregister();
    EXPECT_FALSE(BringWindowToFront(entry, 200, &error));
    EXPECT_NE(error.find("is gone"), std::string::npos) << error;
}

TEST(WindowRegistryTest, FolderNotPrivateRefused)
{
    ScopedRuntimeDir runtime;
    const std::string folder = RegistryFolder();
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    CRegisteredWindow window;
    std::string error;
    EXPECT_FALSE(window.Register("ZELWIN", "Zelio", true, false, error));
    EXPECT_NE(error.find("not private"), std::string::npos) << error;
    EXPECT_TRUE(EnumerateWindows().empty());
    struct stat info
    {
    };
    ::stat(folder.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0755u); // never changed behind the user's back
}
