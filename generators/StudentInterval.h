#pragma once

// The refusal of an alpha outside (1e-300, 1), in the sheet's words.
extern const char AlphaRequirement[];

// Throws std::invalid_argument with AlphaRequirement unless 1e-300 < alpha < 1.
void RequireValidAlpha(double alpha);

// The half-width of the two-sided 1 - alpha Student-t interval about an
// estimate whose standard error comes from R independent replicates:
// T.INV.2T(alpha, R - 1) * standardError, the quantile from Boost.Math.
// Throws std::invalid_argument unless 1e-300 < alpha < 1 and R >= 2.
double StudentHalfWidth(double standardError, int replicates, double alpha);

// The same with the degrees of freedom given: R - 1 - q for an estimate
// fitted to q controls. Throws unless 1e-300 < alpha < 1 and they are at
// least 1.
double StudentHalfWidthWithDegrees(double standardError, int degreesOfFreedom, double alpha);
