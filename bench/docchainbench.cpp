// The whole documentation request on a collection of 20 books of 1 MB of text, with the
// browser running and the collection indexed, without the time the user spends choosing a
// book: the query library runs the query in every book of the collection (QuerySingleCol and
// the getters the model browser calls), then one DDE execute "bookquery=BOOK,COLLECTION,QUERY"
// on service "ZELIO", topic "OBU" goes to a real zelio process whose plug-in obudde opens the
// book and shows it with the hits marked before it answers. Budget: 300 ms per request.
// Also the index build of the collection (budget: 5 s).

#include "DocCollection.h"

#include "BrowserInterface.h"
#include "dde/DdeClient.h"
#include "obuzelio.h"
#include "prompter/ScriptedPrompter.h"
#include "windows/WindowRegistry.h"

#include <benchmark/benchmark.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

const char* const kCollection = "Manuals";
// What a model template makes of an instance: a tag and a word.
const char* const kQuery = "P-101 AND impeller";
constexpr int kTimeoutMs = 20000;

const CDocCollectionShape kShape{20, 10, 100 * 1024};

// The collection, its configuration with obudde, private runtime, cache and configuration
// folders in the environment (zelio inherits them), and the query library's context.
class CChainFixture
{
public:
    CChainFixture()
    {
        const auto root = m_folder.Path();
        for (const char* folder : {"run", "cache", "config"})
            std::filesystem::create_directories(root / folder);
        std::filesystem::permissions(root / "run", std::filesystem::perms::owner_all);
        ::setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        WriteDocCollection(Data(), kCollection, kShape);
        m_config = (Data() / "corvelle.ini").string();
        WriteBenchFile(m_config, std::string("[zelio]\nDATA_DIR=.\nCOLLECTION=") + kCollection +
                                     "=Pump Manuals\nPLUGINS=" + OBUDDE_PLUGIN + "\n");
        ::setenv("ZELIO_CONFIG", m_config.c_str(), 1);
        ObuzelioSetPrompter(&m_prompter);
        m_ready = CreateContextServer(m_config.c_str(), "zelio") == 1;
    }
    ~CChainFixture()
    {
        StopBrowser();
        DestroyContextServer();
        ObuzelioSetPrompter(nullptr);
    }

    std::filesystem::path Data() const { return m_folder.Path() / "data"; }
    std::filesystem::path Root() const { return m_folder.Path(); }
    bool Ready() const { return m_ready; }

    // Starts zelio unless it runs, and waits (up to the time-out) until its main window is
    // registered, as the model browser does. False when it does not come up.
    bool StartBrowser()
    {
        if (m_browser > 0)
            return true;
        char* const argv[] = {const_cast<char*>(ZELIO_PROGRAM), nullptr};
        if (::posix_spawn(&m_browser, ZELIO_PROGRAM, nullptr, nullptr, argv, environ) != 0) {
            m_browser = 0;
            return false;
        }
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            if (const auto entry = platform::FindWindowByClass("ZELWIN");
                entry && entry->pid == m_browser)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        StopBrowser();
        return false;
    }
    // The processor time the browser process has used, in milliseconds (0 when unknown).
    double BrowserCpuMs() const
    {
        std::ifstream stat("/proc/" + std::to_string(m_browser) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        // utime and stime are fields 14 and 15, counted after the command's closing bracket.
        const std::size_t bracket = text.rfind(')');
        if (m_browser <= 0 || bracket == std::string::npos)
            return 0;
        std::istringstream fields(text.substr(bracket + 2));
        std::string field;
        double ticks = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i)
            if (i >= 14)
                ticks += std::atof(field.c_str());
        return ticks * 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }
    void StopBrowser()
    {
        if (m_browser <= 0)
            return;
        ::kill(m_browser, SIGTERM);
        int status = 0;
        ::waitpid(m_browser, &status, 0);
        m_browser = 0;
    }

private:
    CBenchFolder m_folder{"docchainbench"};
    std::string m_config;
    platform::ScriptedPrompter m_prompter;
    pid_t m_browser = 0;
    bool m_ready = false;
};

CChainFixture& Fixture()
{
    static CChainFixture fixture;
    return fixture;
}

// A book with hits as the model browser's dialog offers it.
struct CChosenBook
{
    std::string collectionDir;
    std::string bookDir;
};

// The query library's part: the query in every book of the collection, then the collection
// directory and the folder name of the pick-th book with hits (counting round the books with
// hits). Answers the number of books with hits (0: none, -1: the query did not run).
int QueryCollection(int pick, CChosenBook& chosen)
{
    CQuery* query = CreateQuery();
    if (query == nullptr)
        return -1;
    int withHits = -1;
    if (QuerySingleCol(query, kCollection, kQuery, 0) > 0) {
        if (CCollectionResult* collection = GetCol(query, 0)) {
            char text[1024];
            if (GetColString(collection, 1, text, sizeof text - 1) == 1)
                chosen.collectionDir = text;
            std::vector<CBookResult*> books;
            for (int i = 0; i < GetBookCount(collection); ++i)
                if (CBookResult* book = GetBook(collection, i); GetBookHits(book) > 0)
                    books.push_back(book);
            withHits = static_cast<int>(books.size());
            if (!books.empty() &&
                GetBookString(books[pick % books.size()], 3, text, sizeof text - 1) == 1)
                chosen.bookDir = text;
        }
    }
    DestroyQuery(query);
    return withHits;
}

// The model browser's part after the dialog: one conversation, one execute.
bool SendBookQuery(const CChosenBook& book, std::string& error)
{
    platform::CDdeClient client;
    if (!client.Connect("ZELIO", "OBU", kTimeoutMs)) {
        error = client.ErrorText();
        return false;
    }
    const std::string command =
        "bookquery=" + book.bookDir + "," + book.collectionDir + "," + kQuery;
    const platform::DdeResult result = client.Execute(command.c_str(), kTimeoutMs);
    client.Disconnect();
    if (result.outcome != platform::DdeOutcome::Processed)
        error = "bookquery not processed: " + result.error;
    return result.outcome == platform::DdeOutcome::Processed;
}

// The chain per iteration. A new book every iteration (a view not yet open) while there are
// books with hits left, as for a document not yet on screen; with sameBook, always the same
// one (its view exists: the book is shown again with the hits marked anew).
void DocumentationRequest(benchmark::State& state, bool sameBook)
{
    CChainFixture& fixture = Fixture();
    CChosenBook book;
    // The index built and the browser warmed on the first book with hits, outside the timing.
    if (!fixture.Ready() || QueryCollection(0, book) <= 0 || book.bookDir.empty()) {
        state.SkipWithError("the query library found no book with hits");
        return;
    }
    if (!fixture.StartBrowser()) {
        state.SkipWithError("zelio did not start");
        return;
    }
    std::string error;
    if (!SendBookQuery(book, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    int pick = sameBook ? 0 : 1;
    int withHits = 0;
    const double browserCpuBefore = fixture.BrowserCpuMs();
    for (auto _ : state) {
        withHits = QueryCollection(pick, book);
        if (withHits <= 0 || !SendBookQuery(book, error)) {
            state.SkipWithError(error.empty() ? "no book with hits" : error.c_str());
            break;
        }
        if (!sameBook)
            ++pick;
    }
    state.counters["booksWithHits"] = withHits;
    // What the browser's side costs in processor time, apart from the load of the machine.
    state.counters["browserCpuMs"] =
        state.iterations() > 0
            ? (fixture.BrowserCpuMs() - browserCpuBefore) / static_cast<double>(state.iterations())
            : 0.0;
}

void BM_DocumentationRequestNewView(benchmark::State& state)
{
    DocumentationRequest(state, false);
}
// Fewer iterations than books with hits, so that every one opens a new view.
BENCHMARK(BM_DocumentationRequestNewView)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_DocumentationRequestBookShown(benchmark::State& state)
{
    DocumentationRequest(state, true);
}
BENCHMARK(BM_DocumentationRequestBookShown)->Unit(benchmark::kMillisecond)->Iterations(20);

// Building the full-text index of the whole collection through the browser library, as the
// browser does on the first request after the books changed: every book opened in a context
// whose cache folder is empty.
void BM_BuildCollectionIndex(benchmark::State& state)
{
    CChainFixture& fixture = Fixture();
    const std::string data = fixture.Data().string();
    const std::string savedCache = std::getenv("XDG_CACHE_HOME");
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const auto cache = fixture.Root() / ("build-cache-" + std::to_string(round++));
        std::filesystem::create_directories(cache);
        ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
        state.ResumeTiming();
        const uintptr_t context = ZelContextCreate(data.c_str(), "", "", "", 0);
        for (int b = 0; b < kShape.books && context != 0; ++b) {
            const uintptr_t book = ZelBookOpen(context, kCollection, DocBookName(b).c_str());
            if (book == 0) {
                state.SkipWithError("a book did not open");
                break;
            }
            ZelBookClose(book);
        }
        if (context == 0)
            state.SkipWithError("no context");
        ZelContextDestroy(context);
        state.PauseTiming();
        std::error_code ignored;
        std::filesystem::remove_all(cache, ignored);
        state.ResumeTiming();
    }
    ::setenv("XDG_CACHE_HOME", savedCache.c_str(), 1);
    state.SetBytesProcessed(state.iterations() * kShape.books * kShape.filesPerBook *
                            static_cast<int64_t>(kShape.bytesPerFile));
}
BENCHMARK(BM_BuildCollectionIndex)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
