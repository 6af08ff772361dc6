#pragma once

// The big drawing of the graphics benchmarks and of qgconvert's memory test: a 12400 x 17540
// Group 4 TIFF (a large sheet scanned at 400 dpi), made by tiling a real scanned A4 page and
// coding the result with the system's tiffcp. The uncompressed intermediate goes to the
// output's folder and is removed.

#include "TiffImage.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

inline constexpr int kBigDrawingWidth = 12400;
inline constexpr int kBigDrawingHeight = 17540;

// The scanned page the drawing is tiled from (the shared test data beside the checkout).
inline std::string BigDrawingSourcePage(const std::string& sourceDir)
{
    return sourceDir + "/../shared/testdata/tiff/testfax4.tiff";
}

// Writes the drawing to out; false with a reason when the page or tiffcp is missing.
inline bool MakeBigDrawing(const std::string& page, const std::filesystem::path& out,
                           std::string& error)
{
    qgtiff::CTiffFile file;
    qgtiff::CBilevelImage tile;
    if (file.Open(page) != qgtiff::TiffStatus::Ok || file.Decode(tile) != qgtiff::TiffStatus::Ok) {
        error = "cannot decode " + page;
        return false;
    }
    const std::size_t rowBytes = (kBigDrawingWidth + 7) / 8;
    std::vector<std::uint8_t> rows(rowBytes * kBigDrawingHeight, 0);
    for (int y = 0; y < kBigDrawingHeight; ++y) {
        std::uint8_t* row = rows.data() + static_cast<std::size_t>(y) * rowBytes;
        const std::uint8_t* source =
            tile.bits.data() + static_cast<std::size_t>(y % tile.height) * tile.rowBytes;
        for (int x = 0; x < kBigDrawingWidth; ++x) {
            const int sx = x % tile.width;
            if ((source[sx / 8] >> (7 - sx % 8)) & 1)
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }

    // A little-endian uncompressed TIFF: header, the strip, then the directory.
    std::vector<std::uint8_t> tiff;
    tiff.reserve(rows.size() + 4096);
    for (const int byte : {int{'I'}, int{'I'}, 42, 0, 0, 0, 0, 0})
        tiff.push_back(static_cast<std::uint8_t>(byte));
    auto put16 = [&](std::uint32_t v) {
        tiff.push_back(static_cast<std::uint8_t>(v));
        tiff.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto put32 = [&](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    const std::uint32_t stripAt = 8;
    tiff.insert(tiff.end(), rows.begin(), rows.end());
    rows = {};
    const std::uint32_t resolutionAt = static_cast<std::uint32_t>(tiff.size());
    put32(400);
    put32(1);
    const std::uint32_t ifd = static_cast<std::uint32_t>(tiff.size());
    std::memcpy(tiff.data() + 4, &ifd, 4);
    const std::uint32_t entries[][4] = {
        {256, 4, 1, kBigDrawingWidth},
        {257, 4, 1, kBigDrawingHeight},
        {258, 3, 1, 1},
        {259, 3, 1, 1},
        {262, 3, 1, 0},
        {273, 4, 1, stripAt},
        {277, 3, 1, 1},
        {278, 4, 1, kBigDrawingHeight},
        {279, 4, 1, static_cast<std::uint32_t>(rowBytes * kBigDrawingHeight)},
        {282, 5, 1, resolutionAt},
        {283, 5, 1, resolutionAt},
        {296, 3, 1, 2},
    };
    put16(static_cast<std::uint32_t>(std::size(entries)));
    for (const auto& e : entries) {
        put16(e[0]);
        put16(e[1]);
        put32(e[2]);
        put32(e[3]);
    }
    put32(0);

    const std::filesystem::path plain = out.string() + ".plain.tif";
    {
        std::ofstream stream(plain, std::ios::binary | std::ios::trunc);
        stream.write(reinterpret_cast<const char*>(tiff.data()),
                     static_cast<std::streamsize>(tiff.size()));
        if (!stream) {
            error = "cannot write " + plain.string();
            return false;
        }
    }
    tiff = {};
    const std::string command =
        "tiffcp -c g4 '" + plain.string() + "' '" + out.string() + "' >/dev/null 2>&1";
    const bool coded = std::system(command.c_str()) == 0;
    std::error_code ignored;
    std::filesystem::remove(plain, ignored);
    if (!coded)
        error = "tiffcp (libtiff-tools) failed or is not installed";
    return coded;
}
