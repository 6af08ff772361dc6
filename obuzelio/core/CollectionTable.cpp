#include "CollectionTable.h"

#include "QueryResults.h"
#include "text/AsciiCase.h"

#include <map>

namespace {

std::string_view TrimWhiteSpace(std::string_view text)
{
    constexpr std::string_view white = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(white);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(white) - first + 1);
}

} // namespace

std::vector<CCollectionEntry> ParseCollectionTable(std::string_view value)
{
    // std::string orders by unsigned bytes; emplace keeps the first alias of a directory.
    std::map<std::string, std::string> byDirectory;
    while (!value.empty()) {
        const size_t end = value.find(';');
        const std::string_view entry = value.substr(0, end);
        value = end == std::string_view::npos ? std::string_view() : value.substr(end + 1);

        const size_t equals = entry.find('=');
        const std::string_view directory = TrimWhiteSpace(entry.substr(0, equals));
        const std::string_view alias = equals == std::string_view::npos
                                           ? std::string_view()
                                           : TrimWhiteSpace(entry.substr(equals + 1));
        if (!directory.empty())
            byDirectory.emplace(std::string(directory), std::string(alias));
    }
    std::vector<CCollectionEntry> table;
    table.reserve(byDirectory.size());
    for (auto& [directory, alias] : byDirectory)
        table.push_back({directory, alias});
    return table;
}

const CCollectionEntry* FindCollectionEntry(const std::vector<CCollectionEntry>& table,
                                            std::string_view name)
{
    for (const CCollectionEntry& entry : table)
        if (platform::EqualsIgnoreAsciiCase(entry.directory, name) ||
            platform::EqualsIgnoreAsciiCase(entry.alias, name))
            return &entry;
    return nullptr;
}

bool CopyDirectoryAndAlias(const CCollectionEntry& entry, char* directory, int directoryLength,
                           char* alias, int aliasLength)
{
    return CopyToBuffer(entry.directory, directory, directoryLength) &&
           CopyToBuffer(entry.alias, alias, aliasLength);
}
