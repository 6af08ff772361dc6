// The documentation browser's full-text side on a collection of 20 books of 1 MB of text each:
// building the indexes of the whole collection (budget: 5 s), and what the query library does
// for one documentation request with the collection indexed: open every book, run the query,
// count its hits, release, close (part of a 300 ms budget).

#include "DocCollection.h"

#include "Context.h"
#include "FullTextIndex.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const CDocCollectionShape kShape;
const int kBooks = kShape.books;
const int kFilesPerBook = kShape.filesPerBook;
const std::size_t kBytesPerFile = kShape.bytesPerFile;

struct CCollectionFixture
{
    CBenchFolder folder{"zeliobench"};
    std::filesystem::path data = folder.Path() / "data";
    std::filesystem::path cache = folder.Path() / "cache";
    CCollectionFixture() { WriteDocCollection(data, "Manuals", kShape); }
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
            auto* book = context->OpenBook("Manuals", DocBookName(b));
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
        context->CloseBook(context->OpenBook("Manuals", DocBookName(b)));
    long hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (int b = 0; b < kBooks; ++b) {
            auto* book = context->OpenBook("Manuals", DocBookName(b));
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
