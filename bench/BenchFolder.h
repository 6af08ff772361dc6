#pragma once

// A temporary folder for the files a benchmark generates, removed when the benchmark ends,
// and the one way the benchmarks write those files.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

class CBenchFolder
{
public:
    // Makes "<temp>/<prefix>-<pid>".
    explicit CBenchFolder(const std::string& prefix)
    {
        m_path = std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_path);
    }
    ~CBenchFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    CBenchFolder(const CBenchFolder&) = delete;
    CBenchFolder& operator=(const CBenchFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Writes the bytes as the whole file; throws when it cannot (a benchmark cannot go on).
inline void WriteBenchFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}
