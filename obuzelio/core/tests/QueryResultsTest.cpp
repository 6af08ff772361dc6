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

TEST(QueryResults, HitsAddUpOnlyCountsThatAreNotNegative)
{
    const auto collection = MakeCollection();
    EXPECT_EQ(collection->Hits(), 7);
    EXPECT_EQ(collection->Book(-1), nullptr);
    EXPECT_EQ(collection->Book(4), nullptr);
    EXPECT_EQ(collection->Book(3)->m_hits, 4);
}
