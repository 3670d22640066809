#pragma once

#include "DoubleMatrix.h"
#include "Interruption.h"

#include <cstdint>
#include <filesystem>

// Points start ... start + n - 1 (index 0 is the first, the origin before
// scrambling) of the d-dimensional 32-bit Sobol sequence in Gray-code order,
// each dimension Owen-scrambled from its own seed derived from `seed`, one
// point per row. A coordinate with scrambled bits x is (x + 1/2) / 2^32,
// strictly inside (0, 1). The bits are integer arithmetic throughout, so every
// build gives the same values. Throws std::invalid_argument for negative
// counts and for start + n beyond 2^32, the length of the sequence.

// Throws the std::invalid_argument that the functions below throw for their
// counts and start, so that a caller can check them before anything else.
//
// Each function asks `interrupted`, when given, before every block of rows
// (RowsBetweenChecks) and throws Interrupted when it answers true.
void RequireValidScrambledArguments(int d, int n, std::uint32_t start);

// Takes the direction numbers from ModuleSobolDirections, read once per load
// of the module, and writes nothing: several threads may call at once. d is
// at most 16384 here.
DoubleMatrix ScrambledSobolPoints(int d, int n, std::uint32_t seed, std::uint32_t start,
                                  const InterruptionCheck& interrupted = {});
// Reads the given file, for this call only, and writes nothing.
DoubleMatrix ScrambledSobolPoints(int d, int n, std::uint32_t seed, std::uint32_t start,
                                  const std::filesystem::path& directionNumberPath,
                                  const InterruptionCheck& interrupted = {});
// The first form's points written in place: d is the columns and n the rows
// of `points`.
void WriteScrambledSobolPoints(const MatrixRows& points, std::uint32_t seed, std::uint32_t start,
                               const InterruptionCheck& interrupted = {});

// The same points mapped through WichuraInverseNormal: standard normal
// variates, all finite.
DoubleMatrix ScrambledNormalVariates(int d, int n, std::uint32_t seed, std::uint32_t start,
                                     const InterruptionCheck& interrupted = {});
DoubleMatrix ScrambledNormalVariates(int d, int n, std::uint32_t seed, std::uint32_t start,
                                     const std::filesystem::path& directionNumberPath,
                                     const InterruptionCheck& interrupted = {});
void WriteScrambledNormalVariates(const MatrixRows& normals, std::uint32_t seed,
                                  std::uint32_t start, const InterruptionCheck& interrupted = {});
