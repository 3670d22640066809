// The entry points of the randomised functions: seeded scrambled Sobol points,
// their normals, Brownian paths, correlated ones and shifted lattice points.
// Arguments are checked in their order, a negative count as soon as it is
// read, so the text names the first wrong one; a missing trailing argument
// arrives as 0. Each takes `replicates` (last, or before the correlated
// paths' method and the lattice's transform): R blocks of n rows, block r
// from seed + r. The functions are registered thread-safe: Excel's
// recalculation threads call them at once, each result owning its memory,
// and they print nothing. Their results reach the sheet's width: 16384
// columns from Excel 2007 on, 255 before.
#include "RandomisedEntryPoints.h"
#include "ResultMemory.h"
#include "SummaryArguments.h"
#include "WholeNumberArgument.h"

#include "xlw/WorksheetCall.h"
#include "xlw/XlfExcel.h"
#include "xlw/XlfOper.h"

#include "BrownianPaths.h"
#include "ControlVariates.h"
#include "CorrelatedPaths.h"
#include "CorrelationFactor.h"
#include "Discrepancy.h"
#include "GeneratorArguments.h"
#include "LatticePoints.h"
#include "ReplicateStatistics.h"
#include "Replicates.h"
#include "ScrambledHalton.h"
#include "ScrambledSobol.h"
#include "StudentInterval.h"
#include "SymmetricEigensystem.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using tesserine::AlphaOf;
using tesserine::ColumnCountArgument;
using tesserine::ColumnOfNumbers;
using tesserine::CountArgument;
using tesserine::SeedArguments;
using tesserine::SeedArgumentsOf;
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
    const int rows = ReplicatedRowCount(replicates, points);
    XlfOper::RequireMatrixFits(rows, columns, ArrayWidth::SheetWidth);
    XlfOper::RequireCellCountFits(rows, columns);
    return rows;
}

// R blocks of n rows of `columns` numbers, block r what `block(rows, seed + r)`
// writes, once every argument has been read: refused before a point is
// computed when the rows run past the sequence or past what a result holds;
// TRUE in the function wizard for a large result.
template <class Block>
XlfOper ReplicatedResult(int copies, std::uint32_t seed, std::uint32_t first, int points,
                         int columns, const Block& block) {
    RequireValidScrambledArguments(columns, points, first);
    const int rows = RequireReplicatedRowsFit(copies, points, columns);
    if (xlw::WizardPreviewOnly(static_cast<double>(rows) * columns))
        return XlfOper(true);
    return WithinMemory(rows, columns, [&] {
        return XlfOper(Replicated(copies, points, columns, seed, block), ArrayWidth::SheetWidth);
    });
}

// The randomised point sets' generators, which all write n x d points from
// (seed, start).
using ScrambledWriter = void (*)(const MatrixRows&, std::uint32_t, std::uint32_t,
                                 const InterruptionCheck&);

void* ScrambledCall(ScrambledWriter write, double d, double n, double seed, double start,
                    double replicates) {
    return ThreadSafeWorksheetCall([=] {
        int dimensions = ColumnCount(d, "d");
        int points = CountArgument(n, "n");
        RequireValidCounts(dimensions, points);
        const SeedArguments seeds = SeedArgumentsOf(seed, start, replicates);
        return ReplicatedResult(seeds.replicates, seeds.seed, seeds.start, points, dimensions,
                                [&](const MatrixRows& block, std::uint32_t blockSeed) {
                                    write(block, blockSeed, seeds.start, EscPressed);
                                });
    });
}

} // namespace

XLW_EXPORT void* XLW_STDCALL xlrnd_ScrambledSobol(double d, double n, double seed, double start,
                                                  double replicates) {
    return ScrambledCall(WriteScrambledSobolPoints, d, n, seed, start, replicates);
}

XLW_EXPORT void* XLW_STDCALL xlrnd_ScrambledNormalRNs(double d, double n, double seed, double start,
                                                      double replicates) {
    return ScrambledCall(WriteScrambledNormalVariates, d, n, seed, start, replicates);
}

XLW_EXPORT void* XLW_STDCALL xlrnd_ScrambledHalton(double d, double n, double seed, double start,
                                                   double replicates) {
    return ScrambledCall(WriteScrambledHaltonPoints, d, n, seed, start, replicates);
}

XLW_EXPORT void* XLW_STDCALL xlrnd_BrownianPaths(double steps, double n, double maturity,
                                                 double seed, double start, double replicates) {
    return ThreadSafeWorksheetCall([=] {
        int stepCount = ColumnCount(steps, "steps");
        int paths = CountArgument(n, "n");
        RequireValidCounts(stepCount, paths);
        RequireValidMaturity(maturity);
        const SeedArguments seeds = SeedArgumentsOf(seed, start, replicates);
        return ReplicatedResult(seeds.replicates, seeds.seed, seeds.start, paths, stepCount,
                                [&](const MatrixRows& block, std::uint32_t blockSeed) {
                                    WriteBrownianPaths(block, maturity, blockSeed, seeds.start,
                                                       EscPressed);
                                });
    });
}

namespace {

bool Omitted(const XlfOper& argument) {
    const unsigned type = argument.GetType();
    return type == xltypeMissing || type == xltypeNil;
}

// The cells of a range or an array as numbers; the first cell that is none
// named ("points must all be numbers: row 2, column 1 is not").
DoubleMatrix NumbersOf(const xlw::CellMatrix& cells, const std::string& name) {
    DoubleMatrix matrix(cells.RowCount(), cells.ColumnCount());
    for (unsigned long i = 0; i < cells.RowCount(); ++i)
        for (unsigned long j = 0; j < cells.ColumnCount(); ++j) {
            if (!cells(i, j).IsNumberCell())
                throw std::invalid_argument(name + " must all be numbers: row " +
                                            std::to_string(i + 1) + ", column " +
                                            std::to_string(j + 1) + " is not");
            matrix(i, j) = cells(i, j).GetNumber();
        }
    return matrix;
}

// The text of an optional argument, none when it is omitted or an empty
// cell; `refusal` for a value that has no text, and for a text that is not
// ASCII, as every name these functions take is: a wider character is no name,
// not its low byte.
std::optional<std::string> OptionalText(const XlfOper& argument, const char* refusal) {
    if (Omitted(argument))
        return std::nullopt;
    std::wstring text;
    if (argument.ConvertToWideString(text) != 0 ||
        std::any_of(text.begin(), text.end(), [](wchar_t c) { return c > 0x7F; }))
        throw std::invalid_argument(refusal);
    return std::string(text.begin(), text.end());
}

// A k x k range or array of numbers.
DoubleMatrix CorrelationOf(const XlfOper& correlation) {
    if (Omitted(correlation))
        throw std::invalid_argument("correlation must be a square range or array of numbers");
    return NumbersOf(correlation.GetCellMatrix("correlation"), "correlation");
}

// Omitted or empty: principal components.
FactorMethod MethodOf(const XlfOper& method) {
    return FactorMethodNamed(
        OptionalText(method, "method must be \"pca\" or \"cholesky\"").value_or(""));
}

// k assets of `steps` columns each, as many as the sheet is wide.
int PathColumns(unsigned long assets, int steps) {
    return PathColumnCount(assets, steps, XlfOper::MaxArrayColumns(ArrayWidth::SheetWidth));
}

} // namespace

XLW_EXPORT void* XLW_STDCALL xlrnd_CorrelatedPaths(double steps, double n, double maturity,
                                                   xlw::ValueArgument correlation, double seed,
                                                   double start, double replicates,
                                                   xlw::ValueArgument method) {
    return ThreadSafeWorksheetCall([=] {
        int stepCount = ColumnCount(steps, "steps");
        int paths = CountArgument(n, "n");
        RequireValidCounts(stepCount, paths);
        RequireValidMaturity(maturity);
        const DoubleMatrix matrix = CorrelationOf(XlfOper(correlation));
        // The sheet's width before the eigenvalues, which take a second for
        // 255 assets and longer for more.
        RequireCorrelationCells(matrix);
        const int columns = PathColumns(matrix.RowCount(), stepCount);
        const SymmetricEigensystem eigensystem = CheckedCorrelation(matrix, EscPressed);
        const SeedArguments seeds = SeedArgumentsOf(seed, start, replicates);
        const FactorMethod factorMethod = MethodOf(XlfOper(method));
        const DoubleMatrix factor = CorrelationFactor(matrix, eigensystem, factorMethod);
        return ReplicatedResult(seeds.replicates, seeds.seed, seeds.start, paths, columns,
                                [&](const MatrixRows& block, std::uint32_t blockSeed) {
                                    WriteCorrelatedPaths(block, stepCount, maturity, factor,
                                                         blockSeed, seeds.start, EscPressed);
                                });
    });
}

XLW_EXPORT void* XLW_STDCALL xlrnd_Lattice(double d, double n, double seed, double start,
                                           double replicates, xlw::ValueArgument transform) {
    return ThreadSafeWorksheetCall([=] {
        int dimensions = ColumnCount(d, "d");
        RequireLatticeDimensions(dimensions);
        int points = CountArgument(n, "n");
        RequireValidCounts(dimensions, points);
        const SeedArguments seeds =
            SeedArgumentsOf(seed, start, replicates, [&](std::uint32_t first) {
                RequireValidLatticeArguments(dimensions, points, first);
            });
        const std::optional<std::string> name =
            OptionalText(XlfOper(transform), "transform must be \"none\" or \"baker\"");
        const LatticeTransform mapping = LatticeTransformNamed(name.value_or(""));
        return ReplicatedResult(seeds.replicates, seeds.seed, seeds.start, points, dimensions,
                                [&](const MatrixRows& block, std::uint32_t blockSeed) {
                                    WriteLatticePoints(block, blockSeed, seeds.start, mapping,
                                                       EscPressed);
                                });
    });
}

namespace tesserine {

// One column of numbers, from a range or an array such as a spill's A1#.
std::vector<double> ColumnOfNumbers(const XlfOper& values) {
    const xlw::CellMatrix cells = values.GetCellMatrix("values");
    RequireOneColumn("values", cells.RowCount(), cells.ColumnCount());
    std::vector<double> numbers(cells.RowCount());
    for (unsigned long i = 0; i < cells.RowCount(); ++i) {
        if (!cells(i, 0).IsNumberCell())
            RefuseNonNumberRow("values", i + 1);
        numbers[i] = cells(i, 0).GetNumber();
    }
    return numbers;
}

// Omitted or empty: no interval. Otherwise a number between 1e-300 and 1.
std::optional<double> AlphaOf(const XlfOper& alpha) {
    if (Omitted(alpha))
        return std::nullopt;
    const unsigned type = alpha.GetType();
    double value = 0.0;
    if (type != xltypeNum || alpha.ConvertToDouble(value) != 0)
        throw std::invalid_argument(AlphaRequirement);
    RequireValidAlpha(value);
    return value;
}

} // namespace tesserine

namespace {

// q columns of numbers, as many rows as the values, checked for their shape
// before their cells; then their means, one row or one column of numbers.
std::optional<ControlColumns> ControlColumnsOf(const XlfOper& controls, const XlfOper& means,
                                               std::size_t values) {
    if (!ControlsGiven(!Omitted(controls), !Omitted(means)))
        return std::nullopt;
    const xlw::CellMatrix columns = controls.GetCellMatrix("controls");
    RequireControlShape(values, columns.RowCount(), columns.ColumnCount());
    ControlColumns given{NumbersOf(columns, "controls"), {}};
    const xlw::CellMatrix cells = means.GetCellMatrix("control_means");
    RequireControlMeansShape(cells.RowCount(), cells.ColumnCount());
    for (unsigned long i = 0; i < cells.RowCount(); ++i)
        for (unsigned long j = 0; j < cells.ColumnCount(); ++j) {
            if (!cells(i, j).IsNumberCell())
                throw std::invalid_argument("control_means must all be numbers: number " +
                                            std::to_string(given.means.size() + 1) + " is not");
            given.means.push_back(cells(i, j).GetNumber());
        }
    return given;
}

} // namespace

// Every argument is read and checked before a sum is taken.
XLW_EXPORT void* XLW_STDCALL xlrnd_ReplicateStats(xlw::ValueArgument values, double replicates,
                                                  xlw::ValueArgument alpha,
                                                  xlw::ValueArgument controls,
                                                  xlw::ValueArgument control_means) {
    return ThreadSafeWorksheetCall([=] {
        const std::vector<double> numbers = ColumnOfNumbers(XlfOper(values));
        const int blocks = CountArgument(replicates, "replicates");
        RequireReplicateBlocks(numbers.size(), blocks);
        const std::optional<double> level = AlphaOf(XlfOper(alpha));
        const std::optional<ControlColumns> given =
            ControlColumnsOf(XlfOper(controls), XlfOper(control_means), numbers.size());
        return XlfOper(ReplicateStatsRow(numbers, blocks, given, level));
    });
}

namespace {

DoubleMatrix PointsOf(const XlfOper& points) {
    const xlw::CellMatrix cells = points.GetCellMatrix("points");
    RequireDiscrepancyTermsWithin(cells.RowCount(), cells.ColumnCount());
    return NumbersOf(cells, "points");
}

// Omitted or empty: the centred discrepancy.
DiscrepancyKind KindOf(const XlfOper& kind) {
    const std::optional<std::string> text =
        OptionalText(kind, "kind must be \"CD\", \"WD\", \"MD\" or \"L2-star\"");
    return text ? DiscrepancyKindNamed(*text) : DiscrepancyKind::Centred;
}

} // namespace

XLW_EXPORT void* XLW_STDCALL xlrnd_Discrepancy(xlw::ValueArgument points, xlw::ValueArgument kind) {
    return ThreadSafeWorksheetCall([=] {
        const DoubleMatrix matrix = PointsOf(XlfOper(points));
        return XlfOper(Discrepancy(matrix, KindOf(XlfOper(kind))));
    });
}
