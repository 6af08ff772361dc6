#include "FullTextIndex.h"
#include "ZelioErrors.h"
#include "ZelioTestBooks.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>

using namespace zelio;

namespace {

class FullTextIndexTest : public ::testing::Test
{
protected:
    std::unique_ptr<CFullTextIndex> Open(const std::string& folder,
                                         const IndexProgressCallback& progress = {})
    {
        m_book = CBook::Open(folder);
        EXPECT_TRUE(m_book);
        return m_book ? CFullTextIndex::Open(*m_book, m_lib.CacheDir(), progress) : nullptr;
    }

    long Hits(const CFullTextIndex& index, std::string_view query, int expectedError = kErrorNone)
    {
        const CSearchOutcome outcome = index.Search(query, false);
        EXPECT_EQ(outcome.error, expectedError) << query;
        return outcome.hits;
    }

    CTestLibrary m_lib;
    std::unique_ptr<CBook> m_book;
};

// Pump text of two files: "pump" 3 times in a.txt, once in b.html (as "PUMP").
std::string PumpBook(const CTestLibrary& lib)
{
    lib.AddFile("c", "pumps", "book.ini", "[book]\nTITLE=Pumps\n");
    lib.AddFile("c", "pumps", "a.txt",
                "Pump P-101 has an impeller.\nThe pump P-102 has a seal; pump seals leak.\n");
    return lib.AddFile("c", "pumps", "b.html",
                       "<h1>Air valve</h1><p>The air valve KV-0005 sits above the PUMP.</p>"
                       "<p>Air &amp; water: DN&nbsp;150 air valve</p>");
}

} // namespace

TEST_F(FullTextIndexTest, BuildsOnceAndReusesTheStoredIndex)
{
    const std::string folder = PumpBook(m_lib);
    std::vector<CIndexProgress> steps;
    auto index = Open(folder, [&](const CIndexProgress& p) { steps.push_back(p); });
    ASSERT_TRUE(index);
    EXPECT_TRUE(index->WasBuilt());
    EXPECT_EQ(index->Path(), CFullTextIndex::IndexPath(m_lib.CacheDir(), m_book->Folder()));
    EXPECT_TRUE(std::filesystem::is_regular_file(index->Path()));
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps.back().filesDone, 2u);
    EXPECT_EQ(steps.back().filesTotal, 2u);
    EXPECT_EQ(steps.back().bytesDone, steps.back().bytesTotal);
    EXPECT_GT(steps.back().bytesTotal, 0u);
    // No temporary files are left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_lib.CacheDir()),
                            std::filesystem::directory_iterator()),
              1);

    index.reset();
    steps.clear();
    index = Open(folder, [&](const CIndexProgress& p) { steps.push_back(p); });
    ASSERT_TRUE(index);
    EXPECT_FALSE(index->WasBuilt());
    EXPECT_TRUE(steps.empty());
    EXPECT_EQ(Hits(*index, "pump"), 4);
}

TEST_F(FullTextIndexTest, RebuildsWhenTheBookChanges)
{
    const std::string folder = PumpBook(m_lib);
    ASSERT_TRUE(Open(folder));
    // A new file.
    m_lib.AddFile("c", "pumps", "c.txt", "another pump");
    auto index = Open(folder);
    ASSERT_TRUE(index);
    EXPECT_TRUE(index->WasBuilt());
    EXPECT_EQ(Hits(*index, "pump"), 5);
    // Same size, other modification time.
    m_lib.AddFile("c", "pumps", "c.txt", "another fan!");
    struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (folder + "/c.txt").c_str(), times, 0), 0);
    index = Open(folder);
    EXPECT_TRUE(index->WasBuilt());
    EXPECT_EQ(Hits(*index, "pump"), 4);
    EXPECT_EQ(Hits(*index, "fan"), 1);
    // A removed file.
    std::filesystem::remove(folder + "/a.txt");
    index = Open(folder);
    EXPECT_TRUE(index->WasBuilt());
    EXPECT_EQ(Hits(*index, "pump"), 1);
    EXPECT_EQ(Hits(*index, "impeller", kErrorNoHits), 0);
}

TEST_F(FullTextIndexTest, DamagedOrForeignIndexFilesAreRebuilt)
{
    const std::string folder = PumpBook(m_lib);
    auto index = Open(folder);
    ASSERT_TRUE(index);
    const std::string path = index->Path();
    index.reset();
    for (const std::string& bytes :
         {std::string("garbage, not a database"), std::string(), std::string(8192, '\xFF')}) {
        m_lib.Write(path.substr(m_lib.Root().size() + 1), bytes);
        index = Open(folder);
        ASSERT_TRUE(index);
        EXPECT_TRUE(index->WasBuilt());
        EXPECT_EQ(Hits(*index, "pump"), 4);
        index.reset();
    }
    // A valid database of something else.
    std::filesystem::remove(path);
    {
        auto other = CBook::Open(m_lib.AddFile("c", "other", "x.txt", "pump"));
        ASSERT_TRUE(CFullTextIndex::Open(*other, m_lib.CacheDir()));
        std::filesystem::rename(CFullTextIndex::IndexPath(m_lib.CacheDir(), other->Folder()), path);
    }
    index = Open(folder);
    EXPECT_TRUE(index->WasBuilt());
    EXPECT_EQ(Hits(*index, "pump"), 4);
}

TEST_F(FullTextIndexTest, UnwritableCacheIndexesInMemory)
{
    const std::string folder = PumpBook(m_lib);
    const std::string blocker = m_lib.Write("blocker", "a file, not a folder");
    m_book = CBook::Open(folder);
    auto index = CFullTextIndex::Open(*m_book, blocker + "/zelio");
    ASSERT_TRUE(index);
    EXPECT_TRUE(index->Path().empty());
    EXPECT_EQ(Hits(*index, "pump"), 4);
    index = CFullTextIndex::Open(*m_book, "");
    ASSERT_TRUE(index);
    EXPECT_EQ(Hits(*index, "valve"), 3);
}

TEST_F(FullTextIndexTest, QueriesCountEveryOccurrence)
{
    auto index = Open(PumpBook(m_lib));
    ASSERT_TRUE(index);
    // Case never matters; words are matched whole.
    EXPECT_EQ(Hits(*index, "PUMP"), 4);
    EXPECT_EQ(Hits(*index, "seal"), 1);
    // Prefixes.
    EXPECT_EQ(Hits(*index, "seal*"), 2);
    EXPECT_EQ(Hits(*index, "\"air val\"*"), 3);
    // Phrases and words with punctuation are phrases of their tokens.
    EXPECT_EQ(Hits(*index, "\"air valve\""), 3);
    EXPECT_EQ(Hits(*index, "P-101"), 1);
    EXPECT_EQ(Hits(*index, "kv-0005"), 1);
    EXPECT_EQ(Hits(*index, "DN 150"), 2);
    // AND within a file: a.txt has both; every occurrence of both terms counts.
    EXPECT_EQ(Hits(*index, "P-101 AND impeller"), 2);
    EXPECT_EQ(Hits(*index, "impeller AND valve", kErrorNoHits), 0);
    // OR counts the occurrences of every term in every matching file.
    EXPECT_EQ(Hits(*index, "impeller OR valve"), 4);
    EXPECT_EQ(Hits(*index, "KV-0005 OR (Air Valve AND DN 150)"), 10);
    // NOT excludes files.
    EXPECT_EQ(Hits(*index, "pump NOT valve"), 3);
    EXPECT_EQ(Hits(*index, "pump NOT (seal OR water)", kErrorNoHits), 0);
}

TEST_F(FullTextIndexTest, EmptyQueriesAndOddCharacters)
{
    auto index = Open(PumpBook(m_lib));
    ASSERT_TRUE(index);
    for (const char* query : {"", "  ", "AND", "NOT pump", "-- ** ()", "\"\"", "\xE2\x80\x93"})
        Hits(*index, query, kErrorEmptyQuery);
    for (const char* query :
         {"zebra", "\"pump", "pump\"", "text:pump", "pump NEAR(x)", "p'ump", "{pump}", "pump;"}) {
        const CSearchOutcome outcome = index->Search(query, true);
        EXPECT_TRUE(outcome.error == kErrorNone || outcome.error == kErrorNoHits) << query;
    }
    EXPECT_EQ(Hits(*index, "\"pump"), 4);
    EXPECT_EQ(Hits(*index, "{pump}"), 4);
    EXPECT_EQ(Hits(*index, "text:pump", kErrorNoHits), 0);
}

TEST_F(FullTextIndexTest, HitRangesPointIntoTheShownText)
{
    auto index = Open(PumpBook(m_lib));
    ASSERT_TRUE(index);
    const CSearchOutcome outcome = index->Search("\"air valve\" OR pump", true);
    ASSERT_EQ(outcome.error, kErrorNone);
    ASSERT_EQ(outcome.files.size(), 2u);
    EXPECT_EQ(outcome.hits, 7);
    for (const CFileHits& file : outcome.files) {
        std::string text, fromBook;
        ASSERT_TRUE(index->FileText(file.fileIndex, text));
        ASSERT_TRUE(m_book->ReadText(file.fileIndex, fromBook));
        EXPECT_EQ(text, fromBook);
        ASSERT_EQ(file.ranges.size(), static_cast<std::size_t>(file.hits));
        for (const CHitRange& range : file.ranges) {
            ASSERT_LE(range.end, text.size());
            const std::string marked = text.substr(range.begin, range.end - range.begin);
            EXPECT_TRUE(marked == "Pump" || marked == "pump" || marked == "PUMP" ||
                        marked == "Air valve" || marked == "air valve")
                << marked;
        }
    }
    // The HTML file: its text as shown, hits in order.
    const CFileHits& html = outcome.files[1];
    EXPECT_EQ(html.fileIndex, 1u);
    ASSERT_EQ(html.ranges.size(), 4u);
    EXPECT_EQ(html.ranges[0], (CHitRange{0, 9}));
    EXPECT_LT(html.ranges[1].begin, html.ranges[2].begin);
    // Without ranges asked for, none are made.
    EXPECT_TRUE(index->Search("pump", false).files.front().ranges.empty());
}

TEST_F(FullTextIndexTest, NonUtf8TextIsIndexedDecoded)
{
    m_lib.AddFile("c", "latin", "x.txt", "Caf\xE9 cr\xE8me");
    auto index = Open(m_lib.AddFile("c", "latin", "y.txt", "plain"));
    ASSERT_TRUE(index);
    EXPECT_EQ(Hits(*index, "caf\xC3\xA9"), 1);
    EXPECT_EQ(Hits(*index, "CR\xC3\x88ME"), 1);
}
