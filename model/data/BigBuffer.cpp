#include "BigBuffer.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {
#if defined(__linux__)
constexpr std::size_t kHugePage = std::size_t(2) << 20;
#endif
constexpr std::size_t kPage = 4096;

std::size_t RoundUp(std::size_t bytes, std::size_t unit)
{
    return (bytes + unit - 1) / unit * unit;
}
} // namespace

#if defined(__linux__)

bool CBigBufferBase::Grow(std::size_t bytes)
{
    // Huge-page alignment only pays for itself on large buffers.
    const std::size_t unit = bytes >= kHugePage ? kHugePage : kPage;
    const std::size_t size = RoundUp(bytes, unit);
    if (size < bytes)
        return false;
    void* memory = nullptr;
    if (m_memory)
        memory = ::mremap(m_memory, m_mapped, size, MREMAP_MAYMOVE);
    else
        memory = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return false;
    if (size >= kHugePage)
        ::madvise(memory, size, MADV_HUGEPAGE);
    m_memory = memory;
    m_mapped = size;
    return true;
}

void CBigBufferBase::Release()
{
    if (m_memory)
        ::munmap(m_memory, m_mapped);
    m_memory = nullptr;
    m_mapped = 0;
}

#else

bool CBigBufferBase::Grow(std::size_t bytes)
{
    const std::size_t size = RoundUp(bytes, kPage);
    void* memory = std::realloc(m_memory, size);
    if (!memory)
        return false;
    m_memory = memory;
    m_mapped = size;
    return true;
}

void CBigBufferBase::Release()
{
    std::free(m_memory);
    m_memory = nullptr;
    m_mapped = 0;
}

#endif
