// A counting allocator: the program's own malloc family, which glibc lets
// take the place of its own for every library of the process (zlib and the
// C++ runtime included). It forwards to glibc and keeps the bytes in use and
// their peak.
#include <malloc.h>

#include <atomic>
#include <cerrno>
#include <cstddef>

#include "bench/arc/bench.h"

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t n, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* p);
}

namespace {

std::atomic<long long> inUse{0};
std::atomic<long long> peak{0};

void* Counted(void* p) {
    if (p) {
        long long now = inUse += static_cast<long long>(malloc_usable_size(p));
        long long old = peak.load();
        while (now > old && !peak.compare_exchange_weak(old, now)) {
        }
    }
    return p;
}

void Uncount(void* p) {
    if (p) inUse -= static_cast<long long>(malloc_usable_size(p));
}

}  // namespace

long long HeapInUse() {
    return inUse.load();
}

long long HeapPeakSinceReset() {
    return peak.load();
}

void HeapResetPeak() {
    peak = inUse.load();
}

extern "C" {

void* malloc(size_t size) {
    return Counted(__libc_malloc(size));
}

void* calloc(size_t n, size_t size) {
    return Counted(__libc_calloc(n, size));
}

void free(void* p) {
    Uncount(p);
    __libc_free(p);
}

void* realloc(void* p, size_t size) {
    Uncount(p);
    void* q = __libc_realloc(p, size);
    // A failed realloc keeps the old block.
    return Counted(q ? q : (size ? p : nullptr));
}

void* memalign(size_t alignment, size_t size) {
    return Counted(__libc_memalign(alignment, size));
}

void* aligned_alloc(size_t alignment, size_t size) {
    return memalign(alignment, size);
}

int posix_memalign(void** out, size_t alignment, size_t size) {
    void* p = memalign(alignment, size);
    if (!p && size) return ENOMEM;
    *out = p;
    return 0;
}

}  // extern "C"
