#include "profile/ProfileReader.h"

#include "files/PathLookup.h"
#include "text/AsciiCase.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

namespace platform {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}


std::string_view TrimBlanks(std::string_view s)
{
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && IsBlank(s[begin]))
        ++begin;
    while (end > begin && IsBlank(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

std::string_view CutAtNul(std::string_view s)
{
    const std::size_t nul = s.find('\0');
    return nul == std::string_view::npos ? s : s.substr(0, nul);
}

// Removes one pair of matching enclosing quotes; a lone or mismatched quote stays.
std::string_view StripQuotes(std::string_view s)
{
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

std::string CutToBuffer(std::string_view s, std::size_t bufferSize)
{
    if (bufferSize == 0)
        return std::string();
    return std::string(s.substr(0, bufferSize - 1));
}


struct CacheEntry
{
    std::string resolvedPath;
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::shared_ptr<const ParsedProfile> profile;
};

// Enough for every file a program reads key by key; beyond it the cache starts afresh.
constexpr std::size_t kMaxCachedFiles = 64;

std::mutex& CacheMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::unordered_map<std::string, CacheEntry>& Cache()
{
    static std::unordered_map<std::string, CacheEntry> cache;
    return cache;
}

// A relative name means a different file after the current folder changes, so the cache
// works with absolute names.
std::string AbsoluteName(const std::string& path)
{
    if (path.empty() || path.front() == '/' || path.front() == '\\')
        return path;
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd))
        return path;
    return std::string(cwd) + '/' + path;
}

} // namespace

ParsedProfile ParsedProfile::Parse(std::string_view bytes)
{
    try {
        ParsedProfile profile;
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
            bytes.remove_prefix(3); // an editor's UTF-8 signature is not part of the first line

        // Index of the section that receives keys; none before the first section and inside
        // a repeated section, whose keys are never searched.
        constexpr std::size_t kNone = static_cast<std::size_t>(-1);
        std::size_t current = kNone;
        const char* const data = bytes.data();
        const std::size_t n = bytes.size();
        // Next CR and LF at or after pos, found with memchr and kept until passed, so that a
        // file without one of them is not rescanned for every line.
        auto findFrom = [data, n](char c, std::size_t from) {
            if (from >= n)
                return n;
            const void* hit = std::memchr(data + from, c, n - from);
            return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data) : n;
        };
        std::size_t nextCr = findFrom('\r', 0);
        std::size_t nextLf = findFrom('\n', 0);
        std::size_t pos = 0;
        int lineNumber = 0;
        while (pos < n) {
            ++lineNumber;
            if (nextCr < pos)
                nextCr = findFrom('\r', pos);
            if (nextLf < pos)
                nextLf = findFrom('\n', pos);
            const std::size_t end = nextCr < nextLf ? nextCr : nextLf;
            const std::string_view line(data + pos, end - pos);
            if (end < n && data[end] == '\r' && end + 1 < n && data[end + 1] == '\n')
                pos = end + 2;
            else
                pos = end + 1;

            std::size_t first = 0;
            while (first < line.size() && IsBlank(line[first]))
                ++first;
            if (first == line.size() || line[first] == ';')
                continue;

            if (line[first] == '[') {
                std::string_view name = line.substr(first + 1);
                name = TrimBlanks(CutAtNul(name.substr(0, name.find(']'))));
                std::string upper = ToUpperAscii(name);
                if (profile.m_sectionIndex.find(upper) != profile.m_sectionIndex.end()) {
                    current = kNone;
                    continue;
                }
                current = profile.m_sections.size();
                profile.m_sections.push_back(Section{std::string(name), {}, {}, lineNumber, {}});
                profile.m_sectionIndex.emplace(std::move(upper), current);
                continue;
            }

            // A line without '=' is no entry; nothing can look it up.
            const std::size_t equals = line.find('=', first);
            if (current == kNone || equals == std::string_view::npos)
                continue;
            const std::string_view key = TrimBlanks(CutAtNul(line.substr(first, equals - first)));
            Section& section = profile.m_sections[current];
            std::string upperKey = ToUpperAscii(key);
            if (section.index.find(upperKey) != section.index.end())
                continue;
            const std::string_view value =
                CutAtNul(StripQuotes(TrimBlanks(line.substr(equals + 1))));
            section.index.emplace(std::move(upperKey), section.entries.size());
            section.entries.emplace_back(std::string(key), std::string(value));
            section.entryLines.push_back(lineNumber);
        }
        return profile;
    } catch (const std::bad_alloc&) {
        return ParsedProfile();
    }
}

const std::string* ParsedProfile::Find(std::string_view section, std::string_view key) const
{
    try {
        const auto s = m_sectionIndex.find(ToUpperAscii(section));
        if (s == m_sectionIndex.end())
            return nullptr;
        const Section& sec = m_sections[s->second];
        const auto k = sec.index.find(ToUpperAscii(key));
        if (k == sec.index.end())
            return nullptr;
        return &sec.entries[k->second].second;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::vector<std::string> ParsedProfile::SectionNames() const
{
    std::vector<std::string> names;
    try {
        names.reserve(m_sections.size());
        for (const Section& s : m_sections)
            names.push_back(s.name);
    } catch (const std::bad_alloc&) {
        names.clear();
    }
    return names;
}

std::vector<std::string> ParsedProfile::KeyNames(std::string_view section) const
{
    std::vector<std::string> names;
    try {
        const auto s = m_sectionIndex.find(ToUpperAscii(section));
        if (s == m_sectionIndex.end())
            return names;
        const Section& sec = m_sections[s->second];
        names.reserve(sec.entries.size());
        for (const auto& entry : sec.entries)
            names.push_back(entry.first);
    } catch (const std::bad_alloc&) {
        names.clear();
    }
    return names;
}

int ParsedProfile::SectionLine(std::string_view section) const
{
    try {
        const auto s = m_sectionIndex.find(ToUpperAscii(section));
        return s == m_sectionIndex.end() ? 0 : m_sections[s->second].line;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int ParsedProfile::KeyLine(std::string_view section, std::string_view key) const
{
    try {
        const auto s = m_sectionIndex.find(ToUpperAscii(section));
        if (s == m_sectionIndex.end())
            return 0;
        const Section& sec = m_sections[s->second];
        const auto k = sec.index.find(ToUpperAscii(key));
        return k == sec.index.end() ? 0 : sec.entryLines[k->second];
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

std::shared_ptr<const ParsedProfile> LoadProfile(const std::string& name)
{
    try {
        const std::string path = AbsoluteName(name);
        {
            // Fast path: the file found last time has not changed. The resolved name is
            // cached too, so a name written in another case costs no directory scan per key.
            std::unique_lock lock(CacheMutex());
            const auto it = Cache().find(path);
            if (it != Cache().end()) {
                const CacheEntry entry = it->second;
                lock.unlock();
                std::uint64_t size = 0;
                std::int64_t mtimeNs = 0;
                if (FileStatus(entry.resolvedPath, size, mtimeNs) && size == entry.size &&
                    mtimeNs == entry.mtimeNs)
                    return entry.profile;
            }
        }

        CacheEntry entry;
        entry.resolvedPath = ResolveExistingPath(path);
        std::string bytes;
        if (ReadRegularFile(entry.resolvedPath, bytes, &entry.size, &entry.mtimeNs) != 0) {
            std::lock_guard lock(CacheMutex());
            Cache().erase(path);
            return nullptr;
        }
        entry.profile = std::make_shared<const ParsedProfile>(ParsedProfile::Parse(bytes));

        std::lock_guard lock(CacheMutex());
        auto& cache = Cache();
        if (cache.size() >= kMaxCachedFiles && cache.find(path) == cache.end())
            cache.clear();
        cache[path] = entry;
        return entry.profile;
    } catch (...) {
        return nullptr;
    }
}

void ClearProfileCache()
{
    std::lock_guard lock(CacheMutex());
    Cache().clear();
}

std::string GetProfileString(const std::string& path, std::string_view section,
                             std::string_view key, std::string_view def, std::size_t bufferSize)
{
    try {
        const auto profile = LoadProfile(path);
        if (profile) {
            if (const std::string* value = profile->Find(section, key))
                return CutToBuffer(*value, bufferSize);
        }
        return CutToBuffer(def, bufferSize);
    } catch (...) {
        return std::string();
    }
}

int GetProfileInt(const std::string& path, std::string_view section, std::string_view key, int def)
{
    try {
        const auto profile = LoadProfile(path);
        const std::string* value = profile ? profile->Find(section, key) : nullptr;
        if (!value)
            return def;
        std::string_view s = TrimBlanks(*value);
        bool negative = false;
        if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
            negative = s.front() == '-';
            s.remove_prefix(1);
        }
        // Accumulate as a 64-bit number and saturate, so that a long digit run cannot
        // overflow into a wrong sign.
        long long magnitude = 0;
        for (const char c : s) {
            if (c < '0' || c > '9')
                break;
            if (magnitude <= static_cast<long long>(INT_MAX) + 1)
                magnitude = magnitude * 10 + (c - '0');
        }
        long long result = negative ? -magnitude : magnitude;
        if (result > INT_MAX)
            result = INT_MAX;
        if (result < INT_MIN)
            result = INT_MIN;
        return static_cast<int>(result);
    } catch (...) {
        return def;
    }
}

} // namespace platform
