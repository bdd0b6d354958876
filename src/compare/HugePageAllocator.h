// An allocator for the few very large arrays of a comparison (the cells of
// fifty groups by 100 000 members are twenty megabytes): on Linux it asks
// for transparent huge pages, so the array is backed by ten 2 MB pages
// instead of five thousand 4 KB ones. Every page costs a fault the first
// time it is written, and on a virtual machine a fault costs far more than
// writing the page; the huge pages also spare the TLB when the array is
// walked. Small arrays, and other systems, get the ordinary allocator.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

template <class T>
class HugePageAllocator {
public:
    using value_type = T;

    HugePageAllocator() = default;
    template <class U>
    HugePageAllocator(const HugePageAllocator<U>&) {}

    T* allocate(std::size_t n) {
#if defined(__linux__)
        const std::size_t bytes = n * sizeof(T);
        if (bytes >= kThreshold) {
            const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
            void* p = std::aligned_alloc(kHugePage, rounded);
            if (!p) {
                throw std::bad_alloc();
            }
            madvise(p, rounded, MADV_HUGEPAGE);  // advice only: fine if refused
            return static_cast<T*>(p);
        }
#endif
        return static_cast<T*>(::operator new(n * sizeof(T)));
    }

    void deallocate(T* p, std::size_t n) {
#if defined(__linux__)
        if (n * sizeof(T) >= kThreshold) {
            std::free(p);
            return;
        }
#endif
        ::operator delete(p);
        (void)n;
    }

    template <class U>
    bool operator==(const HugePageAllocator<U>&) const {
        return true;
    }

private:
    static constexpr std::size_t kHugePage = std::size_t(2) << 20;
    static constexpr std::size_t kThreshold = std::size_t(4) << 20;
};
