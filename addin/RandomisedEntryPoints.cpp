// The entry points of the randomised functions: seeded scrambled Sobol points,
// their normals and Brownian paths. Arguments are checked in their order, a
// negative count as soon as it is read, so the text names the first wrong
// one; a missing trailing argument arrives as 0. The functions are
// registered thread-safe: Excel's recalculation threads call them at once,
// each result owning its memory, and they print nothing.
#include "ResultMemory.h"
#include "WholeNumberArgument.h"

#include "xlw/WorksheetCall.h"
#include "xlw/XlfExcel.h"
#include "xlw/XlfOper.h"

#include "BrownianPaths.h"
#include "GeneratorArguments.h"
#include "ScrambledSobol.h"

using tesserine::ColumnCountArgument;
using tesserine::UnsignedArgument;
using tesserine::WholeNumberArgument;
using tesserine::WithinMemory;
using xlw::ThreadSafeWorksheetCall;
using xlw::XlfOper;

namespace {

// Esc stops a long call between blocks of rows; the break stays for Excel.
bool EscPressed() {
    return xlw::XlfExcel::Get().BreakPending();
}

template <class Generator>
void* ScrambledCall(Generator generate, double d, double n, double seed, double start) {
    return ThreadSafeWorksheetCall([=] {
        int dimensions = ColumnCountArgument(d, "d");
        int points = WholeNumberArgument(n, "n");
        RequireValidCounts(dimensions, points);
        std::uint32_t seedBits = UnsignedArgument(seed, "seed");
        std::uint32_t first = UnsignedArgument(start, "start");
        // Refused before a point is computed, after every argument text.
        RequireValidScrambledArguments(dimensions, points, first);
        XlfOper::RequireMatrixFits(points, dimensions);
        XlfOper::RequireCellCountFits(points, dimensions);
        if (xlw::WizardPreviewOnly(static_cast<double>(points) * dimensions))
            return XlfOper(true);
        return WithinMemory(points, dimensions,
                            [&] { return XlfOper(generate(dimensions, points, seedBits, first)); });
    });
}

} // namespace

XLW_EXPORT void* XLW_STDCALL xlrnd_ScrambledSobol(double d, double n, double seed, double start) {
    return ScrambledCall(
        [](int dimensions, int points, std::uint32_t seedBits, std::uint32_t first) {
            return ScrambledSobolPoints(dimensions, points, seedBits, first, EscPressed);
        },
        d, n, seed, start);
}

XLW_EXPORT void* XLW_STDCALL xlrnd_ScrambledNormalRNs(double d, double n, double seed,
                                                      double start) {
    return ScrambledCall(
        [](int dimensions, int points, std::uint32_t seedBits, std::uint32_t first) {
            return ScrambledNormalVariates(dimensions, points, seedBits, first, EscPressed);
        },
        d, n, seed, start);
}

XLW_EXPORT void* XLW_STDCALL xlrnd_BrownianPaths(double steps, double n, double maturity,
                                                 double seed, double start) {
    return ThreadSafeWorksheetCall([=] {
        int stepCount = ColumnCountArgument(steps, "steps");
        int paths = WholeNumberArgument(n, "n");
        RequireValidCounts(stepCount, paths);
        RequireValidMaturity(maturity);
        std::uint32_t seedBits = UnsignedArgument(seed, "seed");
        std::uint32_t first = UnsignedArgument(start, "start");
        RequireValidScrambledArguments(stepCount, paths, first);
        XlfOper::RequireMatrixFits(paths, stepCount);
        XlfOper::RequireCellCountFits(paths, stepCount);
        if (xlw::WizardPreviewOnly(static_cast<double>(paths) * stepCount))
            return XlfOper(true);
        return WithinMemory(paths, stepCount, [&] {
            return XlfOper(BrownianPaths(stepCount, paths, maturity, seedBits, first, EscPressed));
        });
    });
}
