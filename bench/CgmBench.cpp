// Translation of a plot of 10,000 points, written by plotutils' graph in both encodings, into
// a QPicture file (budget: 20 ms). The plots are generated once per process into a temporary
// folder that is removed at exit; without plotutils the benchmarks report an error.

#include "CgmFilter.h"
#include "CgmParser.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct CFixture
{
    fs::path dir;
    std::string binary, clearText; // paths, empty when plotutils is missing
    cgmfilter::COptionBlock* block = nullptr;
    std::unique_ptr<QGuiApplication> app;

    CFixture()
    {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "cgmbench";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);

        std::string pattern = (fs::temp_directory_path() / "cgmbench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            return;
        dir = pattern;
        ::setenv("MB_CGMFILTER_OPTIONS", (dir / "options.ini").c_str(), 1);
        block = cgmfilter::GetOptionBlock("", "BENCH");

        const fs::path data = dir / "points.txt";
        {
            std::ofstream out(data);
            for (int i = 0; i < 10000; ++i)
                out << i * 0.01 << ' ' << std::sin(i * 0.01) * 100 + (i % 7) << '\n';
        }
        const std::string b = (dir / "plot.cgm").string(), c = (dir / "plot-clear.cgm").string();
        if (std::system(("graph -T cgm < " + data.string() + " > " + b).c_str()) == 0)
            binary = b;
        if (std::system(("CGM_ENCODING=clear_text graph -T cgm < " + data.string() + " > " + c)
                            .c_str()) == 0)
            clearText = c;
    }
    ~CFixture()
    {
        cgmfilter::FreeOptionBlock(block);
        std::error_code ec;
        if (!dir.empty())
            fs::remove_all(dir, ec);
    }
};

CFixture& Fixture()
{
    static CFixture fixture;
    return fixture;
}

void Translate(benchmark::State& state, const std::string& path)
{
    CFixture& f = Fixture();
    if (path.empty()) {
        state.SkipWithError("plotutils' graph is missing");
        return;
    }
    const std::string out = (f.dir / "out.pic").string();
    for (auto _ : state) {
        cgmfilter::CTranslation t;
        std::string error;
        if (cgmfilter::Translate(path, f.block, 0, out, t, error) != cgmfilter::kOk) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(t);
    }
}

void BM_TranslatePlot10000Binary(benchmark::State& state)
{
    Translate(state, Fixture().binary);
}

void BM_TranslatePlot10000ClearText(benchmark::State& state)
{
    Translate(state, Fixture().clearText);
}

// The reader alone, for comparison.
void BM_ParsePlot10000Binary(benchmark::State& state)
{
    const std::string& path = Fixture().binary;
    if (path.empty()) {
        state.SkipWithError("plotutils' graph is missing");
        return;
    }
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (auto _ : state) {
        cgm::CMetafile m;
        std::string error;
        benchmark::DoNotOptimize(cgm::ParseCgm(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                               bytes.size(), m, error));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

} // namespace

BENCHMARK(BM_TranslatePlot10000Binary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TranslatePlot10000ClearText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParsePlot10000Binary)->Unit(benchmark::kMicrosecond);
