#include "FailingAllocator.h"

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<size_t> g_allocations{0};
std::atomic<long> g_live{0};
// Allocations left before the armed failure; negative when disarmed.
std::atomic<long> g_countdown{-1};
std::atomic<bool> g_fired{false};

// Null when the armed failure is due, else a fresh block (never null for size 0).
void* Allocate(size_t size) {
    ++g_allocations;
    if (g_countdown.load() >= 0 && g_countdown.fetch_sub(1) == 0) {
        g_fired = true;
        return nullptr;
    }
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr) {
        ++g_live;
    }
    return block;
}

void Release(void* block) {
    if (block != nullptr) {
        --g_live;
        std::free(block);
    }
}

void* AllocateOrThrow(size_t size) {
    void* block = Allocate(size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

}  // namespace

namespace failing_allocator {

size_t Allocations() {
    return g_allocations.load();
}
long Live() {
    return g_live.load();
}
void FailAt(size_t index) {
    g_fired = false;
    g_countdown = static_cast<long>(index);
}
void Disarm() {
    g_countdown = -1;
}
bool Fired() {
    return g_fired.load();
}

}  // namespace failing_allocator

// Every replaceable form that the library and the standard library use; the over-aligned forms
// are left to the runtime, which pairs them with its own deletes.
void* operator new(size_t size) {
    return AllocateOrThrow(size);
}
void* operator new[](size_t size) {
    return AllocateOrThrow(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, size_t) noexcept {
    Release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    Release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    Release(block);
}
