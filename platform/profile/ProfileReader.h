#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Size of the reading buffer the model readers use: 298 characters plus the terminator.
inline constexpr std::size_t kDefaultProfileBuffer = 299;

// One INI file parsed with private-profile semantics: section and key names match ignoring
// (ASCII) case, the first section of a name and the first occurrence of a key win, blanks
// around keys and values are dropped, one pair of enclosing quotes is removed, lines whose
// first non-blank character is ';' are comments, lines before the first section are
// unreachable. A line without '=' inside a section is no entry and cannot be looked up. A
// UTF-8 signature at the start of the file is skipped. Parsing never fails: any bytes give
// some (possibly empty) set of sections.
class ParsedProfile
{
public:
    // Parses the bytes of a whole file. Values are truncated at an embedded NUL byte.
    static ParsedProfile Parse(std::string_view bytes);

    // Returns the value of the key, or nullptr when the section or the key is missing.
    // The pointer stays valid for the lifetime of this object.
    const std::string* Find(std::string_view section, std::string_view key) const;

    // The section names in file order (first occurrences only), as written.
    std::vector<std::string> SectionNames() const;
    // The key names of a section in file order (first occurrences only), as written.
    std::vector<std::string> KeyNames(std::string_view section) const;

    // Where things stand in the file, for messages that point at a line. Lines count from 1;
    // a line ends at LF, CR LF or a lone CR, as the parser splits them.
    // The line of the section's heading (the first section of that name), or 0 when missing.
    int SectionLine(std::string_view section) const;
    // The line of the entry that Find reads, or 0 when the section or the key is missing.
    int KeyLine(std::string_view section, std::string_view key) const;

private:
    struct Section
    {
        std::string name;
        std::vector<std::pair<std::string, std::string>> entries; // key as written, value
        std::map<std::string, std::size_t, std::less<>> index;    // upper-cased key -> entry
        int line = 0;                                             // of the heading
        std::vector<int> entryLines;                              // parallel to entries
    };
    std::vector<Section> m_sections;
    std::map<std::string, std::size_t, std::less<>> m_sectionIndex; // upper-cased name
};

// Reads one value the way the platform's private-profile reader does. The file is parsed
// once and cached by path, size and modification time, so reading a file key by key stays
// linear. Returns the value cut to bufferSize - 1 characters; a missing file, section or key
// gives def (cut the same way). Never throws.
std::string GetProfileString(const std::string& path, std::string_view section,
                             std::string_view key, std::string_view def,
                             std::size_t bufferSize = kDefaultProfileBuffer);

// Reads an integer value (optional sign and decimal digits after leading blanks, reading
// stops at the first other character); a missing key gives def, a value without digits 0.
int GetProfileInt(const std::string& path, std::string_view section, std::string_view key, int def);

// The parsed file, from the cache (reloaded when its size or modification time changed).
// Returns nullptr when the file cannot be read. The caller shares ownership.
std::shared_ptr<const ParsedProfile> LoadProfile(const std::string& path);

// Empties the cache (tests, and callers that know a file changed within one clock tick).
void ClearProfileCache();

} // namespace platform
