#include "QueryLibrary.h"

#include "BookFolders.h"
#include "BrowserInterface.h"
#include "files/PathLookup.h"
#include "prompter/Prompter.h"

#include <new>

namespace {

constexpr int SettingSize = 260;

// Shows the wait cursor for the lifetime of the guard.
class CWaitCursor
{
public:
    explicit CWaitCursor(platform::IPrompter* prompter) : m_prompter(prompter)
    {
        if (m_prompter)
            m_prompter->SetWaitCursor(true);
    }
    ~CWaitCursor()
    {
        if (m_prompter)
            m_prompter->SetWaitCursor(false);
    }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    platform::IPrompter* m_prompter;
};

bool IsNothingFound(int error)
{
    return error == ZEL_ERROR_NO_HITS || error == ZEL_ERROR_EMPTY_QUERY;
}

} // namespace

CQueryLibrary& CQueryLibrary::Instance()
{
    static CQueryLibrary library;
    return library;
}

std::string CQueryLibrary::ConfigFile() const
{
    return m_configFile.empty() ? DefaultConfigFile : m_configFile;
}

std::string CQueryLibrary::Section() const
{
    return m_section.empty() ? DefaultSection : m_section;
}

int CQueryLibrary::ReadSetting(const char* key, std::string& value, int size) const
{
    std::string buffer(static_cast<size_t>(size) + 1, '\0');
    const std::string file = ConfigFile();
    const std::string section = Section();
    const int answer = ZelProfileRead(0, section.c_str(), file.c_str(), key, buffer.data(), size);
    value = answer < 0 ? std::string() : std::string(buffer.c_str());
    return answer;
}

std::string CQueryLibrary::AbsoluteSetting(const std::string& value) const
{
    const std::string path = platform::NormalizeSeparators(value);
    if (path.empty() || path.starts_with('/'))
        return path;
    // Relative folders in the configuration are relative to the configuration file's folder.
    std::string configPath = platform::NormalizeSeparators(ConfigFile());
    if (configPath.find('/') == std::string::npos) {
        const char* found = ZelConfigPathGet(ConfigFile().c_str());
        if (!found)
            return path;
        configPath = platform::NormalizeSeparators(found);
        ZelConfigPathRelease(found);
    }
    const size_t slash = configPath.rfind('/');
    if (slash == std::string::npos)
        return path;
    return configPath.substr(0, slash + 1) + path;
}

bool CQueryLibrary::CreateContextServer(const char* file, const char* section)
{
    if (m_context != 0)
        return true;
    m_configFile = file && *file ? file : DefaultConfigFile;
    m_section = section && *section ? section : DefaultSection;

    std::string dataDir, authorisation, publicDir, privateDir;
    const long sum = static_cast<long>(ReadSetting("DATA_DIR", dataDir, SettingSize)) +
                     ReadSetting("ZELIO_AUTH", authorisation, SettingSize) +
                     ReadSetting("PUBLIC_DIR", publicDir, SettingSize) +
                     ReadSetting("PRIVATE_DIR", privateDir, SettingSize);
    if (sum < 0)
        return false;
    m_context =
        ZelContextCreate(AbsoluteSetting(dataDir).c_str(), AbsoluteSetting(privateDir).c_str(),
                         AbsoluteSetting(publicDir).c_str(), authorisation.c_str(), 0);
    return m_context != 0;
}

void CQueryLibrary::DestroyContextServer()
{
    if (m_context != 0)
        ZelContextDestroy(m_context);
}

CQuery* CQueryLibrary::CreateQuery()
{
    if (m_booksName.empty())
        m_booksName = "books";
    return new (std::nothrow) CQuery;
}

std::vector<CCollectionEntry> CQueryLibrary::ReadCollectionTable() const
{
    std::string value;
    ReadSetting("COLLECTION", value, MaxCollectionValue + 1);
    return ParseCollectionTable(value);
}

std::optional<CCollectionEntry> CQueryLibrary::FindCollection(std::string_view name) const
{
    const std::vector<CCollectionEntry> table = ReadCollectionTable();
    if (const CCollectionEntry* entry = FindCollectionEntry(table, name))
        return *entry;
    return std::nullopt;
}

int CQueryLibrary::QuerySingleCol(CQuery& query, std::string_view collection, std::string_view text,
                                  platform::IPrompter* prompter)
{
    CWaitCursor wait(prompter);
    query.Clear();
    const std::optional<CCollectionEntry> entry = FindCollection(collection);
    if (!entry)
        return -1;
    std::string dataDir;
    ReadSetting("DATA_DIR", dataDir, SettingSize);
    const std::vector<std::string> folders =
        ListBookFolders(BooksFolderOf(AbsoluteSetting(dataDir), entry->directory,
                                      m_booksName.empty() ? std::string("books") : m_booksName));
    if (folders.empty())
        return -1;

    auto result = std::make_unique<CCollectionResult>();
    result->m_directory = entry->directory;
    result->m_alias = entry->alias;
    result->m_query = std::string(text);
    int ran = 0;
    for (const std::string& folder : folders) {
        const uintptr_t book = ZelBookOpen(m_context, entry->directory.c_str(), folder.c_str());
        if (!book)
            continue;
        CBookResult bookResult;
        bookResult.m_directory = folder;
        if (const char* title = ZelBookTitle(book))
            bookResult.m_title = title;
        if (const uintptr_t hits = ZelQueryRun(book, result->m_query.c_str(), 0)) {
            bookResult.m_hits = ZelResultHits(hits, 1);
            ZelResultRelease(hits);
            ++ran;
        } else if (IsNothingFound(ZelLastError(m_context))) {
            bookResult.m_hits = 0;
            ++ran;
        }
        ZelBookClose(book);
        result->m_books.push_back(std::move(bookResult));
    }
    query.m_collections.push_back(std::move(result));
    return ran > 0 ? ran : -1;
}
