// Opening a document: its type from its name, its program from the association files, the
// program started detached with the failure of its exec reported back through a pipe.
#include "ShellOpen.h"

#include "ShellAssociation.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

extern char** environ;

namespace platform::shell {

namespace {

constexpr std::size_t kMaxTableBytes = 8u << 20; // globs2, subclasses, mimeinfo.cache
constexpr std::size_t kMaxEntryBytes = 1u << 20; // mimeapps.list, desktop entries
constexpr int kMaxIdFolders = 4;                 // "a-b-c.desktop" as a/b/c.desktop at most
constexpr std::size_t kMaxScannedEntries = 4096; // desktop entries scanned per folder

bool IsDirectory(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string BaseName(const std::string& path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const std::size_t slash = trimmed.rfind('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

// The file of a desktop file id below one applications folder: the id itself, or with some of
// its '-' read as folder separators ("vendor-app.desktop" is vendor/app.desktop).
std::string FindIdBelow(const std::string& folder, const std::string& id, int depth)
{
    if (const std::string direct = folder + "/" + id; IsRegularFile(direct))
        return direct;
    if (depth >= kMaxIdFolders)
        return {};
    for (std::size_t dash = id.find('-'); dash != std::string::npos;
         dash = id.find('-', dash + 1)) {
        if (dash == 0 || dash + 1 == id.size())
            continue;
        const std::string sub = folder + "/" + id.substr(0, dash);
        if (IsDirectory(sub))
            if (std::string found = FindIdBelow(sub, id.substr(dash + 1), depth + 1);
                !found.empty())
                return found;
    }
    return {};
}

bool ValidId(const std::string& id)
{
    return !id.empty() && id.size() <= 255 && id.find('/') == std::string::npos &&
           id.find('\0') == std::string::npos && id != "." && id != "..";
}

// Looks up the document's type and its candidate programs in the XDG folders.
class CAssociations
{
public:
    explicit CAssociations(const XdgDirs& dirs) : m_dirs(dirs)
    {
        for (const std::string& file : dirs.MimeAppsFiles()) {
            std::string text;
            if (ReadBoundedFile(file, kMaxEntryBytes, text))
                m_lists.push_back(ParseMimeAppsList(text));
        }
        for (const std::string& data : dirs.DataSearchPath())
            m_appFolders.push_back(data + "/applications");
    }

    // The parents of a type from the subclasses files.
    std::vector<std::string> Ancestors(const std::string& type)
    {
        CMimeParents parents;
        std::string text;
        for (const std::string& data : m_dirs.DataSearchPath())
            if (ReadBoundedFile(data + "/mime/subclasses", kMaxTableBytes, text))
                parents.AddSubclasses(text);
        return parents.Ancestors(type);
    }

    // The first usable program for the type: 0 with launch filled, else 27 when some
    // association named a missing or broken entry, else 31.
    int Find(const std::string& type, const std::string& document, ShellLaunch& launch)
    {
        bool sawBroken = false;
        // The defaults of the most important file that has a usable one.
        for (const MimeAppsList& list : m_lists)
            if (const auto it = list.defaults.find(type); it != list.defaults.end())
                for (const std::string& id : it->second)
                    if (Usable(id, document, launch, sawBroken))
                        return 0;
        // Then the added associations and the entries' own types, less those that a file of
        // the same or a more important folder removes.
        std::vector<std::string> removed;
        for (const MimeAppsList& list : m_lists) {
            if (const auto it = list.added.find(type); it != list.added.end())
                for (const std::string& id : it->second)
                    if (std::find(removed.begin(), removed.end(), id) == removed.end() &&
                        Usable(id, document, launch, sawBroken))
                        return 0;
            if (const auto it = list.removed.find(type); it != list.removed.end())
                removed.insert(removed.end(), it->second.begin(), it->second.end());
        }
        for (const std::string& folder : m_appFolders)
            for (const std::string& id : IdsForType(folder, type))
                if (std::find(removed.begin(), removed.end(), id) == removed.end() &&
                    Usable(id, document, launch, sawBroken))
                    return 0;
        return sawBroken ? platform::kShellAssociationIncomplete : platform::kShellNoAssociation;
    }

private:
    // The ids of one applications folder whose entries list the type: from its
    // mimeinfo.cache, else by reading its entries.
    std::vector<std::string> IdsForType(const std::string& folder, const std::string& type)
    {
        std::string text;
        if (ReadBoundedFile(folder + "/mimeinfo.cache", kMaxTableBytes, text)) {
            const auto cache = ParseMimeInfoCache(text);
            const auto it = cache.find(type);
            return it == cache.end() ? std::vector<std::string>() : it->second;
        }
        std::vector<std::string> ids;
        std::size_t scanned = 0;
        Scan(folder, "", type, ids, scanned, 0);
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    void Scan(const std::string& folder, const std::string& prefix, const std::string& type,
              std::vector<std::string>& ids, std::size_t& scanned, int depth)
    {
        DIR* dir = ::opendir(folder.c_str());
        if (!dir)
            return;
        while (const dirent* item = ::readdir(dir)) {
            const std::string name = item->d_name;
            if (name.empty() || name[0] == '.' || ++scanned > kMaxScannedEntries)
                continue;
            const std::string path = folder + "/" + name;
            if (IsDirectory(path)) {
                if (depth < kMaxIdFolders)
                    Scan(path, prefix + name + "-", type, ids, scanned, depth + 1);
                continue;
            }
            if (name.size() < 9 || name.compare(name.size() - 8, 8, ".desktop") != 0)
                continue;
            std::string text;
            DesktopEntry entry;
            if (ReadBoundedFile(path, kMaxEntryBytes, text) && ParseDesktopEntry(text, entry) &&
                std::find(entry.mimeTypes.begin(), entry.mimeTypes.end(), type) !=
                    entry.mimeTypes.end())
                ids.push_back(prefix + name);
        }
        ::closedir(dir);
    }

    // True when the id names an installed, usable entry; launch is then filled. A missing,
    // hidden or broken entry sets sawBroken.
    bool Usable(const std::string& id, const std::string& document, ShellLaunch& launch,
                bool& sawBroken)
    {
        if (!ValidId(id)) {
            sawBroken = true;
            return false;
        }
        std::string file;
        for (const std::string& folder : m_appFolders)
            if (file = FindIdBelow(folder, id, 0); !file.empty())
                break;
        std::string text;
        DesktopEntry entry;
        std::vector<std::string> args;
        if (file.empty() || !ReadBoundedFile(file, kMaxEntryBytes, text) ||
            !ParseDesktopEntry(text, entry) || entry.hidden || entry.type != "Application" ||
            !SplitExec(entry.exec, args) ||
            (!entry.tryExec.empty() && FindProgram(entry.tryExec).empty())) {
            sawBroken = true;
            return false;
        }
        const std::string program = FindProgram(args.front());
        if (program.empty()) {
            sawBroken = true;
            return false;
        }
        launch.desktopId = id;
        launch.program = program;
        launch.argv = ExpandFieldCodes(args, document);
        launch.workingDir = entry.path;
        if (entry.terminal) {
            // A terminal program started without a terminal reads nothing and writes into
            // the caller's output: run it in a terminal window, or not at all.
            const std::string terminal = FindTerminalProgram();
            if (terminal.empty()) {
                sawBroken = true;
                return false;
            }
            launch.argv.front() = program;
            launch.argv.insert(launch.argv.begin(), {terminal, "-e"});
            launch.program = terminal;
        }
        return true;
    }

    const XdgDirs& m_dirs;
    std::vector<MimeAppsList> m_lists;
    std::vector<std::string> m_appFolders;
};

// Writes all of the bytes, retrying after signals; used between fork and exec.
void WriteAll(int fd, const void* data, std::size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
}

int ResultForErrno(int error)
{
    switch (error) {
    case ENOEXEC:
        return platform::kShellBadProgram;
    case ENOMEM:
    case E2BIG:
        return platform::kShellOutOfMemory;
    case EACCES:
    case EPERM:
        return platform::kShellAccessDenied;
    case ENOENT:
    case ENOTDIR:
        return platform::kShellAssociationIncomplete;
    default:
        return platform::kShellOutOfResources;
    }
}

} // namespace

std::string FindTerminalProgram()
{
    for (const char* name : {"x-terminal-emulator", "xterm", "konsole"})
        if (std::string program = FindProgram(name); !program.empty())
            return program;
    return {};
}

std::string MimeTypeFor(const std::string& path, unsigned mode, const XdgDirs& dirs)
{
    if (S_ISDIR(mode))
        return "inode/directory";
    if (S_ISFIFO(mode))
        return "inode/fifo";
    if (S_ISSOCK(mode))
        return "inode/socket";
    if (S_ISCHR(mode))
        return "inode/chardevice";
    if (S_ISBLK(mode))
        return "inode/blockdevice";
    CMimeGlobs globs;
    std::string text;
    for (const std::string& data : dirs.DataSearchPath())
        if (ReadBoundedFile(data + "/mime/globs2", kMaxTableBytes, text))
            globs.AddGlobs2(text);
    std::string type = globs.Match(BaseName(path));
    return type.empty() ? "application/octet-stream" : type;
}

int ResolveShellOpen(const std::string& path, const std::string& fallbackProgram,
                     const XdgDirs& dirs, ShellLaunch& launch)
{
    launch = ShellLaunch();
    if (path.empty() || path.find('\0') != std::string::npos)
        return platform::kShellFileNotFound;
    std::string absolute = path;
    if (absolute.front() != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd))
            return platform::kShellPathNotFound;
        absolute = std::string(cwd) + "/" + path;
    }
    struct stat st;
    if (::stat(absolute.c_str(), &st) != 0) {
        const int error = errno;
        if (error == EACCES)
            return platform::kShellAccessDenied;
        if (error != ENOENT)
            return platform::kShellPathNotFound; // ENOTDIR, ELOOP, ENAMETOOLONG
        std::string folder = absolute;
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        folder = folder.substr(0, std::max<std::size_t>(folder.rfind('/'), 1));
        return IsDirectory(folder) ? platform::kShellFileNotFound : platform::kShellPathNotFound;
    }
    // access() looks at the permissions only; nothing is opened.
    if (::access(absolute.c_str(), R_OK) != 0)
        return platform::kShellAccessDenied;

    launch.mimeType = MimeTypeFor(absolute, st.st_mode, dirs);
    CAssociations associations(dirs);
    const int own = associations.Find(launch.mimeType, absolute, launch);
    if (own == 0)
        return 0;
    if (!fallbackProgram.empty()) {
        const std::string program = FindProgram(fallbackProgram);
        if (program.empty())
            return platform::kShellAssociationIncomplete;
        launch.desktopId.clear();
        launch.program = program;
        launch.argv = {fallbackProgram, absolute};
        launch.workingDir.clear();
        return 0;
    }
    bool sawBroken = own == platform::kShellAssociationIncomplete;
    for (const std::string& parent : associations.Ancestors(launch.mimeType)) {
        const int found = associations.Find(parent, absolute, launch);
        if (found == 0)
            return 0;
        sawBroken = sawBroken || found == platform::kShellAssociationIncomplete;
    }
    return sawBroken ? platform::kShellAssociationIncomplete : platform::kShellNoAssociation;
}

int StartDetached(const ShellLaunch& launch)
{
    if (launch.program.empty() || launch.argv.empty())
        return platform::kShellAssociationIncomplete;
    // Everything the children need is made before fork: after it only async-signal-safe
    // calls are allowed, as the caller may have other threads.
    std::vector<char*> argv;
    argv.reserve(launch.argv.size() + 1);
    for (const std::string& arg : launch.argv)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const char* program = launch.program.c_str();
    const char* workingDir = launch.workingDir.empty() ? nullptr : launch.workingDir.c_str();

    const int nullFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (nullFd < 0)
        return platform::kShellOutOfResources;
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        ::close(nullFd);
        return platform::kShellOutOfResources;
    }

    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(nullFd);
        ::close(report[0]);
        ::close(report[1]);
        return error == ENOMEM ? platform::kShellOutOfMemory : platform::kShellOutOfResources;
    }
    if (child == 0) {
        // The middle process: a session of its own, then the program's process, then gone,
        // so the program is adopted by init and never becomes the caller's zombie.
        ::close(report[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild < 0) {
            const int error = errno;
            WriteAll(report[1], &error, sizeof error);
            ::_exit(127);
        }
        if (grandchild > 0)
            ::_exit(0);
        // Signals as a new program expects them: nothing blocked, nothing ignored.
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        for (const int sig : {SIGPIPE, SIGCHLD, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2})
            ::signal(sig, SIG_DFL);
        ::dup2(nullFd, STDIN_FILENO);
        if (workingDir && ::chdir(workingDir) != 0) {
            const int error = errno;
            WriteAll(report[1], &error, sizeof error);
            ::_exit(127);
        }
        ::execve(program, argv.data(), environ);
        const int error = errno;
        WriteAll(report[1], &error, sizeof error);
        ::_exit(127);
    }

    ::close(nullFd);
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // End of file: the program's exec closed the pipe. Otherwise the errno of the failure.
    int error = 0;
    std::size_t got = 0;
    while (got < sizeof error) {
        const ssize_t n =
            ::read(report[0], reinterpret_cast<char*>(&error) + got, sizeof error - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(report[0]);
    if (got == sizeof error)
        return ResultForErrno(error);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return platform::kShellOutOfResources;
    return platform::kShellStarted;
}

} // namespace platform::shell

namespace platform {

int ShellOpen(const std::string& path, const ShellOpenOptions& options)
{
    try {
        shell::ShellLaunch launch;
        const int found = shell::ResolveShellOpen(path, options.fallbackProgram,
                                                  shell::XdgDirs::FromEnvironment(), launch);
        if (found != 0)
            return found;
        return shell::StartDetached(launch);
    } catch (const std::bad_alloc&) {
        return kShellOutOfMemory;
    } catch (...) {
        return kShellOutOfResources;
    }
}

} // namespace platform
