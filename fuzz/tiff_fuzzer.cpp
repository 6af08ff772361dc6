// libFuzzer target: the TIFF reader, its page chain and every strip decoder on arbitrary bytes.

#include "TiffImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool setUp = [] {
        // A few bytes of Group 4 code a huge white page; keep images within memory limits.
        qgtiff::SetMaxPixels(std::uint64_t{1} << 23);
        // The diagnostics would flood the fuzzer's output.
        std::freopen("/dev/null", "w", stdout);
        return true;
    }();
    (void)setUp;
    qgtiff::CTiffFile file;
    if (file.OpenBytes(std::vector<std::uint8_t>(data, data + size)) != qgtiff::TiffStatus::Ok)
        return 0;
    // Every page of the directory chain, a few at most.
    for (int page = 0; page < file.PageCount() && page < 4; ++page) {
        if (file.SelectPage(page) != qgtiff::TiffStatus::Ok)
            continue;
        qgtiff::CBilevelImage image;
        file.Decode(image);
    }
    return 0;
}
