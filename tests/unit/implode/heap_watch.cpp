#include "heap_watch.h"

#include <malloc.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HEAP_WATCH_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define HEAP_WATCH_ASAN 1
#endif

namespace {

std::atomic<long long> allocation_count{0};
std::atomic<long long> live{0};
std::atomic<long long> peak{0};

void note_allocation(std::size_t size) {
    ++allocation_count;
    const long long now = live += static_cast<long long>(size);
    long long highest = peak.load();
    while (now > highest && !peak.compare_exchange_weak(highest, now)) {
    }
}

void note_release(std::size_t size) {
    live -= static_cast<long long>(size);
}

} // namespace

#if HEAP_WATCH_ASAN
#include <sanitizer/allocator_interface.h>
namespace {
void on_malloc(const volatile void *, std::size_t size) {
    note_allocation(size);
}
void on_free(const volatile void *p) {
    note_release(__sanitizer_get_allocated_size(const_cast<const void *>(p)));
}
const bool hooks_installed = __sanitizer_install_malloc_and_free_hooks(on_malloc, on_free) != 0;
} // namespace
#else
extern "C" void *__libc_malloc(std::size_t);
extern "C" void *__libc_calloc(std::size_t, std::size_t);
extern "C" void *__libc_realloc(void *, std::size_t);
extern "C" void __libc_free(void *);
namespace {
void *noted(void *p) {
    if (p != nullptr) {
        note_allocation(malloc_usable_size(p));
    }
    return p;
}
void release(void *p) {
    if (p != nullptr) {
        note_release(malloc_usable_size(p));
        __libc_free(p);
    }
}
const bool hooks_installed = true;
} // namespace
extern "C" void *malloc(std::size_t size) {
    return noted(__libc_malloc(size));
}
extern "C" void *calloc(std::size_t n, std::size_t size) {
    return noted(__libc_calloc(n, size));
}
extern "C" void *realloc(void *p, std::size_t size) {
    if (p != nullptr) {
        note_release(malloc_usable_size(p));
    }
    return noted(__libc_realloc(p, size));
}
extern "C" void free(void *p) {
    release(p);
}
void *operator new(std::size_t size) {
    if (void *p = malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept {
    release(p);
}
void operator delete(void *p, std::size_t) noexcept {
    release(p);
}
#endif

namespace heap_watch {

bool installed() {
    return hooks_installed;
}
long long allocations() {
    return allocation_count.load();
}
long long live_bytes() {
    return live.load();
}
long long peak_bytes() {
    return peak.load();
}
void restart_peak() {
    peak = live.load();
}

} // namespace heap_watch
