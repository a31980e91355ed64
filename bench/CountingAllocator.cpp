// Replaces the allocator of the process, as the C library allows: every
// shared library (the module, TinyXML, the C++ library) resolves malloc and
// operator new to these definitions, which count and then call the C
// library's allocator under its internal names.
#include "CountingAllocator.h"

#include <errno.h>
#include <malloc.h>
#include <stddef.h>
#include <unistd.h>

#include <atomic>
#include <new>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}

namespace {

// Static thread-local storage of the executable: set up before a thread runs
// any code, so reaching it never allocates.
thread_local uint64_t t_nAllocations = 0;
std::atomic<int64_t> g_nLiveBytes(0);
std::atomic<int64_t> g_nPeakBytes(0);

void raisePeak(int64_t live) {
    int64_t peak = g_nPeakBytes.load(std::memory_order_relaxed);
    while (live > peak &&
           !g_nPeakBytes.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
    }
}

void* noteAllocated(void* block) {
    if (block) {
        ++t_nAllocations;
        int64_t size = static_cast<int64_t>(malloc_usable_size(block));
        raisePeak(g_nLiveBytes.fetch_add(size, std::memory_order_relaxed) + size);
    }
    return block;
}

void noteReleased(void* block) {
    if (block) {
        g_nLiveBytes.fetch_sub(static_cast<int64_t>(malloc_usable_size(block)),
                               std::memory_order_relaxed);
    }
}

bool validAlignment(size_t alignment) {
    return alignment >= sizeof(void*) && (alignment & (alignment - 1)) == 0;
}

void* newBlock(size_t size) {
    void* block = malloc(size == 0 ? 1 : size);
    if (!block) {
        throw std::bad_alloc();
    }
    return block;
}

}  // namespace

namespace benchalloc {

uint64_t threadAllocations() {
    return t_nAllocations;
}

int64_t liveBytes() {
    return g_nLiveBytes.load();
}

int64_t peakBytes() {
    return g_nPeakBytes.load();
}

void resetPeak() {
    g_nPeakBytes = g_nLiveBytes.load();
}

}  // namespace benchalloc

// --- the C allocator --------------------------------------------------------

extern "C" {

void* malloc(size_t size) {
    return noteAllocated(__libc_malloc(size));
}

void* calloc(size_t count, size_t size) {
    return noteAllocated(__libc_calloc(count, size));
}

void* realloc(void* block, size_t size) {
    if (!block) {
        return malloc(size);
    }
    if (size == 0) {
        free(block);
        return nullptr;
    }
    int64_t before = static_cast<int64_t>(malloc_usable_size(block));
    void* moved = __libc_realloc(block, size);
    if (moved) {
        ++t_nAllocations;
        int64_t after = static_cast<int64_t>(malloc_usable_size(moved));
        raisePeak(g_nLiveBytes.fetch_add(after - before, std::memory_order_relaxed) + after -
                  before);
    }
    return moved;
}

void free(void* block) {
    noteReleased(block);
    __libc_free(block);
}

void* memalign(size_t alignment, size_t size) {
    return noteAllocated(__libc_memalign(alignment, size));
}

void* aligned_alloc(size_t alignment, size_t size) {
    return noteAllocated(__libc_memalign(alignment, size));
}

int posix_memalign(void** out, size_t alignment, size_t size) {
    if (!validAlignment(alignment)) {
        return EINVAL;
    }
    void* block = noteAllocated(__libc_memalign(alignment, size));
    if (!block) {
        return ENOMEM;
    }
    *out = block;
    return 0;
}

void* valloc(size_t size) {
    return noteAllocated(__libc_memalign(static_cast<size_t>(sysconf(_SC_PAGESIZE)), size));
}

void* pvalloc(size_t size) {
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return noteAllocated(__libc_memalign(page, (size + page - 1) / page * page));
}

}  // extern "C"

// --- operator new and delete ------------------------------------------------

void* operator new(size_t size) {
    return newBlock(size);
}

void* operator new[](size_t size) {
    return newBlock(size);
}

void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return malloc(size == 0 ? 1 : size);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return malloc(size == 0 ? 1 : size);
}

void operator delete(void* block) noexcept {
    free(block);
}

void operator delete[](void* block) noexcept {
    free(block);
}

void operator delete(void* block, size_t) noexcept {
    free(block);
}

void operator delete[](void* block, size_t) noexcept {
    free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
    free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
    free(block);
}
