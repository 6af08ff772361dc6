// The information side's widgets on a million instances, as the browser shows them: a real
// Items tab (instance pane over the property list) and History tab in a shown window, drawn
// off screen when there is no display. The model is generated once per process into a
// temporary folder that is removed at exit.
//
// Measured, with the budgets:
// - an element of 1,000,000 instances (a 65 MB file) from the listing hint to the painted list
//   <= 1 s, the peak resident growth of the listing <= 2x the instance file;
// - selecting entry 500,000, a Page Down and a page scrolled: without delay (ms);
// - a new search through the instance pane <= 100 ms, each further Find Next <= 1 ms;
// - restoring a 50-step history chain <= 1 s beyond the listings it runs: through the history
//   alone to a recording view, and through the real views with a small instance file.
//
// Iteration times are measured by hand (what is between two clock reads is what is timed);
// the counters split them into the update call and the paint the event loop does after it,
// and give the main thread's processor time (cpu_ms), which still says what the work costs
// when other processes share the machine.

#include "BenchFolder.h"
#include "ColListView.h"
#include "FrameRequests.h"
#include "History.h"
#include "HistoryView.h"
#include "InstanceList.h"
#include "InstanceView.h"
#include "ModelContext.h"
#include "ModelDoc.h"
#include "ModelListView.h"
#include "ModelTypes.h"
#include "PagePainter.h"
#include "ProcessMemory.h"
#include "RestoreDialogs.h"
#include "ShellContext.h"
#include "profile/ProfileReader.h"
#include "prompter/ScriptedPrompter.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kLines = 1'000'000;
constexpr int kPlantEvery = 2500; // every 2500th valve carries the searched word
constexpr const char* kPlanted = "Spare Kit QX-7";
constexpr const char* kSearchWord = "spare kit qx-7"; // found ignoring case
constexpr int kSmallLines = 300;                      // the pumps of the restore benchmarks
constexpr int kChainSteps = 50;

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A moment on the wall clock and on the main thread's processor clock. The machine may be
// shared: the processor time says what the work costs whatever else runs beside it.
struct Moment
{
    Clock::time_point wall = Clock::now();
    double cpu = ThreadCpuSeconds();
};

// Wall and processor seconds summed over pairs of moments.
struct Spent
{
    double wall = 0;
    double cpu = 0;
    void Add(const Moment& from, const Moment& to)
    {
        wall += Seconds(from.wall, to.wall);
        cpu += to.cpu - from.cpu;
    }
    // Milliseconds per iteration.
    double WallMs(const benchmark::State& state) const { return PerIteration(state, wall); }
    double CpuMs(const benchmark::State& state) const { return PerIteration(state, cpu); }
    static double PerIteration(const benchmark::State& state, double seconds)
    {
        return state.iterations() > 0 ? seconds / static_cast<double>(state.iterations()) * 1e3
                                      : 0.0;
    }
};

std::string Printf(const char* format, auto... args)
{
    char buffer[256];
    const int n = std::snprintf(buffer, sizeof buffer, format, args...);
    return std::string(buffer, n < 0 ? 0 : static_cast<std::size_t>(n));
}

// Lets the event loop do what is pending: delayed item layouts, posted updates and paints.
void Flush()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// ---------------------------------------------------------------------------------------
// The generated model

class Folder : public CBenchFolder
{
public:
    Folder() : CBenchFolder("panesguibench") {}
};

void WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A valve catalogue of kLines lines of about 65 bytes: key, then type and size, station,
// pressure class, maker, material and a serial number (or the planted word).
std::string ValveFile()
{
    static const char* const kTypes[] = {"Gate valve", "Globe valve",     "Check valve",
                                         "Ball valve", "Butterfly valve", "Plug valve"};
    static const char* const kMakers[] = {"Aqualine",    "Brenner", "Tamura",
                                          "\xD6stervik", "Castell", "Nordic"};
    static const char* const kMaterials[] = {"cast iron", "bronze", "duplex", "316L", "PVC"};
    std::mt19937 rng(9);
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(kLines) * 70);
    for (int i = 0; i < kLines; ++i) {
        bytes += Printf("VLV-%07d|%s DN%u^ST-%02u^PN%u^%s^%s^", i, kTypes[rng() % 6],
                        static_cast<unsigned>(rng() % 400 + 15), static_cast<unsigned>(rng() % 60),
                        static_cast<unsigned>(rng() % 40 + 6), kMakers[rng() % 6],
                        kMaterials[rng() % 5]);
        bytes += i % kPlantEvery == 0 ? std::string(kPlanted)
                                      : Printf("%04u-%03u", static_cast<unsigned>(rng() % 10000),
                                               static_cast<unsigned>(rng() % 1000));
        bytes += '\n';
    }
    return bytes;
}

// Pumps for the restore benchmarks: 300 lines, stations ST-00 to ST-29.
std::string PumpFile()
{
    std::string bytes;
    for (int i = 0; i < kSmallLines; ++i)
        bytes += Printf("PMP-%04d|Pump %d^ST-%02d^%d kW\n", i, i, i % 30, 5 + i % 90);
    return bytes;
}

// What the main window does for the panes: a find box, and nothing for the rest.
class BenchFrame : public IFrameRequests
{
public:
    BenchFrame() : m_findBox(new QComboBox) { m_findBox->setEditable(true); }

    void ShowContextMenu(QWidget*, const QPoint&) override {}
    void ViewActivated(QWidget*) override {}
    bool IsActiveView(const QWidget*) const override { return false; }
    int PaneMode() const override { return 0; }
    void ChoosePaneMode(int) override {}
    void OpenSettings(int, bool) override {}
    bool ModelWithPathOpen() const override { return true; }
    void ShowPageOfElement(const CElement*) override {}
    void ActivateInformationSide() override {}
    void ActivateModelSide() override {}
    void ShowFindStatus(int current, int count) override
    {
        findCurrent = current;
        findCount = count;
    }
    void PushRecentFindWord() override {}
    QWidget* FindBoxWidget() const override { return m_findBox.get(); }
    void CommandStateChanged() override {}

    QComboBox& FindBox() { return *m_findBox; }
    int findCurrent = 0;
    int findCount = 0;

private:
    std::unique_ptr<QComboBox> m_findBox;
};

// The model pane's part: opening an element sends the listing hint and records the event;
// the history's element records are opened again the same way, timed as listings.
class BenchModelPane : public IModelView
{
public:
    explicit BenchModelPane(CShellContext& shell) : m_shell(shell)
    {
        m_shell.document->AddView(this);
    }
    ~BenchModelPane() override { m_shell.document->RemoveView(this); }

    int Open(CElement* element)
    {
        CUpdateHint hint;
        hint.Set(CUpdateHint::KindInformation, CUpdateHint::CodeListElement, element);
        m_shell.document->UpdateAllViews(this, hint);
        if (m_shell.history)
            m_shell.history->RecordEvent(this, element);
        return hint.result;
    }

    void OnUpdate(IModelView* /*sender*/, CUpdateHint& hint) override
    {
        if (hint.kind != CUpdateHint::KindModelPane || hint.code != CUpdateHint::CodeRestoreElement)
            return;
        CHistoryAction* action = hint.Action();
        if (!action || action->view != this)
            return;
        const Moment start;
        Open(action->element);
        listing.Add(start, Moment());
        ++listings;
    }

    Spent listing; // the listings of restored element records
    int listings = 0;

private:
    CShellContext& m_shell;
};

// Counts paint events of a widget.
class PaintCounter : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
    int paints = 0;
};

// The model (Valves: a million instances; Pumps: 300; Seals: one), opened, with the Items and
// History tabs in a shown window.
class GuiBench
{
public:
    GuiBench()
    {
        const std::string valves = ValveFile();
        fileBytes = static_cast<std::int64_t>(valves.size());
        WriteFile(folder.Path() / "valves.ins", valves);
        WriteFile(folder.Path() / "pumps.ins", PumpFile());
        WriteFile(folder.Path() / "seals.ins", "SL-1|Lip seal^ST-01\n");
        WriteFile(folder.Path() / "bench.mdl",
                  "[MODEL]\r\nNAME=Panes Gui Bench\r\nPAGES=Plant\r\n\r\n"
                  "[DOCUMENTATION]\r\nCOLLECTION=Bench\r\nPUBLISHING ID=BENCH-4\r\n\r\n"
                  "[Plant]\r\nSIZE=90,40\r\nELEMENT SIZE=20,4\r\n"
                  "E1=4,4,Valves,0,valves.ins,$1,Valve catalogue,"
                  "Type;Station;Pressure;Maker;Material;Serial\r\n"
                  "E2=34,4,Pumps,0,pumps.ins,$1,Pump catalogue,Name;Station;Power\r\n"
                  "E3=64,4,Seals,0,seals.ins,$1,Seal catalogue,Type;Station\r\n");
        context.prompter = &prompter;
        // Find Next at the last match starts again from the first.
        prompter.SetDefaultAnswer(platform::Answer::Yes);
        platform::ClearProfileCache();
        if (!doc.OnOpenDocument((folder.Path() / "bench.mdl").string()) || !doc.PageAt(0))
            return;
        valvesElement = doc.PageAt(0)->ElementAt(0);
        pumpsElement = doc.PageAt(0)->ElementAt(1);
        sealsElement = doc.PageAt(0)->ElementAt(2);

        AddDefaultColors(colors);
        shell.model = &context;
        shell.document = &doc;
        shell.colors = &colors;
        shell.frame = &frame;
        CFontRecord ui;
        ui.weight = 400;
        shell.normalFont = FontFromRecord(ui);
        ui.weight = 700;
        shell.boldFont = FontFromRecord(ui);
        shell.showDocumentation = [](const CInstanceRecord&) {};

        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        layout->setContentsMargins(0, 0, 0, 0);
        tabs = new QTabWidget;
        layout->addWidget(tabs);
        items = new CModelListView(shell);
        tabs->addTab(items, QStringLiteral("Items"));
        history = new CHistoryView(context, doc);
        tabs->addTab(history, QStringLiteral("History"));
        shell.history = &history->History();
        pane = std::make_unique<BenchModelPane>(shell);
        window->resize(480, 760);
        window->show();
        for (int i = 0; i < 200 && !(window->windowHandle() && window->windowHandle()->isExposed());
             ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        List()->viewport()->installEventFilter(&viewportPaints);
        Flush();
        ready = valvesElement && pumpsElement && sealsElement;
    }

    ~GuiBench()
    {
        pane.reset();
        window.reset();
    }

    CInstanceView& View() const { return *items->InstanceView(); }
    CInstanceList* List() const { return View().List(); }

    // Lists the valves with the given AUTO SORT unless they are listed so already.
    bool ListValves(int autoSort)
    {
        if (View().CurrentElement() != valvesElement || context.switches.autoSort != autoSort ||
            View().Store().Count() != static_cast<std::size_t>(kLines)) {
            context.switches.autoSort = autoSort;
            pane->Open(valvesElement);
            Flush();
        }
        return View().Store().Count() == static_cast<std::size_t>(kLines);
    }

    // Makes the next Find Next a new search for the word, as typing it into the find box does.
    void TypeFindWord(const char* word)
    {
        frame.FindBox().setEditText(QString());
        frame.FindBox().setEditText(QString::fromUtf8(word));
    }

    Folder folder;
    std::int64_t fileBytes = 0;
    platform::ScriptedPrompter prompter;
    CModelContext context;
    CModelDoc doc{context};
    CColorTable colors;
    BenchFrame frame;
    CShellContext shell;
    CElement* valvesElement = nullptr;
    CElement* pumpsElement = nullptr;
    CElement* sealsElement = nullptr;
    std::unique_ptr<QWidget> window;
    QTabWidget* tabs = nullptr;
    CModelListView* items = nullptr;
    CHistoryView* history = nullptr;
    std::unique_ptr<BenchModelPane> pane;
    PaintCounter viewportPaints;
    bool ready = false;
};

std::unique_ptr<GuiBench> g_bench; // made by the first benchmark, freed before the application

GuiBench* Bench(benchmark::State& state)
{
    if (!g_bench)
        g_bench = std::make_unique<GuiBench>();
    if (!g_bench->ready) {
        state.SkipWithError("the generated model does not open");
        return nullptr;
    }
    return g_bench.get();
}

// ---------------------------------------------------------------------------------------
// Listing

// The listing hint for the million valves (argument: AUTO SORT) up to the painted list, after
// the one-line Seals element was listed. Counters: the hint alone and the paint after it, and
// the peak resident growth of the listing (the largest seen) against the instance file.
void BM_ListMillionPainted(benchmark::State& state)
{
    GuiBench* bench = Bench(state);
    if (!bench)
        return;
    Spent total, hint;
    std::int64_t peakGrowth = -1;
    bool painted = true;
    for (auto _ : state) {
        bench->context.switches.autoSort = 0;
        bench->pane->Open(bench->sealsElement);
        Flush();
        bench->context.switches.autoSort = static_cast<int>(state.range(0));
        const std::int64_t before = StatusBytes("VmRSS");
        const bool peakKnown = ResetPeak();
        const int paints = bench->viewportPaints.paints;

        const Moment start;
        const int listed = bench->pane->Open(bench->valvesElement);
        const Moment hinted;
        Flush();
        if (bench->viewportPaints.paints == paints)
            bench->List()->viewport()->repaint();
        const Moment end;

        state.SetIterationTime(Seconds(start.wall, end.wall));
        total.Add(start, end);
        hint.Add(start, hinted);
        painted = painted && bench->viewportPaints.paints > paints;
        if (peakKnown)
            peakGrowth = std::max(peakGrowth, StatusBytes("VmHWM") - before);
        if (listed != 1 || bench->View().Store().Count() != static_cast<std::size_t>(kLines)) {
            state.SkipWithError("the valves were not listed");
            return;
        }
    }
    if (!painted)
        state.SkipWithError("the list was not painted");
    const double file = static_cast<double>(bench->fileBytes);
    state.counters["cpu_ms"] = total.CpuMs(state);
    state.counters["hint_ms"] = hint.WallMs(state);
    state.counters["paint_ms"] = total.WallMs(state) - hint.WallMs(state);
    state.counters["file_MB"] = file / 1e6;
    state.counters["store_MB"] = static_cast<double>(bench->View().Store().MemoryBytes()) / 1e6;
    state.counters["peak_rss_growth_MB"] =
        peakGrowth < 0 ? -1.0 : static_cast<double>(peakGrowth) / 1e6;
    state.counters["peak_rss_growth_per_file"] =
        peakGrowth < 0 ? -1.0 : static_cast<double>(peakGrowth) / file;
}
BENCHMARK(BM_ListMillionPainted)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------------------
// Selecting and scrolling the listed million

// Selecting entry 500,000 (coming from entry 0) through the instance pane, painted.
void BM_SelectEntryFarDown(benchmark::State& state)
{
    GuiBench* bench = Bench(state);
    if (!bench || !bench->ListValves(0))
        return;
    Spent total, select;
    for (auto _ : state) {
        bench->View().SelectEntry(0);
        Flush();
        const Moment start;
        bench->View().SelectEntry(500000);
        const Moment selected;
        Flush();
        const Moment end;
        state.SetIterationTime(Seconds(start.wall, end.wall));
        total.Add(start, end);
        select.Add(start, selected);
    }
    if (bench->View().SelectedPosition() != 500000)
        state.SkipWithError("entry 500000 is not selected");
    state.counters["cpu_ms"] = total.CpuMs(state);
    state.counters["select_ms"] = select.WallMs(state);
}
BENCHMARK(BM_SelectEntryFarDown)->UseManualTime()->Unit(benchmark::kMillisecond);

// Page Down in the list (the selection moves a page, the property list follows), painted.
void BM_PageDownKey(benchmark::State& state)
{
    GuiBench* bench = Bench(state);
    if (!bench || !bench->ListValves(0))
        return;
    bench->View().SelectEntry(100000);
    Flush();
    const int from = bench->View().SelectedPosition();
    Spent total;
    for (auto _ : state) {
        const Moment start;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(bench->List(), &press);
        Flush();
        const Moment end;
        state.SetIterationTime(Seconds(start.wall, end.wall));
        total.Add(start, end);
    }
    state.counters["cpu_ms"] = total.CpuMs(state);
    if (bench->View().SelectedPosition() <= from)
        state.SkipWithError("Page Down did not move the selection");
    state.counters["rows_per_page"] = static_cast<double>(bench->View().SelectedPosition() - from) /
                                      static_cast<double>(state.iterations());
}
BENCHMARK(BM_PageDownKey)->UseManualTime()->Unit(benchmark::kMillisecond);

// A page scrolled with the scroll bar (the selection stays), painted.
void BM_ScrollPage(benchmark::State& state)
{
    GuiBench* bench = Bench(state);
    if (!bench || !bench->ListValves(0))
        return;
    QScrollBar* bar = bench->List()->verticalScrollBar();
    bar->setValue(bar->maximum() / 3);
    Flush();
    Spent total;
    for (auto _ : state) {
        const Moment start;
        bar->setValue(bar->value() + bar->pageStep());
        Flush();
        const Moment end;
        state.SetIterationTime(Seconds(start.wall, end.wall));
        total.Add(start, end);
    }
    state.counters["cpu_ms"] = total.CpuMs(state);
    state.counters["page_step"] = bar->pageStep();
}
BENCHMARK(BM_ScrollPage)->UseManualTime()->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------------------
// Find

// A new search (the word typed anew, then Find Next) over the listed million (argument: AUTO
// SORT); it selects the first of 400 matches. Counters: the Find Next call, then its paint.
void BM_FindNewSearch(benchmark::State& state)
{
    GuiBench* bench = Bench(state);
    if (!bench || !bench->ListValves(static_cast<int>(state.range(0))))
        return;
    Spent find, paint;
    for (auto _ : state) {
        bench->TypeFindWord(kSearchWord);
        bench->View().SelectEntry(kLines / 2);
        Flush();
        const Moment start;
        bench->View().FindNext();
        const Moment found;
        Flush();
        const Moment end;
        state.SetIterationTime(Seconds(start.wall, found.wall));
        find.Add(start, found);
        paint.Add(found, end);
    }
    if (bench->frame.findCount != kLines / kPlantEvery || bench->frame.findCurrent != 1)
        state.SkipWithError("unexpected number of matches");
    state.counters["matches"] = bench->frame.findCount;
    state.counters["cpu_ms"] = find.CpuMs(state);
    state.counters["paint_after_ms"] = paint.WallMs(state);
}
BENCHMARK(BM_FindNewSearch)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// A further Find Next: the next match, 2,500 entries on, selected (at the last match the
// question is answered Yes and it starts again from the first). The time is the Find Next
// call; the counter is the paint after it.
void BM_FindNextStep(benchmark::State& state)
{
    GuiBench* bench = Bench(state);
    if (!bench || !bench->ListValves(0))
        return;
    bench->TypeFindWord(kSearchWord);
    bench->View().FindNext();
    Flush();
    Spent step, paint;
    for (auto _ : state) {
        const Moment start;
        bench->View().FindNext();
        const Moment stepped;
        Flush();
        const Moment end;
        state.SetIterationTime(Seconds(start.wall, stepped.wall));
        step.Add(start, stepped);
        paint.Add(stepped, end);
        if (bench->prompter.Events().size() > 1000)
            bench->prompter.Clear();
    }
    if (!bench->View().Finder().Continuing())
        state.SkipWithError("the search did not continue");
    state.counters["cpu_us"] = step.CpuMs(state) * 1e3;
    state.counters["paint_after_ms"] = paint.WallMs(state);
}
BENCHMARK(BM_FindNextStep)->UseManualTime()->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------------------------------
// History restore

// Runs a chain without dialog: every step goes on.
class PlainRunner : public IRestoreRunner
{
public:
    bool Step(int, int, int, const std::string&, bool) override { return true; }
};

// Records every hint it is sent.
class SinkView : public IModelView
{
public:
    void OnUpdate(IModelView*, CUpdateHint& hint) override
    {
        if (hint.Action())
            ++hints;
    }
    int hints = 0;
};

// The history alone: a 50-step chain (an event, then related instances, searches, related
// instances of a counter, all related instances and documentation views in turn) restored in
// full to a recording view, in a document of its own. The time is the restore overhead.
void BM_RestoreChainHistoryOnly(benchmark::State& state)
{
    GuiBench* bench = Bench(state);
    if (!bench)
        return;
    platform::ScriptedPrompter prompter;
    CModelContext context;
    context.prompter = &prompter;
    CModelDoc doc(context);
    platform::ClearProfileCache();
    if (!doc.OnOpenDocument((bench->folder.Path() / "bench.mdl").string())) {
        state.SkipWithError("the model does not open");
        return;
    }
    CElement* pumps = doc.PageAt(0)->ElementAt(1);
    CElement* seals = doc.PageAt(0)->ElementAt(2);
    SinkView sink;
    doc.AddView(&sink);
    std::vector<CRelationCounter> counters(kChainSteps); // a counter repeated is not recorded
    CHistory history(context, doc);
    history.RecordEvent(&sink, pumps);
    for (int step = 1; step < kChainSteps; ++step) {
        const std::string key = Printf("PMP-%04d", step);
        switch (step % 5) {
        case 0: {
            CRelationSource source;
            source.key = key;
            source.text = Printf("Pump %d^ST-%02d", step, step % 30);
            source.element = pumps;
            source.index = step;
            history.RecordRelations(&sink, pumps, step, &source);
            break;
        }
        case 1:
            history.RecordSearch(&sink, Printf("ST-%02d", step), 10, 0);
            break;
        case 2:
            history.RecordRelated(&sink, &counters[step], seals, step);
            break;
        case 3:
            history.RecordRelations(&sink, pumps, -1, nullptr);
            break;
        default:
            history.RecordDocumentation(&sink, pumps, key + "|Pump");
            break;
        }
    }
    const CHistory::Chain chain = history.BuildChain(history.LastAction());
    CHistory::MarkChain(chain, 1);
    PlainRunner runner;
    Spent total;
    for (auto _ : state) {
        const Moment start;
        history.RunChain(chain, runner, nullptr);
        const Moment end;
        state.SetIterationTime(Seconds(start.wall, end.wall));
        total.Add(start, end);
    }
    state.counters["cpu_us"] = total.CpuMs(state) * 1e3;
    doc.RemoveView(&sink);
    if (static_cast<int>(chain.size()) != kChainSteps)
        state.SkipWithError("the chain is not 50 steps long");
    state.counters["steps"] = static_cast<double>(chain.size());
    state.counters["hints_per_restore"] =
        static_cast<double>(sink.hints) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RestoreChainHistoryOnly)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The real views: the 300 pumps listed, then 49 actions taken in the instance pane (related
// instances of an entry, a new search, all related instances, a documentation view, in turn),
// and the newest item restored through the History tab with its progress dialog (argument:
// restore type, 0 default, 1 complete). Counters: the restore, the listings it ran, and the
// overhead beyond them.
void BM_RestoreChainViews(benchmark::State& state)
{
    GuiBench* bench = Bench(state);
    if (!bench)
        return;
    CHistory& history = bench->history->History();
    CInstanceView& view = bench->View();
    history.Reset();
    bench->context.switches.autoSort = 0;
    if (bench->pane->Open(bench->pumpsElement) != 1) {
        state.SkipWithError("the pumps were not listed");
        return;
    }
    for (int step = 1; step < kChainSteps; ++step) {
        switch (step % 4) {
        case 0:
            view.RelatedInstances(step);
            break;
        case 1:
            bench->TypeFindWord(Printf("ST-%02d", step % 30).c_str());
            view.FindNext();
            break;
        case 2:
            view.AllRelatedInstances();
            break;
        default: {
            view.SelectEntry(step);
            const CInstanceRecord entry = view.SelectedEntry();
            bench->shell.history->RecordDocumentation(&view, entry.element,
                                                      entry.key + "|" + entry.text);
            break;
        }
        }
    }
    Flush();
    const CHistory::Chain chain = history.BuildChain(history.LastAction());
    if (static_cast<int>(chain.size()) != kChainSteps) {
        state.SkipWithError("the session did not record 50 steps");
        return;
    }
    const int restoreType = static_cast<int>(state.range(0));
    CHistoryView::SetShiftQuery([] { return false; });
    bench->context.switches.doNotShowRestoreTypeDialog = restoreType == 0 ? 1 : 0;
    CRestoreEventDialog::SetExecHook([](CRestoreEventDialog& dialog) {
        dialog.CompleteRadio()->setChecked(true);
        dialog.BeginButton()->click();
        return dialog.result();
    });
    bench->pane->listing = Spent();
    bench->pane->listings = 0;
    Spent total;
    for (auto _ : state) {
        const Moment start;
        bench->history->RestoreSelected();
        Flush();
        const Moment end;
        state.SetIterationTime(Seconds(start.wall, end.wall));
        total.Add(start, end);
    }
    const Spent& listing = bench->pane->listing;
    const int listings = bench->pane->listings;
    CRestoreEventDialog::SetExecHook(nullptr);
    CHistoryView::SetShiftQuery(nullptr);
    bench->context.switches.doNotShowRestoreTypeDialog = 1;
    if (listings != state.iterations())
        state.SkipWithError("the restore did not list the pumps once");
    int restored = 0;
    for (const CHistoryAction* record : chain)
        restored += record->disposition == CHistoryAction::DispositionRestore ? 1 : 0;
    state.counters["steps"] = static_cast<double>(chain.size());
    state.counters["steps_restored"] = restored;
    state.counters["listings_ms"] = listing.WallMs(state);
    // What the restore costs beyond the listings it ran.
    state.counters["overhead_ms"] = total.WallMs(state) - listing.WallMs(state);
    state.counters["overhead_cpu_ms"] = total.CpuMs(state) - listing.CpuMs(state);
}
BENCHMARK(BM_RestoreChainViews)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

QtMessageHandler g_defaultHandler = nullptr;

// The off-screen platform names every window feature it lacks, once per window shown; the
// report stays readable without those lines.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (g_defaultHandler)
        g_defaultHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    g_defaultHandler = qInstallMessageHandler(QuietMessages);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_bench.reset();
    return 0;
}
