#include "files/PathLookup.h"

#include "text/AsciiCase.h"

#include <dirent.h>
#include <cerrno>
#include <new>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace platform {

namespace {

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}


// The entry of dir whose name equals name ignoring ASCII case. When several do, the
// smallest byte-wise wins so that the answer does not depend on directory order.
bool FindIgnoringCase(const std::string& dir, std::string_view name, std::string& found)
{
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return false;
    bool any = false;
    while (const dirent* e = ::readdir(d)) {
        std::string_view entry(e->d_name);
        if (entry == "." || entry == "..")
            continue;
        if (EqualsIgnoreAsciiCase(entry, name) && (!any || entry < found)) {
            found.assign(entry);
            any = true;
        }
    }
    ::closedir(d);
    return any;
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
        const std::string resolved = ResolveExistingPath(path);
        // Non-blocking so that opening a FIFO without a writer does not hang.
        const int fd = ::open(resolved.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return false;
        struct stat st;
        const bool ok = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
        ::close(fd);
        return ok;
    } catch (...) {
        return false;
    }
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
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return EISDIR;
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
