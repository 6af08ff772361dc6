#pragma once

#include "Book.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace zelio {

// Progress of an index build, reported after every content file.
struct CIndexProgress
{
    std::size_t filesDone = 0;
    std::size_t filesTotal = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
};
using IndexProgressCallback = std::function<void(const CIndexProgress&)>;

// A hit inside a content file's plain text (CBook::ReadText): bytes [begin, end).
struct CHitRange
{
    std::size_t begin = 0;
    std::size_t end = 0;
    bool operator==(const CHitRange&) const = default;
};

// The hits of a query in one content file.
struct CFileHits
{
    std::size_t fileIndex = 0; // into CBook::ContentFiles()
    long hits = 0;
    std::vector<CHitRange> ranges; // filled only when ranges were asked for, in text order
};

// The outcome of a search: the error (kErrorNone, kErrorNoHits, kErrorEmptyQuery,
// kErrorIndex), the hits in the whole book, and the files with hits in file order.
struct CSearchOutcome
{
    int error = 0;
    long hits = 0;
    std::vector<CFileHits> files;
};

// The full-text index of one book: an SQLite FTS5 table with one row per content file (its
// plain text), kept in a cache folder in a file named from a hash of the book's folder, with
// a signature table of the files' names, sizes and modification times. Opening compares the
// signature with the book and rebuilds the index when they differ or when the file is
// missing, corrupt or of another format. A build writes a temporary file and renames it over
// the old one, so a half-built index is never used.
class CFullTextIndex
{
public:
    ~CFullTextIndex();
    CFullTextIndex(const CFullTextIndex&) = delete;
    CFullTextIndex& operator=(const CFullTextIndex&) = delete;

    // $XDG_CACHE_HOME/zelio, default ~/.cache/zelio (not created here).
    static std::string DefaultCacheFolder();
    // The index file of a book folder in a cache folder.
    static std::string IndexPath(const std::string& cacheFolder, const std::string& bookFolder);

    // Opens the book's index in cacheFolder (created when missing), building it when needed.
    // When the cache folder cannot be written, the index is built in memory and lives as long
    // as this object. progress (optional) is called during a build. Answers nullptr only when
    // no index can be made at all. Owned by the caller.
    // forceBuild builds it even when the stored index looks current (one that failed while
    // being searched).
    static std::unique_ptr<CFullTextIndex> Open(const CBook& book, const std::string& cacheFolder,
                                                const IndexProgressCallback& progress = {},
                                                bool forceBuild = false);

    // True when Open had to build the index.
    bool WasBuilt() const { return m_built; }
    // The index file, or empty when the index is in memory.
    const std::string& Path() const { return m_path; }

    // Runs a query of the browser's query language. Counts every occurrence of a matched term
    // or phrase; with withRanges, also gives the hit ranges in each file's plain text.
    CSearchOutcome Search(std::string_view query, bool withRanges) const;

    // The plain text of content file index as the index holds it; false when missing.
    bool FileText(std::size_t index, std::string& text) const;

    // The number of index tokens of a text (the index's own tokenizer).
    std::size_t CountTokens(std::string_view text) const;

private:
    struct CTokenizer;

    CFullTextIndex() = default;
    bool Prepare(); // registers the hit functions and makes the tokenizer

    sqlite3* m_db = nullptr;
    std::string m_path;
    bool m_built = false;
    std::unique_ptr<CTokenizer> m_tokenizer;
};

} // namespace zelio
