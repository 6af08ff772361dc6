#include "Book.h"
#include "ZelioTestBooks.h"

#include <gtest/gtest.h>

using namespace zelio;

TEST(Book, TitleAndContentFilesSortedByName)
{
    CTestLibrary lib;
    lib.AddFile("c", "b1", "book.ini", "; a comment\n[Book]\n title = \"Pumps and valves\" \n");
    lib.AddFile("c", "b1", "z.html", "<p>z</p>");
    lib.AddFile("c", "b1", "B.txt", "b");
    const std::string folder = lib.AddFile("c", "b1", "a.HTM", "a");
    lib.AddFile("c", "b1", "notes.doc", "ignored");
    lib.AddFile("c", "b1", "sub/inner.txt", "ignored");

    auto book = CBook::Open(folder + "/");
    ASSERT_TRUE(book);
    EXPECT_EQ(book->Folder(), folder);
    EXPECT_EQ(book->Name(), "b1");
    EXPECT_EQ(book->Title(), "Pumps and valves");
    ASSERT_EQ(book->ContentFiles().size(), 3u);
    EXPECT_EQ(book->ContentFiles()[0].name, "B.txt");
    EXPECT_EQ(book->ContentFiles()[1].name, "a.HTM");
    EXPECT_TRUE(book->ContentFiles()[1].html);
    EXPECT_EQ(book->ContentFiles()[2].name, "z.html");

    std::string text;
    EXPECT_TRUE(book->ReadText(2, text));
    EXPECT_EQ(text, "z");
    EXPECT_FALSE(book->ReadText(3, text));
    EXPECT_TRUE(text.empty());
}

TEST(Book, WithoutTitleTheFolderNameAndMissingFolders)
{
    CTestLibrary lib;
    const std::string plain = lib.AddFile("c", "plain", "x.txt", "x");
    auto book = CBook::Open(plain);
    ASSERT_TRUE(book);
    EXPECT_EQ(book->Title(), "plain");

    const std::string empty = lib.AddFile("c", "empty", "book.ini", "[book]\nTITLE=\n");
    book = CBook::Open(empty);
    ASSERT_TRUE(book);
    EXPECT_EQ(book->Title(), "empty");
    EXPECT_TRUE(book->ContentFiles().empty());

    EXPECT_FALSE(CBook::Open(lib.Root() + "/nowhere"));
    EXPECT_FALSE(CBook::Open(plain + "/x.txt"));
}
