#include "dde/UserFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

std::string Refused(const std::string& path, const std::string& reason)
{
    return "The folder " + path + " is not private to this user and is not used: " + reason + ".";
}

// Makes the folder when it is missing (mode exactly 0700) and checks it. A folder that
// already existed is only checked, never changed.
bool MakeOrCheck(const std::string& path, std::string& error)
{
    if (::mkdir(path.c_str(), 0700) == 0) {
        // Made by us just now: the umask may have narrowed the mode, set it exactly.
        ::chmod(path.c_str(), 0700);
    } else if (errno != EEXIST) {
        error = "The folder " + path + " cannot be made: " + std::strerror(errno) + ".";
        return false;
    }
    const std::string reason = CheckPrivateFolder(path);
    if (!reason.empty()) {
        error = Refused(path, reason);
        return false;
    }
    return true;
}

} // namespace

std::string UserServiceRoot()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        std::string root(runtime);
        while (root.size() > 1 && root.back() == '/')
            root.pop_back();
        return root + "/modelbrowser";
    }
    return "/tmp/modelbrowser-" + std::to_string(::geteuid());
}

std::string CheckPrivateFolder(const std::string& path)
{
    struct stat info
    {
    };
    if (::lstat(path.c_str(), &info) != 0)
        return std::strerror(errno);
    if (S_ISLNK(info.st_mode))
        return "it is a symbolic link";
    if (!S_ISDIR(info.st_mode))
        return "it is not a folder";
    if (info.st_uid != ::geteuid())
        return "it belongs to another user (uid " + std::to_string(info.st_uid) + ")";
    if ((info.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
        return std::string("it is open to group or others (mode ") + mode + ")";
    }
    return {};
}

bool PrepareUserFolder(std::string_view leaf, std::string& path, std::string& error)
{
    path.clear();
    if (leaf.empty() || leaf.find('/') != std::string_view::npos || leaf == "." || leaf == "..") {
        error = "Unusable folder name \"" + std::string(leaf) + "\".";
        return false;
    }
    const std::string root = UserServiceRoot();
    if (!MakeOrCheck(root, error))
        return false;
    const std::string folder = root + "/" + std::string(leaf);
    if (!MakeOrCheck(folder, error))
        return false;
    path = folder;
    error.clear();
    return true;
}

std::string ServiceFileName(std::string_view name)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string file;
    for (const char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c >= 'A' && c <= 'Z')
            file += static_cast<char>(c - 'A' + 'a');
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_')
            file += c;
        else {
            file += '%';
            file += kHex[u >> 4];
            file += kHex[u & 15];
        }
        if (file.size() > 80)
            return {};
    }
    return file;
}

} // namespace platform
