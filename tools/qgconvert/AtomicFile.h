#pragma once

#include <cstddef>
#include <string>

// Writes a file so that a failure never leaves it half written: the bytes go to a temporary
// file in the target's folder, which Commit renames over the target. Until then the old file
// stays as it was; a file that is not committed (an error, an early return) is removed when
// the object goes. A target that is a symbolic link has the file it points to replaced; an
// existing target keeps its permission bits, a new one gets 0666 less the umask. Qt-free.
class CAtomicFile
{
public:
    explicit CAtomicFile(std::string path);
    ~CAtomicFile();
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    // Makes the temporary file. False when the folder cannot take it or the target exists and
    // may not be written.
    bool Open();
    // Appends size bytes. False on any failure; every later call then fails too.
    bool Write(const void* data, std::size_t size);
    // Closes the temporary file and renames it over the target. False on any failure so far
    // or now; the temporary file is then gone and the target untouched.
    bool Commit();

private:
    void Discard();

    std::string m_path;
    std::string m_tempPath;
    int m_fd = -1;
    bool m_failed = false;
};
