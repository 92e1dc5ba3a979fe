#include "AllocationWatch.h"

#include <cstdlib>
#include <new>

namespace allocation_watch {
std::atomic<long> failIn{0};
std::atomic<size_t> largest{0};
} // namespace allocation_watch

namespace {
void* Allocate(size_t size) {
    using namespace allocation_watch;
    if (failIn > 0 && --failIn == 0)
        throw std::bad_alloc();
    for (size_t seen = largest; size > seen && !largest.compare_exchange_weak(seen, size);) {
    }
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
} // namespace

void* operator new(size_t size) {
    return Allocate(size);
}
void* operator new[](size_t size) {
    return Allocate(size);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, size_t) noexcept {
    std::free(memory);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t& nothrow) noexcept {
    return operator new(size, nothrow);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
