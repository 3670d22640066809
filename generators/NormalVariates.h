#pragma once

#include "DoubleMatrix.h"

#include <filesystem>

// Quasi-random standard normal variates: MoroInverseNormal of each coordinate
// of SobolPoints(d, n), element by element. Both forms read the
// direction-number file as SobolPoints does, and the short form writes its
// path to the standard output as SobolPoints(d, n) does.
DoubleMatrix NormalVariates(int d, int n);
DoubleMatrix NormalVariates(int d, int n, const std::filesystem::path& directionNumberPath);

// exp of each normal variate: log-normal with log-mean 0 and log-deviation 1.
DoubleMatrix LogNormalVariates(int d, int n);
DoubleMatrix LogNormalVariates(int d, int n, const std::filesystem::path& directionNumberPath);
