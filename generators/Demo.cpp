#include "FaurePoints.h"
#include "HaltonPoints.h"
#include "MoroInverseNormal.h"
#include "NormalVariates.h"
#include "SobolPoints.h"

#include <cstdio>
#include <exception>

namespace {

void Print(const char* title, const DoubleMatrix& matrix) {
    std::printf("%s\n", title);
    for (unsigned long i = 0; i < matrix.RowCount(); ++i) {
        for (unsigned long j = 0; j < matrix.ColumnCount(); ++j)
            std::printf("%s%.17g", j == 0 ? "  " : ", ", matrix(i, j));
        std::printf("\n");
    }
    std::fflush(stdout);
}

} // namespace

int main() {
    try {
        Print("SobolPoints(3, 8), reading the direction-number file:", SobolPoints(3, 8));
        Print("HaltonPoints(2, 4):", HaltonPoints(2, 4));
        Print("FaurePoints(3, 4):", FaurePoints(3, 4));
        std::printf("MoroInverseNormal(0.975):\n  %.17g\n", MoroInverseNormal(0.975));
        Print("NormalVariates(2, 4):", NormalVariates(2, 4));
        Print("LogNormalVariates(2, 4):", LogNormalVariates(2, 4));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tesserine-demo: %s\n", error.what());
        return 1;
    }
    return 0;
}
