#include "core/large_allocation.h"

#include <cstdint>
#include <cstdlib>

#include <sys/mman.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace tw {
namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kPage = 4096;

// Starts are aligned to huge pages; the end only to a page, so that a block can give back its tail.
std::size_t mappedSize(std::size_t bytes)
{
    return (bytes + kPage - 1) / kPage * kPage;
}

} // namespace

void* allocateLarge(std::size_t bytes)
{
    if (bytes < kHugePage) {
        if (void* p = std::malloc(bytes ? bytes : 1))
            return p;
        throw std::bad_alloc();
    }
    // Whole, aligned huge pages straight from the kernel, given back whole when freed; the
    // advice is a hint the kernel may ignore.
    const std::size_t size = mappedSize(bytes);
    void* const mapped =
        mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start)
        munmap(mapped, aligned - start);
    if (const std::size_t tail = start + kHugePage - aligned)
        munmap(reinterpret_cast<void*>(aligned + size), tail);
    void* const block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    madvise(block, size, MADV_HUGEPAGE);
#endif
    return block;
}

void shrinkLarge(void* block, std::size_t bytes, std::size_t keep) noexcept
{
    if (bytes < kHugePage || keep >= bytes)
        return; // from malloc, or nothing to give back
    const std::size_t from = mappedSize(keep);
    if (const std::size_t tail = mappedSize(bytes) - from)
        munmap(static_cast<char*>(block) + from, tail);
}

void freeLarge(void* block, std::size_t bytes, std::size_t kept) noexcept
{
    if (bytes < kHugePage)
        std::free(block);
    else if (block && mappedSize(kept) > 0)
        munmap(block, mappedSize(kept));
}

void freeLarge(void* block, std::size_t bytes) noexcept
{
    freeLarge(block, bytes, bytes);
}

void releaseFreedMemory() noexcept
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace tw
