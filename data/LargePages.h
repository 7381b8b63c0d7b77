#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace lex {

// An allocator that asks the system for large memory pages for the large arrays of the search
// index: one page fault then maps 2 MiB instead of 4 KiB, and the random reads of a search miss
// the address cache far less. Small arrays come from the usual heap.
template <typename T>
struct LargePageAllocator {
    using value_type = T;
    static constexpr size_t kPage = size_t{2} << 20;

    LargePageAllocator() = default;
    template <typename U>
    LargePageAllocator(const LargePageAllocator<U>&) {}

    T* allocate(size_t n) {
        const size_t bytes = n * sizeof(T);
        if (bytes < kPage)
            return static_cast<T*>(::operator new(bytes));
        const size_t rounded = (bytes + kPage - 1) / kPage * kPage;
        void* p = std::aligned_alloc(kPage, rounded);
        if (!p)
            throw std::bad_alloc();
        madvise(p, rounded, MADV_HUGEPAGE);  // only advice: ignored where not supported
        return static_cast<T*>(p);
    }
    void deallocate(T* p, size_t n) {
        if (n * sizeof(T) < kPage)
            ::operator delete(p);
        else
            std::free(p);
    }
    template <typename U>
    bool operator==(const LargePageAllocator<U>&) const {
        return true;
    }
};

template <typename T>
using LargeVector = std::vector<T, LargePageAllocator<T>>;
using LargeText = std::basic_string<char, std::char_traits<char>, LargePageAllocator<char>>;

}  // namespace lex
