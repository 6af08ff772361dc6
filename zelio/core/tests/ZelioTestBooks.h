#pragma once

#include "TempDir.h"

#include <cstdlib>
#include <string>
#include <string_view>

// A temporary data folder with collections of books, and a cache folder for their indexes.
// XDG_CACHE_HOME and XDG_CONFIG_HOME point into it, so nothing of the user's is touched.
class CTestLibrary
{
public:
    CTestLibrary()
    {
        ::setenv("XDG_CACHE_HOME", (m_dir / "cache").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
        ::unsetenv("ZELIO_CONFIG");
    }

    const std::string& Root() const { return m_dir.Path(); }
    std::string DataDir() const { return m_dir / "data"; }
    std::string CacheDir() const { return m_dir / "cache/zelio"; }

    // Writes data/<collection>/books/<book>/<file>; answers the book folder.
    std::string AddFile(std::string_view collection, std::string_view book, std::string_view file,
                        std::string_view bytes) const
    {
        const std::string relative =
            "data/" + std::string(collection) + "/books/" + std::string(book);
        m_dir.Write(relative + "/" + std::string(file), bytes);
        return m_dir / relative;
    }
    std::string AddBook(std::string_view collection, std::string_view book, std::string_view title,
                        std::string_view text) const
    {
        AddFile(collection, book, "book.ini", "[book]\nTITLE=" + std::string(title) + "\n");
        return AddFile(collection, book, "a.txt", text);
    }
    std::string Write(std::string_view name, std::string_view bytes) const
    {
        return m_dir.Write(name, bytes);
    }

private:
    TempDir m_dir;
};
