#include "CollectionTable.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(CollectionTable, EntriesTrimmedAndOrderedByDirectory)
{
    const auto table = ParseCollectionTable("c:\\docs\\b=Manuals B; c:\\docs\\a = Manuals A ;");
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0], (CCollectionEntry{"c:\\docs\\a", "Manuals A"}));
    EXPECT_EQ(table[1], (CCollectionEntry{"c:\\docs\\b", "Manuals B"}));
}

TEST(CollectionTable, ByteOrderAndFirstEntryOfADirectoryWins)
{
    // Capitals sort before small letters; the later "docs" entry is dropped; an alias keeps
    // everything after the first "=".
    const auto table =
        ParseCollectionTable("docs=First;Zed=Z;docs=Second;\t=no directory; plain ;a=b=c");
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0], (CCollectionEntry{"Zed", "Z"}));
    EXPECT_EQ(table[1], (CCollectionEntry{"a", "b=c"}));
    EXPECT_EQ(table[2], (CCollectionEntry{"docs", "First"}));
    EXPECT_EQ(table[3], (CCollectionEntry{"plain", ""}));
    EXPECT_TRUE(ParseCollectionTable("").empty());
    EXPECT_TRUE(ParseCollectionTable(" ; ;;").empty());
}

TEST(CollectionTable, LookupByDirectoryOrAliasIgnoringCase)
{
    const auto table = ParseCollectionTable("c:\\docs\\a = Manuals A ; c:\\docs\\b=Manuals B");
    const CCollectionEntry* byAlias = FindCollectionEntry(table, "manuals b");
    ASSERT_NE(byAlias, nullptr);
    EXPECT_EQ(byAlias->directory, "c:\\docs\\b");
    const CCollectionEntry* byDirectory = FindCollectionEntry(table, "C:\\DOCS\\B");
    EXPECT_EQ(byDirectory, byAlias);
    EXPECT_EQ(FindCollectionEntry(table, "Manuals"), nullptr);
    EXPECT_EQ(FindCollectionEntry(table, ""), nullptr);
}

TEST(CollectionTable, LookupTakesTheFirstMatchInTableOrder)
{
    // "b" is the alias of directory "a" and the directory of another entry: "a" sorts first.
    const auto table = ParseCollectionTable("b=other;a=B");
    const CCollectionEntry* found = FindCollectionEntry(table, "b");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->directory, "a");
}

TEST(CollectionTable, DirectoryAndAliasCopiedInTurn)
{
    const CCollectionEntry entry{"c:\\docs", "Manuals"};
    char directory[16];
    char alias[16];
    std::memset(directory, 'x', sizeof directory);
    std::memset(alias, 'x', sizeof alias);
    // The alias does not fit: the directory is filled all the same, the alias stays as it was.
    EXPECT_FALSE(CopyDirectoryAndAlias(entry, directory, 7, alias, 6));
    EXPECT_STREQ(directory, "c:\\docs");
    EXPECT_EQ(alias[0], 'x');
    // The directory does not fit: neither is touched.
    std::memset(directory, 'x', sizeof directory);
    EXPECT_FALSE(CopyDirectoryAndAlias(entry, directory, 6, alias, 7));
    EXPECT_EQ(directory[0], 'x');
    EXPECT_EQ(alias[0], 'x');
    EXPECT_TRUE(CopyDirectoryAndAlias(entry, directory, 7, alias, 7));
    EXPECT_STREQ(directory, "c:\\docs");
    EXPECT_STREQ(alias, "Manuals");
}
