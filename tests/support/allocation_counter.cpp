#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

// Only the plain and the aligned forms are replaced: the standard library's array,
// nothrow and sized forms call these.
namespace {

std::atomic<long> allocations{0};

void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
    ++allocations;
    const std::size_t a = static_cast<std::size_t>(alignment);
#if defined(_WIN32)
    return _aligned_malloc(size == 0 ? 1 : size, a);
#else
    return std::aligned_alloc(a, ((size == 0 ? 1 : size) + a - 1) / a * a);
#endif
}

}  // namespace

namespace sonidrax::testing {

long AllocationCount() { return allocations.load(); }

}  // namespace sonidrax::testing

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    if (void* p = AllocateAligned(size, alignment)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept {
#if defined(_WIN32)
    _aligned_free(p);
#else
    std::free(p);
#endif
}
