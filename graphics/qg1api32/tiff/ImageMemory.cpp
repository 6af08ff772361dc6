#include "ImageMemory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace qgtiff {

CImageMemory* CImageMemory::Make(std::size_t bytes)
{
    auto* memory = new (std::nothrow) CImageMemory;
    if (!memory)
        return nullptr;
    constexpr std::size_t kLargePage = 2u << 20;
    if (bytes >= 4 * kLargePage) {
        const std::size_t size = (bytes + kLargePage - 1) / kLargePage * kLargePage;
        void* bits =
            ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (bits != MAP_FAILED) {
            ::madvise(bits, size, MADV_HUGEPAGE);
            *memory = CImageMemory{bits, size, true};
            return memory;
        }
    }
    memory->bits = std::calloc(bytes > 0 ? bytes : 1, 1);
    if (!memory->bits) {
        delete memory;
        return nullptr;
    }
    return memory;
}

void CImageMemory::Free(void* info)
{
    auto* memory = static_cast<CImageMemory*>(info);
    if (memory->mapped)
        ::munmap(memory->bits, memory->size);
    else
        std::free(memory->bits);
    delete memory;
}

} // namespace qgtiff
