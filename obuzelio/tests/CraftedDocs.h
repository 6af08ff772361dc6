#pragma once

#include "TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <string>

// A browser configuration with two collections in a temporary folder, and the environment
// that makes the browser library use it (configuration, cache and runtime folders inside the
// temporary folder, never the user's).
//
//   manuals = Plant Manuals: books kv5 (no hits of "impeller"), p101 (3 hits), pumps (1 hit),
//            .hidden (a book, but hidden) and the file notes.txt
//   empty   = Empty Shelf:   a "books" folder without book folders
class CCraftedDocs
{
public:
    CCraftedDocs()
    {
        m_dir.Write("corvelle.ini", "[zelio]\n"
                                    "DATA_DIR=data\n"
                                    "PUBLIC_DIR=public\n"
                                    "PRIVATE_DIR=private\n"
                                    "ZELIO_AUTH=1\n"
                                    "COLLECTION=manuals = Plant Manuals ; empty=Empty Shelf;"
                                    "missing=Nowhere\n"
                                    "[other]\n"
                                    "DATA_DIR=data\n"
                                    "COLLECTION=manuals=Other Name\n");
        Book("p101", "Pump P-101",
             "The pump P-101 has an impeller.\nImpeller wear: check the "
             "impeller every year.\n");
        Book("kv5", "Valve KV-5", "Air valve DN 150.\n");
        Book("pumps", "Pumps", "Spare impeller for P-101.\n");
        Book(".hidden", "Hidden", "impeller impeller impeller impeller\n");
        m_dir.Write("data/manuals/books/notes.txt", "impeller\n");
        std::filesystem::create_directories(m_dir / "data/empty/books");
        std::filesystem::create_directories(m_dir / "public");
        std::filesystem::create_directories(m_dir / "private");
        std::filesystem::create_directories(m_dir / "cache");
        std::filesystem::create_directories(m_dir / "runtime");
        ::setenv("ZELIO_CONFIG", (m_dir / "corvelle.ini").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (m_dir / "cache").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (m_dir / "runtime").c_str(), 1);
    }

    const TempDir& Dir() const { return m_dir; }

private:
    void Book(const std::string& folder, const std::string& title, const std::string& text)
    {
        const std::string base = "data/manuals/books/" + folder + "/";
        m_dir.Write(base + "book.ini", "[book]\nTITLE=" + title + "\n");
        m_dir.Write(base + "content.txt", text);
    }

    TempDir m_dir;
};
