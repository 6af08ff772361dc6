#include "StripDecoders.h"
#include "TiffImage.h"

#include <string>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace qgtiff::detail {

void ReportRow(int row, const char* what)
{
    CDiagnosticSink::Say("row " + std::to_string(row) + ": " + what);
}

void FinishRow(std::uint8_t* row, std::size_t rowBytes, int width, bool invert)
{
    if (rowBytes == 0)
        return;
    if (invert) {
        for (std::size_t i = 0; i < rowBytes; ++i)
            row[i] = static_cast<std::uint8_t>(~row[i]);
    }
    if (width % 8 != 0)
        row[rowBytes - 1] &= static_cast<std::uint8_t>(0xFF00u >> (width % 8));
}

int DecodeRawStrip(const std::uint8_t* data, std::size_t size, std::size_t srcRowBytes,
                   const CStripTarget& target)
{
    for (int r = 0; r < target.rows; ++r) {
        const std::size_t start = static_cast<std::size_t>(r) * srcRowBytes;
        if (start > size || size - start < srcRowBytes) {
            ReportRow(target.firstRow + r, "strip data ends");
            return r;
        }
        std::uint8_t* row = target.Row(r);
        std::memcpy(row, data + start, target.rowBytes);
        FinishRow(row, target.rowBytes, target.width, target.invert);
    }
    return target.rows;
}

// The strip is decoded as one stream: a run that crosses the end of a row goes on in the next
// row, and bytes beyond the strip's rows are ignored.
int DecodePackBitsStrip(const std::uint8_t* data, std::size_t size, const CStripTarget& target)
{
    const std::size_t total = static_cast<std::size_t>(target.rows) * target.rowBytes;
    std::size_t done = 0;
    std::size_t in = 0;
    bool truncated = false;
    // Puts count bytes (copied from source, or value repeated) at the stream position done,
    // row by row, as the target's rows may lie further apart than their length.
    const auto put = [&](const std::uint8_t* source, std::uint8_t value, std::size_t count) {
        while (count > 0) {
            const std::size_t row = done / target.rowBytes;
            const std::size_t column = done % target.rowBytes;
            const std::size_t chunk = std::min(count, target.rowBytes - column);
            std::uint8_t* out = target.Row(static_cast<int>(row)) + column;
            if (source) {
                std::memcpy(out, source, chunk);
                source += chunk;
            } else {
                std::memset(out, value, chunk);
            }
            done += chunk;
            count -= chunk;
        }
    };
    while (target.rowBytes > 0 && done < total && in < size) {
        const int n = static_cast<std::int8_t>(data[in++]);
        if (n >= 0) {
            std::size_t count = static_cast<std::size_t>(n) + 1;
            if (count > size - in) {
                count = size - in;
                truncated = true;
            }
            count = std::min(count, total - done);
            put(data + in, 0, count);
            in += count;
        } else if (n != -128) {
            if (in >= size) {
                truncated = true;
                break;
            }
            const std::size_t count = std::min(static_cast<std::size_t>(1 - n), total - done);
            put(nullptr, data[in++], count);
        }
    }
    const int complete = target.rowBytes ? static_cast<int>(done / target.rowBytes) : 0;
    const int touched =
        target.rowBytes ? static_cast<int>((done + target.rowBytes - 1) / target.rowBytes) : 0;
    for (int r = 0; r < touched; ++r)
        FinishRow(target.Row(r), target.rowBytes, target.width, target.invert);
    if (complete < target.rows)
        ReportRow(target.firstRow + complete,
                  truncated ? "PackBits data cut short" : "strip data ends");
    return complete;
}

} // namespace qgtiff::detail
