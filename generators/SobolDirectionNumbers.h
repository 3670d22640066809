#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

class DirectionNumberFile;

// The direction integers m_1 ... m_bitCount of dimensions 1 to d (m_i is odd
// and below 2^i), bit by bit: entry (i - 1) * d + j is m_i of dimension j + 1,
// so that one Gray-code step reads one contiguous run. Dimension 1 has every
// m_i = 1 and needs no file; dimensions 2 to d take their polynomials and
// initial numbers from lines 2 to d of the direction-number file and extend
// them by the Sobol recurrence. The first bitCount integers do not depend on
// bitCount, so a 25-bit and a 32-bit generator share them. bitCount is 1 to 32.
std::vector<std::uint32_t> SobolDirectionIntegers(int d, int bitCount,
                                                  const std::filesystem::path& path);

// Derives m[s + 1] ... m[bitCount] of one dimension from m[1] ... m[s] (m is
// 1-based and holds at least bitCount + 1 entries), for a primitive polynomial
// of degree s whose inner coefficients a(t) are bit s - 1 - t of a. Nothing
// is derived when s >= bitCount.
void ExtendDirectionNumbers(std::vector<std::uint32_t>& m, int s, std::uint32_t a, int bitCount);

// Reads the next line of the file, that of the given dimension (2 or more),
// into m[1] ... m[bitCount] (m is 1-based and holds bitCount + 1 entries).
void ReadDirectionNumbers(DirectionNumberFile& file, int dimension, int bitCount,
                          std::vector<std::uint32_t>& m);
