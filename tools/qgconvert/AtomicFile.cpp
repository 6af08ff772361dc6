#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

CAtomicFile::CAtomicFile(std::string path) : m_path(std::move(path)) {}

CAtomicFile::~CAtomicFile()
{
    Discard();
}

void CAtomicFile::Discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_tempPath.empty())
        ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
}

bool CAtomicFile::Open()
{
    Discard();
    m_failed = true;
    if (m_path.empty())
        return false;
    // A link is followed: the file it names is replaced, the link stays.
    std::string target = m_path;
    struct stat status
    {
    };
    if (::lstat(m_path.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        char resolved[PATH_MAX];
        if (!::realpath(m_path.c_str(), resolved))
            return false;
        target = resolved;
    }
    mode_t mode = 0;
    if (::stat(target.c_str(), &status) == 0) {
        if (!S_ISREG(status.st_mode) || ::access(target.c_str(), W_OK) != 0)
            return false;
        mode = status.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    m_path = target;
    m_tempPath = temp;
    m_fd = fd;
    if (::fchmod(fd, mode) != 0) {
        Discard();
        return false;
    }
    m_failed = false;
    return true;
}

bool CAtomicFile::Write(const void* data, std::size_t size)
{
    if (m_failed || m_fd < 0)
        return false;
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(m_fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_failed = true;
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool CAtomicFile::Commit()
{
    if (m_failed || m_fd < 0) {
        Discard();
        return false;
    }
    // No flush to disk before the rename: the promise is that a failure of this program (an
    // error, a crash, being killed) never leaves a half-written file, and the rename alone
    // keeps it, since the kernel holds the written bytes whatever becomes of the process.
    // Only a crash of the whole system before the data reaches the disk could leave an empty
    // file; a conversion can be run again, and waiting for the disk would cost more than the
    // conversion itself.
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 || ::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
        Discard();
        return false;
    }
    m_tempPath.clear();
    return true;
}
