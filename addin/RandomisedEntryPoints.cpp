// The entry points of the randomised functions: seeded scrambled Sobol points,
// their normals, Brownian paths and shifted lattice points. Arguments are checked in their order, a
// negative count as soon as it is read, so the text names the first wrong
// one; a missing trailing argument arrives as 0. Each takes `replicates`
// last: R blocks of n rows, block r from seed + r. The functions are
// registered thread-safe: Excel's recalculation threads call them at once,
// each result owning its memory, and they print nothing. Their results reach
// the sheet's width: 16384 columns from Excel 2007 on, 255 before.
#include "RandomisedEntryPoints.h"
#include "ResultMemory.h"
#include "WholeNumberArgument.h"

#include "xlw/WorksheetCall.h"
#include "xlw/XlfExcel.h"
#include "xlw/XlfOper.h"

#include "BrownianPaths.h"
#include "Discrepancy.h"
#include "GeneratorArguments.h"
#include "LatticePoints.h"
#include "ReplicateStatistics.h"
#include "Replicates.h"
#include "ScrambledHalton.h"
#include "ScrambledSobol.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using tesserine::ColumnCountArgument;
using tesserine::ReplicateCountArgument;
using tesserine::UnsignedArgument;
using tesserine::WholeNumberArgument;
using tesserine::WithinMemory;
using xlw::ArrayWidth;
using xlw::ThreadSafeWorksheetCall;
using xlw::XlfOper;

namespace {

// One column per dimension or time step, as many as the sheet is wide.
int ColumnCount(double value, const char* name) {
    const auto widest = XlfOper::MaxArrayColumns(ArrayWidth::SheetWidth);
    return ColumnCountArgument(value, name, static_cast<int>(widest));
}

// Esc stops a long call between blocks of rows; the break stays for Excel.
bool EscPressed() {
    return xlw::XlfExcel::Get().BreakPending();
}

// R blocks of n rows: refused, before a point is computed, when they are more
// than a result holds. Gives the rows.
int RequireReplicatedRowsFit(int replicates, int points, int columns) {
    const std::uint64_t rows = static_cast<std::uint64_t>(replicates) * points;
    if (rows > static_cast<std::uint64_t>(std::numeric_limits<int>::max()))
        throw std::invalid_argument("replicates x n = " + std::to_string(rows) +
                                    " rows, more than a result holds");
    XlfOper::RequireMatrixFits(rows, columns, ArrayWidth::SheetWidth);
    XlfOper::RequireCellCountFits(rows, columns);
    return static_cast<int>(rows);
}

// R blocks of n rows of `columns`, block r from `block(seed + r)`, once every
// argument has been read and found good: refused when they are more than a
// result holds, and not computed for the function wizard's preview.
template <class Block>
XlfOper ReplicatedResult(int copies, int points, int columns, std::uint32_t seed,
                         const Block& block) {
    const int rows = RequireReplicatedRowsFit(copies, points, columns);
    if (xlw::WizardPreviewOnly(static_cast<double>(rows) * columns))
        return XlfOper(true);
    return WithinMemory(rows, columns, [&] {
        return XlfOper(Replicated(copies, points, columns, seed, block), ArrayWidth::SheetWidth);
    });
}

// The randomised point sets' generators, which all take (d, n, seed, start).
using ScrambledGenerator = DoubleMatrix (*)(int, int, std::uint32_t, std::uint32_t,
                                            const InterruptionCheck&);

void* ScrambledCall(ScrambledGenerator generate, double d, double n, double seed, double start,
                    double replicates) {
    return ThreadSafeWorksheetCall([=] {
        int dimensions = ColumnCount(d, "d");
        int points = WholeNumberArgument(n, "n");
        RequireValidCounts(dimensions, points);
        std::uint32_t seedBits = UnsignedArgument(seed, "seed");
        std::uint32_t first = UnsignedArgument(start, "start");
        int copies = ReplicateCountArgument(replicates);
        // Refused before a point is computed, after every argument text.
        RequireValidScrambledArguments(dimensions, points, first);
        return ReplicatedResult(copies, points, dimensions, seedBits, [&](std::uint32_t blockSeed) {
            return generate(dimensions, points, blockSeed, first, EscPressed);
        });
    });
}

// A name given as text, which every name here is in ASCII: a wider
// character is no name, not its low byte, and is refused with `refusal`.
// Nothing when the argument is omitted or an empty cell.
std::optional<std::string> GivenName(const XlfOper& name, const char* refusal) {
    const unsigned type = name.GetType();
    if (type == xltypeMissing || type == xltypeNil)
        return std::nullopt;
    std::wstring text;
    if (name.ConvertToWideString(text) != 0 ||
        std::any_of(text.begin(), text.end(), [](wchar_t c) { return c > 0x7F; }))
        throw std::invalid_argument(refusal);
    return std::string(text.begin(), text.end());
}

} // namespace

XLW_EXPORT void* XLW_STDCALL xlrnd_ScrambledSobol(double d, double n, double seed, double start,
                                                  double replicates) {
    return ScrambledCall(ScrambledSobolPoints, d, n, seed, start, replicates);
}

XLW_EXPORT void* XLW_STDCALL xlrnd_ScrambledNormalRNs(double d, double n, double seed, double start,
                                                      double replicates) {
    return ScrambledCall(ScrambledNormalVariates, d, n, seed, start, replicates);
}

XLW_EXPORT void* XLW_STDCALL xlrnd_ScrambledHalton(double d, double n, double seed, double start,
                                                   double replicates) {
    return ScrambledCall(ScrambledHaltonPoints, d, n, seed, start, replicates);
}

XLW_EXPORT void* XLW_STDCALL xlrnd_BrownianPaths(double steps, double n, double maturity,
                                                 double seed, double start, double replicates) {
    return ThreadSafeWorksheetCall([=] {
        int stepCount = ColumnCount(steps, "steps");
        int paths = WholeNumberArgument(n, "n");
        RequireValidCounts(stepCount, paths);
        RequireValidMaturity(maturity);
        std::uint32_t seedBits = UnsignedArgument(seed, "seed");
        std::uint32_t first = UnsignedArgument(start, "start");
        int copies = ReplicateCountArgument(replicates);
        RequireValidScrambledArguments(stepCount, paths, first);
        return ReplicatedResult(copies, paths, stepCount, seedBits, [&](std::uint32_t blockSeed) {
            return BrownianPaths(stepCount, paths, maturity, blockSeed, first, EscPressed);
        });
    });
}

XLW_EXPORT void* XLW_STDCALL xlrnd_Lattice(double d, double n, double seed, double start,
                                           double replicates, xlw::ValueArgument transform) {
    return ThreadSafeWorksheetCall([=] {
        int dimensions = ColumnCount(d, "d");
        RequireLatticeDimensions(dimensions);
        int points = WholeNumberArgument(n, "n");
        RequireValidCounts(dimensions, points);
        std::uint32_t seedBits = UnsignedArgument(seed, "seed");
        std::uint32_t first = UnsignedArgument(start, "start");
        RequireValidLatticeArguments(dimensions, points, first);
        int copies = ReplicateCountArgument(replicates);
        const std::optional<std::string> name =
            GivenName(XlfOper(transform), "transform must be \"none\" or \"baker\"");
        const LatticeTransform mapping = LatticeTransformNamed(name.value_or(""));
        return ReplicatedResult(copies, points, dimensions, seedBits, [&](std::uint32_t blockSeed) {
            return LatticePoints(dimensions, points, blockSeed, first, mapping, EscPressed);
        });
    });
}

namespace {

// One column of numbers, from a range or an array such as a spill's A1#.
std::vector<double> ColumnOfNumbers(const XlfOper& values) {
    const xlw::CellMatrix cells = values.GetCellMatrix("values");
    if (cells.ColumnCount() != 1)
        throw std::invalid_argument("values must be one column of numbers, not " +
                                    std::to_string(cells.RowCount()) + " rows and " +
                                    std::to_string(cells.ColumnCount()) + " columns");
    std::vector<double> numbers(cells.RowCount());
    for (unsigned long i = 0; i < cells.RowCount(); ++i) {
        if (!cells(i, 0).IsNumberCell())
            throw std::invalid_argument("values must all be numbers: row " + std::to_string(i + 1) +
                                        " is not");
        numbers[i] = cells(i, 0).GetNumber();
    }
    return numbers;
}

} // namespace

XLW_EXPORT void* XLW_STDCALL xlrnd_ReplicateStats(void* values, double replicates) {
    return ThreadSafeWorksheetCall([=] {
        const std::vector<double> numbers = ColumnOfNumbers(XlfOper(values));
        const ReplicateSummary summary =
            SummariseReplicates(numbers, WholeNumberArgument(replicates, "replicates"));
        DoubleMatrix row(1, 3);
        row(0, 0) = summary.mean;
        row(0, 1) = summary.standardError;
        row(0, 2) = summary.replicates;
        return XlfOper(row);
    });
}

namespace {

// n x n x d pair terms take about a second at this many.
constexpr double MostDiscrepancyTerms = 1e8;

DoubleMatrix PointsOf(const XlfOper& points) {
    const xlw::CellMatrix cells = points.GetCellMatrix("points");
    const double terms =
        static_cast<double>(cells.RowCount()) * cells.RowCount() * cells.ColumnCount();
    if (terms > MostDiscrepancyTerms)
        throw std::invalid_argument("points: rows x rows x columns must be at most 100000000 "
                                    "(10000 points in one dimension, 1000 in a hundred), to keep "
                                    "a call within about a second");
    DoubleMatrix matrix(cells.RowCount(), cells.ColumnCount());
    for (unsigned long i = 0; i < cells.RowCount(); ++i)
        for (unsigned long j = 0; j < cells.ColumnCount(); ++j) {
            if (!cells(i, j).IsNumberCell())
                throw std::invalid_argument("points must all be numbers: row " +
                                            std::to_string(i + 1) + ", column " +
                                            std::to_string(j + 1) + " is not");
            matrix(i, j) = cells(i, j).GetNumber();
        }
    return matrix;
}

// Omitted or empty: the centred discrepancy.
DiscrepancyKind KindOf(const XlfOper& kind) {
    const std::optional<std::string> name =
        GivenName(kind, "kind must be \"CD\", \"WD\", \"MD\" or \"L2-star\"");
    return name ? DiscrepancyKindNamed(*name) : DiscrepancyKind::Centred;
}

} // namespace

XLW_EXPORT void* XLW_STDCALL xlrnd_Discrepancy(void* points, void* kind) {
    return ThreadSafeWorksheetCall([=] {
        const DoubleMatrix matrix = PointsOf(XlfOper(points));
        return XlfOper(Discrepancy(matrix, KindOf(XlfOper(kind))));
    });
}
