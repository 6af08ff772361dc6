// Decoding an A4 page at 300 dpi, coded Group 4 and Group 3 two-dimensional, with qgtiff and
// with the system's TIFF library, on the same files in the same run. Compare the times of
// BM_Qgtiff/<coding> and BM_Libtiff/<coding>.

#include "TiffImage.h"

#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <unistd.h>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 2480;
constexpr int kHeight = 3508;

// A page of text-like glyphs in lines, with ruled lines, a frame and a few filled boxes.
std::vector<std::uint8_t> MakePage()
{
    const std::size_t rowBytes = (kWidth + 7) / 8;
    std::vector<std::uint8_t> bits(rowBytes * kHeight, 0);
    const auto fill = [&](int x0, int y0, int x1, int y1) {
        for (int y = std::max(0, y0); y < std::min(kHeight, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(kWidth, x1); ++x)
                bits[static_cast<std::size_t>(y) * rowBytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    };
    std::mt19937 rng(2480);
    const int glyph = 36; // 12 point at 300 dpi
    const int stroke = 4;
    for (int top = 200; top + glyph < kHeight - 200; top += glyph * 3 / 2) {
        if (rng() % 15 == 0) {
            fill(200, top + glyph / 2, kWidth - 200, top + glyph / 2 + stroke);
            continue;
        }
        if (rng() % 25 == 0) {
            fill(300, top, 300 + static_cast<int>(rng() % 1500), top + glyph * 3);
            top += glyph * 2;
            continue;
        }
        int x = 200;
        while (x + glyph < kWidth - 200) {
            if (rng() % 6 == 0) {
                x += glyph / 2;
                continue;
            }
            const int w = glyph / 2 + static_cast<int>(rng() % (glyph / 2));
            const unsigned shape = rng();
            if (shape & 1) fill(x, top, x + stroke, top + glyph);
            if (shape & 2) fill(x + w - stroke, top + glyph / 3, x + w, top + glyph);
            if (shape & 4) fill(x, top + glyph / 3, x + w, top + glyph / 3 + stroke);
            if (shape & 8) fill(x, top + glyph - stroke, x + w, top + glyph);
            if (shape & 16)
                for (int i = 0; i < glyph * 2 / 3; ++i)
                    fill(x + i * w / glyph, top + glyph / 3 + i, x + i * w / glyph + stroke, top + glyph / 3 + i + 1);
            x += w + stroke * 2;
        }
    }
    fill(100, 100, kWidth - 100, 104);
    fill(100, kHeight - 104, kWidth - 100, kHeight - 100);
    return bits;
}

// Writes the page with the library in one strip; returns the file's path.
std::string WritePage(int compression, std::uint32_t t4Options)
{
    static const std::vector<std::uint8_t> page = MakePage();
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("tiffbench-" + std::to_string(compression) + "-" + std::to_string(::getpid()) + ".tif"))
                                 .string();
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return {};
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    if (compression == COMPRESSION_CCITTFAX3)
        TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, t4Options);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, kHeight);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 300.0);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 300.0);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    const std::size_t rowBytes = (kWidth + 7) / 8;
    std::vector<std::uint8_t> copy = page;
    TIFFWriteEncodedStrip(tif, 0, copy.data(), static_cast<tmsize_t>(rowBytes * kHeight));
    TIFFClose(tif);
    return path;
}

const std::string& PagePath(int coding)
{
    static const std::string g4 = WritePage(COMPRESSION_CCITTFAX4, 0);
    static const std::string g3 = WritePage(COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING | GROUP3OPT_FILLBITS);
    return coding == 4 ? g4 : g3;
}

void BM_Qgtiff(benchmark::State& state)
{
    const std::string& path = PagePath(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        qgtiff::CTiffFile file;
        qgtiff::CBilevelImage image;
        if (file.Open(path) != qgtiff::TiffStatus::Ok || file.Decode(image) != qgtiff::TiffStatus::Ok) {
            state.SkipWithError("qgtiff failed");
            break;
        }
        benchmark::DoNotOptimize(image.bits.data());
    }
    state.SetLabel(state.range(0) == 4 ? "G4" : "G3-2D");
}

void BM_Libtiff(benchmark::State& state)
{
    const std::string& path = PagePath(static_cast<int>(state.range(0)));
    TIFFSetWarningHandler(nullptr);
    for (auto _ : state) {
        TIFF* tif = TIFFOpen(path.c_str(), "r");
        if (!tif) {
            state.SkipWithError("TIFFOpen failed");
            break;
        }
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(TIFFStripSize(tif)));
        const tstrip_t strips = TIFFNumberOfStrips(tif);
        for (tstrip_t s = 0; s < strips; ++s) {
            if (TIFFReadEncodedStrip(tif, s, buffer.data(), static_cast<tmsize_t>(buffer.size())) < 0) {
                state.SkipWithError("TIFFReadEncodedStrip failed");
                break;
            }
            benchmark::DoNotOptimize(buffer.data());
        }
        TIFFClose(tif);
    }
    state.SetLabel(state.range(0) == 4 ? "G4" : "G3-2D");
}

// 4: Group 4; 3: Group 3 two-dimensional with fill bits.
BENCHMARK(BM_Qgtiff)->Arg(4)->Arg(3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Libtiff)->Arg(4)->Arg(3)->Unit(benchmark::kMicrosecond);

} // namespace
