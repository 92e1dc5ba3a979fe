#include "AllocationWatch.h"

#include <cstdlib>
#include <new>

std::atomic<long> allocation_watch::failIn{0};
std::atomic<size_t> allocation_watch::largest{0};

static void* Allocate(size_t size, bool nothrow = false) {
    using namespace allocation_watch;
    for (size_t seen = largest; size > seen && !largest.compare_exchange_weak(seen, size);) {
    }
    void* memory = failIn > 0 && --failIn == 0 ? nullptr : std::malloc(size ? size : 1);
    if (!memory && !nothrow)
        throw std::bad_alloc();
    return memory;
}

void* operator new(size_t size) {
    return Allocate(size);
}
void* operator new[](size_t size) {
    return Allocate(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size, true);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size, true);
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
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
