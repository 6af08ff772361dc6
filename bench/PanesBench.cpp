// The information side's core on a million instances: listing an element's 65 MB instance
// file into the compact store (throughput and memory against the file), sorting it, a new
// search that matches a few hundred entries, and one further Find Next. The model is
// generated once per process into a temporary folder that is removed at exit.
//
// Budgets: a new search <= 100 ms, a further Find Next <= 1 ms, the store < 2x the file.

#include "BenchFolder.h"
#include "InstanceFinder.h"
#include "InstanceStore.h"
#include "ModelContext.h"
#include "ModelDoc.h"
#include "ModelTypes.h"
#include "ProcessMemory.h"
#include "profile/ProfileReader.h"
#include "prompter/ScriptedPrompter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kLines = 1'000'000;
// Every kPlantEvery-th line carries the word that the search benchmarks look for.
constexpr int kPlantEvery = 2500;
constexpr const char* kPlanted = "Spare Kit QX-7";
constexpr const char* kSearchWord = "spare kit qx-7"; // found ignoring case

class Folder : public CBenchFolder
{
public:
    Folder() : CBenchFolder("panesbench") {}
};

std::string Printf(const char* format, auto... args)
{
    char buffer[256];
    const int n = std::snprintf(buffer, sizeof buffer, format, args...);
    return std::string(buffer, n < 0 ? 0 : static_cast<std::size_t>(n));
}

// One valve line: key, then type, size, station, pressure class, maker and material; about 65
// bytes with the line feed.
void AppendLine(std::string& out, std::mt19937& rng, int index)
{
    static const char* const kTypes[] = {"Gate valve", "Globe valve",     "Check valve",
                                         "Ball valve", "Butterfly valve", "Plug valve"};
    static const char* const kMakers[] = {"Aqualine",    "Brenner", "Tamura",
                                          "\xD6stervik", "Castell", "Nordic"};
    static const char* const kMaterials[] = {"cast iron", "bronze", "duplex", "316L", "PVC"};
    out += Printf("VLV-%07d|%s DN%u^ST-%02u^PN%u^%s^%s", index, kTypes[rng() % 6],
                  static_cast<unsigned>(rng() % 400 + 15), static_cast<unsigned>(rng() % 60),
                  static_cast<unsigned>(rng() % 40 + 6), kMakers[rng() % 6], kMaterials[rng() % 5]);
    if (index % kPlantEvery == 0)
        out += Printf("^%s", kPlanted);
    else
        out += Printf("^%04u-%03u", static_cast<unsigned>(rng() % 10000),
                      static_cast<unsigned>(rng() % 1000));
    out += '\n';
}

// The model: one element, Valves, whose instance file holds kLines lines.
struct BenchModel
{
    BenchModel()
    {
        std::mt19937 rng(5);
        std::string bytes;
        bytes.reserve(static_cast<std::size_t>(kLines) * 70);
        for (int i = 0; i < kLines; ++i)
            AppendLine(bytes, rng, i);
        fileBytes = static_cast<std::int64_t>(bytes.size());
        Write(folder.Path() / "valves.ins", bytes);
        Write(folder.Path() / "bench.mdl",
              "[MODEL]\r\nNAME=Panes Bench\r\nPAGES=Plant\r\n\r\n"
              "[DOCUMENTATION]\r\nCOLLECTION=Bench\r\nPUBLISHING ID=BENCH-3\r\n\r\n"
              "[Plant]\r\nSIZE=80,40\r\nELEMENT SIZE=20,4\r\n"
              "E1=4,4,Valves,0,valves.ins,$1,Valve catalogue,"
              "Type;Station;Pressure;Maker;Material;Serial\r\n");
        context.prompter = &prompter;
        platform::ClearProfileCache();
        opened = doc.OnOpenDocument((folder.Path() / "bench.mdl").string());
        if (opened)
            element = doc.PageAt(0)->ElementAt(0);
    }

    static void Write(const fs::path& path, const std::string& bytes)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    static BenchModel& Get()
    {
        static BenchModel model;
        return model;
    }

    Folder folder;
    std::int64_t fileBytes = 0;
    platform::ScriptedPrompter prompter;
    CModelContext context;
    CModelDoc doc{context};
    bool opened = false;
    CElement* element = nullptr;
};

BenchModel* Model(benchmark::State& state)
{
    BenchModel& model = BenchModel::Get();
    if (!model.opened || !model.element) {
        state.SkipWithError("the generated model does not open");
        return nullptr;
    }
    return &model;
}

// A store filled once for the search benchmarks.
const CInstanceStore& FilledStore(BenchModel& model)
{
    static CInstanceStore store;
    if (store.Empty())
        LoadInstanceTree(model.doc, model.element, nullptr, store);
    return store;
}

class NullHost : public IFindHost
{
public:
    void SelectEntry(int listPosition) override { selected = listPosition; }
    void ShowFindStatus(int, int) override {}
    void RecordSearch(const std::string&, int hits, int) override { recordedHits = hits; }
    void PushRecentWord() override {}
    int selected = -1;
    int recordedHits = -1;
};

// (a) Listing the element: the instance file read into the store. Counters: the store's
// bytes, the resident growth at its peak during the last load, both against the file size.
void BM_LoadIntoStore(benchmark::State& state)
{
    BenchModel* model = Model(state);
    if (!model)
        return;
    CInstanceStore store;
    std::int64_t peakGrowth = -1;
    for (auto _ : state) {
        state.PauseTiming();
        store.Clear();
        const std::int64_t before = StatusBytes("VmRSS");
        const bool peakKnown = ResetPeak();
        state.ResumeTiming();

        LoadInstanceTree(model->doc, model->element, nullptr, store);

        state.PauseTiming();
        peakGrowth = peakKnown ? StatusBytes("VmHWM") - before : -1;
        state.ResumeTiming();
    }
    if (store.Count() != static_cast<std::size_t>(kLines))
        state.SkipWithError("not every line was listed");
    state.SetBytesProcessed(model->fileBytes * state.iterations());
    state.SetItemsProcessed(static_cast<std::int64_t>(kLines) * state.iterations());
    const double file = static_cast<double>(model->fileBytes);
    state.counters["file_MB"] = file / 1e6;
    state.counters["store_MB"] = static_cast<double>(store.MemoryBytes()) / 1e6;
    state.counters["store_per_file"] = static_cast<double>(store.MemoryBytes()) / file;
    state.counters["peak_rss_growth_per_file"] =
        peakGrowth < 0 ? -1.0 : static_cast<double>(peakGrowth) / file;
}
BENCHMARK(BM_LoadIntoStore)->Unit(benchmark::kMillisecond)->Iterations(5);

// AUTO SORT 1 on the million entries. Counters: the sorted store, and the resident growth
// at its peak while sorting (on top of the store), against the file size.
void BM_SortStore(benchmark::State& state)
{
    BenchModel* model = Model(state);
    if (!model)
        return;
    CInstanceStore store;
    LoadInstanceTree(model->doc, model->element, nullptr, store);
    std::int64_t peakGrowth = -1;
    for (auto _ : state) {
        state.PauseTiming();
        store.Sort(0);
        const std::int64_t before = StatusBytes("VmRSS");
        const bool peakKnown = ResetPeak();
        state.ResumeTiming();

        benchmark::DoNotOptimize(store.Sort(1));

        state.PauseTiming();
        // The largest growth seen: freed memory that the allocator keeps hides later ones.
        if (peakKnown)
            peakGrowth = std::max(peakGrowth, StatusBytes("VmHWM") - before);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(kLines) * state.iterations());
    state.counters["sorted_store_per_file"] =
        static_cast<double>(store.MemoryBytes()) / static_cast<double>(model->fileBytes);
    state.counters["peak_rss_growth_per_file"] =
        peakGrowth < 0 ? -1.0
                       : static_cast<double>(peakGrowth) / static_cast<double>(model->fileBytes);
}
BENCHMARK(BM_SortStore)->Unit(benchmark::kMillisecond);

// (b) A new search (Find Next with search continuing off) for a word in a few hundred
// entries, ignoring case; the argument 1 searches the same word in the sorted list.
void BM_NewSearch(benchmark::State& state)
{
    BenchModel* model = Model(state);
    if (!model)
        return;
    CInstanceStore store;
    LoadInstanceTree(model->doc, model->element, nullptr, store);
    store.Sort(static_cast<int>(state.range(0)));
    CInstanceFinder finder;
    NullHost host;
    platform::ScriptedPrompter prompter;
    for (auto _ : state) {
        finder.Reset();
        benchmark::DoNotOptimize(finder.FindNext(kSearchWord, store, 0, host, prompter));
    }
    if (host.recordedHits != kLines / kPlantEvery)
        state.SkipWithError("unexpected number of matches");
    state.SetBytesProcessed(static_cast<std::int64_t>(store.Arena().size()) * state.iterations());
    state.counters["matches"] = host.recordedHits;
}
BENCHMARK(BM_NewSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Harder searches over the same store: a word that occurs in every key but in no text, a
// single letter found in nearly every entry, and a word found nowhere, with the case matched.
void BM_SearchWorstCases(benchmark::State& state)
{
    BenchModel* model = Model(state);
    if (!model)
        return;
    static const char* const kWords[] = {"vlv-", "e", "no such word"};
    const char* word = kWords[state.range(0)];
    const CInstanceStore& store = FilledStore(*model);
    CInstanceFinder finder;
    std::vector<std::uint32_t> matches;
    for (auto _ : state)
        benchmark::DoNotOptimize(finder.Search(word, store, state.range(0) == 2 ? 1 : 0, matches));
    state.SetLabel(word);
    state.counters["matches"] = static_cast<double>(matches.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(store.Arena().size()) * state.iterations());
}
BENCHMARK(BM_SearchWorstCases)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// (c) One further Find Next: stepping to the next match (at the last one the scripted
// prompter answers Yes and it starts from the first again).
void BM_FindNextStep(benchmark::State& state)
{
    BenchModel* model = Model(state);
    if (!model)
        return;
    const CInstanceStore& store = FilledStore(*model);
    CInstanceFinder finder;
    NullHost host;
    platform::ScriptedPrompter prompter;
    prompter.SetDefaultAnswer(platform::Answer::Yes);
    finder.FindNext(kSearchWord, store, 0, host, prompter);
    for (auto _ : state) {
        benchmark::DoNotOptimize(finder.FindNext(kSearchWord, store, 0, host, prompter));
        if (prompter.Events().size() > 1000) {
            state.PauseTiming();
            prompter.Clear();
            state.ResumeTiming();
        }
    }
    if (!finder.Continuing())
        state.SkipWithError("the search did not continue");
}
BENCHMARK(BM_FindNextStep)->Unit(benchmark::kMicrosecond);

} // namespace
