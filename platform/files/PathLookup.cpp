#include "files/PathLookup.h"

#include "text/AsciiCase.h"

#include <dirent.h>
#include <cerrno>
#include <new>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace platform {

namespace {

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}


// The names of a directory, upper-cased, each with the byte-wise smallest name that folds to
// it. Listings are cached by directory and its modification time (which changes whenever an
// entry is added, removed or renamed), so a model naming many missing files scans its folder
// once, not once per file.
struct DirectoryListing
{
    std::int64_t mtimeNs = 0;
    std::unordered_map<std::string, std::string> byUpperName;
};

std::mutex& ListingMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::unordered_map<std::string, DirectoryListing>& Listings()
{
    static std::unordered_map<std::string, DirectoryListing> listings;
    return listings;
}

constexpr std::size_t kMaxCachedListings = 64;

bool ReadListing(const std::string& dir, DirectoryListing& listing)
{
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return false;
    while (const dirent* e = ::readdir(d)) {
        const std::string_view entry(e->d_name);
        if (entry == "." || entry == "..")
            continue;
        auto [it, inserted] = listing.byUpperName.try_emplace(ToUpperAscii(entry), entry);
        if (!inserted && entry < it->second)
            it->second.assign(entry);
    }
    ::closedir(d);
    return true;
}

// The entry of dir whose name equals name ignoring ASCII case. When several do, the
// smallest byte-wise wins so that the answer does not depend on directory order.
bool FindIgnoringCase(const std::string& dir, std::string_view name, std::string& found)
{
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    const std::int64_t mtimeNs =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    std::lock_guard<std::mutex> lock(ListingMutex());
    auto& listings = Listings();
    auto it = listings.find(dir);
    if (it == listings.end() || it->second.mtimeNs != mtimeNs) {
        DirectoryListing listing;
        listing.mtimeNs = mtimeNs;
        if (!ReadListing(dir, listing))
            return false;
        if (listings.size() >= kMaxCachedListings)
            listings.clear();
        it = listings.insert_or_assign(dir, std::move(listing)).first;
    }
    const auto match = it->second.byUpperName.find(ToUpperAscii(name));
    if (match == it->second.byUpperName.end())
        return false;
    found = match->second;
    return true;
}

std::string Join(const std::string& prefix, std::string_view name)
{
    std::string joined = prefix;
    if (!joined.empty() && joined.back() != '/')
        joined += '/';
    joined += name;
    return joined;
}

} // namespace

std::string NormalizeSeparators(std::string_view path)
{
    std::string result(path);
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

std::string ResolveExistingPath(std::string_view path)
{
    try {
        std::string normalized = NormalizeSeparators(path);
        if (normalized.empty() || Exists(normalized))
            return normalized;

        const bool absolute = normalized.front() == '/';
        const bool trailingSlash = normalized.size() > 1 && normalized.back() == '/';
        std::string result = absolute ? "/" : "";
        std::string found;
        std::size_t pos = 0;
        // Usually only the last name is off: when the folder exists as written, start there.
        const std::size_t lastSlash = normalized.find_last_of('/', normalized.size() - 2);
        if (lastSlash != std::string::npos && lastSlash > 0 &&
            Exists(normalized.substr(0, lastSlash))) {
            result = normalized.substr(0, lastSlash);
            pos = lastSlash + 1;
        }
        while (pos < normalized.size()) {
            std::size_t slash = normalized.find('/', pos);
            if (slash == std::string::npos)
                slash = normalized.size();
            const std::string_view component =
                std::string_view(normalized).substr(pos, slash - pos);
            pos = slash + 1;
            if (component.empty() || component == ".")
                continue;
            std::string candidate = Join(result, component);
            if (!Exists(candidate)) {
                if (!FindIgnoringCase(result.empty() ? "." : result, component, found))
                    return normalized;
                candidate = Join(result, found);
            }
            result = std::move(candidate);
        }
        if (result.empty())
            return normalized;
        if (trailingSlash && result.back() != '/')
            result += '/';
        return result;
    } catch (...) {
        return std::string();
    }
}

bool CanOpenForReading(std::string_view path)
{
    try {
        // The name as written is tried first; only a missing file is looked up ignoring case.
        const std::string normalized = NormalizeSeparators(path);
        int fd = -1;
        int error = OpenRegularFile(normalized, fd);
        if (error == ENOENT) {
            const std::string resolved = ResolveExistingPath(normalized);
            if (resolved != normalized)
                error = OpenRegularFile(resolved, fd);
        }
        if (error != 0)
            return false;
        ::close(fd);
        return true;
    } catch (...) {
        return false;
    }
}

int OpenRegularFile(const std::string& path, int& fd)
{
    fd = -1;
    if (path.empty())
        return ENOENT;
    // Non-blocking so that opening a FIFO without a writer does not wait; no controlling
    // terminal when the path names one.
    const int opened = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (opened < 0) {
        const int error = errno;
        // A socket cannot be opened at all (ENXIO); say what it is instead.
        struct stat st;
        if (error != ENOENT && ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            return EISDIR;
        return error;
    }
    struct stat st;
    if (::fstat(opened, &st) != 0) {
        const int error = errno;
        ::close(opened);
        return error;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(opened);
        return EISDIR;
    }
    // Reads of a regular file never block; the descriptor goes back to its usual mode.
    const int flags = ::fcntl(opened, F_GETFL);
    if (flags != -1)
        ::fcntl(opened, F_SETFL, flags & ~O_NONBLOCK);
    fd = opened;
    return 0;
}

bool FileStatus(std::string_view path, std::uint64_t& size, std::int64_t& mtimeNs)
{
    try {
        const std::string resolved = ResolveExistingPath(path);
        struct stat st;
        if (::stat(resolved.c_str(), &st) != 0)
            return false;
        size = static_cast<std::uint64_t>(st.st_size);
        mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        return true;
    } catch (...) {
        return false;
    }
}

int ReadRegularFile(const std::string& path, std::string& bytes, std::uint64_t* size,
                    std::int64_t* mtimeNs)
{
    int fd = -1;
    if (const int error = OpenRegularFile(path, fd); error != 0)
        return error;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    if (size)
        *size = static_cast<std::uint64_t>(st.st_size);
    if (mtimeNs)
        *mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    int error = 0;
    try {
        bytes.clear();
        bytes.reserve(static_cast<std::size_t>(st.st_size));
        char chunk[65536];
        for (;;) {
            const ssize_t got = ::read(fd, chunk, sizeof chunk);
            if (got == 0)
                break;
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                error = errno;
                break;
            }
            bytes.append(chunk, static_cast<std::size_t>(got));
        }
    } catch (const std::bad_alloc&) {
        error = ENOMEM;
    }
    ::close(fd);
    return error;
}

} // namespace platform
