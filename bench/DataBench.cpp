// Throughput of the data readers on files of realistic size: a million-line instance file, a
// million-line relation file, and a large model (50 pages of 200 elements) opened and dumped.
// The files are generated once per process into a temporary folder that is removed at exit.

#include "BenchFolder.h"
#include "InstanceLoader.h"
#include "ModelContext.h"
#include "ModelDoc.h"
#include "ModelDump.h"
#include "ModelTypes.h"
#include "profile/ProfileReader.h"
#include "prompter/ScriptedPrompter.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------
// The temporary folder and the generated files

// One folder for the whole run.
struct BenchFolder
{
    static CBenchFolder& Get()
    {
        static CBenchFolder folder("modelbench");
        return folder;
    }
};

void WriteFile(const fs::path& path, const std::string& bytes)
{
    WriteBenchFile(path, bytes);
}

std::string Format(const char* format, auto... args)
{
    char buffer[400];
    const int n = std::snprintf(buffer, sizeof buffer, format, args...);
    return std::string(buffer, n < 0 ? 0 : static_cast<std::size_t>(n));
}

template <std::size_t N>
const char* Pick(std::mt19937& rng, const char* const (&words)[N])
{
    return words[rng() % N];
}

// One instance line as a pump catalogue holds it: key, "|", then 5 to 8 values of mixed
// kinds and lengths (model names, station and structure references, numbers, dates, makers).
std::string InstanceLine(std::mt19937& rng, int index)
{
    static const char* const kModels[] = {"ESH 65-315", "NKG 150-125-250", "SPX 80", "DPM 12",
                                          "VLC 40-160", "SCD 200-400", "HZ 32",
                                          "ESH 100-250 HD"};
    static const char* const kMakers[] = {"Nordic Pump Works", "Aqualine", "Brenner & Sohn",
                                          "S\xE9verac Hydraulique", "\xD6stervik AB", "Tamura",
                                          "Castell Fluid"};
    static const char* const kMaterials[] = {"cast iron", "bronze", "duplex steel",
                                             "stainless 316", "ductile iron"};
    std::string line = Format("PMP-%06d|", index);
    line += Pick(rng, kModels);
    line += Format("^STN-%02u^CS-%04u", static_cast<unsigned>(rng() % 24 + 1),
                   static_cast<unsigned>(rng() % 2400 + 100));
    const int extra = 2 + static_cast<int>(rng() % 4); // 5..8 values in all
    for (int v = 0; v < extra; ++v) {
        switch ((v + static_cast<int>(rng() % 3)) % 5) {
        case 0: line += Format("^%u", static_cast<unsigned>(rng() % 900 + 10)); break;
        case 1: line += Format("^%u.%u", static_cast<unsigned>(rng() % 90 + 5),
                               static_cast<unsigned>(rng() % 10)); break;
        case 2: line += Format("^%04u-%05u", static_cast<unsigned>(rng() % 25 + 2000),
                               static_cast<unsigned>(rng() % 100000)); break;
        case 3: line += '^'; line += Pick(rng, kMakers); break;
        default: line += '^'; line += Pick(rng, kMaterials); break;
        }
    }
    line += '\n';
    return line;
}

struct GeneratedFile
{
    fs::path path;
    std::int64_t bytes = 0;
    std::int64_t lines = 0;
};

constexpr int kDataLines = 1'000'000;
constexpr int kKeysPerSide = 100'000;

// Writes kDataLines lines, line(rng, i) each, into the bench folder.
template <typename Line>
GeneratedFile GenerateFile(const char* name, unsigned seed, std::size_t lineBytes, Line line)
{
    GeneratedFile f;
    f.path = BenchFolder::Get().Path() / name;
    std::mt19937 rng(seed);
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(kDataLines) * lineBytes);
    for (int i = 0; i < kDataLines; ++i)
        bytes += line(rng, i);
    WriteFile(f.path, bytes);
    f.bytes = static_cast<std::int64_t>(bytes.size());
    f.lines = kDataLines;
    return f;
}

const GeneratedFile& InstanceFile()
{
    static const GeneratedFile file = GenerateFile("pumps.ins", 7, 80, InstanceLine);
    return file;
}

// Many-to-many relations between 100k pumps and 100k motors; a few pumps and motors are
// related far more often than the rest, as spares and common parts are.
const GeneratedFile& RelationFile()
{
    static const GeneratedFile file =
        GenerateFile("pump_motor.rel", 11, 22, [](std::mt19937& rng, int) {
            const unsigned pump = rng() % 8 == 0 ? rng() % 1000 : rng() % kKeysPerSide;
            const unsigned motor = rng() % 8 == 0 ? rng() % 1000 : rng() % kKeysPerSide;
            return Format("PMP-%06u,MTR-%06u\n", pump, motor);
        });
    return file;
}

// A two-element model: Pumps (the million-line instance file) USES Motors, through the
// million-line relation file.
const fs::path& SmallModel()
{
    static const fs::path path = [] {
        const fs::path dir = BenchFolder::Get().Path();
        WriteFile(dir / "motors.ins", "MTR-000001|IE3 160M^11^400^1450\n");
        const std::string model = Format(
            "[MODEL]\r\nNAME=Bench Small\r\nPAGES=Drives\r\n\r\n"
            "[DOCUMENTATION]\r\nCOLLECTION=Bench Collection\r\nPUBLISHING ID=BENCH-1\r\n\r\n"
            "[Drives]\r\nSIZE=80,40\r\nELEMENT SIZE=20,4\r\n"
            "E1=4,4,Pumps,0,%s,$2 AND pump,Pump catalogue,Id;Model;Station;Structure;A;B;C;D\r\n"
            "E2=44,4,Motors,0,motors.ins,$2 AND motor,Motor catalogue,Id;Frame;Power;Voltage\r\n"
            "L1=E1,E2,0,2,%s,24;6,1;20\r\n"
            "S1=34,6,0,0,2,L1;0\r\n",
            InstanceFile().path.filename().c_str(), RelationFile().path.filename().c_str());
        const fs::path p = dir / "small.mdl";
        WriteFile(p, model);
        return p;
    }();
    return path;
}

// The large model: 50 pages, each with 200 elements (4 of them jumps), 20 groups, 150 links
// (10 of them to elements of other pages) and 40 symbols with one to three counters. Most
// elements name one of a few instance files that exist, the others one that does not.
constexpr int kPages = 50;
constexpr int kElements = 200;
constexpr int kJumps = 4;
constexpr int kGroups = 20;
constexpr int kLinks = 150;
constexpr int kSymbols = 40;
constexpr int kInstanceFiles = 8;
constexpr int kRelationFiles = 6;

const fs::path& LargeModel()
{
    static const fs::path path = [] {
        const fs::path dir = BenchFolder::Get().Path();
        std::mt19937 rng(3);
        for (int f = 0; f < kInstanceFiles; ++f) {
            std::string bytes;
            for (int i = 0; i < 200; ++i)
                bytes += InstanceLine(rng, f * 1000 + i);
            WriteFile(dir / Format("parts_%d.ins", f), bytes);
        }
        for (int f = 0; f < kRelationFiles; ++f) {
            std::string bytes;
            for (int i = 0; i < 300; ++i)
                bytes += Format("PMP-%06u,PMP-%06u\n", static_cast<unsigned>(rng() % 8000),
                                static_cast<unsigned>(rng() % 8000));
            WriteFile(dir / Format("rel_%d.rel", f), bytes);
        }

        static const char* const kNouns[] = {"Pumps",  "Motors", "Valves",   "Starters",
                                             "Panels", "Cables", "Sensors",  "Seals",
                                             "Drives", "Boards", "Programs", "Alarms"};
        static const char* const kAdjectives[] = {"Main",  "Spare", "Backup", "Duty",
                                                  "Standby", "Inlet", "Outlet", "Auxiliary"};
        std::string model = "; generated for the benchmarks\r\n[MODEL]\r\nNAME=Bench Large\r\n";
        model += "PAGES=";
        for (int p = 1; p <= kPages; ++p)
            model += Format(p == 1 ? "Pg%02d" : ",Pg%02d", p);
        model += "\r\n\r\n[DOCUMENTATION]\r\nCOLLECTION=Bench Large Collection\r\n"
                 "PUBLISHING ID=BENCH-2\r\n\r\n[INSTANCE QUERY]\r\nPMP-000001=$2 AND spare\r\n";

        const int normal = kElements - kJumps;
        for (int p = 1; p <= kPages; ++p) {
            model += Format("\r\n[Pg%02d]\r\nSIZE=260,170\r\nELEMENT SIZE=20,4\r\nIMAGE=%d\r\n", p,
                            p % 4);
            for (int e = 1; e <= normal; ++e) {
                const int x = 4 + ((e - 1) % 10) * 25;
                const int y = 4 + ((e - 1) / 10) * 8;
                const std::string file =
                    rng() % 8 == 0 ? Format("missing_%d.ins", e % 5)
                                   : Format("parts_%u.ins", static_cast<unsigned>(rng() % kInstanceFiles));
                model += Format("E%d=%d,%d,%s %s %d,0,%s,$2 AND %s AND @1(0^3),"
                                "Generated element %d of page %d,Id;Model;Station;Structure;"
                                "Flow;Head;Maker;Serial No\r\n",
                                e, x, y, Pick(rng, kAdjectives), Pick(rng, kNouns), e,
                                file.c_str(), Pick(rng, kNouns), e, p);
            }
            for (int j = 1; j <= kJumps; ++j) {
                const int target = (p - 1 + j * 7) % kPages + 1;
                model += Format("E%d=250,%d,Jump %d,1,M%d\r\n", normal + j, 4 + j * 8, j,
                                target);
            }
            // Groups: parent 9g+1, children 9g+2 .. 9g+5.
            for (int g = 0; g < kGroups; ++g) {
                const int parent = 9 * g + 1;
                model += Format("G%d=%d;%d;5;3,0,E%d,E%d;E%d;E%d;E%d\r\n", g + 1,
                                14 + (g % 10) * 25, 8 + (g / 10) * 8, parent, parent + 1,
                                parent + 2, parent + 3, parent + 4);
            }
            for (int l = 1; l <= kLinks; ++l) {
                const int a = 1 + static_cast<int>(rng() % normal);
                int b = 1 + static_cast<int>(rng() % normal);
                if (b == a)
                    b = b % normal + 1;
                std::string second = Format("E%d", b);
                if (l % 15 == 0) // to an element of another page
                    second = Format("M%d;E%d", (p + l / 15) % kPages + 1, b);
                std::string entry = Format("L%d=E%d,%s,0,%u,rel_%u.rel,%d;%d", l, a,
                                           second.c_str(), static_cast<unsigned>(rng() % 4 + 1),
                                           static_cast<unsigned>(rng() % kRelationFiles),
                                           4 + ((a - 1) % 10) * 25, 8 + ((a - 1) / 10) * 8);
                const int segments = 2 + static_cast<int>(rng() % 3);
                for (int s = 0; s < segments; ++s)
                    entry += Format(",%u;%u", static_cast<unsigned>(1 + (rng() % 4) * 4),
                                    static_cast<unsigned>(2 + rng() % 20));
                model += entry + "\r\n";
            }
            for (int s = 1; s <= kSymbols; ++s) {
                std::string entry = Format("S%d=%u,%u,0,0,%u", s, static_cast<unsigned>(rng() % 250),
                                           static_cast<unsigned>(rng() % 160),
                                           static_cast<unsigned>(rng() % 4 + 1));
                const int counters = 1 + static_cast<int>(rng() % 3);
                for (int c = 0; c < counters; ++c)
                    entry += Format(",L%u;%u", static_cast<unsigned>(1 + rng() % kLinks),
                                    static_cast<unsigned>(rng() % 8));
                model += entry + "\r\n";
            }
        }
        const fs::path p = dir / "large.mdl";
        WriteFile(p, model);
        return p;
    }();
    return path;
}

// A document with a prompter that records what would have been shown; no status bar.
struct Session
{
    Session() { context.prompter = &prompter; }
    platform::ScriptedPrompter prompter;
    CModelContext context;
    CModelDoc doc{context};
};

bool Open(benchmark::State& state, CModelDoc& doc, const fs::path& path)
{
    if (doc.OnOpenDocument(path.string()))
        return true;
    state.SkipWithError(("cannot open " + path.string()).c_str());
    return false;
}

// Bytes and lines of one generated file, once per iteration.
void SetProcessed(benchmark::State& state, const GeneratedFile& file)
{
    state.SetBytesProcessed(file.bytes * state.iterations());
    state.SetItemsProcessed(file.lines * state.iterations());
}

// ---------------------------------------------------------------------------------------
// Sinks

// Each sink says how many records it accepted and gives what the timing loop must not let
// the compiler drop.
class VectorSink : public IInstanceSink
{
public:
    bool AddInstance(CInstanceRecord&& record, CGroup*) override
    {
        records.push_back(std::move(record));
        return true;
    }
    std::int64_t Accepted() const { return static_cast<std::int64_t>(records.size()); }
    CInstanceRecord* Observed() { return records.data(); }
    std::vector<CInstanceRecord> records;
};

class CountingSink : public IInstanceSink
{
public:
    bool AddInstance(CInstanceRecord&& record, CGroup*) override
    {
        ++count;
        bytes += record.key.size() + record.text.size();
        return true;
    }
    std::int64_t Accepted() const { return count; }
    std::size_t& Observed() { return bytes; }
    std::int64_t count = 0;
    std::size_t bytes = 0;
};

// ---------------------------------------------------------------------------------------
// Instance and relation files

// The small model opened, with its Pumps element, which reads the million-line instance file.
class InstanceLoad
{
public:
    explicit InstanceLoad(benchmark::State& state)
        : m_state(state), m_opened(Open(state, m_session.doc, SmallModel()))
    {
        if (m_opened)
            m_element = m_session.doc.PageAt(0)->ElementAt(0);
    }
    bool Opened() const { return m_opened; }

    // One whole read of the instance file into the sink.
    int Into(IInstanceSink& sink)
    {
        return LoadInstances(m_session.doc, m_element, nullptr, nullptr, 1, sink);
    }

    // After the timing loop: every line must have been accepted by the last load.
    void Finish(std::int64_t accepted)
    {
        const GeneratedFile& file = InstanceFile();
        if (accepted != file.lines)
            m_state.SkipWithError("not every generated instance line was accepted");
        SetProcessed(m_state, file);
    }

private:
    benchmark::State& m_state;
    Session m_session;
    bool m_opened = false;
    CElement* m_element = nullptr;
};

void BM_LoadInstancesIntoVector(benchmark::State& state)
{
    InstanceLoad load(state);
    if (!load.Opened())
        return;
    // One load before timing: the vector keeps its capacity, so the loop measures reading
    // and keeping the records, not the vector's first growth.
    VectorSink sink;
    load.Into(sink);
    for (auto _ : state) {
        sink.records.clear();
        benchmark::DoNotOptimize(load.Into(sink));
        benchmark::DoNotOptimize(sink.Observed());
    }
    load.Finish(sink.Accepted());
    state.counters["records"] = static_cast<double>(sink.records.size());
}
BENCHMARK(BM_LoadInstancesIntoVector)->Unit(benchmark::kMillisecond);

// A new sink for every load: for a vector, a listing built from nothing, as the first one of
// a session is (the vector grows from empty, and the records of the previous listing are
// freed inside the loop).
template <typename Sink>
void LoadIntoFreshSinks(benchmark::State& state)
{
    InstanceLoad load(state);
    if (!load.Opened())
        return;
    std::int64_t accepted = 0;
    for (auto _ : state) {
        Sink sink;
        benchmark::DoNotOptimize(load.Into(sink));
        benchmark::DoNotOptimize(sink.Observed());
        accepted = sink.Accepted();
    }
    load.Finish(accepted);
}

void BM_LoadInstancesIntoFreshVector(benchmark::State& state)
{
    LoadIntoFreshSinks<VectorSink>(state);
}
BENCHMARK(BM_LoadInstancesIntoFreshVector)->Unit(benchmark::kMillisecond);

void BM_LoadInstancesCounting(benchmark::State& state)
{
    LoadIntoFreshSinks<CountingSink>(state);
}
BENCHMARK(BM_LoadInstancesCounting)->Unit(benchmark::kMillisecond);

void BM_LoadRelations(benchmark::State& state)
{
    Session session;
    if (!Open(state, session.doc, SmallModel()))
        return;
    CLink* link = session.doc.PageAt(0)->LinkAt(0);
    int result = 0;
    for (auto _ : state) {
        result = link->LoadRelations(session.context);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(link->maps[0].KeyCount());
    }
    if (result != 1)
        state.SkipWithError("LoadRelations failed");
    SetProcessed(state, RelationFile());
    state.counters["keys0"] = link->maps[0].KeyCount();
    state.counters["keys1"] = link->maps[1].KeyCount();
}
BENCHMARK(BM_LoadRelations)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------------------
// The large model

void CheckLargeModel(benchmark::State& state, const CModelDoc& doc)
{
    if (doc.PageCount() != kPages)
        state.SkipWithError("the large model did not load every page");
    else if (static_cast<int>(doc.PageAt(kPages - 1)->links.size()) != kLinks)
        state.SkipWithError("the large model's last page lost links");
}

// The model file parsed on every open (profile cache emptied before each open).
void BM_OpenLargeModelColdCache(benchmark::State& state)
{
    const fs::path& path = LargeModel();
    Session session;
    for (auto _ : state) {
        platform::ClearProfileCache();
        benchmark::DoNotOptimize(session.doc.OnOpenDocument(path.string()));
    }
    CheckLargeModel(state, session.doc);
    state.counters["bytes"] = static_cast<double>(fs::file_size(path));
}
BENCHMARK(BM_OpenLargeModelColdCache)->Unit(benchmark::kMillisecond);

// The parsed model file comes from the profile cache; the model is still built every time.
void BM_OpenLargeModelWarmCache(benchmark::State& state)
{
    const fs::path& path = LargeModel();
    Session session;
    platform::ClearProfileCache();
    if (!Open(state, session.doc, path))
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(session.doc.OnOpenDocument(path.string()));
    CheckLargeModel(state, session.doc);
}
BENCHMARK(BM_OpenLargeModelWarmCache)->Unit(benchmark::kMillisecond);

// The dump of the large model with the relations of the first 40 relation-capable links read.
void BM_DumpLargeModel(benchmark::State& state)
{
    Session session;
    CModelDoc& doc = session.doc;
    if (!Open(state, doc, LargeModel()))
        return;
    CheckLargeModel(state, doc);
    int loaded = 0;
    for (int p = 0; p < doc.PageCount() && loaded < 40; ++p) {
        for (const auto& link : doc.PageAt(p)->links) {
            if (loaded < 40 && link->IsRelationCapable() && link->LoadRelations(session.context))
                ++loaded;
        }
    }
    std::size_t size = 0;
    for (auto _ : state) {
        std::string out;
        WriteModelDump(doc, out);
        size = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(size) * state.iterations());
    state.counters["dumpBytes"] = static_cast<double>(size);
    state.counters["linksWithRelations"] = loaded;
}
BENCHMARK(BM_DumpLargeModel)->Unit(benchmark::kMillisecond);

} // namespace
