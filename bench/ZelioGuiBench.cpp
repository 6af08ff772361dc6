// The browser's part of a documentation request: from a "bookquery" command (book, collection,
// query) to the hits marked in the book's "fulltext" view, with the browser running and the
// book's index built. The DDE transport is measured by ddebench.

#include "BookView.h"
#include "BrowserWindow.h"
#include "prompter/ScriptedPrompter.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// A collection of one book of about 1 MB of text in 20 files, with "impeller" every few lines.
std::string MakeCollection()
{
    std::string root = (std::filesystem::temp_directory_path() / "zeliogui-XXXXXX").string();
    if (::mkdtemp(root.data()) == nullptr)
        return {};
    for (const char* folder : {"run", "cache", "config"})
        std::filesystem::create_directories(root + "/" + folder);
    std::filesystem::permissions(root + "/run", std::filesystem::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", (root + "/run").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (root + "/cache").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    const std::string book = root + "/data/coll/books/manual";
    std::filesystem::create_directories(book);
    std::ofstream(book + "/book.ini") << "[book]\nTITLE=Pump Manual\n";
    for (int file = 0; file < 20; ++file) {
        std::ofstream out(book + "/part" + std::to_string(100 + file) + ".txt");
        for (int line = 0; line < 700; ++line) {
            out << "Line " << line << " of the pump station manual describes the casing, the "
                << "shaft seal and the bearing housing of pump P-" << (line % 300) << ".";
            if (line % 7 == 0)
                out << " The impeller is checked weekly.";
            out << "\n";
        }
    }
    std::ofstream(root + "/data/corvelle.ini")
        << "[zelio]\nDATA_DIR=.\nCOLLECTION=coll=Test Collection\n";
    ::setenv("ZELIO_CONFIG", (root + "/data/corvelle.ini").c_str(), 1);
    return root;
}

void BM_BookQueryToHitsShown(benchmark::State& state)
{
    const std::string root = MakeCollection();
    platform::ScriptedPrompter prompter;
    CBrowserWindow::Options options;
    options.serveDde = false;
    options.registerWindow = false;
    options.loadPlugins = false;
    CBrowserWindow window(prompter, options);
    window.show();
    window.Start();
    window.ShowHits("coll", "manual", "impeller"); // builds the index once
    long hits = 0;
    for (auto _ : state) {
        // A new view every time, as for a book not yet on screen.
        for (CBookView* view : window.Views())
            view->parentWidget()->close();
        QCoreApplication::processEvents();
        hits =
            window.ShowHits("coll", "manual", state.range(0) ? "impeller" : "P-101 AND impeller");
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = static_cast<double>(hits);
    std::error_code error;
    std::filesystem::remove_all(root, error);
}
BENCHMARK(BM_BookQueryToHitsShown)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
