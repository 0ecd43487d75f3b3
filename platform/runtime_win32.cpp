// SETUP.EXE's own start and the little of a C runtime that it and zlib
// need, on the Win32 API alone: the program carries no runtime DLL, so it
// starts from a floppy on systems that have none. Memory comes from the
// process heap. Only SETUP.EXE links this file; the tests and the tools
// keep the compiler's runtime.
#include <windows.h>

#include <cstddef>
#include <new>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

extern "C" {

void* malloc(size_t n) {
    return HeapAlloc(GetProcessHeap(), 0, n ? n : 1);
}

void* calloc(size_t count, size_t size) {
    if (size && count > size_t(-1) / size) return nullptr;
    size_t n = count * size;
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, n ? n : 1);
}

void free(void* p) {
    if (p) HeapFree(GetProcessHeap(), 0, p);
}

void* memcpy(void* dst, const void* src, size_t n) {
    unsigned char* d = static_cast<unsigned char*>(dst);
    const unsigned char* s = static_cast<const unsigned char*>(src);
    while (n--) *d++ = *s++;
    return dst;
}

void* memmove(void* dst, const void* src, size_t n) {
    unsigned char* d = static_cast<unsigned char*>(dst);
    const unsigned char* s = static_cast<const unsigned char*>(src);
    if (d < s) {
        while (n--) *d++ = *s++;
    } else {
        while (n--) d[n] = s[n];
    }
    return dst;
}

void* memset(void* dst, int c, size_t n) {
    unsigned char* d = static_cast<unsigned char*>(dst);
    while (n--) *d++ = static_cast<unsigned char>(c);
    return dst;
}

int memcmp(const void* a, const void* b, size_t n) {
    const unsigned char* x = static_cast<const unsigned char*>(a);
    const unsigned char* y = static_cast<const unsigned char*>(b);
    for (; n; --n, ++x, ++y)
        if (*x != *y) return *x < *y ? -1 : 1;
    return 0;
}

size_t strlen(const char* s) {
    size_t n = 0;
    while (s[n]) ++n;
    return n;
}

size_t strnlen(const char* s, size_t max) {
    size_t n = 0;
    while (n < max && s[n]) ++n;
    return n;
}

int strcmp(const char* a, const char* b) {
    for (; *a && *a == *b; ++a, ++b) {
    }
    return static_cast<unsigned char>(*a) - static_cast<unsigned char>(*b);
}

int strncmp(const char* a, const char* b, size_t n) {
    for (; n; --n, ++a, ++b) {
        if (*a != *b) return static_cast<unsigned char>(*a) - static_cast<unsigned char>(*b);
        if (!*a) break;
    }
    return 0;
}

char* strchr(const char* s, int c) {
    for (;; ++s) {
        if (*s == static_cast<char>(c)) return const_cast<char*>(s);
        if (!*s) return nullptr;
    }
}

char* strrchr(const char* s, int c) {
    const char* found = nullptr;
    for (;; ++s) {
        if (*s == static_cast<char>(c)) found = s;
        if (!*s) return const_cast<char*>(found);
    }
}

size_t strspn(const char* s, const char* set) {
    size_t n = 0;
    while (s[n] && strchr(set, s[n])) ++n;
    return n;
}

size_t strcspn(const char* s, const char* set) {
    size_t n = 0;
    while (s[n] && !strchr(set, s[n])) ++n;
    return n;
}

char* strpbrk(const char* s, const char* set) {
    s += strcspn(s, set);
    return *s ? const_cast<char*>(s) : nullptr;
}

// The entry point. The command line after the program's name and the show
// command are handed on as the system would hand them to WinMain.
__attribute__((force_align_arg_pointer)) void SetupStart() {
    // Global constructors, listed by the linker between a count (or -1) and a null.
    extern void (*__CTOR_LIST__[])();
    size_t n = 1;
    while (__CTOR_LIST__[n]) ++n;
    while (--n) __CTOR_LIST__[n]();

    // Blanks and control characters end an unquoted name; letters past
    // ASCII do not.
    unsigned char* cmd = reinterpret_cast<unsigned char*>(GetCommandLineA());
    bool quoted = *cmd == '"';
    for (cmd += quoted; *cmd && (quoted ? *cmd != '"' : *cmd > ' '); ++cmd) {
    }
    if (*cmd == '"') ++cmd;
    while (*cmd && *cmd <= ' ') ++cmd;
    STARTUPINFOA si = {};  // Win32s fills in little of it
    si.cb = sizeof si;
    GetStartupInfoA(&si);
    int show = (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess(
        UINT(WinMain(GetModuleHandleA(nullptr), nullptr, reinterpret_cast<char*>(cmd), show)));
}

}  // extern "C"

// An array count too large for memory: the program's counts are bounded,
// so this never happens; should it, the program ends.
extern "C" void __cxa_throw_bad_array_new_length() {
    ExitProcess(3);
}

namespace std {
const nothrow_t nothrow{};
}

void* operator new(size_t n, const std::nothrow_t&) noexcept {
    return malloc(n);
}
void* operator new[](size_t n, const std::nothrow_t&) noexcept {
    return malloc(n);
}
void operator delete(void* p) noexcept {
    free(p);
}
void operator delete[](void* p) noexcept {
    free(p);
}
void operator delete(void* p, size_t) noexcept {
    free(p);
}
void operator delete[](void* p, size_t) noexcept {
    free(p);
}
