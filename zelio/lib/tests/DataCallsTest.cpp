#include "BrowserInterface.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>

namespace {

// A data folder with one collection of two books and a configuration file naming it; the
// user's folders are pointed into the temporary folder.
class DataCallsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::setenv("XDG_CACHE_HOME", (m_dir / "cache").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
        m_dir.Write("data/Manuals/books/pumps/book.ini", "[book]\nTITLE=Pump manual\n");
        m_dir.Write("data/Manuals/books/pumps/a.txt", "Pump P-101: impeller. Pump P-102.\n");
        m_dir.Write("data/Manuals/books/valves/v.html", "<p>Air valve KV-0005</p>");
        m_config = m_dir.Write("etc/corvelle.ini",
                               "[zelio]\nDATA_DIR=..\\data\nZELIO_AUTH=\nCOLLECTION=Manuals=M\n"
                               "LONG=0123456789\n");
        ::setenv("ZELIO_CONFIG", m_config.c_str(), 1);
        m_context = ZelContextCreate((m_dir / "data").c_str(), "", "", "", 0);
        ASSERT_NE(m_context, 0u);
    }
    void TearDown() override
    {
        ZelContextDestroy(m_context);
        ::unsetenv("ZELIO_CONFIG");
    }

    TempDir m_dir;
    std::string m_config;
    uintptr_t m_context = 0;
};

} // namespace

TEST_F(DataCallsTest, ConfigurationPathAndValues)
{
    const char* path = ZelConfigPathGet("CORVELLE.INI");
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(std::string(path), m_config);
    ZelConfigPathRelease(path);
    ZelConfigPathRelease(nullptr);
    EXPECT_EQ(ZelConfigPathGet("absent.ini"), nullptr);

    char buffer[260];
    EXPECT_EQ(ZelProfileRead(0, "ZELIO", "corvelle.ini", "collection", buffer, sizeof buffer), 9);
    EXPECT_STREQ(buffer, "Manuals=M");
    // Folder values come back absolute, against the file's folder.
    const int length =
        ZelProfileRead(0, "zelio", "corvelle.ini", "DATA_DIR", buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), m_dir / "data");
    EXPECT_EQ(length, static_cast<int>((m_dir / "data").size()));
    // An empty value is found; a cut value answers the length written.
    EXPECT_EQ(ZelProfileRead(0, "zelio", "corvelle.ini", "ZELIO_AUTH", buffer, 260), 0);
    EXPECT_EQ(ZelProfileRead(0, "zelio", m_config.c_str(), "LONG", buffer, 5), 4);
    EXPECT_STREQ(buffer, "0123");
    EXPECT_EQ(ZelProfileRead(0, "zelio", "corvelle.ini", "LONG", buffer, 1), 0);
    EXPECT_STREQ(buffer, "");
    // Missing key, section or file: negative, and an empty text.
    for (const auto& [section, file, key] : {std::tuple{"zelio", "corvelle.ini", "MISSING"},
                                             {"other", "corvelle.ini", "LONG"},
                                             {"zelio", "absent.ini", "LONG"}}) {
        std::strcpy(buffer, "stale");
        EXPECT_LT(ZelProfileRead(0, section, file, key, buffer, 260), 0) << key;
        EXPECT_STREQ(buffer, "");
    }
    EXPECT_LT(ZelProfileRead(0, "zelio", "corvelle.ini", "LONG", nullptr, 260), 0);
    EXPECT_LT(ZelProfileRead(0, "zelio", "corvelle.ini", "LONG", buffer, 0), 0);
    EXPECT_LT(ZelProfileRead(0, nullptr, "corvelle.ini", "LONG", buffer, 260), 0);
}

TEST_F(DataCallsTest, ContextsNeedAReadableDataFolder)
{
    EXPECT_EQ(ZelContextCreate((m_dir / "missing").c_str(), "", "", "", 0), 0u);
    EXPECT_EQ(ZelContextCreate(nullptr, nullptr, nullptr, nullptr, 0), 0u);
    EXPECT_EQ(ZelLastError(m_context), 0);
}

// What the query library does for each documentation request.
TEST_F(DataCallsTest, OpenQueryCountReleaseClose)
{
    const uintptr_t book = ZelBookOpen(m_context, "manuals", "Pumps");
    ASSERT_NE(book, 0u);
    EXPECT_STREQ(ZelBookTitle(book), "Pump manual");
    const uintptr_t result = ZelQueryRun(book, "pump AND impeller", 0);
    ASSERT_NE(result, 0u);
    EXPECT_EQ(ZelLastError(m_context), 0);
    EXPECT_EQ(ZelResultHits(result, 1), 3);
    ZelResultRelease(result);

    EXPECT_EQ(ZelQueryRun(book, "KV-0005", 0), 0u);
    EXPECT_EQ(ZelLastError(m_context), ZEL_ERROR_NO_HITS);
    EXPECT_EQ(ZelQueryRun(book, " AND ", 0), 0u);
    EXPECT_EQ(ZelLastError(m_context), ZEL_ERROR_EMPTY_QUERY);
    EXPECT_EQ(ZelQueryRun(book, nullptr, 0), 0u);
    EXPECT_EQ(ZelLastError(m_context), ZEL_ERROR_EMPTY_QUERY);
    ZelBookClose(book);

    const uintptr_t valves = ZelBookOpen(m_context, (m_dir / "data/Manuals").c_str(), "valves");
    ASSERT_NE(valves, 0u);
    EXPECT_STREQ(ZelBookTitle(valves), "valves");
    const uintptr_t hit = ZelQueryRun(valves, "kv-0005 OR \"air valve\"", 0);
    EXPECT_EQ(ZelResultHits(hit, 1), 2);
    ZelBookClose(valves);

    EXPECT_EQ(ZelBookOpen(m_context, "Manuals", "missing"), 0u);
    EXPECT_NE(ZelLastError(m_context), 0);
    EXPECT_EQ(ZelBookOpen(m_context, nullptr, "pumps"), 0u);
}

TEST_F(DataCallsTest, StaleAndForeignHandlesAnswerNothing)
{
    const uintptr_t book = ZelBookOpen(m_context, "Manuals", "pumps");
    const uintptr_t result = ZelQueryRun(book, "pump", 0);
    ASSERT_NE(result, 0u);
    // Handles of the wrong kind.
    EXPECT_EQ(ZelBookTitle(m_context), nullptr);
    EXPECT_EQ(ZelResultHits(book, 1), -1);
    EXPECT_EQ(ZelQueryRun(m_context, "pump", 0), 0u);
    EXPECT_EQ(ZelLastError(book), -1);
    EXPECT_EQ(ZelBookOpen(book, "Manuals", "pumps"), 0u);
    // Closing the book releases its result.
    ZelBookClose(book);
    EXPECT_EQ(ZelResultHits(result, 1), -1);
    EXPECT_EQ(ZelBookTitle(book), nullptr);
    ZelResultRelease(result);
    ZelBookClose(book);
    // Made-up handles and 0.
    int local = 0;
    const auto madeUp = reinterpret_cast<uintptr_t>(&local);
    EXPECT_EQ(ZelResultHits(madeUp, 1), -1);
    EXPECT_EQ(ZelLastError(0), -1);
    ZelResultRelease(madeUp);
    ZelContextDestroy(madeUp);
    // A destroyed context takes its books along.
    const uintptr_t context = ZelContextCreate((m_dir / "data").c_str(), "", "", "", 0);
    const uintptr_t second = ZelBookOpen(context, "Manuals", "pumps");
    ASSERT_NE(second, 0u);
    ZelContextDestroy(context);
    EXPECT_EQ(ZelBookTitle(second), nullptr);
    EXPECT_EQ(ZelLastError(context), -1);
    ZelContextDestroy(context);
}
