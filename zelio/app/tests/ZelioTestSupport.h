#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

// A temporary browser set-up: a collection "coll" (alias "Test Collection") with two books, a
// help folder, and private runtime, configuration and cache folders that the environment
// points at, so tests never touch the user's and run in parallel.
class CZelioTestTree
{
public:
    explicit CZelioTestTree(const std::string& plugins = std::string())
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zelio-app-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_root = pattern;
        for (const char* folder : {"run", "config", "cache"})
            std::filesystem::create_directories(m_root + "/" + folder);
        std::filesystem::permissions(m_root + "/run", std::filesystem::perms::owner_all);
        ::setenv("XDG_RUNTIME_DIR", (m_root + "/run").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (m_root + "/config").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (m_root + "/cache").c_str(), 1);
        Write("data/coll/books/pumps/book.ini", "[book]\nTITLE=Pump Manual\n");
        Write("data/coll/books/pumps/a.txt",
              "The impeller of pump P-101 turns.\nCheck the Impeller weekly.\n");
        Write("data/coll/books/pumps/b.html",
              "<h1>Seals</h1><p>An impeller seal &amp; a casing.</p>");
        Write("data/coll/books/valves/book.ini", "[book]\nTITLE=Valve Guide\n");
        Write("data/coll/books/valves/v.txt", "Air valve KV-0005 of DN 150.\n");
        Write("data/help/index.html", "<html><body><h1>Help index</h1></body></html>");
        Write("data/help/Model.html", "<html><body><h1>Model help</h1></body></html>");
        m_config = Write("data/corvelle.ini", "[zelio]\nDATA_DIR=.\nCOLLECTION=coll=Test "
                                              "Collection\nHELP_DIR=help\nPLUGINS=" +
                                                  plugins + "\n");
        ::setenv("ZELIO_CONFIG", m_config.c_str(), 1);
    }
    ~CZelioTestTree()
    {
        std::error_code error;
        std::filesystem::remove_all(m_root, error);
    }
    CZelioTestTree(const CZelioTestTree&) = delete;
    CZelioTestTree& operator=(const CZelioTestTree&) = delete;

    const std::string& Root() const { return m_root; }
    const std::string& Config() const { return m_config; }

    std::string Write(std::string_view name, std::string_view bytes) const
    {
        const std::string path = m_root + "/" + std::string(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

private:
    std::string m_root;
    std::string m_config;
};
