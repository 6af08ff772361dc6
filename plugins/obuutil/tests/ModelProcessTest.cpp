// "Model..." end to end: the sample model opens in a real model browser started beside the
// calling program; that browser registers its window; a second "Model..." brings the window
// forward instead of starting another. Everything started is stopped at the end.

#include "LauncherTestSupport.h"
#include "TempDir.h"
#include "windows/WindowRegistry.h"

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr const char* kCollectionName = "Pumping Station Documentation";

// The processes whose command line names something inside root: the model browsers this
// test started, and no other.
std::set<pid_t> ProcessesUsing(const std::string& root)
{
    std::set<pid_t> found;
    std::error_code error;
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream in(it->path() / "cmdline", std::ios::binary);
        const std::string line((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        if (line.find(root) != std::string::npos)
            found.insert(static_cast<pid_t>(std::stol(name)));
    }
    return found;
}

std::vector<platform::WindowEntry> ModelWindows()
{
    std::vector<platform::WindowEntry> windows;
    for (platform::WindowEntry& window : platform::EnumerateWindows())
        if (window.className == "ModelFrame")
            windows.push_back(std::move(window));
    return windows;
}

template <typename Condition> bool WaitFor(Condition condition, int seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Stops the model browsers started with models inside root.
struct StartedModels
{
    std::string root;
    ~StartedModels()
    {
        for (int signal : {SIGTERM, SIGKILL}) {
            for (pid_t pid : ProcessesUsing(root))
                ::kill(pid, signal);
            if (WaitFor([this] { return ProcessesUsing(root).empty(); }, 5))
                break;
        }
    }
};

// The sample collection: the sample model and its instance and relation files in the
// collection's folder "model".
std::string MakeSampleCollection(const TempDir& dir)
{
    const fs::path model = fs::path(dir.Path()) / "psd" / "model";
    fs::create_directories(model);
    for (const fs::directory_entry& entry : fs::directory_iterator(MB_EXAMPLES_DIR)) {
        const std::string extension = entry.path().extension().string();
        if (entry.is_regular_file() &&
            (extension == ".mdl" || extension == ".ins" || extension == ".rel"))
            fs::copy_file(entry.path(), model / entry.path().filename());
    }
    return (fs::path(dir.Path()) / "psd").string();
}

} // namespace

TEST(ModelProcess, ModelOpensTheSampleAndASecondModelRaisesIt)
{
    CLauncherModule& module = CLauncherModule::Get();
    ASSERT_NE(module.handle, nullptr) << dlerror();
    TempDir dir;
    StartedModels started{dir.Path()};
    CLauncherHost host;
    CCaptionPrompter prompter;
    module.setPrompter(&prompter);
    module.setProgramFolder(MODEL_PROGRAM_DIR);
    host.m_directory = MakeSampleCollection(dir) + "/";
    host.m_alias = kCollectionName;
    ::setenv("ZELIO_CONFIG", dir.Write("corvelle.ini", "[zelio]\nDATA_DIR=.\n").c_str(), 1);
    ASSERT_NE(module.Start(), 0u);
    ASSERT_TRUE(ModelWindows().empty());

    module.menuItemProc(0x4EC, CLauncherHost::kView, 2, 0, 0, 0);
    EXPECT_TRUE(prompter.Events().empty()) << prompter.MessageTexts().front();
    ASSERT_TRUE(WaitFor(
        [] {
            const auto windows = ModelWindows();
            return windows.size() == 1 &&
                   windows[0].title == std::string(kCollectionName) + " - Model";
        },
        60))
        << "no model browser window showing the collection";
    const std::set<pid_t> first = ProcessesUsing(dir.Path());
    EXPECT_EQ(first.size(), 1u);

    // The second choice finds that window and starts nothing.
    module.menuItemProc(0x4EC, CLauncherHost::kView, 2, 0, 0, 0);
    EXPECT_TRUE(prompter.Events().empty());
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_EQ(ProcessesUsing(dir.Path()), first);
    EXPECT_EQ(ModelWindows().size(), 1u);

    module.destroy(0);
    module.setPrompter(nullptr);
    module.setProgramFolder(nullptr);
    ::unsetenv("ZELIO_CONFIG");
}
