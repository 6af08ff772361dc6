#include "UserDocumentFile.h"

#include "profile/ProfileReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace obuudoc {

namespace {

constexpr std::size_t kSettingBuffer = 261; // 260 characters and the terminator
constexpr std::string_view kUserDocSuffix = ".sgm";

// The result of a failed step: its message, then the file and the system's reason.
AddResult Failure(AddStep step, const std::string& path, int error = 0)
{
    AddResult result;
    result.step = step;
    result.message = AddStepMessage(step);
    if (!path.empty()) {
        result.message += "\n" + path;
        if (error != 0)
            result.message += std::string(": ") + std::strerror(error);
    }
    return result;
}

// Writes all bytes to fd; 0, or the errno of the failure.
int WriteAll(int fd, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Writes all bytes, flushes them to the disk and closes fd (also on failure); 0, or the
// errno of the first failure.
int WriteSyncClose(int fd, std::string_view bytes)
{
    int error = WriteAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

// Makes path a new regular file with the mode (and, where allowed, the owner) of like,
// whatever was there (a stale file of an earlier attempt is removed first, a symbolic link
// is never followed). The descriptor, or -1 with errno set.
int CreateFresh(const std::string& path, const struct stat& like)
{
    const mode_t mode = like.st_mode & 07777;
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return -1;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0)
        return -1;
    // The umask must not narrow the mode of a file that takes another's place.
    if (::fchmod(fd, mode) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        errno = error;
        return -1;
    }
    // Only the superuser may give the file away; for others it stays theirs.
    const int chowned = ::fchown(fd, like.st_uid, like.st_gid);
    (void)chowned;
    return fd;
}

// Writes a whole new file at path with the mode and owner of like; 0, or the errno, with created
// telling whether the failure came after the file was made (then it is removed).
int WriteNewFile(const std::string& path, std::string_view bytes, const struct stat& like,
                 bool& created)
{
    created = false;
    const int fd = CreateFresh(path, like);
    if (fd < 0)
        return errno;
    created = true;
    const int error = WriteSyncClose(fd, bytes);
    if (error != 0)
        ::unlink(path.c_str());
    return error;
}

// Flushes a folder's entries (a rename in it) to the disk; failures do not matter.
void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Reads the whole regular file at path. Answers the step that failed (None when read) and
// sets error; a file that is not a regular file (a FIFO, a device) is not opened for
// reading, so nothing waits on it.
AddStep ReadWholeFile(const std::string& path, std::string& bytes, struct stat& info, int& error)
{
    error = 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return AddStep::OpenUserDoc;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return AddStep::OpenUserDoc;
    }
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            ::close(fd);
            return AddStep::ReadUserDoc;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes.empty() ? AddStep::ReadUserDoc : AddStep::None;
}

// Base folder of a configuration file's relative paths: the file's folder.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// An exclusive lock on a folder for the life of the object.
class CFolderLock
{
public:
    explicit CFolderLock(const std::string& folder)
        : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd >= 0)
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~CFolderLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CFolderLock(const CFolderLock&) = delete;
    CFolderLock& operator=(const CFolderLock&) = delete;

private:
    int m_fd;
};

} // namespace

UserDocumentPaths MakeUserDocumentPaths(std::string_view collectionFolder, std::string_view book)
{
    UserDocumentPaths paths;
    paths.bookFolder = std::string(collectionFolder) + "/books/" + std::string(book);
    const std::string stem = paths.bookFolder + "/" + std::string(book);
    paths.userDocFile = stem + std::string(kUserDocSuffix);
    paths.tempFile = stem + ".tmp";
    paths.backupFile = stem + ".bak";
    return paths;
}

UserDocumentSettings ReadUserDocumentSettings(const std::string& configPath)
{
    UserDocumentSettings settings;
    settings.collectionFolder =
        platform::GetProfileString(configPath, "userdoc", "Collection1", "", kSettingBuffer);
    settings.book = platform::GetProfileString(configPath, "userdoc", "Book1", "", kSettingBuffer);
    std::string& folder = settings.collectionFolder;
    for (char& c : folder)
        if (c == '\\')
            c = '/';
    if (!folder.empty() && folder.front() != '/')
        folder = FolderOf(configPath) + "/" + folder;
    return settings;
}

std::string ReferenceFileName(int number)
{
    char name[16];
    std::snprintf(name, sizeof name, "%s%03d%s", "OBU", number, ".TXT");
    return name;
}

std::optional<std::string> InsertUserDocumentReference(std::string_view text, std::string_view name)
{
    const std::size_t open = text.find("<userdoc");
    if (open == std::string_view::npos)
        return std::nullopt;
    const std::size_t close = text.find("</userdoc", open);
    if (close == std::string_view::npos)
        return std::nullopt;
    const std::string n(name);
    const std::string declaration = open > 0 ? "\n<!ENTITY " + n + " SYSTEM \"" + n + "\">\n" : "";
    const std::string reference = "\n&" + n + ";\n";
    std::string result;
    result.reserve(text.size() + declaration.size() + reference.size());
    result.append(text.substr(0, open));
    result.append(declaration);
    result.append(text.substr(open, close - open));
    result.append(reference);
    result.append(text.substr(close));
    return result;
}

const char* AddStepMessage(AddStep step)
{
    switch (step) {
    case AddStep::None:
        return "";
    case AddStep::Settings:
        return "No book for user documents: section [userdoc] of the configuration needs "
               "Collection1 and Book1.";
    case AddStep::FreeName:
        return "Could not get free filename for user document.";
    case AddStep::CreateReference:
    case AddStep::CreateTemp:
        return "Could not create file for user document.";
    case AddStep::WriteReference:
    case AddStep::WriteTemp:
        return "Error while writing user document file";
    case AddStep::OpenUserDoc:
        return "Error while opening user document file";
    case AddStep::ReadUserDoc:
        return "Error while reading user document file";
    case AddStep::NoUserDocElement:
        return "User document file has no <userdoc> element to add to.";
    case AddStep::Backup:
        return "Error while creating backup of user document file";
    case AddStep::Replace:
        return "Error while replacing user document file";
    }
    return "";
}

AddResult AddUserDocument(const UserDocumentPaths& paths, const UserDocumentInput& input,
                          std::time_t now)
{
    // Adders of this machine take turns on a book: each reads the file the one before wrote
    // and the temporary file is nobody else's. A folder that cannot be locked is still tried.
    CFolderLock lock(paths.bookFolder);
    // The first free name, taken by creating it: a name another adder took in between is
    // simply not free.
    std::string referencePath;
    std::string name;
    int fd = -1;
    for (int number = 0; number < kReferenceFileCount && fd < 0; ++number) {
        name = ReferenceFileName(number);
        referencePath = paths.bookFolder + "/" + name;
        fd = ::open(referencePath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0666);
        if (fd < 0 && errno != EEXIST)
            return Failure(AddStep::CreateReference, referencePath, errno);
    }
    if (fd < 0)
        return Failure(AddStep::FreeName, paths.bookFolder);

    // The reference is complete on the disk before the user-document file names it.
    if (const int error = WriteSyncClose(fd, MakeDocumentReference(input, now)); error != 0) {
        // Half a reference is of no use to anyone; its name is free again.
        ::unlink(referencePath.c_str());
        return Failure(AddStep::WriteReference, referencePath, error);
    }

    // From here on a failure leaves the reference file in place, named in the result.
    const auto fail = [&name](AddStep step, const std::string& path, int error) {
        AddResult result = Failure(step, path, error);
        result.referenceName = name;
        return result;
    };
    std::string text;
    struct stat info = {};
    int error = 0;
    if (const AddStep failed = ReadWholeFile(paths.userDocFile, text, info, error);
        failed != AddStep::None)
        return fail(failed, paths.userDocFile, error);
    const std::optional<std::string> updated = InsertUserDocumentReference(text, name);
    if (!updated)
        return fail(AddStep::NoUserDocElement, paths.userDocFile, 0);

    bool created = false;
    if ((error = WriteNewFile(paths.tempFile, *updated, info, created)) != 0)
        return fail(created ? AddStep::WriteTemp : AddStep::CreateTemp, paths.tempFile, error);
    // The backup holds the bytes just read, which are the file as it is.
    if ((error = WriteNewFile(paths.backupFile, text, info, created)) != 0) {
        ::unlink(paths.tempFile.c_str());
        return fail(AddStep::Backup, paths.backupFile, error);
    }
    if (::rename(paths.tempFile.c_str(), paths.userDocFile.c_str()) != 0) {
        error = errno;
        ::unlink(paths.tempFile.c_str());
        return fail(AddStep::Replace, paths.userDocFile, error);
    }
    SyncFolder(paths.bookFolder);
    AddResult result;
    result.referenceName = name;
    return result;
}

AddResult AddUserDocument(const UserDocumentSettings& settings, const UserDocumentInput& input,
                          std::time_t now)
{
    if (settings.collectionFolder.empty() || settings.book.empty())
        return Failure(AddStep::Settings, "");
    return AddUserDocument(MakeUserDocumentPaths(settings.collectionFolder, settings.book), input,
                           now);
}

} // namespace obuudoc
