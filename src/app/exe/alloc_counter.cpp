// Counts the program's heap allocations for --timedemo: the global
// allocation functions are replaced in the game's executable only.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "app/timedemo.h"

namespace {

std::atomic<std::uint64_t> g_allocations{0};

std::uint64_t Count() { return g_allocations.load(std::memory_order_relaxed); }

void* Allocate(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (size == 0) size = 1;
    for (;;) {
        if (void* p = std::malloc(size)) return p;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

void* AllocateAligned(std::size_t size, std::size_t align) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (align < sizeof(void*)) align = sizeof(void*);
    if (size == 0) size = 1;
    for (;;) {
        void* p = nullptr;
        if (posix_memalign(&p, align, size) == 0) return p;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

struct Install {
    Install() { dw::allocationCounter = &Count; }
} g_install;

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t a) { return AllocateAligned(size, static_cast<std::size_t>(a)); }
void* operator new[](std::size_t size, std::align_val_t a) {
    return AllocateAligned(size, static_cast<std::size_t>(a));
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
