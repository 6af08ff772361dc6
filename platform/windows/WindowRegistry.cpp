#include "windows/WindowRegistry.h"

#include "dde/UserFolder.h"
#include "text/AsciiCase.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

namespace platform {

namespace {

constexpr std::string_view kMagicLine = "modelbrowser-window 1";
constexpr std::size_t kMaxEntrySize = 16 * 1024;
constexpr std::string_view kEntrySuffix = ".window";

std::string Escape(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\0':
            out += "\\0";
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool Unescape(std::string_view text, std::string& out)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return false;
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case '0':
            out += '\0';
            break;
        default:
            return false;
        }
    }
    return true;
}

bool ParseNumber(std::string_view text, std::uint64_t& value)
{
    if (text.empty() || text.size() > 19)
        return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

bool ParseFlag(std::string_view text, bool& value)
{
    if (text != "0" && text != "1")
        return false;
    value = text == "1";
    return true;
}

// A file name of the registry folder that we made ourselves: no separators, no dot files.
bool SafeFileName(std::string_view name)
{
    if (name.empty() || name.size() > 100 || name[0] == '.')
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '-' || c == '_';
    });
}

// The process start time in clock ticks since boot (field 22 of /proc/<pid>/stat), or 0
// when it cannot be read.
std::uint64_t ProcessStartTime(std::int64_t pid)
{
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char buffer[1024];
    const ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
    ::close(fd);
    if (n <= 0)
        return 0;
    const std::string_view stat(buffer, static_cast<std::size_t>(n));
    // The command name (field 2) may hold blanks and ")": the fields go on after the last ")".
    std::size_t at = stat.rfind(')');
    if (at == std::string_view::npos)
        return 0;
    int field = 2;
    while (at < stat.size() && field < 22) {
        at = stat.find(' ', at + 1);
        if (at == std::string_view::npos)
            return 0;
        ++field;
    }
    const std::size_t end = stat.find(' ', at + 1);
    std::uint64_t value = 0;
    return ParseNumber(stat.substr(at + 1, end == std::string_view::npos ? end : end - at - 1),
                       value)
               ? value
               : 0;
}

bool ProcessAlive(std::int64_t pid, std::uint64_t startTime)
{
    if (pid <= 0 || pid > INT_MAX)
        return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM)
        return false;
    if (startTime == 0)
        return true;
    const std::uint64_t now = ProcessStartTime(pid);
    return now == 0 || now == startTime; // another start time: the pid was reused
}

// Reads a regular file of at most kMaxEntrySize bytes without following links or blocking.
bool ReadEntryFile(const std::string& path, std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info
    {
    };
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
              static_cast<std::uint64_t>(info.st_size) <= kMaxEntrySize;
    bytes.clear();
    char buffer[4096];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || bytes.size() + static_cast<std::size_t>(n) > kMaxEntrySize) {
            ok = false;
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ok;
}

bool WriteWhole(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool Control(const WindowEntry& window, FrameType type, int timeoutMs, std::string* error)
{
    std::string folder, problem;
    if (!WindowRegistryFolder(folder, problem) || !SafeFileName(window.controlSocket)) {
        if (error)
            *error = problem.empty() ? "The window has no usable control socket." : problem;
        return false;
    }
    CFrameClient client;
    Frame reply;
    FrameStatus status = FrameStatus::Refused;
    std::string text;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    if (!client.Connect(folder + "/" + window.controlSocket, timeoutMs)) {
        if (error)
            *error = "The window \"" + window.title + "\" is gone: " + client.ErrorText();
        return false;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (client.Transact(type, {}, reply, left < 0 ? 0 : static_cast<int>(left)) !=
            CFrameClient::Wait::Ok ||
        reply.type != FrameType::ControlReply || !ParseStatusPayload(reply.payload, status, text) ||
        status != FrameStatus::Ok) {
        if (error)
            *error = "The window \"" + window.title + "\" did not answer: " + client.ErrorText();
        return false;
    }
    return true;
}

} // namespace

std::string FormatWindowEntry(const WindowEntry& entry)
{
    std::string out(kMagicLine);
    out += "\nclass=" + Escape(entry.className);
    out += "\ntitle=" + Escape(entry.title);
    out += std::string("\nvisible=") + (entry.visible ? "1" : "0");
    out += std::string("\nminimised=") + (entry.minimised ? "1" : "0");
    out += "\npid=" + std::to_string(entry.pid);
    out += "\nstart=" + std::to_string(entry.startTime);
    out += "\nregistered=" + std::to_string(entry.registered);
    out += "\nsocket=" + entry.controlSocket;
    out += "\n";
    return out;
}

bool ParseWindowEntry(std::string_view bytes, WindowEntry& entry)
{
    if (bytes.size() > kMaxEntrySize)
        return false;
    WindowEntry parsed;
    bool haveClass = false, havePid = false, haveSocket = false;
    std::size_t at = 0;
    bool first = true;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos)
            end = bytes.size();
        const std::string_view line = bytes.substr(at, end - at);
        at = end + 1;
        if (first) {
            if (line != kMagicLine)
                return false;
            first = false;
            continue;
        }
        if (line.empty())
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return false;
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        std::uint64_t number = 0;
        if (key == "class") {
            if (!Unescape(value, parsed.className) || parsed.className.empty())
                return false;
            haveClass = true;
        } else if (key == "title") {
            if (!Unescape(value, parsed.title))
                return false;
        } else if (key == "visible") {
            if (!ParseFlag(value, parsed.visible))
                return false;
        } else if (key == "minimised") {
            if (!ParseFlag(value, parsed.minimised))
                return false;
        } else if (key == "pid") {
            if (!ParseNumber(value, number) || number == 0 || number > INT_MAX)
                return false;
            parsed.pid = static_cast<std::int64_t>(number);
            havePid = true;
        } else if (key == "start") {
            if (!ParseNumber(value, parsed.startTime))
                return false;
        } else if (key == "registered") {
            if (!ParseNumber(value, parsed.registered))
                return false;
        } else if (key == "socket") {
            if (!SafeFileName(value))
                return false;
            parsed.controlSocket = std::string(value);
            haveSocket = true;
        }
        // Other keys belong to later versions: skipped.
    }
    if (first || !haveClass || !havePid || !haveSocket)
        return false;
    entry = std::move(parsed);
    return true;
}

bool WindowRegistryFolder(std::string& path, std::string& error)
{
    return PrepareUserFolder("windows", path, error);
}

std::vector<WindowEntry> EnumerateWindows()
{
    std::vector<WindowEntry> windows;
    std::string folder, error;
    if (!WindowRegistryFolder(folder, error))
        return windows;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return windows;
    std::vector<std::string> names;
    while (const dirent* item = ::readdir(dir))
        names.emplace_back(item->d_name);
    ::closedir(dir);
    for (const std::string& name : names) {
        // A temporary file of a writer that died before its rename: ".<pid>-<n>.tmp".
        if (name.size() > 5 && name[0] == '.' && name.ends_with(".tmp")) {
            std::uint64_t pid = 0;
            const std::size_t dash = name.find('-');
            if (dash != std::string::npos && ParseNumber(name.substr(1, dash - 1), pid) &&
                !ProcessAlive(static_cast<std::int64_t>(pid), 0))
                ::unlink((folder + "/" + name).c_str());
            continue;
        }
        if (name[0] == '.' || !name.ends_with(kEntrySuffix))
            continue;
        const std::string path = folder + "/" + name;
        std::string bytes;
        WindowEntry entry;
        if (!ReadEntryFile(path, bytes) || !ParseWindowEntry(bytes, entry))
            continue;
        if (!ProcessAlive(entry.pid, entry.startTime)) {
            ::unlink(path.c_str());
            ::unlink((folder + "/" + entry.controlSocket).c_str());
            continue;
        }
        entry.entryName = name;
        windows.push_back(std::move(entry));
    }
    std::stable_sort(
        windows.begin(), windows.end(),
        [](const WindowEntry& a, const WindowEntry& b) { return a.registered < b.registered; });
    return windows;
}

std::optional<WindowEntry> FindWindowByClass(std::string_view className)
{
    std::optional<WindowEntry> found;
    for (WindowEntry& entry : EnumerateWindows())
        if (EqualsIgnoreAsciiCase(entry.className, className))
            found = std::move(entry);
    return found;
}

bool BringWindowToFront(const WindowEntry& window, int timeoutMs, std::string* error)
{
    return Control(window, FrameType::Raise, timeoutMs, error);
}

bool RepaintWindow(const WindowEntry& window, int timeoutMs, std::string* error)
{
    return Control(window, FrameType::Repaint, timeoutMs, error);
}

// ---- CRegisteredWindow -------------------------------------------------------------------------

CRegisteredWindow::CRegisteredWindow()
{
    m_control.SetFrameHandler(
        [this](CFrameServer::ConnectionId id, const Frame& frame) { OnFrame(id, frame); });
}

CRegisteredWindow::~CRegisteredWindow()
{
    Unregister();
}

bool CRegisteredWindow::Register(std::string_view className, std::string_view title, bool visible,
                                 bool minimised, std::string& error)
{
    Unregister();
    if (className.empty()) {
        error = "A window needs a class name.";
        return false;
    }
    if (!WindowRegistryFolder(m_folder, error))
        return false;
    static std::atomic<unsigned> counter{0};
    const std::string base = std::to_string(::getpid()) + "-" + std::to_string(++counter);
    m_entry = WindowEntry{};
    m_entry.className = std::string(className);
    m_entry.title = std::string(title);
    m_entry.visible = visible;
    m_entry.minimised = minimised;
    m_entry.pid = ::getpid();
    m_entry.startTime = ProcessStartTime(m_entry.pid);
    m_entry.registered =
        static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                       std::chrono::system_clock::now().time_since_epoch())
                                       .count());
    m_entry.controlSocket = base + ".sock";
    m_entry.entryName = base + std::string(kEntrySuffix);
    if (!m_control.Listen(m_folder + "/" + m_entry.controlSocket, error))
        return false;
    m_entryPath = m_folder + "/" + m_entry.entryName;
    if (!WriteEntry()) {
        error =
            "The window entry " + m_entryPath + " cannot be written: " + std::strerror(errno) + ".";
        m_control.Stop();
        m_entryPath.clear();
        return false;
    }
    return true;
}

bool CRegisteredWindow::Update(std::string_view title, bool visible, bool minimised)
{
    if (!Registered())
        return false;
    if (m_entry.title == title && m_entry.visible == visible && m_entry.minimised == minimised)
        return true;
    m_entry.title = std::string(title);
    m_entry.visible = visible;
    m_entry.minimised = minimised;
    return WriteEntry();
}

void CRegisteredWindow::Unregister()
{
    if (!m_entryPath.empty())
        ::unlink(m_entryPath.c_str());
    m_entryPath.clear();
    m_control.Stop();
}

bool CRegisteredWindow::WriteEntry()
{
    // Written beside the entry and renamed over it: a reader sees the old or the new entry,
    // never half of one.
    const std::string temp = m_folder + "/." + m_entry.entryName + ".tmp";
    ::unlink(temp.c_str());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = WriteWhole(fd, FormatWindowEntry(m_entry));
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.c_str(), m_entryPath.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        return false;
    }
    return true;
}

void CRegisteredWindow::OnFrame(CFrameServer::ConnectionId id, const Frame& frame)
{
    std::function<void()> handler;
    if (frame.type == FrameType::Raise)
        handler = m_onRaise;
    else if (frame.type == FrameType::Repaint)
        handler = m_onRepaint;
    else {
        m_control.Close(id);
        return;
    }
    if (handler)
        handler();
    m_control.Send(id, FrameType::ControlReply, StatusPayload(FrameStatus::Ok));
}

} // namespace platform
