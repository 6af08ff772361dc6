// GoogleTest main for the module's tests: one QApplication on the offscreen platform, and
// private runtime, configuration, cache and data folders, so that the window registry, the
// file associations and whatever a started model browser writes stay inside the run.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    char pattern[] = "/tmp/obuutil-tests-XXXXXX";
    const char* folder = ::mkdtemp(pattern);
    if (folder == nullptr)
        return 1;
    const std::string root = folder;
    for (const char* name : {"run", "config", "cache", "data", "xdg-config", "xdg-data"})
        std::filesystem::create_directories(root + "/" + name);
    std::filesystem::permissions(root + "/run", std::filesystem::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", (root + "/run").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (root + "/cache").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    // No system association for model files either: the program beside the caller is used.
    ::setenv("XDG_CONFIG_DIRS", (root + "/xdg-config").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (root + "/xdg-data").c_str(), 1);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return result;
}
