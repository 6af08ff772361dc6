#include "Context.h"

#include "Handles.h"
#include "StringUtil.h"
#include "ZelioErrors.h"
#include "files/PathLookup.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zelio {

namespace fs = std::filesystem;

namespace {

bool IsReadableFolder(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec) && ::access(path.c_str(), R_OK | X_OK) == 0;
}

// The entry of a folder whose name equals name, ignoring case when it is not there as
// written; empty when there is none.
std::string ChildFolder(const std::string& folder, std::string_view name)
{
    const std::string path = platform::ResolveExistingPath(folder + "/" + std::string(name));
    std::error_code ec;
    return fs::is_directory(path, ec) ? path : std::string();
}

} // namespace

// ---- CQueryResult --------------------------------------------------------------------------

CQueryResult::CQueryResult(COpenBook& book, std::string query, CSearchOutcome outcome)
    : m_book(book), m_query(std::move(query)), m_outcome(std::move(outcome))
{
    RegisterHandle(this, HandleKind::Result);
}

CQueryResult::~CQueryResult()
{
    UnregisterHandle(this);
}

const std::vector<CFileHits>& CQueryResult::Files()
{
    if (!m_haveRanges) {
        CSearchOutcome ranged = m_book.Search(m_query, true);
        if (ranged.error == kErrorNone)
            m_outcome.files = std::move(ranged.files);
        m_haveRanges = true;
    }
    return m_outcome.files;
}

// ---- COpenBook -----------------------------------------------------------------------------

COpenBook::COpenBook(CContext& context, std::unique_ptr<CBook> book,
                     std::unique_ptr<CFullTextIndex> index, std::string collectionDir)
    : m_context(context), m_book(std::move(book)), m_index(std::move(index)),
      m_collectionDir(std::move(collectionDir))
{
    RegisterHandle(this, HandleKind::Book);
}

COpenBook::~COpenBook()
{
    m_results.clear();
    UnregisterHandle(this);
}

bool COpenBook::Text(std::size_t index, std::string& text) const
{
    return m_index->FileText(index, text) || m_book->ReadText(index, text);
}

CSearchOutcome COpenBook::Search(std::string_view query, bool withRanges) const
{
    return m_index->Search(query, withRanges);
}

CQueryResult* COpenBook::RunQuery(std::string_view query)
{
    CSearchOutcome outcome = m_index->Search(query, false);
    if (outcome.error == kErrorIndex) {
        // The stored index failed while being read (damaged on disk): build it afresh once.
        if (auto rebuilt = CFullTextIndex::Open(*m_book, m_context.CacheFolder(),
                                                m_context.ProgressCallback(), true)) {
            m_index = std::move(rebuilt);
            outcome = m_index->Search(query, false);
        }
    }
    m_context.SetLastError(outcome.error);
    if (outcome.error != kErrorNone)
        return nullptr;
    m_results.push_back(
        std::make_unique<CQueryResult>(*this, std::string(query), std::move(outcome)));
    return m_results.back().get();
}

bool COpenBook::ReleaseResult(CQueryResult* result)
{
    const auto it = std::find_if(m_results.begin(), m_results.end(),
                                 [result](const auto& owned) { return owned.get() == result; });
    if (it == m_results.end())
        return false;
    m_results.erase(it);
    return true;
}

// ---- CContext ------------------------------------------------------------------------------

std::unique_ptr<CContext> CContext::Create(const std::string& dataDir,
                                           const std::string& privateDir,
                                           const std::string& publicDir,
                                           const std::string& authorisation)
{
    std::string data = platform::ResolveExistingPath(dataDir);
    if (!IsReadableFolder(data))
        return nullptr;
    std::unique_ptr<CContext> context(new CContext());
    context->m_dataDir = AbsolutePath(data);
    context->m_privateDir = privateDir;
    context->m_publicDir = publicDir;
    context->m_authorisation = authorisation;
    context->m_cacheFolder = CFullTextIndex::DefaultCacheFolder();
    RegisterHandle(context.get(), HandleKind::Context);
    return context;
}

CContext::~CContext()
{
    m_books.clear();
    UnregisterHandle(this);
}

std::string CContext::CollectionFolder(std::string_view collectionDir) const
{
    std::string dir = platform::NormalizeSeparators(collectionDir);
    if (dir.empty() || dir.front() != '/')
        dir = m_dataDir + "/" + dir;
    return platform::ResolveExistingPath(dir);
}

COpenBook* CContext::OpenBook(std::string_view collectionDir, std::string_view bookDir)
{
    const std::string name = platform::NormalizeSeparators(bookDir);
    // A book is one folder inside "books": no empty name, no way out of it.
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        m_lastError = kErrorNotABook;
        return nullptr;
    }
    const std::string books = ChildFolder(CollectionFolder(collectionDir), "books");
    const std::string folder = books.empty() ? std::string() : ChildFolder(books, name);
    std::unique_ptr<CBook> book = folder.empty() ? nullptr : CBook::Open(folder);
    if (!book) {
        m_lastError = kErrorNotABook;
        return nullptr;
    }
    std::unique_ptr<CFullTextIndex> index = CFullTextIndex::Open(*book, m_cacheFolder, m_progress);
    if (!index) {
        m_lastError = kErrorIndex;
        return nullptr;
    }
    m_lastError = kErrorNone;
    m_books.push_back(std::make_unique<COpenBook>(*this, std::move(book), std::move(index),
                                                  std::string(collectionDir)));
    return m_books.back().get();
}

bool CContext::CloseBook(COpenBook* book)
{
    const auto it = std::find_if(m_books.begin(), m_books.end(),
                                 [book](const auto& owned) { return owned.get() == book; });
    if (it == m_books.end())
        return false;
    m_books.erase(it);
    return true;
}

} // namespace zelio
