#pragma once

// The standard normal number z with Phi(z) = u to full double precision, by
// M. J. Wichura's algorithm AS 241 (PPND16), Applied Statistics 37(3),
// 477-484 (1988). 0 gives -inf, 1 gives +inf, values outside [0, 1] and NaN
// give NaN.
double WichuraInverseNormal(double u);
