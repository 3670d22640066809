#pragma once

#include <cstdint>

// The dimensions of the shipped generating vector (data/lattice-kuo-9125.txt).
constexpr int LatticeVectorDimensions = 9125;
// The largest number of points it was built for: 2^20.
constexpr std::uint32_t LatticeVectorPoints = std::uint32_t{1} << 20;

// Component j (from 0) of the generating vector: LatticeVectorDimensions
// odd numbers below LatticeVectorPoints, compiled in, so the add-in needs no
// second file beside it.
const std::uint32_t* LatticeGeneratingVector();
