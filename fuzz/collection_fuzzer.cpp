// Feeds arbitrary bytes to the collection table parser as a "COLLECTION" value, then checks
// the table's promises: ordered by directory, no directory twice, nothing padded with white
// space, every entry found again by its directory in any case, and buffers filled only when
// the text fits.
#include "CollectionTable.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

bool Padded(const std::string& text)
{
    constexpr std::string_view white = " \t\r\n\v\f";
    return !text.empty() && (white.find(text.front()) != std::string_view::npos ||
                             white.find(text.back()) != std::string_view::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view value(reinterpret_cast<const char*>(data), size);
    const std::vector<CCollectionEntry> table = ParseCollectionTable(value);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const CCollectionEntry& entry = table[i];
        if (entry.directory.empty() || Padded(entry.directory) || Padded(entry.alias))
            std::abort();
        if (i > 0 && !(table[i - 1].directory < entry.directory))
            std::abort();
        if (entry.directory.find(';') != std::string::npos ||
            entry.directory.find('=') != std::string::npos)
            std::abort();

        std::string upper = entry.directory;
        for (char& c : upper)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        const CCollectionEntry* found = FindCollectionEntry(table, upper);
        if (!found || found > &entry)
            std::abort();

        char directory[16];
        char alias[16];
        std::memset(directory, 'x', sizeof directory);
        const bool fits = entry.directory.size() <= 15 && entry.alias.size() <= 15;
        if (CopyDirectoryAndAlias(entry, directory, 15, alias, 15) != fits)
            std::abort();
        if (entry.directory.size() > 15 && directory[0] != 'x')
            std::abort();
    }
    FindCollectionEntry(table, value);
    return 0;
}
