#pragma once

#include "Book.h"
#include "FullTextIndex.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelio {

class CContext;
class COpenBook;

// The result of a query in an open book. Belongs to its book; released with
// COpenBook::ReleaseResult or when the book closes.
class CQueryResult
{
public:
    CQueryResult(COpenBook& book, std::string query, CSearchOutcome outcome);
    ~CQueryResult();
    CQueryResult(const CQueryResult&) = delete;
    CQueryResult& operator=(const CQueryResult&) = delete;

    COpenBook& Book() const { return m_book; }
    const std::string& Query() const { return m_query; }
    // Every marked occurrence in the book.
    long Hits() const { return m_outcome.hits; }
    // The files with hits, with their hit ranges (worked out on first use).
    const std::vector<CFileHits>& Files();

private:
    COpenBook& m_book;
    std::string m_query;
    CSearchOutcome m_outcome;
    bool m_haveRanges = false;
};

// A book opened in a context, with its full-text index and its results. Belongs to its
// context; closed with CContext::CloseBook or when the context ends.
class COpenBook
{
public:
    COpenBook(CContext& context, std::unique_ptr<CBook> book, std::unique_ptr<CFullTextIndex> index,
              std::string collectionDir);
    ~COpenBook();
    COpenBook(const COpenBook&) = delete;
    COpenBook& operator=(const COpenBook&) = delete;

    CContext& Context() const { return m_context; }
    const CBook& Book() const { return *m_book; }
    // The collection directory as the caller gave it.
    const std::string& CollectionDir() const { return m_collectionDir; }
    // The book's plain text of content file index (from the index, else from the file).
    bool Text(std::size_t index, std::string& text) const;

    // Runs a query: a result owned by this book, or nullptr with the context's last error set
    // (kErrorNoHits, kErrorEmptyQuery, kErrorIndex). A result sets the last error to 0.
    CQueryResult* RunQuery(std::string_view query);
    // Releases a result of this book; false when it is not one.
    bool ReleaseResult(CQueryResult* result);
    // The hit ranges of a query (for marking hits in a view); does not touch the last error.
    CSearchOutcome Search(std::string_view query, bool withRanges) const;

private:
    CContext& m_context;
    std::unique_ptr<CBook> m_book;
    std::unique_ptr<CFullTextIndex> m_index;
    std::string m_collectionDir;
    std::vector<std::unique_ptr<CQueryResult>> m_results;
};

// A browser context: the data, private and public folders, the authorisation value, the open
// books and the last error.
class CContext
{
public:
    // A context for a data folder; nullptr when dataDir is not a readable folder. The cache
    // folder for indexes is CFullTextIndex::DefaultCacheFolder(). Owned by the caller.
    static std::unique_ptr<CContext> Create(const std::string& dataDir,
                                            const std::string& privateDir,
                                            const std::string& publicDir,
                                            const std::string& authorisation);
    ~CContext();
    CContext(const CContext&) = delete;
    CContext& operator=(const CContext&) = delete;

    const std::string& DataDir() const { return m_dataDir; }
    const std::string& PrivateDir() const { return m_privateDir; }
    const std::string& PublicDir() const { return m_publicDir; }
    const std::string& Authorisation() const { return m_authorisation; }

    int LastError() const { return m_lastError; }
    void SetLastError(int error) { m_lastError = error; }

    // Where indexes are kept (tests and the program may point it elsewhere).
    const std::string& CacheFolder() const { return m_cacheFolder; }
    void SetCacheFolder(std::string folder) { m_cacheFolder = std::move(folder); }
    // Called while an index is built (the program shows it); empty by default.
    void SetProgressCallback(IndexProgressCallback callback) { m_progress = std::move(callback); }
    const IndexProgressCallback& ProgressCallback() const { return m_progress; }

    // The folder of a collection directory: relative to the data folder unless absolute,
    // "\" and "/" both separators, looked up ignoring case.
    std::string CollectionFolder(std::string_view collectionDir) const;
    // Opens <collection>/books/<bookDir>/ and its index (built or refreshed when the book
    // changed): a book owned by this context, or nullptr with the last error set.
    COpenBook* OpenBook(std::string_view collectionDir, std::string_view bookDir);
    // Closes a book of this context with its results; false when it is not one.
    bool CloseBook(COpenBook* book);

private:
    CContext() = default;

    std::string m_dataDir;
    std::string m_privateDir;
    std::string m_publicDir;
    std::string m_authorisation;
    std::string m_cacheFolder;
    IndexProgressCallback m_progress;
    int m_lastError = 0;
    std::vector<std::unique_ptr<COpenBook>> m_books;
};

} // namespace zelio
