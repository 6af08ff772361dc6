#include "QueryResults.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::unique_ptr<CCollectionResult> MakeCollection()
{
    auto collection = std::make_unique<CCollectionResult>();
    collection->m_directory = "c:\\docs";
    collection->m_alias = "Manuals";
    collection->m_books = {
        {"p101", "Pump P-101", 3}, {"kv5", "Valve KV-5", -1}, {"x", "X", 0}, {"y", "Y", 4}};
    return collection;
}

} // namespace

TEST(QueryResults, BufferLengthCountsCharactersWithoutTheZero)
{
    const auto collection = MakeCollection();
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_FALSE(CopyToBuffer(collection->Text(1), buffer, 5));
    EXPECT_FALSE(CopyToBuffer(collection->Text(1), buffer, 6));
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_TRUE(CopyToBuffer(collection->Text(1), buffer, 7));
    EXPECT_STREQ(buffer, "c:\\docs");
    EXPECT_EQ(buffer[8], 'x');
    EXPECT_FALSE(CopyToBuffer("abc", buffer, -1));
    EXPECT_FALSE(CopyToBuffer("abc", nullptr, 10));
    // An unknown kind is an empty text, which fits any buffer.
    EXPECT_TRUE(CopyToBuffer(collection->Text(3), buffer, 0));
    EXPECT_STREQ(buffer, "");
}

TEST(QueryResults, TextsByKind)
{
    const auto collection = MakeCollection();
    EXPECT_EQ(collection->Text(2), "Manuals");
    EXPECT_EQ(collection->Text(0), "");
    const CBookResult* book = collection->Book(0);
    ASSERT_NE(book, nullptr);
    EXPECT_EQ(book->Text(3), "p101");
    EXPECT_EQ(book->Text(4), "Pump P-101");
    EXPECT_EQ(book->Text(1), "");
}

TEST(QueryResults, HitsAddUpOnlyCountsThatAreNotNegative)
{
    const auto collection = MakeCollection();
    EXPECT_EQ(collection->Hits(), 7);
    EXPECT_EQ(collection->Book(-1), nullptr);
    EXPECT_EQ(collection->Book(4), nullptr);
    EXPECT_EQ(collection->Book(3)->m_hits, 4);
}

TEST(QueryResults, CollectionsByIndexAndName)
{
    CQuery query;
    query.m_collections.push_back(MakeCollection());
    EXPECT_EQ(query.Collection(0), query.FindCollection("MANUALS"));
    EXPECT_EQ(query.Collection(0), query.FindCollection("C:\\DOCS"));
    EXPECT_EQ(query.FindCollection("c:\\doc"), nullptr);
    EXPECT_EQ(query.Collection(1), nullptr);
    EXPECT_EQ(query.Collection(-1), nullptr);
    query.Clear();
    EXPECT_EQ(query.Collection(0), nullptr);
}
