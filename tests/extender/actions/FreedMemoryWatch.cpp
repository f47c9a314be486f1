#include "FreedMemoryWatch.h"

#include <windows.h>
#include <malloc.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr unsigned char kFreedByte = 0xDD;
constexpr int kKeptBlocks = 16384;
// Plain data: operator delete runs before and after every constructor.
DWORD g_watchingThread = 0;
void* g_kept[kKeptBlocks];
std::size_t g_keptSize[kKeptBlocks];
int g_keptCount = 0;

bool KeepFreed(void* p) {
    if (!p || !g_watchingThread || GetCurrentThreadId() != g_watchingThread || g_keptCount == kKeptBlocks)
        return false;
    std::size_t size = _msize(p);
    std::memset(p, kFreedByte, size);
    g_kept[g_keptCount] = p;
    g_keptSize[g_keptCount++] = size;
    return true;
}

}  // namespace

// The global pair on malloc, so that a freed block can be kept and sized.
void* operator new(std::size_t size) {
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept {
    if (!KeepFreed(p)) std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }

namespace vpw::test {

TFreedMemoryWatch::TFreedMemoryWatch() {
    Stop();
    g_watchingThread = GetCurrentThreadId();
}

int TFreedMemoryWatch::Stop() {
    g_watchingThread = 0;
    int written = 0;
    for (int i = 0; i < g_keptCount; ++i) {
        const auto* bytes = static_cast<const unsigned char*>(g_kept[i]);
        for (std::size_t b = 0; b < g_keptSize[i]; ++b)
            if (bytes[b] != kFreedByte) {
                ++written;
                break;
            }
        std::free(g_kept[i]);
    }
    g_keptCount = 0;
    return written;
}

}  // namespace vpw::test
