#pragma once

// Helpers of the CGM tests: a writer of binary elements, temporary folders, plotutils runs.

#include "TempDir.h"
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace cgmtest {

// Builds binary metafiles element by element.
class CBinaryWriter
{
public:
    static std::string I8(int v) { return std::string(1, static_cast<char>(v & 0xff)); }
    static std::string I16(int v)
    {
        return std::string{static_cast<char>((v >> 8) & 0xff), static_cast<char>(v & 0xff)};
    }
    static std::string I32(std::int64_t v) { return I16(static_cast<int>(v >> 16)) + I16(static_cast<int>(v)); }
    static std::string F32(float f)
    {
        std::uint32_t u;
        std::memcpy(&u, &f, sizeof u);
        return I32(u);
    }
    static std::string F64(double d)
    {
        std::uint64_t u;
        std::memcpy(&u, &d, sizeof u);
        return I32(static_cast<std::int64_t>(u >> 32)) + I32(static_cast<std::int64_t>(u & 0xffffffffu));
    }
    // 16.16 fixed point.
    static std::string Fixed32(double v)
    {
        const auto raw = static_cast<std::int64_t>(v * 65536.0);
        return I32(raw);
    }
    static std::string Str(std::string_view s)
    {
        std::string out;
        if (s.size() < 255) {
            out.push_back(static_cast<char>(s.size()));
        } else {
            out.push_back(static_cast<char>(255));
            out += I16(static_cast<int>(s.size()));
        }
        out.append(s);
        return out;
    }

    // One element; long form when the parameters need it or when asked, split into
    // partitions of at most partition bytes (0: one partition).
    CBinaryWriter& Element(int cls, int id, const std::string& params = std::string(),
                           bool longForm = false, std::size_t partition = 0)
    {
        const std::size_t n = params.size();
        if (n < 31 && !longForm) {
            m_out += I16((cls << 12) | (id << 5) | static_cast<int>(n));
            m_out += params;
        } else {
            m_out += I16((cls << 12) | (id << 5) | 31);
            const std::size_t step = partition ? partition : std::max<std::size_t>(n, 1);
            std::size_t pos = 0;
            do {
                const std::size_t part = std::min(step, n - pos);
                const bool more = pos + part < n;
                m_out += I16((more ? 0x8000 : 0) | static_cast<int>(part));
                m_out += params.substr(pos, part);
                if (part & 1)
                    m_out.push_back('\0');
                pos += part;
            } while (pos < n);
            return *this;
        }
        if (n & 1)
            m_out.push_back('\0');
        return *this;
    }

    const std::string& Bytes() const { return m_out; }

private:
    std::string m_out;
};

// A fresh temporary folder, removed with everything in it.
using CTempDir = TempDir;

inline std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool HavePlotutils()
{
    return std::filesystem::exists("/usr/bin/graph") && std::filesystem::exists("/usr/bin/plot");
}

// Runs a shell command line; true when it exits with 0.
inline bool Run(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

} // namespace cgmtest
