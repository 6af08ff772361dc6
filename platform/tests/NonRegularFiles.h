#pragma once

// Files that are not regular files, for tests of readers that must refuse them without
// blocking: a FIFO without a writer, a socket, a device and a folder.

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <string>

enum class SpecialFile
{
    Fifo,
    Socket,
    Device,
    Folder
};

inline const SpecialFile kSpecialFiles[] = {SpecialFile::Fifo, SpecialFile::Socket,
                                            SpecialFile::Device, SpecialFile::Folder};

inline const char* SpecialFileName(SpecialFile kind)
{
    switch (kind) {
    case SpecialFile::Fifo:
        return "FIFO";
    case SpecialFile::Socket:
        return "socket";
    case SpecialFile::Device:
        return "device";
    case SpecialFile::Folder:
        return "folder";
    }
    return "?";
}

// Creates the special file at path (the device is a symbolic link to /dev/null; the socket
// stays on disk after its descriptor is closed). False when it cannot be made.
inline bool MakeSpecialFile(const std::string& path, SpecialFile kind)
{
    switch (kind) {
    case SpecialFile::Fifo:
        return ::mkfifo(path.c_str(), 0600) == 0;
    case SpecialFile::Socket: {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (path.size() >= sizeof address.sun_path)
            return false;
        std::copy(path.begin(), path.end(), address.sun_path);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd < 0)
            return false;
        const bool bound =
            ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return bound;
    }
    case SpecialFile::Device:
        return ::symlink("/dev/null", path.c_str()) == 0;
    case SpecialFile::Folder:
        return ::mkdir(path.c_str(), 0700) == 0;
    }
    return false;
}

// Ends the test process when a reader blocks instead of refusing (SIGALRM's default action),
// so that a regression fails at once instead of hanging the suite.
class HangGuard
{
public:
    explicit HangGuard(unsigned seconds = 30) { ::alarm(seconds); }
    ~HangGuard() { ::alarm(0); }
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;
};
