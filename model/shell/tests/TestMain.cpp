// GoogleTest main for the browser's widget tests: one QApplication for the whole run, on the
// offscreen platform unless a display is asked for. The documentation browser's configuration
// is the sample collection's, and the run's sockets, window entries and full-text indexes live
// in a folder of its own, so that parallel runs never meet and the user's are never touched.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("ZELIO_CONFIG", MB_EXAMPLES_DIR "/docs/corvelle.ini", 0);
    char pattern[] = "/tmp/modelshell-tests-XXXXXX";
    const char* folder = ::mkdtemp(pattern);
    if (folder) {
        ::setenv("XDG_RUNTIME_DIR", folder, 1);
        ::setenv("XDG_CACHE_HOME", (std::string(folder) + "/cache").c_str(), 1);
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    if (folder) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    return result;
}
