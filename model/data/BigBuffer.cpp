#include "BigBuffer.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {
#if defined(__linux__)
constexpr std::size_t kHugePage = kBigBufferPage;
#endif
constexpr std::size_t kPage = 4096;

std::size_t RoundUp(std::size_t bytes, std::size_t unit)
{
    return (bytes + unit - 1) / unit * unit;
}
} // namespace

#if defined(__linux__)

namespace {

// An address range of size bytes starting on a huge-page boundary, reserved (nothing is
// resident until written), or MAP_FAILED.
void* MapAligned(std::size_t size)
{
    const std::size_t padded = size + kHugePage;
    if (padded < size)
        return MAP_FAILED;
    void* raw = ::mmap(nullptr, padded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return MAP_FAILED;
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = RoundUp(start, kHugePage);
    if (aligned > start)
        ::munmap(raw, aligned - start);
    const std::size_t tail = padded - (aligned - start) - size;
    if (tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + size), tail);
    return reinterpret_cast<void*>(aligned);
}

} // namespace

bool CBigBufferBase::Grow(std::size_t bytes)
{
    // Huge pages only pay for themselves on large buffers. A large buffer always lies on a
    // huge-page boundary, also after it has grown and moved, so its pages stay huge: the
    // pages written before move with it (no copy), and few faults fill the rest.
    const std::size_t unit = bytes >= kHugePage ? kHugePage : kPage;
    const std::size_t size = RoundUp(bytes, unit);
    if (size < bytes)
        return false;
    void* memory = MAP_FAILED;
    if (size >= kHugePage) {
        memory = MapAligned(size);
        if (memory != MAP_FAILED && m_memory) {
            void* moved = ::mremap(m_memory, m_mapped, size, MREMAP_MAYMOVE | MREMAP_FIXED, memory);
            if (moved == MAP_FAILED) {
                ::munmap(memory, size);
                return false;
            }
            memory = moved;
        }
    } else if (m_memory) {
        memory = ::mremap(m_memory, m_mapped, size, MREMAP_MAYMOVE);
    } else {
        memory = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    }
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

void CBigBufferBase::Release(std::size_t bytes)
{
    const std::size_t keep = RoundUp(bytes, kPage);
    if (m_memory && keep < m_mapped)
        ::madvise(static_cast<char*>(m_memory) + keep, m_mapped - keep, MADV_DONTNEED);
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

void CBigBufferBase::Release(std::size_t) {}

#endif
