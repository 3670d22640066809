// Which input drives a model's output: the design whose rows a sheet fills
// its model down beside, and the Sobol' indices from the outputs. Arguments
// are read and refused as the other randomised functions read them, and the
// functions are as thread- and cluster-safe as they are.
#include "SensitivityEntryPoints.h"
#include "ResultMemory.h"
#include "SummaryArguments.h"
#include "WholeNumberArgument.h"

#include "xlw/CellMatrix.h"
#include "xlw/WorksheetCall.h"
#include "xlw/XlfExcel.h"
#include "xlw/XlfOper.h"

#include "GeneratorArguments.h"
#include "Replicates.h"
#include "SensitivityDesign.h"
#include "SensitivityIndices.h"
#include "StudentInterval.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using tesserine::AlphaOf;
using tesserine::ColumnCountArgument;
using tesserine::ColumnOfNumbers;
using tesserine::CountArgument;
using tesserine::ReplicateCountArgument;
using tesserine::UnsignedArgument;
using tesserine::WithinMemory;
using xlw::ArrayWidth;
using xlw::ThreadSafeWorksheetCall;
using xlw::XlfOper;

namespace {

// As many inputs as the sheet has columns and the Sobol table has pairs of
// dimensions for.
int InputCount(double d) {
    const auto widest = std::min<std::size_t>(XlfOper::MaxArrayColumns(ArrayWidth::SheetWidth),
                                              MostSensitivityInputs);
    return ColumnCountArgument(d, "d", static_cast<int>(widest));
}

// R designs of n (d + 2) rows, refused before a point is computed when they
// are taller than an array: the text gives the largest n that fits. Gives
// the rows.
int RequireDesignRowsFit(int d, int n, int replicates) {
    const std::uint64_t perPoint = static_cast<std::uint64_t>(replicates) * (d + 2);
    const std::uint64_t rows = perPoint * n;
    const std::uint64_t tallest = XlfOper::MaxArrayRows();
    if (rows > tallest)
        throw std::invalid_argument(
            "replicates x n x (d + 2) = " + std::to_string(rows) + " rows, more than the " +
            std::to_string(tallest) + " an array holds: n can be at most " +
            std::to_string(tallest / perPoint) + " for d = " + std::to_string(d) + " and " +
            std::to_string(replicates) + (replicates == 1 ? " replicate" : " replicates"));
    XlfOper::RequireCellCountFits(rows, d);
    return static_cast<int>(rows);
}

bool EscPressed() {
    return xlw::XlfExcel::Get().BreakPending();
}

} // namespace

XLW_EXPORT void* XLW_STDCALL xlrnd_SensitivityDesign(double d, double n, double seed, double start,
                                                     double replicates) {
    return ThreadSafeWorksheetCall([=] {
        const int inputs = InputCount(d);
        const int points = CountArgument(n, "n");
        RequireValidCounts(inputs, points);
        const std::uint32_t seedBits = UnsignedArgument(seed, "seed");
        const std::uint32_t first = UnsignedArgument(start, "start");
        const int copies = ReplicateCountArgument(replicates);
        RequireValidSensitivityDesign(inputs, points, first);
        const int rows = RequireDesignRowsFit(inputs, points, copies);
        if (xlw::WizardPreviewOnly(static_cast<double>(rows) * inputs))
            return XlfOper(true);
        return WithinMemory(rows, inputs, [&] {
            const DoubleMatrix designs =
                Replicated(copies, rows / copies, inputs, seedBits, [&](std::uint32_t blockSeed) {
                    return SensitivityDesign(inputs, points, blockSeed, first, EscPressed);
                });
            return XlfOper(designs, ArrayWidth::SheetWidth);
        });
    });
}

namespace {

// The inputs the outputs came from: 1 to as many as a design can have, a
// whole number (NaN fails every comparison).
int IndexInputCount(double d) {
    if (!(d >= 1 && d <= MostSensitivityInputs && d == std::trunc(d)))
        throw std::invalid_argument("d must be a whole number from 1 to " +
                                    std::to_string(MostSensitivityInputs));
    return static_cast<int>(d);
}

// A standard error or an interval that one replicate cannot give: #N/A, as
// Excel shows a value that is not available.
xlw::CellValue ValueOrNotAvailable(double value) {
    return std::isnan(value) ? xlw::CellValue(xlerrNA, true) : xlw::CellValue(value);
}

} // namespace

XLW_EXPORT void* XLW_STDCALL xlrnd_SensitivityIndices(xlw::ValueArgument values, double d,
                                                      double replicates, xlw::ValueArgument alpha) {
    return ThreadSafeWorksheetCall([=] {
        const std::vector<double> outputs = ColumnOfNumbers(XlfOper(values));
        const int inputs = IndexInputCount(d);
        const int copies = ReplicateCountArgument(replicates);
        const std::optional<double> level = AlphaOf(XlfOper(alpha));
        // Judged for one replicate too, which has no interval to give.
        if (level)
            StudentHalfWidth(0.0, 2, *level);
        const SensitivityEstimate estimate = EstimateSensitivityIndices(outputs, inputs, copies);
        const auto halfWidth = [&](double standardError) {
            return copies < 2 ? std::nan("") : StudentHalfWidth(standardError, copies, *level);
        };
        xlw::CellMatrix table(inputs, level ? 6 : 4);
        for (int i = 0; i < inputs; ++i) {
            table(i, 0) = estimate.firstOrder[i];
            table(i, 1) = ValueOrNotAvailable(estimate.firstOrderError[i]);
            table(i, 2) = estimate.total[i];
            table(i, 3) = ValueOrNotAvailable(estimate.totalError[i]);
            if (level) {
                table(i, 4) = ValueOrNotAvailable(halfWidth(estimate.firstOrderError[i]));
                table(i, 5) = ValueOrNotAvailable(halfWidth(estimate.totalError[i]));
            }
        }
        return table;
    });
}
