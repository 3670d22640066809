// The worksheet entry points Excel calls, each one generator call in the
// frame that turns every failure into a cell value.
#include "ResultMemory.h"
#include "WholeNumberArgument.h"

#include "xlw/WorksheetCall.h"
#include "xlw/XlfOper.h"

#include "FaurePoints.h"
#include "GeneratorArguments.h"
#include "HaltonPoints.h"
#include "MoroInverseNormal.h"
#include "NormalVariates.h"
#include "SobolPoints.h"

#include <algorithm>

using tesserine::WholeNumberArgument;
using tesserine::WithinMemory;
using xlw::WorksheetCall;
using xlw::XlfOper;

namespace {

// d before n, so that the message names d when both are wrong. More rows
// or cells than the result can hold are refused after the argument texts but
// before a point is computed; too many columns are left to the result, since
// the Sobol generators first refuse a dimension beyond their direction-number
// file.
template <class Generator> void* PointSetCall(Generator generate, double d, double n) {
    return WorksheetCall([=] {
        int dimensions = WholeNumberArgument(d, "d");
        int points = WholeNumberArgument(n, "n");
        RequireValidCounts(dimensions, points);
        XlfOper::RequireMatrixFits(points, std::min(dimensions, 1));
        XlfOper::RequireCellCountFits(points, dimensions);
        return WithinMemory(points, dimensions,
                            [&] { return XlfOper(generate(dimensions, points)); });
    });
}

} // namespace

XLW_EXPORT void* XLW_STDCALL xlrnd_Sobol(double d, double n) {
    return PointSetCall([](int dimensions, int points) { return SobolPoints(dimensions, points); },
                        d, n);
}

XLW_EXPORT void* XLW_STDCALL xlrnd_Faure(double d, double n) {
    return PointSetCall([](int dimensions, int points) { return FaurePoints(dimensions, points); },
                        d, n);
}

XLW_EXPORT void* XLW_STDCALL xlrnd_Halton(double d, double n) {
    return PointSetCall([](int dimensions, int points) { return HaltonPoints(dimensions, points); },
                        d, n);
}

XLW_EXPORT void* XLW_STDCALL xlrnd_MoroNormSinInv(double rndNumber) {
    return WorksheetCall([=] { return XlfOper(MoroInverseNormal(rndNumber)); });
}

XLW_EXPORT void* XLW_STDCALL xlrnd_NormalRNs(double d, double n) {
    return PointSetCall(
        [](int dimensions, int points) { return NormalVariates(dimensions, points); }, d, n);
}

XLW_EXPORT void* XLW_STDCALL xlrnd_LogNormalRNs(double d, double n) {
    return PointSetCall(
        [](int dimensions, int points) { return LogNormalVariates(dimensions, points); }, d, n);
}
