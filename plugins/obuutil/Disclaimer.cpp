#include "Disclaimer.h"

#include "BrowserInterface.h"
#include "files/PathLookup.h"
#include "text/TextDecode.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <new>
#include <vector>

namespace obuutil {

namespace {

// Room for a configured path: the whole of it, never a cut one.
constexpr int kPathBuffer = 4096;

std::string ReadConfigValue(const std::string& configPath, const char* section, const char* key)
{
    if (configPath.empty())
        return {};
    std::vector<char> buffer(kPathBuffer, '\0');
    if (ZelProfileRead(0, section, configPath.c_str(), key, buffer.data(), kPathBuffer) < 0)
        return {};
    return std::string(buffer.data());
}

// Closes a descriptor when it goes out of scope.
struct FileGuard
{
    int fd = -1;
    ~FileGuard()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

DisclaimerText Failure(int number)
{
    return DisclaimerText{std::string(), MakeNotice(number, platform::Icon::Exclamation)};
}

} // namespace

DisclaimerLocation LocateDisclaimer(const std::string& configPath)
{
    DisclaimerLocation location;
    std::string file = ReadConfigValue(configPath, "obu", "disclaimer file");
    if (!file.empty()) {
        file = platform::NormalizeSeparators(file);
        // Like the browser's own folders, a relative path starts at the configuration's folder.
        if (file.front() != '/')
            file = std::filesystem::path(configPath).parent_path().string() + "/" + file;
        location.path = platform::ResolveExistingPath(file);
        return location;
    }
    // The browser answers DATA_DIR taken from the configuration's folder already.
    const std::string dataDir = ReadConfigValue(configPath, "zelio", "DATA_DIR");
    if (dataDir.empty()) {
        location.notice = MakeNotice(kMsgNoDisclaimerDefinition, platform::Icon::Exclamation);
        return location;
    }
    location.path = FormatResource(kStrDisclaimerPath, {TrimTrailingSeparators(dataDir)});
    return location;
}

DisclaimerText ReadDisclaimer(const std::string& path, std::size_t limit)
{
    FileGuard file;
    // Refuses folders, FIFOs, sockets and devices without waiting on them.
    if (platform::OpenRegularFile(path, file.fd) != 0)
        return Failure(kMsgNoDisclaimerFile);
    return ReadDisclaimerFrom(file.fd, limit);
}

DisclaimerText ReadDisclaimerFrom(int fd, std::size_t limit)
{
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0 || status.st_size < 0)
        return Failure(kMsgCannotReadDisclaimer);
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (size > limit)
        return Failure(kMsgNoDisclaimerMemory);
    std::string bytes;
    try {
        bytes.assign(static_cast<std::size_t>(size), '\0');
    } catch (const std::bad_alloc&) {
        return Failure(kMsgNoDisclaimerMemory);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Failure(kMsgCannotReadDisclaimer);
        if (got == 0)
            break; // the file got shorter meanwhile: its text ends here
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    // The text ends at the first zero byte.
    if (const std::size_t zero = bytes.find('\0'); zero != std::string::npos)
        bytes.resize(zero);
    return DisclaimerText{platform::DecodeToUtf8(bytes), std::nullopt};
}

} // namespace obuutil
