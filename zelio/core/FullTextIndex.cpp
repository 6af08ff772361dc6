#include "FullTextIndex.h"

#include "QueryParser.h"
#include "ZelioErrors.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace zelio {

namespace fs = std::filesystem;

namespace {

// Written into each index; an index of another format is rebuilt.
constexpr const char* kFormat = "zelio-fts 1";

std::uint64_t Fnv1a64(std::string_view text)
{
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

// Owns a prepared statement.
class CStatement
{
public:
    CStatement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            m_stmt = nullptr;
    }
    ~CStatement() { sqlite3_finalize(m_stmt); }
    CStatement(const CStatement&) = delete;
    CStatement& operator=(const CStatement&) = delete;
    explicit operator bool() const { return m_stmt != nullptr; }
    sqlite3_stmt* operator*() const { return m_stmt; }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

bool Exec(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

fts5_api* Fts5Api(sqlite3* db)
{
    fts5_api* api = nullptr;
    CStatement stmt(db, "SELECT fts5(?1)");
    if (!stmt)
        return nullptr;
    sqlite3_bind_pointer(*stmt, 1, &api, "fts5_api_ptr", nullptr);
    sqlite3_step(*stmt);
    return api;
}

// zelio_hits(body): the number of phrase occurrences in the row.
void HitsFunction(const Fts5ExtensionApi* api, Fts5Context* fts, sqlite3_context* ctx, int,
                  sqlite3_value**)
{
    int count = 0;
    if (api->xInstCount(fts, &count) != SQLITE_OK) {
        sqlite3_result_error(ctx, "zelio_hits failed", -1);
        return;
    }
    sqlite3_result_int(ctx, count);
}

struct TokenSpan
{
    int begin;
    int end;
};

int CollectToken(void* context, int flags, const char*, int, int begin, int end)
{
    if (flags & FTS5_TOKEN_COLOCATED)
        return SQLITE_OK;
    static_cast<std::vector<TokenSpan>*>(context)->push_back({begin, end});
    return SQLITE_OK;
}

// zelio_ranges(body): a blob of (begin, end) byte pairs (64-bit) of every phrase occurrence,
// sorted by position.
void RangesFunction(const Fts5ExtensionApi* api, Fts5Context* fts, sqlite3_context* ctx, int,
                    sqlite3_value**)
{
    int count = 0;
    const char* text = nullptr;
    int length = 0;
    std::vector<TokenSpan> tokens;
    if (api->xInstCount(fts, &count) != SQLITE_OK ||
        api->xColumnText(fts, 0, &text, &length) != SQLITE_OK ||
        api->xTokenize(fts, text, length, &tokens, CollectToken) != SQLITE_OK) {
        sqlite3_result_error(ctx, "zelio_ranges failed", -1);
        return;
    }
    std::vector<std::int64_t> pairs;
    pairs.reserve(static_cast<std::size_t>(count) * 2);
    for (int i = 0; i < count; ++i) {
        int phrase = 0, column = 0, offset = 0;
        if (api->xInst(fts, i, &phrase, &column, &offset) != SQLITE_OK)
            continue;
        const int size = std::max(1, api->xPhraseSize(fts, phrase));
        if (offset < 0 || static_cast<std::size_t>(offset) >= tokens.size())
            continue;
        const std::size_t last =
            std::min(tokens.size() - 1, static_cast<std::size_t>(offset) + size - 1);
        pairs.push_back(tokens[static_cast<std::size_t>(offset)].begin);
        pairs.push_back(tokens[last].end);
    }
    sqlite3_result_blob(ctx, pairs.data(), static_cast<int>(pairs.size() * sizeof(std::int64_t)),
                        SQLITE_TRANSIENT);
}

// The stored signature of the book: its content files in order.
bool SignatureMatches(sqlite3* db, const CBook& book)
{
    CStatement meta(db, "SELECT value FROM meta WHERE key = ?1");
    if (!meta)
        return false;
    const auto metaValue = [&](const char* key, std::string& value) {
        sqlite3_reset(*meta);
        sqlite3_bind_text(*meta, 1, key, -1, SQLITE_STATIC);
        if (sqlite3_step(*meta) != SQLITE_ROW)
            return false;
        const unsigned char* text = sqlite3_column_text(*meta, 0);
        value = text ? reinterpret_cast<const char*>(text) : "";
        return true;
    };
    std::string format, folder;
    if (!metaValue("format", format) || format != kFormat || !metaValue("folder", folder) ||
        folder != book.Folder())
        return false;

    CStatement files(db, "SELECT id, name, size, mtime FROM files ORDER BY id");
    if (!files)
        return false;
    const auto& content = book.ContentFiles();
    std::size_t i = 0;
    int rc;
    while ((rc = sqlite3_step(*files)) == SQLITE_ROW) {
        if (i >= content.size())
            return false;
        const unsigned char* name = sqlite3_column_text(*files, 1);
        if (sqlite3_column_int64(*files, 0) != static_cast<sqlite3_int64>(i) || !name ||
            content[i].name != reinterpret_cast<const char*>(name) ||
            static_cast<std::uint64_t>(sqlite3_column_int64(*files, 2)) != content[i].size ||
            sqlite3_column_int64(*files, 3) != content[i].mtimeNs)
            return false;
        ++i;
    }
    if (rc != SQLITE_DONE || i != content.size())
        return false;
    // The text table must be readable too: a damaged one is found here, not at query time.
    CStatement rows(db, "SELECT (SELECT count(*) FROM body_content),"
                        " (SELECT count(*) FROM body_data)");
    return rows && sqlite3_step(*rows) == SQLITE_ROW &&
           sqlite3_column_int64(*rows, 0) == static_cast<sqlite3_int64>(content.size());
}

// Writes the whole index of the book into db (empty), in one transaction.
bool BuildInto(sqlite3* db, const CBook& book, const IndexProgressCallback& progress)
{
    if (!Exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-16000;"
                  "BEGIN;"
                  "CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT);"
                  "CREATE TABLE files(id INTEGER PRIMARY KEY, name TEXT, size INTEGER,"
                  " mtime INTEGER);"
                  "CREATE VIRTUAL TABLE body USING fts5(text);"))
        return false;
    {
        CStatement meta(db, "INSERT INTO meta(key, value) VALUES (?1, ?2)");
        CStatement file(db, "INSERT INTO files(id, name, size, mtime) VALUES (?1, ?2, ?3, ?4)");
        CStatement body(db, "INSERT INTO body(rowid, text) VALUES (?1, ?2)");
        if (!meta || !file || !body)
            return false;
        const auto putMeta = [&](const char* key, const std::string& value) {
            sqlite3_reset(*meta);
            sqlite3_bind_text(*meta, 1, key, -1, SQLITE_STATIC);
            sqlite3_bind_text(*meta, 2, value.data(), static_cast<int>(value.size()),
                              SQLITE_STATIC);
            return sqlite3_step(*meta) == SQLITE_DONE;
        };
        if (!putMeta("format", kFormat) || !putMeta("folder", book.Folder()))
            return false;

        const auto& content = book.ContentFiles();
        CIndexProgress state;
        state.filesTotal = content.size();
        for (const CContentFile& f : content)
            state.bytesTotal += f.size;
        if (progress)
            progress(state);
        std::string text;
        for (std::size_t i = 0; i < content.size(); ++i) {
            // An unreadable file is indexed as empty; it is read again when it changes.
            book.ReadText(i, text);
            if (text.size() > static_cast<std::size_t>(INT32_MAX))
                text.clear();
            const auto id = static_cast<sqlite3_int64>(i);
            sqlite3_reset(*file);
            sqlite3_bind_int64(*file, 1, id);
            sqlite3_bind_text(*file, 2, content[i].name.data(),
                              static_cast<int>(content[i].name.size()), SQLITE_STATIC);
            sqlite3_bind_int64(*file, 3, static_cast<sqlite3_int64>(content[i].size));
            sqlite3_bind_int64(*file, 4, content[i].mtimeNs);
            sqlite3_reset(*body);
            sqlite3_bind_int64(*body, 1, id);
            sqlite3_bind_text(*body, 2, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
            if (sqlite3_step(*file) != SQLITE_DONE || sqlite3_step(*body) != SQLITE_DONE)
                return false;
            ++state.filesDone;
            state.bytesDone += content[i].size;
            if (progress)
                progress(state);
        }
    }
    // Merge the segments so that queries read one b-tree.
    return Exec(db, "INSERT INTO body(body) VALUES('optimize'); COMMIT;");
}

std::string TempPath(const std::string& path)
{
    static std::atomic<unsigned> counter{0};
    return path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

} // namespace

struct CFullTextIndex::CTokenizer
{
    fts5_tokenizer api{};
    Fts5Tokenizer* tokenizer = nullptr;
    ~CTokenizer()
    {
        if (tokenizer)
            api.xDelete(tokenizer);
    }
};

CFullTextIndex::~CFullTextIndex()
{
    m_tokenizer.reset();
    sqlite3_close(m_db);
}

std::string CFullTextIndex::DefaultCacheFolder()
{
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && *cache == '/')
        return std::string(cache) + "/zelio";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.cache/zelio";
}

std::string CFullTextIndex::IndexPath(const std::string& cacheFolder, const std::string& bookFolder)
{
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.fts",
                  static_cast<unsigned long long>(Fnv1a64(bookFolder)));
    return cacheFolder + "/" + name;
}

bool CFullTextIndex::Prepare()
{
    fts5_api* api = Fts5Api(m_db);
    if (!api)
        return false;
    if (api->xCreateFunction(api, "zelio_hits", nullptr, HitsFunction, nullptr) != SQLITE_OK ||
        api->xCreateFunction(api, "zelio_ranges", nullptr, RangesFunction, nullptr) != SQLITE_OK)
        return false;
    auto tokenizer = std::make_unique<CTokenizer>();
    void* userData = nullptr;
    if (api->xFindTokenizer(api, "unicode61", &userData, &tokenizer->api) != SQLITE_OK ||
        tokenizer->api.xCreate(userData, nullptr, 0, &tokenizer->tokenizer) != SQLITE_OK)
        return false;
    m_tokenizer = std::move(tokenizer);
    return true;
}

std::unique_ptr<CFullTextIndex> CFullTextIndex::Open(const CBook& book,
                                                     const std::string& cacheFolder,
                                                     const IndexProgressCallback& progress,
                                                     bool forceBuild)
{
    std::unique_ptr<CFullTextIndex> index(new CFullTextIndex());
    std::error_code ec;
    const bool onDisk = !cacheFolder.empty() && (fs::create_directories(cacheFolder, ec), !ec) &&
                        ::access(cacheFolder.c_str(), W_OK | X_OK) == 0;
    if (onDisk) {
        const std::string path = IndexPath(cacheFolder, book.Folder());
        // The stored index, when it is current.
        if (!forceBuild && fs::is_regular_file(path, ec)) {
            sqlite3* db = nullptr;
            if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
                SignatureMatches(db, book)) {
                index->m_db = db;
                index->m_path = path;
                if (index->Prepare())
                    return index;
                sqlite3_close(index->m_db);
                index->m_db = nullptr;
            } else {
                sqlite3_close(db);
            }
        }
        // Build it into a temporary file, then put it in place.
        const std::string temp = TempPath(path);
        sqlite3* db = nullptr;
        bool built = sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                                     nullptr) == SQLITE_OK &&
                     BuildInto(db, book, progress);
        built = sqlite3_close(db) == SQLITE_OK && built;
        if (built && std::rename(temp.c_str(), path.c_str()) == 0 &&
            sqlite3_open_v2(path.c_str(), &index->m_db, SQLITE_OPEN_READONLY, nullptr) ==
                SQLITE_OK &&
            index->Prepare()) {
            index->m_path = path;
            index->m_built = true;
            return index;
        }
        fs::remove(temp, ec);
        sqlite3_close(index->m_db);
        index->m_db = nullptr;
    }
    // No usable cache folder: an index in memory for as long as the book is open.
    if (sqlite3_open_v2(":memory:", &index->m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK ||
        !BuildInto(index->m_db, book, progress) || !index->Prepare())
        return nullptr;
    index->m_path.clear();
    index->m_built = true;
    return index;
}

std::size_t CFullTextIndex::CountTokens(std::string_view text) const
{
    if (!m_tokenizer || text.size() > static_cast<std::size_t>(INT32_MAX))
        return CountTokensSimple(text);
    std::size_t count = 0;
    const auto onToken = [](void* context, int flags, const char*, int, int, int) {
        if (!(flags & FTS5_TOKEN_COLOCATED))
            ++*static_cast<std::size_t*>(context);
        return SQLITE_OK;
    };
    m_tokenizer->api.xTokenize(m_tokenizer->tokenizer, &count, FTS5_TOKENIZE_QUERY, text.data(),
                               static_cast<int>(text.size()), onToken);
    return count;
}

CSearchOutcome CFullTextIndex::Search(std::string_view query, bool withRanges) const
{
    CSearchOutcome outcome;
    std::string match;
    if (!BuildMatchExpression(
            query, [this](std::string_view text) { return CountTokens(text); }, match)) {
        outcome.error = kErrorEmptyQuery;
        return outcome;
    }
    CStatement stmt(m_db, withRanges ? "SELECT rowid, zelio_hits(body), zelio_ranges(body)"
                                       " FROM body WHERE body MATCH ?1 ORDER BY rowid"
                                     : "SELECT rowid, zelio_hits(body)"
                                       " FROM body WHERE body MATCH ?1 ORDER BY rowid");
    if (!stmt) {
        outcome.error = kErrorIndex;
        return outcome;
    }
    sqlite3_bind_text(*stmt, 1, match.data(), static_cast<int>(match.size()), SQLITE_STATIC);
    int rc;
    while ((rc = sqlite3_step(*stmt)) == SQLITE_ROW) {
        CFileHits file;
        file.fileIndex = static_cast<std::size_t>(sqlite3_column_int64(*stmt, 0));
        file.hits = sqlite3_column_int(*stmt, 1);
        if (withRanges) {
            const auto* pairs = static_cast<const std::int64_t*>(sqlite3_column_blob(*stmt, 2));
            const std::size_t n =
                static_cast<std::size_t>(sqlite3_column_bytes(*stmt, 2)) / sizeof(std::int64_t);
            for (std::size_t i = 0; pairs && i + 1 < n; i += 2)
                file.ranges.push_back(
                    {static_cast<std::size_t>(pairs[i]), static_cast<std::size_t>(pairs[i + 1])});
            std::sort(file.ranges.begin(), file.ranges.end(),
                      [](const CHitRange& a, const CHitRange& b) {
                          return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
                      });
        }
        if (file.hits <= 0)
            continue;
        outcome.hits += file.hits;
        outcome.files.push_back(std::move(file));
    }
    if (rc != SQLITE_DONE) {
        outcome = CSearchOutcome();
        outcome.error = kErrorIndex;
        return outcome;
    }
    if (outcome.hits == 0)
        outcome.error = kErrorNoHits;
    return outcome;
}

bool CFullTextIndex::FileText(std::size_t index, std::string& text) const
{
    text.clear();
    CStatement stmt(m_db, "SELECT text FROM body WHERE rowid = ?1");
    if (!stmt)
        return false;
    sqlite3_bind_int64(*stmt, 1, static_cast<sqlite3_int64>(index));
    if (sqlite3_step(*stmt) != SQLITE_ROW)
        return false;
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(*stmt, 0));
    if (data)
        text.assign(data, static_cast<std::size_t>(sqlite3_column_bytes(*stmt, 0)));
    return true;
}

} // namespace zelio
