#pragma once

#include <cstddef>
#include <new>

namespace tw {

// Memory for the big arrays of a large list (row texts, row records, sort keys). Sorting and
// searching reach them all over, and with the usual small pages nearly every such access also
// misses the address cache; large blocks therefore ask the kernel for huge pages.
void* allocateLarge(std::size_t bytes);
// bytes: as allocated; kept: as shrunk to, if it was.
void freeLarge(void* block, std::size_t bytes) noexcept;
void freeLarge(void* block, std::size_t bytes, std::size_t kept) noexcept;
// Gives back what lies past the first keep bytes of a block of `bytes` where it can (blocks
// small enough for the C library stay whole).
void shrinkLarge(void* block, std::size_t bytes, std::size_t keep) noexcept;

// Gives the memory freed since into the C library's keeping back to the system, so that a list
// closed (or a long work done) leaves the process no bigger than what it still holds.
void releaseFreedMemory() noexcept;

template <typename T> struct LargeAllocator {
    using value_type = T;

    LargeAllocator() = default;
    template <typename U> LargeAllocator(const LargeAllocator<U>&) noexcept {}

    T* allocate(std::size_t n)
    {
        if (n > std::size_t(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(allocateLarge(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { freeLarge(p, n * sizeof(T)); }

    template <typename U> bool operator==(const LargeAllocator<U>&) const noexcept { return true; }
};

} // namespace tw
