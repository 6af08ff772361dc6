// Relation files of a million and ten million lines: reading speed, the memory both maps of
// a link take against the file (resident growth once read, and at its peak while reading),
// and "All Related Instances" on 100,000 instances: counting from one end of a link (the
// first request reads the relation file) and listing the related instances at the other.
//
// Budgets: reading >= 150 MB/s on a million lines; both maps <= 2x the file; counting plus
// listing <= 1 s. The files are generated once per process into a temporary folder that is
// removed at exit. Two shapes of file:
// - shared: 100,000 keys on each side, a few of them far more related than the rest (keys
//   repeat about ten times), as catalogues relate parts;
// - distinct: every key on its own line only, the worst case for memory.

#include "BenchFolder.h"
#include "InstanceLoader.h"
#include "ModelContext.h"
#include "ModelDoc.h"
#include "ModelTypes.h"
#include "ProcessMemory.h"
#include "prompter/ScriptedPrompter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kInstances = 100'000;

// One folder for the whole run.
struct BenchFolder
{
    static CBenchFolder& Get()
    {
        static CBenchFolder folder("relationbench");
        return folder;
    }
};

void WriteFile(const fs::path& path, const std::string& bytes)
{
    WriteBenchFile(path, bytes);
}

enum Shape
{
    kShared = 0,
    kDistinct = 1
};

struct RelationFile
{
    std::string name;
    std::int64_t bytes = 0;
    std::int64_t lines = 0;
};

// The relation file of that shape and length, written on first use.
const RelationFile& Relations(int shape, int lines)
{
    static std::map<std::pair<int, int>, RelationFile> files;
    RelationFile& file = files[{shape, lines}];
    if (file.lines > 0)
        return file;
    file.name = (shape == kShared ? "shared_" : "distinct_") + std::to_string(lines) + ".rel";
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(lines) * 26);
    std::mt19937 rng(11);
    char line[64];
    for (int i = 0; i < lines; ++i) {
        int n = 0;
        if (shape == kShared) {
            const unsigned pump = rng() % 8 == 0 ? rng() % 1000 : rng() % kInstances;
            const unsigned motor = rng() % 8 == 0 ? rng() % 1000 : rng() % kInstances;
            n = std::snprintf(line, sizeof line, "PMP-%06u,MTR-%06u\n", pump, motor);
        } else {
            // A permutation of the lines, so the second keys do not come in order.
            const auto other = static_cast<unsigned>((static_cast<std::uint64_t>(i) * 7919u) %
                                                     static_cast<unsigned>(lines));
            n = std::snprintf(line, sizeof line, "PMP-%08u,MTR-%08u\n", static_cast<unsigned>(i),
                              other);
        }
        bytes.append(line, static_cast<std::size_t>(n));
    }
    WriteFile(BenchFolder::Get().Path() / file.name, bytes);
    file.bytes = static_cast<std::int64_t>(bytes.size());
    file.lines = lines;
    return file;
}

// Instance files of kInstances pumps and motors (keys as in the shared relation files).
void WriteInstanceFiles()
{
    static bool written = false;
    if (written)
        return;
    std::string pumps, motors;
    char line[96];
    for (int i = 0; i < kInstances; ++i) {
        int n = std::snprintf(line, sizeof line, "PMP-%06d|ESH 65-315^STN-%02d^CS-%04d^%d\n", i,
                              i % 24 + 1, i % 2400 + 100, i % 900 + 10);
        pumps.append(line, static_cast<std::size_t>(n));
        n = std::snprintf(line, sizeof line, "MTR-%06d|IE3 160M^%d^400^1450\n", i, i % 90 + 5);
        motors.append(line, static_cast<std::size_t>(n));
    }
    WriteFile(BenchFolder::Get().Path() / "pumps.ins", pumps);
    WriteFile(BenchFolder::Get().Path() / "motors.ins", motors);
    written = true;
}

// A one-page model: Pumps USES Motors through the relation file, with a symbol counting it.
std::string WriteModel(const RelationFile& relations)
{
    WriteInstanceFiles();
    char model[640];
    std::snprintf(
        model, sizeof model,
        "[MODEL]\r\nNAME=Relation Bench\r\nPAGES=Drives\r\n\r\n"
        "[DOCUMENTATION]\r\nCOLLECTION=Bench\r\nPUBLISHING ID=BENCH-R\r\n\r\n"
        "[Drives]\r\nSIZE=80,40\r\nELEMENT SIZE=20,4\r\n"
        "E1=4,4,Pumps,0,pumps.ins,$2 AND pump,Pump catalogue,Id;Model;Station;Structure;Flow\r\n"
        "E2=44,4,Motors,0,motors.ins,$2 AND motor,Motor catalogue,Id;Frame;Power;Voltage\r\n"
        "L1=E1,E2,0,2,%s,24;6,1;20\r\n"
        "S1=34,6,0,0,2,L1;0\r\n",
        relations.name.c_str());
    const fs::path path =
        BenchFolder::Get().Path() / fs::path(relations.name).replace_extension(".mdl");
    WriteFile(path, model);
    return path.string();
}

// A document with a prompter that records what would have been shown; no status bar.
struct Session
{
    explicit Session(const RelationFile& relations)
    {
        context.prompter = &prompter;
        const std::string path = WriteModel(relations);
        if (doc.OnOpenDocument(path) && doc.PageCount() == 1) {
            doc.SetCurrentPage(0);
            pumps = doc.PageAt(0)->ElementAt(0);
            motors = doc.PageAt(0)->ElementAt(1);
            link = doc.PageAt(0)->LinkAt(0);
        }
    }
    bool Ready(benchmark::State& state) const
    {
        if (link && pumps && motors)
            return true;
        state.SkipWithError("the generated model does not open");
        return false;
    }
    void Forget()
    {
        link->maps[0].Clear();
        link->maps[1].Clear();
    }
    platform::ScriptedPrompter prompter;
    CModelContext context;
    CModelDoc doc{context};
    CElement* pumps = nullptr;
    CElement* motors = nullptr;
    CLink* link = nullptr;
};

class CountingSink : public IInstanceSink
{
public:
    bool AddInstance(CInstanceRecord&& record, CGroup*) override
    {
        ++count;
        bytes += record.key.size();
        return true;
    }
    std::int64_t count = 0;
    std::size_t bytes = 0;
};

// ---------------------------------------------------------------------------------------
// Reading

void BM_RelationRead(benchmark::State& state)
{
    const RelationFile& file = Relations(static_cast<int>(state.range(0)), 1'000'000);
    Session session(file);
    if (!session.Ready(state))
        return;
    int result = 0;
    for (auto _ : state) {
        result = session.link->LoadRelations(session.context);
        benchmark::DoNotOptimize(session.link->maps[0].KeyCount());
    }
    if (result != 1)
        state.SkipWithError("LoadRelations failed");
    state.SetBytesProcessed(file.bytes * state.iterations());
    state.SetItemsProcessed(file.lines * state.iterations());
    state.counters["keys0"] = session.link->maps[0].KeyCount();
    state.counters["keys1"] = session.link->maps[1].KeyCount();
}
BENCHMARK(BM_RelationRead)
    ->ArgName("distinct")
    ->Arg(kShared)
    ->Arg(kDistinct)
    ->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------------------
// Memory

struct MemoryFigures
{
    double seconds = 0;       // LoadRelations
    std::int64_t held = 0;    // resident growth once read
    std::int64_t peak = -1;   // resident growth at its peak while reading (-1: unknown)
    std::int64_t counted = 0; // what the maps count themselves
    int ok = 0;
};

// Reads the file in a child process, so that nothing the benchmark process did before (or
// the allocator keeps) blurs the figures, and reports its memory through a pipe.
bool MeasureInChild(const RelationFile& file, MemoryFigures& figures)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::close(pipeEnds[0]);
        MemoryFigures measured;
        Session session(file);
        if (session.link) {
            const std::int64_t before = StatusBytes("VmRSS");
            const bool peakKnown = ResetPeak();
            const auto start = std::chrono::steady_clock::now();
            measured.ok = session.link->LoadRelations(session.context);
            measured.seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            measured.held = StatusBytes("VmRSS") - before;
            measured.peak = peakKnown ? StatusBytes("VmHWM") - before : -1;
            measured.counted = static_cast<std::int64_t>(session.link->maps[0].MemoryBytes() +
                                                         session.link->maps[1].MemoryBytes());
        }
        const bool written = ::write(pipeEnds[1], &measured, sizeof measured) ==
                             static_cast<ssize_t>(sizeof measured);
        ::_exit(written ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    const bool read =
        ::read(pipeEnds[0], &figures, sizeof figures) == static_cast<ssize_t>(sizeof figures);
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return read && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_RelationMemory(benchmark::State& state)
{
    const RelationFile& file =
        Relations(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    MemoryFigures figures;
    for (auto _ : state) {
        if (!MeasureInChild(file, figures) || figures.ok != 1) {
            state.SkipWithError("the child process could not read the relation file");
            return;
        }
        state.SetIterationTime(figures.seconds);
    }
    const double bytes = static_cast<double>(file.bytes);
    state.SetBytesProcessed(file.bytes * state.iterations());
    state.counters["file_MB"] = bytes / 1e6;
    state.counters["held_per_file"] = static_cast<double>(figures.held) / bytes;
    state.counters["peak_per_file"] =
        figures.peak < 0 ? -1.0 : static_cast<double>(figures.peak) / bytes;
    state.counters["maps_per_file"] = static_cast<double>(figures.counted) / bytes;
}
BENCHMARK(BM_RelationMemory)
    ->ArgNames({"distinct", "lines"})
    ->Args({kShared, 1'000'000})
    ->Args({kDistinct, 1'000'000})
    ->Args({kShared, 10'000'000})
    ->Args({kDistinct, 10'000'000})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------------------
// All Related Instances: 100,000 pumps and motors, a million relation lines

// Counting from Pumps without a key, as the first request of a session does: the relation
// file is read, then both counters are set.
void BM_AllRelatedCount(benchmark::State& state)
{
    Session session(Relations(kShared, 1'000'000));
    if (!session.Ready(state))
        return;
    for (auto _ : state) {
        state.PauseTiming();
        session.Forget();
        state.ResumeTiming();
        session.doc.CountPageRelations(session.pumps, 0, nullptr);
    }
    const int counted = session.doc.PageAt(0)->symbols[0]->counters[0].relations;
    if (counted <= 0)
        state.SkipWithError("nothing was counted");
    state.counters["related"] = counted;
}
BENCHMARK(BM_AllRelatedCount)->Unit(benchmark::kMillisecond);

// Listing the related motors once counted (the relation maps are read).
void BM_AllRelatedList(benchmark::State& state)
{
    Session session(Relations(kShared, 1'000'000));
    if (!session.Ready(state))
        return;
    session.doc.CountPageRelations(session.pumps, 0, nullptr);
    std::int64_t listed = 0;
    for (auto _ : state) {
        CountingSink sink;
        LoadInstanceTree(session.doc, session.motors, session.link, sink, 0);
        listed = sink.count;
    }
    if (listed != session.doc.PageAt(0)->symbols[0]->counters[0].relations)
        state.SkipWithError("the listing does not match the count");
    state.counters["listed"] = static_cast<double>(listed);
}
BENCHMARK(BM_AllRelatedList)->Unit(benchmark::kMillisecond);

// The whole request from a model whose relations are not read yet (budget: 1 s).
void BM_AllRelatedFlow(benchmark::State& state)
{
    Session session(Relations(kShared, 1'000'000));
    if (!session.Ready(state))
        return;
    std::int64_t listed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        session.Forget();
        state.ResumeTiming();
        session.doc.CountPageRelations(session.pumps, 0, nullptr);
        CountingSink sink;
        LoadInstanceTree(session.doc, session.motors, session.link, sink, 0);
        listed = sink.count;
    }
    state.counters["listed"] = static_cast<double>(listed);
}
BENCHMARK(BM_AllRelatedFlow)->Unit(benchmark::kMillisecond);

// "Related Instances" of one often-related pump: counting with its key, then listing.
void BM_RelatedOfOneInstance(benchmark::State& state)
{
    Session session(Relations(kShared, 1'000'000));
    if (!session.Ready(state))
        return;
    session.link->LoadRelations(session.context);
    const std::string key = "PMP-000007";
    std::int64_t listed = 0;
    for (auto _ : state) {
        session.doc.CountPageRelations(session.pumps, 0, &key);
        CountingSink sink;
        LoadInstanceTree(session.doc, session.motors, session.link, sink, 0);
        listed = sink.count;
    }
    if (listed <= 0)
        state.SkipWithError("nothing was listed");
    state.counters["listed"] = static_cast<double>(listed);
}
BENCHMARK(BM_RelatedOfOneInstance)->Unit(benchmark::kMillisecond);

} // namespace
