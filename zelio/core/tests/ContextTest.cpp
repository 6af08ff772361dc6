#include "Context.h"
#include "Handles.h"
#include "ZelioErrors.h"
#include "ZelioTestBooks.h"

#include <gtest/gtest.h>

using namespace zelio;

namespace {

class ContextTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_lib.AddBook("Manuals", "pumps", "Pumps", "pump P-101\n");
        m_context = CContext::Create(m_lib.DataDir(), "", "", "");
        ASSERT_TRUE(m_context);
        EXPECT_EQ(m_context->CacheFolder(), m_lib.CacheDir());
    }

    CTestLibrary m_lib;
    std::unique_ptr<CContext> m_context;
};

} // namespace

TEST_F(ContextTest, OnlyReadableDataFoldersMakeContexts)
{
    EXPECT_FALSE(CContext::Create(m_lib.Root() + "/missing", "", "", ""));
    EXPECT_FALSE(CContext::Create(m_lib.Write("file", "x"), "", "", ""));
    EXPECT_FALSE(CContext::Create("", "", "", ""));
}

TEST_F(ContextTest, CollectionDirectoriesRelativeAbsoluteAndIgnoringCase)
{
    EXPECT_TRUE(m_context->OpenBook("Manuals", "pumps"));
    EXPECT_TRUE(m_context->OpenBook("MANUALS", "PUMPS"));
    EXPECT_TRUE(m_context->OpenBook(m_lib.DataDir() + "\\manuals", "pumps"));
    EXPECT_TRUE(m_context->OpenBook(".\\Manuals\\", "Pumps"));
    EXPECT_EQ(m_context->LastError(), kErrorNone);
    for (const char* book : {"", ".", "..", "missing", "pumps/a.txt", "../books/pumps"}) {
        EXPECT_FALSE(m_context->OpenBook("Manuals", book)) << book;
        EXPECT_EQ(m_context->LastError(), kErrorNotABook);
    }
    EXPECT_FALSE(m_context->OpenBook("Other", "pumps"));
}

TEST_F(ContextTest, QueriesSetTheLastError)
{
    COpenBook* book = m_context->OpenBook("Manuals", "pumps");
    ASSERT_TRUE(book);
    EXPECT_EQ(book->Book().Title(), "Pumps");
    EXPECT_FALSE(book->RunQuery("zebra"));
    EXPECT_EQ(m_context->LastError(), kErrorNoHits);
    EXPECT_FALSE(book->RunQuery("()"));
    EXPECT_EQ(m_context->LastError(), kErrorEmptyQuery);
    CQueryResult* result = book->RunQuery("pump OR p-101");
    ASSERT_TRUE(result);
    EXPECT_EQ(m_context->LastError(), kErrorNone);
    EXPECT_EQ(result->Hits(), 2);
    ASSERT_EQ(result->Files().size(), 1u);
    EXPECT_EQ(result->Files()[0].ranges.size(), 2u);
    std::string text;
    EXPECT_TRUE(book->Text(0, text));
    EXPECT_EQ(text, "pump P-101\n");
}

TEST_F(ContextTest, HandlesOfReleasedObjectsFindNothing)
{
    COpenBook* book = m_context->OpenBook("Manuals", "pumps");
    CQueryResult* result = book->RunQuery("pump");
    const auto contextHandle = ToHandle(m_context.get());
    const auto bookHandle = ToHandle(book);
    const auto resultHandle = ToHandle(result);
    EXPECT_EQ(ContextFromHandle(contextHandle), m_context.get());
    EXPECT_EQ(BookFromHandle(bookHandle), book);
    EXPECT_EQ(ResultFromHandle(resultHandle), result);
    // A handle of another kind, a made-up one and 0 find nothing.
    EXPECT_FALSE(BookFromHandle(contextHandle));
    EXPECT_FALSE(ResultFromHandle(bookHandle));
    EXPECT_FALSE(ContextFromHandle(resultHandle + 8));
    EXPECT_FALSE(ContextFromHandle(0));

    EXPECT_TRUE(book->ReleaseResult(result));
    EXPECT_FALSE(ResultFromHandle(resultHandle));
    EXPECT_FALSE(book->ReleaseResult(result));
    result = book->RunQuery("pump");
    const auto secondResult = ToHandle(result);
    EXPECT_TRUE(m_context->CloseBook(book));
    EXPECT_FALSE(BookFromHandle(bookHandle));
    EXPECT_FALSE(ResultFromHandle(secondResult));
    EXPECT_FALSE(m_context->CloseBook(book));

    book = m_context->OpenBook("Manuals", "pumps");
    const auto thirdBook = ToHandle(book);
    m_context.reset();
    EXPECT_FALSE(ContextFromHandle(contextHandle));
    EXPECT_FALSE(BookFromHandle(thirdBook));
}

TEST_F(ContextTest, AnIndexDamagedAfterOpeningIsRebuiltOnQuery)
{
    COpenBook* book = m_context->OpenBook("Manuals", "pumps");
    ASSERT_TRUE(book);
    // Replace the index file's content in place (the open connection sees the damage).
    const std::string path = CFullTextIndex::IndexPath(m_lib.CacheDir(), book->Book().Folder());
    {
        std::FILE* file = std::fopen(path.c_str(), "r+b");
        ASSERT_TRUE(file);
        const std::string junk(4096 * 4, '\x5A');
        std::fseek(file, 1024, SEEK_SET);
        std::fwrite(junk.data(), 1, junk.size(), file);
        std::fclose(file);
    }
    CQueryResult* result = book->RunQuery("pump");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->Hits(), 1);
}
