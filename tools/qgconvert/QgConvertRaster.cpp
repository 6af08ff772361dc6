#include "QgConvertRaster.h"

#include "AtomicFile.h"
#include "ImageMemory.h"
#include "TiffImage.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace {

constexpr int kMaxSide = 32768;

bool ParseNumber(const std::string& text, int low, int high, int& value)
{
    try {
        std::size_t used = 0;
        const int parsed = std::stoi(text, &used);
        if (used != text.size() || parsed < low || parsed > high)
            return false;
        value = parsed;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// What follows the last dot of the file name, lower case ("" without one).
std::string SuffixOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    std::string suffix = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    for (char& c : suffix)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return suffix;
}

// A one-page bilevel TIFF to PBM: decoded straight into memory laid out as the PBM rows are,
// written in one piece. The file's page choice cannot matter with one page, so the stored
// import options are not needed either. Anything else, and any file that does not open or
// decode as a TIFF here, goes to the drawing part, which reports it.
int ConvertOnePageTiff(const QgConvertOptions& options, std::string& err)
{
    if (options.suffix != "pbm" || options.width != 0 || options.picture != 0)
        return kQgConvertNeedsDrawing;
    // Only a regular file: opening a named pipe or a device can block for ever.
    struct stat status
    {
    };
    if (::stat(options.input.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return kQgConvertNeedsDrawing;

    // The diagnostics are held back until the conversion is sure to be ours, so that they
    // are never reported twice.
    std::vector<std::string> heard;
    qgtiff::CTiffFile tiff;
    std::unique_ptr<qgtiff::CImageMemory, void (*)(void*)> memory(nullptr,
                                                                  &qgtiff::CImageMemory::Free);
    std::size_t rowBytes = 0;
    {
        qgtiff::CDiagnosticSink quiet([&heard](const std::string& line) { heard.push_back(line); },
                                      false);
        if (tiff.Open(options.input) != qgtiff::TiffStatus::Ok || tiff.PageCount() != 1)
            return kQgConvertNeedsDrawing;
        const qgtiff::CTiffInfo& info = tiff.Info();
        rowBytes = (static_cast<std::size_t>(info.width) + 7) / 8;
        memory.reset(qgtiff::CImageMemory::Make(rowBytes * info.height));
        if (!memory)
            return kQgConvertNeedsDrawing;
        const qgtiff::TiffStatus decoded = tiff.DecodeInto(
            qgtiff::CBilevelTarget{static_cast<std::uint8_t*>(memory->bits), rowBytes});
        // A damaged page is written as far as it decodes, as the drawing part does.
        if (decoded != qgtiff::TiffStatus::Ok && decoded != qgtiff::TiffStatus::Corrupt)
            return kQgConvertNeedsDrawing;
    }
    for (const std::string& line : heard)
        qgtiff::CDiagnosticSink::Say(line);
    const qgtiff::CTiffInfo& info = tiff.Info();
    if (!WritePbmFile(options.output, static_cast<const unsigned char*>(memory->bits),
                      static_cast<int>(info.width), static_cast<int>(info.height),
                      static_cast<long>(rowBytes))) {
        err += "qgconvert: cannot write '" + options.output + "'\n";
        return kQgConvertWriteFailed;
    }
    return 0;
}

} // namespace

std::string QgConvertUsage()
{
    return "usage: qgconvert [--width N] [--picture N] [--mode 0-3] IN OUT\n"
           "  IN: a CGM file (binary or clear text) or a bilevel TIFF image\n"
           "  OUT: .png, .pbm or .pdf\n"
           "  --width   output width in pixels (default: the image's own size; 1024 for CGM)\n"
           "  --picture which picture of a CGM file or page of a TIFF file (from 0)\n"
           "  --mode    scaling mode of the drawing (0 to 3)\n";
}

bool ParseQgConvertOptions(const std::vector<std::string>& args, QgConvertOptions& options,
                           std::string& error)
{
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](int low, int high, int& target) {
            if (i + 1 >= args.size() || !ParseNumber(args[i + 1], low, high, target)) {
                error = arg + " needs a number from " + std::to_string(low) + " to " +
                        std::to_string(high);
                return false;
            }
            ++i;
            return true;
        };
        if (arg == "--width" || arg == "-w") {
            if (!value(1, kMaxSide, options.width))
                return false;
        } else if (arg == "--picture" || arg == "-p") {
            if (!value(0, 9999, options.picture))
                return false;
        } else if (arg == "--mode" || arg == "-m") {
            if (!value(0, 3, options.mode))
                return false;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2) {
        error = "an input and an output file are needed";
        return false;
    }
    options.input = positional[0];
    options.output = positional[1];
    options.suffix = SuffixOf(options.output);
    return true;
}

int RunQgConvertRaster(const std::vector<std::string>& args, std::string& err,
                       QgConvertOptions& options)
{
    std::string error;
    if (!ParseQgConvertOptions(args, options, error)) {
        err += "qgconvert: " + error + "\n" + QgConvertUsage();
        return kQgConvertUsage;
    }
    if (options.suffix != "png" && options.suffix != "pbm" && options.suffix != "pdf") {
        err += "qgconvert: the output must end in .png, .pbm or .pdf\n";
        return kQgConvertUsage;
    }
    return ConvertOnePageTiff(options, err);
}

bool WritePbmFile(const std::string& path, const unsigned char* bits, int width, int height,
                  long stride)
{
    CAtomicFile file(path);
    if (!file.Open())
        return false;
    const std::string header = "P4\n" + std::to_string(width) + ' ' + std::to_string(height) + '\n';
    if (!file.Write(header.data(), header.size()))
        return false;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) + 7) / 8;
    if (stride == static_cast<long>(rowBytes)) {
        if (!file.Write(bits, rowBytes * static_cast<std::size_t>(height)))
            return false;
    } else {
        // Rows gathered into blocks of about a megabyte: one write each.
        const int rowsPerBlock = static_cast<int>(
            std::max<std::size_t>(1, (1u << 20) / std::max<std::size_t>(rowBytes, 1)));
        std::vector<unsigned char> block;
        block.reserve(rowBytes * static_cast<std::size_t>(rowsPerBlock));
        for (int y = 0; y < height; y += rowsPerBlock) {
            block.clear();
            for (int r = y; r < std::min(height, y + rowsPerBlock); ++r) {
                const unsigned char* row = bits + static_cast<long>(r) * stride;
                block.insert(block.end(), row, row + rowBytes);
            }
            if (!file.Write(block.data(), block.size()))
                return false;
        }
    }
    return file.Commit();
}

bool WriteWholeFile(const std::string& path, const void* data, std::size_t size)
{
    CAtomicFile file(path);
    return file.Open() && file.Write(data, size) && file.Commit();
}
