#include "NormalVariates.h"

#include "MoroInverseNormal.h"
#include "SobolPoints.h"

#include <cmath>

namespace {

DoubleMatrix ToNormal(DoubleMatrix uniforms) {
    for (unsigned long i = 0; i < uniforms.RowCount(); ++i)
        for (unsigned long j = 0; j < uniforms.ColumnCount(); ++j)
            uniforms(i, j) = MoroInverseNormal(uniforms(i, j));
    return uniforms;
}

DoubleMatrix ToLogNormal(DoubleMatrix uniforms) {
    for (unsigned long i = 0; i < uniforms.RowCount(); ++i)
        for (unsigned long j = 0; j < uniforms.ColumnCount(); ++j)
            uniforms(i, j) = std::exp(MoroInverseNormal(uniforms(i, j)));
    return uniforms;
}

} // namespace

DoubleMatrix NormalVariates(int d, int n) {
    return ToNormal(SobolPoints(d, n));
}

DoubleMatrix NormalVariates(int d, int n, const std::string& directionNumberPath) {
    return ToNormal(SobolPoints(d, n, directionNumberPath));
}

DoubleMatrix LogNormalVariates(int d, int n) {
    return ToLogNormal(SobolPoints(d, n));
}

DoubleMatrix LogNormalVariates(int d, int n, const std::string& directionNumberPath) {
    return ToLogNormal(SobolPoints(d, n, directionNumberPath));
}
