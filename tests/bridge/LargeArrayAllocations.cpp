#include "LargeArrayAllocations.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t Large = std::size_t(1) << 20;
// Each block carries its size in front, padded to the alignment new[] gives.
constexpr std::size_t Header = 16;

std::atomic<std::size_t> live{0};
std::atomic<std::size_t> peak{0};

void Count(std::size_t size) {
    const std::size_t now = live += size;
    std::size_t highest = peak.load();
    while (now > highest && !peak.compare_exchange_weak(highest, now)) {
    }
}

} // namespace

void* operator new[](std::size_t size) {
    if (size > SIZE_MAX - Header)
        throw std::bad_alloc();
    char* base = static_cast<char*>(std::malloc(size + Header));
    if (base == nullptr)
        throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(base) = size;
    if (size >= Large)
        Count(size);
    return base + Header;
}

void operator delete[](void* block) noexcept {
    if (block == nullptr)
        return;
    char* base = static_cast<char*>(block) - Header;
    const std::size_t size = *reinterpret_cast<std::size_t*>(base);
    if (size >= Large)
        live -= size;
    std::free(base);
}

void operator delete[](void* block, std::size_t) noexcept {
    operator delete[](block);
}

namespace largearrays {

std::size_t LiveBytes() {
    return live.load();
}

std::size_t PeakBytes() {
    return peak.load();
}

void ResetPeak() {
    peak = live.load();
}

} // namespace largearrays
