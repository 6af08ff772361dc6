// The query library's core against the real browser library and crafted collections.

#include "QueryLibrary.h"

#include "BrowserInterface.h"
#include "CraftedDocs.h"
#include "prompter/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace {

class QueryLibraryTest : public ::testing::Test
{
protected:
    // The browser library keeps a context until it is ended, as the program ends its own at
    // exit; ending a context twice is harmless.
    void TearDown() override { m_library.DestroyContextServer(); }

    CCraftedDocs m_docs;
    CQueryLibrary m_library;
};

std::vector<std::pair<std::string, long>> BookHits(const CCollectionResult& result)
{
    std::vector<std::pair<std::string, long>> hits;
    for (const CBookResult& book : result.m_books)
        hits.emplace_back(book.m_directory, book.m_hits);
    return hits;
}

} // namespace

TEST_F(QueryLibraryTest, QueryRunsInEveryVisibleBookFolder)
{
    ASSERT_TRUE(m_library.CreateContextServer("CORVELLE.INI", "ZELIO"));
    std::unique_ptr<CQuery> query(m_library.CreateQuery());
    platform::ScriptedPrompter prompter;
    EXPECT_EQ(m_library.QuerySingleCol(*query, "plant manuals", "impeller", &prompter), 3);
    ASSERT_EQ(query->m_collections.size(), 1u);
    const CCollectionResult& result = *query->m_collections[0];
    EXPECT_EQ(result.m_directory, "manuals");
    EXPECT_EQ(result.m_alias, "Plant Manuals");
    EXPECT_EQ(result.m_query, "impeller");
    // kv5 has no hits (0), the hidden folder and the file are skipped.
    EXPECT_EQ(BookHits(result),
              (std::vector<std::pair<std::string, long>>{{"kv5", 0}, {"p101", 3}, {"pumps", 1}}));
    EXPECT_EQ(result.m_books[1].m_title, "Pump P-101");
    EXPECT_EQ(result.Hits(), 4);
    // The wait cursor is on for the whole call.
    ASSERT_EQ(prompter.Events().size(), 2u);
    EXPECT_TRUE(prompter.Events()[0].waitOn);
    EXPECT_FALSE(prompter.Events()[1].waitOn);

    // A query that finds nothing anywhere still ran in every book; the collection is found by
    // its directory in any case; a new query replaces the old results.
    EXPECT_EQ(m_library.QuerySingleCol(*query, "MANUALS", "turbine", nullptr), 3);
    ASSERT_EQ(query->m_collections.size(), 1u);
    EXPECT_EQ(query->m_collections[0]->Hits(), 0);
    // Nothing searchable counts as "nothing found" too.
    EXPECT_EQ(m_library.QuerySingleCol(*query, "manuals", "  ", nullptr), 3);
}

TEST_F(QueryLibraryTest, UnknownOrBooklessCollectionsAnswerMinusOne)
{
    ASSERT_TRUE(m_library.CreateContextServer(nullptr, nullptr));
    std::unique_ptr<CQuery> query(m_library.CreateQuery());
    EXPECT_EQ(m_library.QuerySingleCol(*query, "impeller", "impeller", nullptr), -1);
    EXPECT_TRUE(query->m_collections.empty());
    EXPECT_EQ(m_library.QuerySingleCol(*query, "Empty Shelf", "impeller", nullptr), -1);
    EXPECT_EQ(m_library.QuerySingleCol(*query, "Nowhere", "impeller", nullptr), -1);
    EXPECT_TRUE(query->m_collections.empty());
}

TEST_F(QueryLibraryTest, WithoutContextNoBookOpens)
{
    std::unique_ptr<CQuery> query(m_library.CreateQuery());
    EXPECT_FALSE(m_library.IsContextDefined());
    // The table is read from the default file and section; no book opens without a context.
    EXPECT_EQ(m_library.QuerySingleCol(*query, "manuals", "impeller", nullptr), -1);
    ASSERT_EQ(query->m_collections.size(), 1u);
    EXPECT_TRUE(query->m_collections[0]->m_books.empty());
}

TEST_F(QueryLibraryTest, SecondContextServerReadsNothing)
{
    ASSERT_TRUE(m_library.CreateContextServer("corvelle.ini", "zelio"));
    const uintptr_t context = m_library.Context();
    EXPECT_TRUE(m_library.CreateContextServer("nowhere.ini", "other"));
    EXPECT_EQ(m_library.Context(), context);
    EXPECT_EQ(m_library.Section(), "zelio");
    ASSERT_TRUE(m_library.FindCollection("Plant Manuals"));
    EXPECT_FALSE(m_library.FindCollection("Other Name"));
    // Ending the context keeps the handle.
    m_library.DestroyContextServer();
    EXPECT_TRUE(m_library.IsContextDefined());
}

TEST_F(QueryLibraryTest, MissingSettingsGiveNoContext)
{
    EXPECT_FALSE(m_library.CreateContextServer("corvelle.ini", "no such section"));
    EXPECT_FALSE(m_library.IsContextDefined());
    // Another section of the same file reads its own table.
    CQueryLibrary other;
    ASSERT_TRUE(other.CreateContextServer("corvelle.ini", "other"));
    const std::optional<CCollectionEntry> entry = other.FindCollection("other name");
    other.DestroyContextServer();
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->directory, "manuals");
}
