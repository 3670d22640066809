#include "MoroInverseNormal.h"

#include <cmath>

namespace {

// B. Moro, "The full Monte", Risk 8(2), 57-58 (1995): a Beasley-Springer
// rational function in the centre and a Chebyshev polynomial in
// ln(-ln(.)) in the tails, with the coefficients exactly as published.
constexpr double Centre = 0.5;
constexpr double CentralBound = 0.42;

constexpr double A0 = 2.50662823884;
constexpr double A1 = -18.61500062529;
constexpr double A2 = 41.39119773534;
constexpr double A3 = -25.44106049637;

constexpr double B1 = -8.4735109309;
constexpr double B2 = 23.08336743743;
constexpr double B3 = -21.06224101826;
constexpr double B4 = 3.13082909833;

constexpr double C0 = 0.337475482272615;
constexpr double C1 = 0.976169019091719;
constexpr double C2 = 0.160797971491821;
constexpr double C3 = 0.0276438810333863;
constexpr double C4 = 0.0038405729373609;
constexpr double C5 = 0.0003951896511919;
constexpr double C6 = 0.0000321767881768;
constexpr double C7 = 0.0000002888167364;
constexpr double C8 = 0.0000003960315187;

} // namespace

// The Horner orders below fix the rounding of every result; keep them.
double MoroInverseNormal(double u) {
    const double y = u - Centre;
    if (std::fabs(y) < CentralBound) {
        const double r = y * y;
        const double numerator = y * (((A3 * r + A2) * r + A1) * r + A0);
        const double denominator = (((B4 * r + B3) * r + B2) * r + B1) * r + 1.0;
        return numerator / denominator;
    }
    // Also reached by NaN, which the logarithms pass on.
    const double z = y > 0.0 ? std::log(-std::log(1.0 - u)) : std::log(-std::log(u));
    const double t =
        ((((((((C8 * z + C7) * z + C6) * z + C5) * z + C4) * z + C3) * z + C2) * z + C1) * z) + C0;
    return y > 0.0 ? t : -t;
}
