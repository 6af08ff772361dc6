#include "BookFolders.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

TEST(BookFolders, OnlyVisibleFoldersSortedByName)
{
    TempDir dir;
    fs::create_directories(dir / "books/y");
    fs::create_directories(dir / "books/x");
    fs::create_directories(dir / "books/.hidden");
    fs::create_directories(dir / "books/B");
    dir.Write("books/y.txt", "not a book");
    fs::create_directory_symlink(dir / "books/x", dir / "books/linked");
    fs::create_symlink(dir / "books/y.txt", dir / "books/z-file-link");
    EXPECT_EQ(ListBookFolders(dir / "books"), (std::vector<std::string>{"B", "linked", "x", "y"}));
    EXPECT_TRUE(ListBookFolders(dir / "missing").empty());
    EXPECT_TRUE(ListBookFolders(dir / "books/y.txt").empty());
}

TEST(BookFolders, CollectionRelativeToDataFolderFoundIgnoringCase)
{
    TempDir dir;
    fs::create_directories(dir / "Data/Manuals/Books/x");
    const std::string data = dir / "Data";
    EXPECT_EQ(BooksFolderOf(data, "manuals", "books"), dir / "Data/Manuals/Books");
    EXPECT_EQ(BooksFolderOf(data + "/", "MANUALS\\", "books"), dir / "Data/Manuals/Books");
    // An absolute collection directory ignores the data folder; "\" separates too.
    std::string absolute = dir / "Data/Manuals";
    for (char& c : absolute)
        if (c == '/')
            c = '\\';
    EXPECT_EQ(BooksFolderOf("/elsewhere", absolute, "books"), dir / "Data/Manuals/Books");
    EXPECT_EQ(ListBookFolders(BooksFolderOf(data, "manuals", "books")),
              (std::vector<std::string>{"x"}));
}
