// The documentation browser's full-text side on a collection of 20 books of 1 MB of text each:
// building the indexes of the whole collection (budget: 5 s), and what the query library does
// for one documentation request with the collection indexed: open every book, run the query,
// count its hits, release, close (part of a 300 ms budget).

#include "BenchFolder.h"

#include "Context.h"
#include "FullTextIndex.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kBooks = 20;
constexpr int kFilesPerBook = 10;
constexpr std::size_t kBytesPerFile = 100 * 1024;

// Writes the collection "Manuals" under the folder: words from a technical vocabulary,
// instrument tags (P-101, KV-0005), half the files HTML with paragraphs and tables.
void WriteCollection(const std::filesystem::path& data)
{
    static const std::vector<std::string> words = {
        "pump",   "impeller", "valve",    "air",     "seal",    "bearing", "motor",  "drive",
        "shaft",  "flange",   "pressure", "flow",    "station", "control", "signal", "level",
        "sensor", "cable",    "gasket",   "housing", "inspect", "replace", "torque", "maintenance",
        "the",    "and",      "of",       "to",      "is",      "with",    "for",    "check"};
    std::mt19937 random(42);
    std::uniform_int_distribution<std::size_t> word(0, words.size() - 1);
    std::uniform_int_distribution<int> tag(1, 999);
    for (int b = 0; b < kBooks; ++b) {
        const auto folder = data / "Manuals" / "books" / ("book" + std::to_string(b));
        std::filesystem::create_directories(folder);
        WriteBenchFile(folder / "book.ini", "[book]\nTITLE=Manual " + std::to_string(b) + "\n");
        for (int f = 0; f < kFilesPerBook; ++f) {
            const bool html = f % 2 == 1;
            std::string text = html ? "<html><body><h1>Chapter</h1><p>" : "";
            int sentence = 0;
            while (text.size() < kBytesPerFile) {
                if (random() % 23 == 0) {
                    char tagText[16];
                    std::snprintf(tagText, sizeof tagText, "%s-%03d", random() % 2 ? "P" : "KV",
                                  tag(random));
                    text += tagText;
                } else {
                    text += words[word(random)];
                }
                text += ' ';
                if (++sentence % 15 == 0)
                    text += html ? ".</p>\n<p>" : ".\n";
            }
            if (html)
                text += "</p></body></html>\n";
            WriteBenchFile(folder / ("part" + std::to_string(f) + (html ? ".html" : ".txt")), text);
        }
    }
}

struct CCollectionFixture
{
    CBenchFolder folder{"zeliobench"};
    std::filesystem::path data = folder.Path() / "data";
    std::filesystem::path cache = folder.Path() / "cache";
    CCollectionFixture() { WriteCollection(data); }
};

CCollectionFixture& Collection()
{
    static CCollectionFixture fixture;
    return fixture;
}

void BM_BuildCollectionIndex(benchmark::State& state)
{
    auto& fixture = Collection();
    auto context = zelio::CContext::Create(fixture.data.string(), "", "", "");
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(fixture.cache);
        context->SetCacheFolder(fixture.cache.string());
        state.ResumeTiming();
        for (int b = 0; b < kBooks; ++b) {
            auto* book = context->OpenBook("Manuals", "book" + std::to_string(b));
            if (!book)
                state.SkipWithError("a book did not open");
            else
                context->CloseBook(book);
        }
    }
    state.SetBytesProcessed(state.iterations() * kBooks * kFilesPerBook * kBytesPerFile);
}
BENCHMARK(BM_BuildCollectionIndex)->Unit(benchmark::kMillisecond)->Iterations(2);

void QueryCollection(benchmark::State& state, const char* query)
{
    auto& fixture = Collection();
    auto context = zelio::CContext::Create(fixture.data.string(), "", "", "");
    context->SetCacheFolder(fixture.cache.string());
    // Index once, outside the timing.
    for (int b = 0; b < kBooks; ++b)
        context->CloseBook(context->OpenBook("Manuals", "book" + std::to_string(b)));
    long hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (int b = 0; b < kBooks; ++b) {
            auto* book = context->OpenBook("Manuals", "book" + std::to_string(b));
            if (!book) {
                state.SkipWithError("a book did not open");
                break;
            }
            benchmark::DoNotOptimize(book->Book().Title());
            if (auto* result = book->RunQuery(query)) {
                hits += result->Hits();
                book->ReleaseResult(result);
            }
            context->CloseBook(book);
        }
    }
    state.counters["hits"] = static_cast<double>(hits);
}

void BM_QueryCollectionAnd(benchmark::State& state)
{
    QueryCollection(state, "P-101 AND impeller");
}
BENCHMARK(BM_QueryCollectionAnd)->Unit(benchmark::kMillisecond);

void BM_QueryCollectionOrPhrase(benchmark::State& state)
{
    QueryCollection(state, "KV-0005 OR (\"air valve\" AND pump*)");
}
BENCHMARK(BM_QueryCollectionOrPhrase)->Unit(benchmark::kMillisecond);

void BM_QueryCollectionCommonWord(benchmark::State& state)
{
    QueryCollection(state, "pump");
}
BENCHMARK(BM_QueryCollectionCommonWord)->Unit(benchmark::kMillisecond);

} // namespace
