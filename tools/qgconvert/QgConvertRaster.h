#pragma once

#include <string>
#include <vector>

// The Qt-free part of qgconvert: its options, writing PBM files, and the conversion that
// needs no drawing, a one-page bilevel TIFF to PBM at its own size, which the program does
// without loading the drawing libraries at all.

struct QgConvertOptions
{
    std::string input, output;
    std::string suffix; // of the output, lower case: png, pbm or pdf
    int width = 0;      // 0: native size
    int picture = 0;    // picture of a multi-picture CGM file, page of a TIFF file
    int mode = 0;       // scaling mode 0..3
};

// Exit statuses: 0 written; 1 the input could not be loaded or drawn; 2 the output could not
// be written; 64 usage errors.
constexpr int kQgConvertLoadFailed = 1;
constexpr int kQgConvertWriteFailed = 2;
constexpr int kQgConvertUsage = 64;
// Not an exit status: the conversion needs the drawing part (RunQgConvertDrawing).
constexpr int kQgConvertNeedsDrawing = -1;

std::string QgConvertUsage();

// Reads the command line into options (the output's suffix is not checked). False with the
// reason in error on a usage error.
bool ParseQgConvertOptions(const std::vector<std::string>& args, QgConvertOptions& options,
                           std::string& error);

// Parses the command line and, for a one-page bilevel TIFF written as PBM at its own size,
// converts it. Returns the exit status, or kQgConvertNeedsDrawing (options filled in) when
// the conversion is another one; nothing has been said or written then. Messages go to err,
// the decoder's diagnostics to standard output.
int RunQgConvertRaster(const std::vector<std::string>& args, std::string& err,
                       QgConvertOptions& options);

// Writes a PBM file from packed one-bit rows (1 = black, leftmost pixel in the top bit),
// stride bytes apart; the file is replaced whole or not at all. False on any failure.
bool WritePbmFile(const std::string& path, const unsigned char* bits, int width, int height,
                  long stride);

// Replaces the file at path with size bytes, whole or not at all. False on any failure.
bool WriteWholeFile(const std::string& path, const void* data, std::size_t size);
