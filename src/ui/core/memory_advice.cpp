#include "ui/core/memory_advice.h"

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

void adviseHugePages(void *data, std::size_t size)
{
#ifdef __linux__
    constexpr std::uintptr_t page = 4096;
    // One huge page; a smaller buffer cannot hold one.
    constexpr std::size_t worthwhile = std::size_t(2) << 20;
    if (size < worthwhile)
        return;
    const auto address = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (address + page - 1) & ~(page - 1);
    const std::uintptr_t end = (address + size) & ~(page - 1);
    madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

void returnLargeBuffersWhenFreed()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

void releaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}
