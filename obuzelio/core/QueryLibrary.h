#pragma once

#include "CollectionTable.h"
#include "QueryResults.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class IPrompter;
}

// The query library's state and its work through the browser's calls: the documentation
// context, the configuration it was made from, the collection table and the queries. The
// library's exports use one process-wide instance (Instance()); tests make their own.
// Used from one thread.
class CQueryLibrary
{
public:
    static constexpr const char* DefaultConfigFile = "corvelle.ini";
    static constexpr const char* DefaultSection = "zelio";
    static constexpr int MaxCollectionValue = 9999;

    // The process-wide instance the exports use.
    static CQueryLibrary& Instance();

    // Makes the documentation context from the configuration file and section (nullptr or
    // empty: "corvelle.ini" and "zelio") unless one exists: then answers true at once and
    // reads nothing. False when the settings cannot be read or the browser makes no context.
    bool CreateContextServer(const char* file, const char* section);
    // Ends the context in the browser; the handle is kept, so IsContextDefined stays true.
    void DestroyContextServer();
    bool IsContextDefined() const { return m_context != 0; }
    // Makes the given handle the documentation context.
    void SetContext(uintptr_t context) { m_context = context; }
    uintptr_t Context() const { return m_context; }

    // A new empty query object owned by the caller (free it with delete); nullptr when memory
    // runs out. The first one fixes the books folder name.
    CQuery* CreateQuery();

    // Runs the query in every book folder of the named collection (directory or alias) and
    // fills the query object with one collection result. Answers the number of book folders
    // in which the query ran, or -1 when there is none (collection unknown, no book folders,
    // nothing opened). prompter (optional) shows the wait cursor meanwhile.
    int QuerySingleCol(CQuery& query, std::string_view collection, std::string_view text,
                       platform::IPrompter* prompter);

    // The collection table of the configuration, read afresh.
    std::vector<CCollectionEntry> ReadCollectionTable() const;
    // The table entry of a directory or alias (ignoring case); nullopt when there is none.
    std::optional<CCollectionEntry> FindCollection(std::string_view name) const;

    // The configuration file and section in use ("corvelle.ini" and "zelio" before any).
    std::string ConfigFile() const;
    std::string Section() const;

private:
    // A value of the configuration section; negative when it cannot be read (value empty).
    int ReadSetting(const char* key, std::string& value, int size) const;
    // A folder setting made absolute against the configuration file's folder.
    std::string AbsoluteSetting(const std::string& value) const;

    uintptr_t m_context = 0;
    std::string m_configFile;
    std::string m_section;
    std::string m_booksName;
};
