// A large scanned drawing (12400 x 17540, Group 4, 27 MB one bit deep) through the graphics
// libraries. Budgets:
// - qgconvert to PBM, the whole process, against "tiffcp -c none" on the same file in the same
//   run: a ratio of at most 1.2 (counter "ratio");
// - the conversion's peak memory: at most twice the one-bit image plus 64 MB ("peak_MB"
//   against "budget_MB");
// - the graphics window opening the drawing to its first paint: at most 1.2 times the decode
//   time ("ratio");
// - a repaint of the visible area at any zoom from fit-to-window to 8:1: at most 16 ms.
// The drawing is tiled from the scanned A4 page of the shared test data (BigDrawing.h); it
// needs tiffcp. Needs Qt, so the file has its own main.

#include "BigDrawing.h"
#include "GraphicView.h"
#include "TiffImage.h"

#include <QApplication>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// The drawing, made once per run in the temporary folder and removed at exit.
struct CDrawing
{
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("graphicsbench-" + std::to_string(::getpid()));
    std::filesystem::path path = folder / "drawing.tif";
    std::string error;
    bool ready = false;

    CDrawing()
    {
        std::filesystem::create_directories(folder);
        ready = MakeBigDrawing(BigDrawingSourcePage(MB_SOURCE_DIR), path, error);
    }
    ~CDrawing()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

const CDrawing& Drawing()
{
    static const CDrawing drawing;
    return drawing;
}

// Runs a program to its end; its wall time in seconds and its peak resident bytes.
bool Run(const std::vector<std::string>& args, double& seconds, long& peak)
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child)
        return false;
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    peak = usage.ru_maxrss * 1024L;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

constexpr double kImageBytes = (kBigDrawingWidth + 7) / 8 * static_cast<double>(kBigDrawingHeight);

void BM_BigDrawingToPbm(benchmark::State& state)
{
    const CDrawing& drawing = Drawing();
    if (!drawing.ready) {
        state.SkipWithError(drawing.error.c_str());
        return;
    }
    const std::string ours = (drawing.folder / "ours.pbm").string();
    const std::string theirs = (drawing.folder / "theirs.tif").string();
    double oursTotal = 0, theirsTotal = 0;
    long peak = 0;
    for (auto _ : state) {
        double seconds = 0, tiffcpSeconds = 0;
        long oursPeak = 0, tiffcpPeak = 0;
        if (!Run({QGCONVERT_PROGRAM, drawing.path.string(), ours}, seconds, oursPeak) ||
            !Run({"tiffcp", "-c", "none", drawing.path.string(), theirs}, tiffcpSeconds,
                 tiffcpPeak)) {
            state.SkipWithError("a conversion failed");
            return;
        }
        state.SetIterationTime(seconds);
        oursTotal += seconds;
        theirsTotal += tiffcpSeconds;
        peak = std::max(peak, oursPeak);
    }
    state.counters["tiffcp_ms"] = 1000 * theirsTotal / static_cast<double>(state.iterations());
    state.counters["ratio"] = oursTotal / theirsTotal;
    state.counters["peak_MB"] = static_cast<double>(peak) / (1 << 20);
    state.counters["budget_MB"] = (2 * kImageBytes + (64 << 20)) / (1 << 20);
}
BENCHMARK(BM_BigDrawingToPbm)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// A shown graphics window with its document, the size of a large screen's window.
struct CWindow
{
    CGraphicDocument document;
    QWidget host;
    CGraphicView* view = new CGraphicView(&document, nullptr, &host);

    CWindow()
    {
        host.resize(1280, 1024);
        view->setGeometry(host.rect());
        host.show();
        for (int i = 0; i < 10 && !view->viewport()->isVisible(); ++i)
            QApplication::processEvents();
        QApplication::processEvents();
    }
};

void BM_WindowOpensTheDrawing(benchmark::State& state)
{
    const CDrawing& drawing = Drawing();
    if (!drawing.ready) {
        state.SkipWithError(drawing.error.c_str());
        return;
    }
    double openTotal = 0, decodeTotal = 0;
    for (auto _ : state) {
        // The decoder alone, reading the file and decoding it into its own image.
        const auto decodeStart = Clock::now();
        {
            qgtiff::CTiffFile file;
            qgtiff::CBilevelImage image;
            if (file.Open(drawing.path.string()) != qgtiff::TiffStatus::Ok ||
                file.Decode(image) != qgtiff::TiffStatus::Ok) {
                state.SkipWithError("the drawing does not decode");
                return;
            }
        }
        const double decode = std::chrono::duration<double>(Clock::now() - decodeStart).count();

        CWindow window;
        QApplication::processEvents();
        const auto start = Clock::now();
        window.view->Load(drawing.path.string());
        window.view->viewport()->repaint();
        const double open = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(open);
        openTotal += open;
        decodeTotal += decode;
    }
    state.counters["decode_ms"] = 1000 * decodeTotal / static_cast<double>(state.iterations());
    state.counters["ratio"] = openTotal / decodeTotal;
}
BENCHMARK(BM_WindowOpensTheDrawing)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Repaints at a zoom given in view pixels per drawing pixel (per mille; 0: fit to window),
// scrolled to the middle of the drawing.
void BM_WindowRepaint(benchmark::State& state)
{
    const CDrawing& drawing = Drawing();
    if (!drawing.ready) {
        state.SkipWithError(drawing.error.c_str());
        return;
    }
    static std::unique_ptr<CWindow> window;
    if (!window) {
        window = std::make_unique<CWindow>();
        window->view->Load(drawing.path.string());
    }
    CGraphicView& view = *window->view;
    view.ZoomReset();
    const double fit = view.PictureRect().width() / kBigDrawingWidth;
    if (state.range(0) > 0)
        view.ZoomBy(state.range(0) / 1000.0 / fit);
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum() / 2);
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
    view.viewport()->repaint(); // a first paint may fill caches
    for (auto _ : state)
        view.viewport()->repaint();
    if (!view.viewport()->isVisible())
        state.SkipWithError("the window is not shown");
    state.counters["pixels_per_pixel"] = view.PictureRect().width() / kBigDrawingWidth;
}
BENCHMARK(BM_WindowRepaint)
    ->Arg(0)
    ->Arg(100)
    ->Arg(250)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(8000)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
