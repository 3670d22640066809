#include "ScrambledCoordinates.h"

#include "OwenScrambling.h"

#include <immintrin.h>

namespace {

// The baseline path, and the AVX2 path's last few coordinates after its
// whole vectors: each compiles it with its own instruction set.
[[gnu::always_inline]] inline void ScrambleAll(const std::uint32_t* reversed,
                                               const std::uint32_t* seeds, double* coordinates,
                                               std::size_t count) {
    for (std::size_t k = 0; k < count; ++k)
        coordinates[k] = UnitCoordinate(OwenScrambleReversed(reversed[k], seeds[k]));
}

using ScrambleFunction = void (*)(const std::uint32_t*, const std::uint32_t*, double*, std::size_t);

// Asked once, as the module loads, not on every call.
const ScrambleFunction chosenAtLoad =
    ProcessorHasAvx2() ? ScrambleToCoordinatesAvx2 : ScrambleToCoordinatesBaseline;

} // namespace

void ScrambleToCoordinatesBaseline(const std::uint32_t* reversed, const std::uint32_t* seeds,
                                   double* coordinates, std::size_t count) {
    ScrambleAll(reversed, seeds, coordinates, count);
}

// Eight coordinates at a time, written out because the compiler reverses bits
// with five rounds of shifts and masks, half the loop's work, where a byte
// shuffle and two nibble lookups do. The stack is never realigned here:
// 64-bit Windows cannot align it to 32 bytes, so the loop must keep its
// 256-bit values in registers (or read them from constant memory), which a
// loop this small does.
[[gnu::target("avx2")]] void ScrambleToCoordinatesAvx2(const std::uint32_t* reversed,
                                                       const std::uint32_t* seeds,
                                                       double* coordinates, std::size_t count) {
    const __m256i byteOrderReversed =
        _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12, //
                         3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12);
    // Entry i: the four bits of i reversed, as the high (Upper) or low half of a byte.
    const __m256i reversedUpper =
        _mm256_setr_epi8(0x00, char(0x80), 0x40, char(0xC0), 0x20, char(0xA0), 0x60, char(0xE0),
                         0x10, char(0x90), 0x50, char(0xD0), 0x30, char(0xB0), 0x70, char(0xF0),
                         0x00, char(0x80), 0x40, char(0xC0), 0x20, char(0xA0), 0x60, char(0xE0),
                         0x10, char(0x90), 0x50, char(0xD0), 0x30, char(0xB0), 0x70, char(0xF0));
    const __m256i reversedLower =
        _mm256_setr_epi8(0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15, 0, 8, 4, 12, 2, 10,
                         6, 14, 1, 9, 5, 13, 3, 11, 7, 15);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i signBit = _mm256_set1_epi32(static_cast<int>(0x80000000u));
    const __m256d offset = _mm256_set1_pd(2147483648.5);
    const __m256d scale = _mm256_set1_pd(0x1p-32);
    std::size_t k = 0;
    for (; k + 8 <= count; k += 8) {
        __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(reversed + k));
        x = _mm256_add_epi32(x, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(seeds + k)));
        // LaineKarrasPermutation's rounds.
        for (const std::uint32_t factor : {0x6c50b47cu, 0xb82f1e52u, 0xc7afe638u, 0x8d22f6e6u})
            x = _mm256_xor_si256(
                x, _mm256_mullo_epi32(x, _mm256_set1_epi32(static_cast<int>(factor))));
        // ReverseBits: the bytes' order, then each byte's bits.
        x = _mm256_shuffle_epi8(x, byteOrderReversed);
        x = _mm256_or_si256(
            _mm256_shuffle_epi8(reversedUpper, _mm256_and_si256(x, nibble)),
            _mm256_shuffle_epi8(reversedLower, _mm256_and_si256(_mm256_srli_epi16(x, 4), nibble)));
        // UnitCoordinate.
        const __m256i centred = _mm256_xor_si256(x, signBit);
        const __m256d low = _mm256_cvtepi32_pd(_mm256_castsi256_si128(centred));
        const __m256d high = _mm256_cvtepi32_pd(_mm256_extracti128_si256(centred, 1));
        _mm256_storeu_pd(coordinates + k, _mm256_mul_pd(_mm256_add_pd(low, offset), scale));
        _mm256_storeu_pd(coordinates + k + 4, _mm256_mul_pd(_mm256_add_pd(high, offset), scale));
    }
    ScrambleAll(reversed + k, seeds + k, coordinates + k, count - k);
}

// The processor's flag alone is not enough: the system must also save the
// 256-bit registers, which the run-time's check includes.
bool ProcessorHasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

void ScrambleToCoordinates(const std::uint32_t* reversed, const std::uint32_t* seeds,
                           double* coordinates, std::size_t count) {
    chosenAtLoad(reversed, seeds, coordinates, count);
}
