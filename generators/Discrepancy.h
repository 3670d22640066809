#pragma once

#include "DoubleMatrix.h"

#include <string>

// How uniform n points in [0, 1]^d are, one point per row, as
// scipy.stats.qmc.discrepancy defines the measures (Fang, Li and Sudjianto,
// "Design and Modeling for Computer Experiments", 2006; Hickernell 1998).
// Centred, wrap-around and mixture give the squared discrepancy, L2-star its
// square root, as scipy does.
enum class DiscrepancyKind { Centred, WrapAround, Mixture, L2Star };

// "CD", "WD", "MD" or "L2-star", in any case; std::invalid_argument naming the
// four otherwise.
DiscrepancyKind DiscrepancyKindNamed(const std::string& name);

// Refuses, with std::invalid_argument, points of `rows` x `columns` whose
// n x n x d pair terms would take more than about a second.
void RequireDiscrepancyTermsWithin(unsigned long rows, unsigned long columns);

// Throws std::invalid_argument for no points and for a coordinate outside
// [0, 1] (naming its row and column, from 1). The cost grows as n * n * d.
double Discrepancy(const DoubleMatrix& points, DiscrepancyKind kind);
