#include "ReportFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void AppendFormat(std::string& out, const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0) {
        va_end(copy);
        return;
    }
    if (static_cast<std::size_t>(n) < sizeof buffer) {
        out.append(buffer, static_cast<std::size_t>(n));
    } else {
        const std::size_t old = out.size();
        out.resize(old + static_cast<std::size_t>(n) + 1);
        std::vsnprintf(out.data() + old, static_cast<std::size_t>(n) + 1, format, copy);
        out.resize(old + static_cast<std::size_t>(n));
    }
    va_end(copy);
}

void AppendTextMode(std::string& out, std::string_view text)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t lf = text.find('\n', start);
        if (lf == std::string_view::npos) {
            out.append(text.substr(start));
            return;
        }
        out.append(text.substr(start, lf - start));
        out.append("\r\n");
        start = lf + 1;
    }
}

namespace {

std::atomic<unsigned> g_tempCounter{0};

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string BaseOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

CReportFile::~CReportFile()
{
    Discard();
}

void CReportFile::Discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.empty()) {
        ::unlink(m_temp.c_str());
        m_temp.clear();
    }
}

bool CReportFile::Create(const std::string& path)
{
    Discard();
    if (path.empty() || path.back() == '/')
        return false;
    m_target = path;

    // Write through a symbolic link to the file it names, as opening the link would.
    struct stat st {};
    bool exists = false;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            m_target = real;
            std::free(real);
        }
    }
    if (::stat(m_target.c_str(), &st) == 0) {
        exists = true;
        // Opening an existing file for writing would fail for these as well.
        if (!S_ISREG(st.st_mode) || ::access(m_target.c_str(), W_OK) != 0)
            return false;
    }

    const std::string folder = FolderOf(m_target);
    std::string base = BaseOf(m_target);
    if (base.size() > 100)
        base.resize(100);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = folder + "/." + base + "." + std::to_string(::getpid()) + "." +
                                 std::to_string(g_tempCounter.fetch_add(1)) + ".tmp";
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_temp = temp;
            if (exists)
                ::fchmod(m_fd, st.st_mode & 07777); // the report keeps the old file's access
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool CReportFile::Commit(std::string_view bytes)
{
    if (m_fd < 0)
        return false;
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Discard();
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(m_fd) != 0 && errno != EINVAL) {
        Discard();
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        Discard();
        return false;
    }
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        Discard();
        return false;
    }
    m_temp.clear();
    return true;
}

platform::FileDialogSpec ReportSaveDialog(const std::string& title, const std::string& defaultName,
                                          void* owner)
{
    platform::FileDialogSpec spec;
    spec.mode = platform::FileDialogSpec::Mode::Save;
    spec.title = title;
    spec.defaultExt = "TXT";
    spec.defaultName = defaultName;
    spec.filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";
    spec.overwritePrompt = true;
    spec.hideReadOnly = true;
    spec.owner = owner;
    return spec;
}
