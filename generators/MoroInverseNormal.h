#pragma once

// The standard normal number z with Phi(z) = u, by Moro's inversion. Values
// outside (0, 1) flow through the logarithms: 0 gives -inf, 1 gives +inf,
// anything beyond them or NaN gives NaN.
double MoroInverseNormal(double u);
