#pragma once

#include <cstddef>
#include <cstdint>

// The innermost loop of the scrambled Sobol functions: count bit-reversed
// 32-bit Sobol coordinates, coordinate k Owen-scrambled with seeds[k] and
// mapped to (x + 1/2) / 2^32, strictly inside (0, 1). Nothing but 32-bit
// multiplies, shifts and exact conversions, so every path gives the same
// bits.

// The baseline x86 build has no 32-bit vector multiply (SSE4.1 brought it),
// so it hashes one coordinate at a time; AVX2 hashes eight. Both are
// compiled into every build and one is chosen when the module loads.
void ScrambleToCoordinatesBaseline(const std::uint32_t* reversed, const std::uint32_t* seeds,
                                   double* coordinates, std::size_t count);
// Only on a processor (and a system saving its registers) with AVX2.
void ScrambleToCoordinatesAvx2(const std::uint32_t* reversed, const std::uint32_t* seeds,
                               double* coordinates, std::size_t count);

bool ProcessorHasAvx2();

// (x + 1/2) / 2^32, exact in a double: 33 significant bits. x goes through
// the signed value x - 2^31, since x86 converts signed 32-bit integers
// several at a time and unsigned ones not at all; every step is exact.
inline double UnitCoordinate(std::uint32_t bits) {
    const std::int32_t centred = static_cast<std::int32_t>(bits ^ 0x80000000u);
    return (centred + 2147483648.5) * 0x1p-32;
}

// The faster of the two that this processor runs.
void ScrambleToCoordinates(const std::uint32_t* reversed, const std::uint32_t* seeds,
                           double* coordinates, std::size_t count);
