#include "NormalVariates.h"

#include "MoroInverseNormal.h"
#include "SobolPoints.h"

#include <cmath>

namespace {

double MoroLogNormal(double u) {
    return std::exp(MoroInverseNormal(u));
}

DoubleMatrix Mapped(DoubleMatrix uniforms, double (*map)(double)) {
    for (unsigned long i = 0; i < uniforms.RowCount(); ++i)
        for (unsigned long j = 0; j < uniforms.ColumnCount(); ++j)
            uniforms(i, j) = map(uniforms(i, j));
    return uniforms;
}

} // namespace

DoubleMatrix NormalVariates(int d, int n) {
    return Mapped(SobolPoints(d, n), MoroInverseNormal);
}

DoubleMatrix NormalVariates(int d, int n, const std::filesystem::path& directionNumberPath) {
    return Mapped(SobolPoints(d, n, directionNumberPath), MoroInverseNormal);
}

DoubleMatrix LogNormalVariates(int d, int n) {
    return Mapped(SobolPoints(d, n), MoroLogNormal);
}

DoubleMatrix LogNormalVariates(int d, int n, const std::filesystem::path& directionNumberPath) {
    return Mapped(SobolPoints(d, n, directionNumberPath), MoroLogNormal);
}
