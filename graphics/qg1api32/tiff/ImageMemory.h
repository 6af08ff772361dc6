#pragma once

#include <cstddef>

namespace qgtiff {

// Zero-filled memory for a decoded image, straight from the system, so white rows are never
// written twice; in large pages where the system has them, as a drawing of many megabytes
// otherwise costs a page fault every four kilobytes. Qt-free.
struct CImageMemory
{
    void* bits = nullptr;
    std::size_t size = 0;
    bool mapped = false;

    // At least bytes of zeroed memory; null when there is not enough. Free gives it back.
    static CImageMemory* Make(std::size_t bytes);
    // Frees the memory and the record; info is a CImageMemory from Make (the signature of an
    // image's clean-up function).
    static void Free(void* info);
};

} // namespace qgtiff
