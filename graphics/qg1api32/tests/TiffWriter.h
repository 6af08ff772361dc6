#pragma once

// Test fixtures: bilevel TIFF files written byte by byte.

#include <cstdint>
#include <string>
#include <vector>

namespace {

// A little-endian, uncompressed bilevel TIFF (white is zero) with one strip.
inline std::string BilevelTiff(int width, int height, const std::vector<std::uint8_t>& rows,
                        int bitsPerSample = 1, int dpi = 300)
{
    std::string out;
    auto u16 = [&](unsigned v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    };
    auto u32 = [&](unsigned v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    const unsigned entries = 10;
    const unsigned ifd = 8;
    const unsigned resolution = ifd + 2 + entries * 12 + 4;
    const unsigned data = resolution + 8;
    out += "II";
    u16(42);
    u32(ifd);
    u16(entries);
    auto tag = [&](unsigned id, unsigned type, unsigned count, unsigned value) {
        u16(id);
        u16(type);
        u32(count);
        if (type == 3 && count == 1) {
            u16(value);
            u16(0);
        } else {
            u32(value);
        }
    };
    tag(256, 4, 1, static_cast<unsigned>(width));
    tag(257, 4, 1, static_cast<unsigned>(height));
    tag(258, 3, 1, static_cast<unsigned>(bitsPerSample));
    tag(259, 3, 1, 1);
    tag(262, 3, 1, 0);
    tag(273, 4, 1, data);
    tag(277, 3, 1, 1);
    tag(278, 4, 1, static_cast<unsigned>(height));
    tag(279, 4, 1, static_cast<unsigned>(rows.size()));
    tag(282, 5, 1, resolution);
    u32(0);
    u32(static_cast<unsigned>(dpi));
    u32(1);
    out.append(reinterpret_cast<const char*>(rows.data()), rows.size());
    return out;
}

} // namespace
