#pragma once

// The benchmark process's resident memory, for benchmarks that set the memory a structure
// takes against the file it was read from. Linux only: elsewhere the sizes are unknown (-1)
// and the peak cannot be reset.

#include <cstdint>
#include <fstream>
#include <string>

// Resident ("VmRSS") or peak resident ("VmHWM") bytes of the process, from /proc/self/status;
// -1 when unknown.
inline std::int64_t StatusBytes(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(in, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::stoll(line.substr(prefix.size())) * 1024;
    }
    return -1;
}

// Sets the peak resident size back to the current one; false when that is not possible.
inline bool ResetPeak()
{
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    out.flush();
    return static_cast<bool>(out);
}
