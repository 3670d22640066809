// The generators as the Python module tesserine._tesserine: each function reads
// its arguments as the worksheet function of the same generator does, with the
// same checks in the same order and the same sentences, then computes with
// the interpreter's lock released and hands the generator's own matrix to
// numpy, uncopied. A new generator function is one binding below.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "BrownianPaths.h"
#include "ControlVariates.h"
#include "CorrelatedPaths.h"
#include "CorrelationFactor.h"
#include "DirectionNumberFile.h"
#include "Discrepancy.h"
#include "FaurePoints.h"
#include "GeneratorArguments.h"
#include "HaltonPoints.h"
#include "Interruption.h"
#include "LatticePoints.h"
#include "MoroInverseNormal.h"
#include "NormalVariates.h"
#include "ReplicateStatistics.h"
#include "Replicates.h"
#include "ScrambledHalton.h"
#include "ScrambledSobol.h"
#include "SensitivityDesign.h"
#include "SensitivityIndices.h"
#include "SobolPoints.h"
#include "StudentInterval.h"
#include "SymmetricEigensystem.h"
#include "WholeNumberArgument.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace py = pybind11;
using namespace pybind11::literals;
using tesserine::ColumnCountArgument;
using tesserine::CountArgument;
using tesserine::ReplicateCountArgument;
using tesserine::SeedArguments;
using tesserine::SeedArgumentsOf;

namespace {

// A sheet from Excel 2007 on is this many columns wide: the randomised
// functions take as many dimensions or steps here as there.
constexpr int SheetWidth = 16384;

// Python and numpy integers and floats; not bool, though Python counts it
// an integer, nor a string, an array or None.
bool IsNumber(py::handle value) {
    PyObject* object = value.ptr();
    return !PyBool_Check(object) &&
           (PyIndex_Check(object) || PyFloat_Check(object) ||
            py::isinstance(value, py::module_::import("numpy").attr("floating")));
}

// A number argument as the sheet's double: a huge integer becomes an
// infinity, which every check refuses. Anything else is a TypeError.
double NumberOf(py::handle value, const char* name) {
    if (!IsNumber(value))
        throw py::type_error(std::string(name) + " must be a number, not " +
                             std::string(py::str(value.get_type().attr("__name__"))));
    PyObject* object = value.ptr();
    if (!PyIndex_Check(object))
        return PyFloat_AsDouble(object);
    const auto whole = py::reinterpret_steal<py::object>(PyNumber_Index(object));
    if (!whole)
        throw py::error_already_set();
    const double converted = PyLong_AsDouble(whole.ptr());
    if (converted == -1.0 && PyErr_Occurred()) {
        PyErr_Clear();
        return whole < py::int_(0) ? -HUGE_VAL : HUGE_VAL;
    }
    return converted;
}

int Columns(py::handle value, const char* name) {
    return ColumnCountArgument(NumberOf(value, name), name, SheetWidth);
}

int Count(py::handle value, const char* name) {
    return CountArgument(NumberOf(value, name), name);
}

SeedArguments Seeds(py::handle seed, py::handle start, py::handle replicates,
                    const std::function<void(std::uint32_t)>& checkStart = {}) {
    return SeedArgumentsOf(NumberOf(seed, "seed"), NumberOf(start, "start"),
                           NumberOf(replicates, "replicates"), checkStart);
}

// Ctrl-C stops a long call between blocks of rows, as Esc does in Excel: the
// signal handler only marks the signal, and this asks Python, with the lock
// held for the moment of the question, whether KeyboardInterrupt is due. In a
// thread other than the main one the answer is always no.
bool KeyboardInterrupted() {
    py::gil_scoped_acquire lock;
    return PyErr_CheckSignals() != 0;
}

// The matrix as a 2-D numpy array that owns it: no copy, whatever its size.
py::array ArrayOwning(DoubleMatrix matrix) {
    const std::vector<py::ssize_t> shape{static_cast<py::ssize_t>(matrix.RowCount()),
                                         static_cast<py::ssize_t>(matrix.ColumnCount())};
    if (shape[0] == 0 || shape[1] == 0)
        return py::array_t<double>(shape);
    auto* owned = new DoubleMatrix(std::move(matrix));
    const py::capsule owner(owned, [](void* held) { delete static_cast<DoubleMatrix*>(held); });
    return py::array_t<double>(shape, (*owned)[0], owner);
}

// What `compute` gives, computed without the interpreter's lock so that
// other Python threads, and other calls, run meanwhile.
template <class Compute> py::array Released(const Compute& compute) {
    std::optional<DoubleMatrix> result;
    {
        py::gil_scoped_release unlocked;
        result.emplace(compute());
    }
    return ArrayOwning(std::move(*result));
}

// R blocks of n rows of `columns` numbers, block r written from seed + r in
// its place in one allocation, stacked as the sheet stacks them; refused before a point is computed
// when the rows run past the sequence or an int.
template <class Block>
py::array ReplicatedArray(const SeedArguments& seeds, int points, int columns, const Block& block) {
    RequireValidScrambledArguments(columns, points, seeds.start);
    ReplicatedRowCount(seeds.replicates, points);
    return Released(
        [&] { return Replicated(seeds.replicates, points, columns, seeds.seed, block); });
}

using ScrambledWriter = void (*)(const MatrixRows&, std::uint32_t, std::uint32_t,
                                 const InterruptionCheck&);

py::array Scrambled(ScrambledWriter write, py::handle d, py::handle n, py::handle seed,
                    py::handle start, py::handle replicates) {
    const int dimensions = Columns(d, "d");
    const int points = Count(n, "n");
    RequireValidCounts(dimensions, points);
    const SeedArguments seeds = Seeds(seed, start, replicates);
    return ReplicatedArray(seeds, points, dimensions,
                           [&](const MatrixRows& block, std::uint32_t blockSeed) {
                               write(block, blockSeed, seeds.start, KeyboardInterrupted);
                           });
}

// The six original point sets: d and n, whole numbers (the sheet truncates a
// fraction there, as it always has; here it is refused as a slip).
py::array PointSet(DoubleMatrix (*generate)(int, int), py::handle d, py::handle n) {
    const int dimensions = Count(d, "d");
    const int points = Count(n, "n");
    RequireValidCounts(dimensions, points);
    return Released([&] { return generate(dimensions, points); });
}

using NumberArray = py::array_t<double, py::array::c_style | py::array::forcecast>;

// Anything numpy reads as numbers, as a C-ordered array of doubles.
NumberArray ArrayOfNumbers(py::handle value, const std::string& name) {
    auto array = NumberArray::ensure(value);
    if (!array)
        throw py::type_error(name + " must be an array of numbers");
    return array;
}

py::value_error NotTwoDimensional(const std::string& name, py::ssize_t dimensions) {
    return py::value_error(name + " must be a 2-D array, not " + std::to_string(dimensions) + "-D");
}

// A 2-D array of numbers, copied while the lock is held: another thread may
// change the caller's array while the generator reads its own copy.
DoubleMatrix MatrixOf(py::handle value, const std::string& name) {
    const NumberArray array = ArrayOfNumbers(value, name);
    if (array.ndim() != 2)
        throw NotTwoDimensional(name, array.ndim());
    DoubleMatrix matrix(array.shape(0), array.shape(1));
    for (py::ssize_t i = 0; i < array.shape(0); ++i)
        for (py::ssize_t j = 0; j < array.shape(1); ++j)
            matrix(i, j) = array.at(i, j);
    return matrix;
}

py::array CorrelatedPathsArray(py::handle steps, py::handle n, double maturity,
                               py::handle correlation, py::handle seed, py::handle start,
                               py::handle replicates, const std::string& method) {
    const int stepCount = Columns(steps, "steps");
    const int paths = Count(n, "n");
    RequireValidCounts(stepCount, paths);
    RequireValidMaturity(maturity);
    const DoubleMatrix matrix = MatrixOf(correlation, "correlation");
    RequireCorrelationCells(matrix);
    const int columns = PathColumnCount(matrix.RowCount(), stepCount, SheetWidth);
    std::optional<SymmetricEigensystem> eigensystem;
    {
        py::gil_scoped_release unlocked;
        eigensystem.emplace(CheckedCorrelation(matrix, KeyboardInterrupted));
    }
    const SeedArguments seeds = Seeds(seed, start, replicates);
    const DoubleMatrix factor = CorrelationFactor(matrix, *eigensystem, FactorMethodNamed(method));
    return ReplicatedArray(seeds, paths, columns,
                           [&](const MatrixRows& block, std::uint32_t blockSeed) {
                               WriteCorrelatedPaths(block, stepCount, maturity, factor, blockSeed,
                                                    seeds.start, KeyboardInterrupted);
                           });
}

py::array LatticeArray(py::handle d, py::handle n, py::handle seed, py::handle start,
                       py::handle replicates, const std::string& transform) {
    const int dimensions = Columns(d, "d");
    RequireLatticeDimensions(dimensions);
    const int points = Count(n, "n");
    RequireValidCounts(dimensions, points);
    const SeedArguments seeds = Seeds(seed, start, replicates, [&](std::uint32_t first) {
        RequireValidLatticeArguments(dimensions, points, first);
    });
    const LatticeTransform mapping = LatticeTransformNamed(transform);
    return ReplicatedArray(
        seeds, points, dimensions, [&](const MatrixRows& block, std::uint32_t blockSeed) {
            WriteLatticePoints(block, blockSeed, seeds.start, mapping, KeyboardInterrupted);
        });
}

// One column of values: a 1-D array, or a 2-D one of one column.
std::vector<double> ColumnOf(py::handle values) {
    const NumberArray array = ArrayOfNumbers(values, "values");
    if (array.ndim() == 2)
        RequireOneColumn("values", array.shape(0), array.shape(1));
    else if (array.ndim() != 1)
        throw py::value_error("values must be one column of numbers, a 1-D array");
    std::vector<double> numbers(array.data(), array.data() + array.size());
    RequireFiniteColumn("values", numbers);
    return numbers;
}

// None: no interval. Otherwise a number the sheet takes for alpha.
std::optional<double> AlphaOf(py::handle alpha) {
    if (alpha.is_none())
        return std::nullopt;
    if (!IsNumber(alpha))
        throw py::type_error(AlphaRequirement);
    const double level = NumberOf(alpha, "alpha");
    RequireValidAlpha(level);
    return level;
}

// The rows and columns the sheet would see: a number is one cell and a 1-D
// array one column. More dimensions than two `name` cannot have.
std::pair<py::ssize_t, py::ssize_t> CellShape(const NumberArray& array, const std::string& name) {
    if (array.ndim() > 2)
        throw NotTwoDimensional(name, array.ndim());
    return {array.ndim() == 0 ? 1 : array.shape(0), array.ndim() == 2 ? array.shape(1) : 1};
}

// q columns of numbers, as many rows as the values, then their means, one
// row or one column of numbers; checked for their shapes as the sheet checks
// them, before the controls' cells are copied.
std::optional<ControlColumns> ControlColumnsOf(py::handle controls, py::handle means,
                                               std::size_t values) {
    if (!ControlsGiven(!controls.is_none(), !means.is_none()))
        return std::nullopt;
    const NumberArray columns = ArrayOfNumbers(controls, "controls");
    const auto [rows, count] = CellShape(columns, "controls");
    RequireControlShape(values, rows, count);
    ControlColumns given{DoubleMatrix(rows, count), {}};
    std::copy(columns.data(), columns.data() + columns.size(), given.columns[0]);
    const NumberArray known = ArrayOfNumbers(means, "control_means");
    const auto [meanRows, meanColumns] = CellShape(known, "control_means");
    RequireControlMeansShape(meanRows, meanColumns);
    given.means.assign(known.data(), known.data() + known.size());
    return given;
}

// The sheet's row: the estimate, its standard error, R and, with alpha, the
// half-width; every argument read and checked, in the sheet's order, before
// a sum is taken.
py::array ReplicateStatsArray(py::handle values, py::handle replicates, py::handle alpha,
                              py::handle controls, py::handle controlMeans) {
    const std::vector<double> numbers = ColumnOf(values);
    const int blocks = Count(replicates, "replicates");
    RequireReplicateBlocks(numbers.size(), blocks);
    const std::optional<double> level = AlphaOf(alpha);
    const std::optional<ControlColumns> given =
        ControlColumnsOf(controls, controlMeans, numbers.size());
    return ArrayOwning(ReplicateStatsRow(numbers, blocks, given, level));
}

// R designs of n (d + 2) rows of d columns, as many rows as an int counts.
py::array SensitivityDesignArray(py::handle d, py::handle n, py::handle seed, py::handle start,
                                 py::handle replicates) {
    // A braced list is read left to right: the first wrong type is named.
    const double numbers[] = {NumberOf(d, "d"), NumberOf(n, "n"), NumberOf(seed, "seed"),
                              NumberOf(start, "start"), NumberOf(replicates, "replicates")};
    const SensitivityDesignArguments design = SensitivityDesignArgumentsOf(
        numbers[0], numbers[1], numbers[2], numbers[3], numbers[4], SheetWidth);
    SensitivityDesignRows(design, std::numeric_limits<int>::max());
    return Released([&] { return ReplicatedSensitivityDesigns(design, KeyboardInterrupted); });
}

// The sheet's table, NaN where it shows #N/A.
py::array SensitivityIndicesArray(py::handle values, py::handle d, py::handle replicates,
                                  py::handle alpha) {
    const std::vector<double> outputs = ColumnOf(values);
    const int inputs = SensitivityIndexInputCount(NumberOf(d, "d"));
    const int copies = ReplicateCountArgument(NumberOf(replicates, "replicates"));
    const std::optional<double> level = AlphaOf(alpha);
    return Released([&] { return SensitivityIndexTable(outputs, inputs, copies, level); });
}

double DiscrepancyOf(py::handle points, const std::string& kind) {
    const auto array = NumberArray::ensure(points);
    if (array && array.ndim() == 2)
        RequireDiscrepancyTermsWithin(array.shape(0), array.shape(1));
    const DoubleMatrix matrix = MatrixOf(points, "points");
    const DiscrepancyKind measure = DiscrepancyKindNamed(kind);
    py::gil_scoped_release unlocked;
    return Discrepancy(matrix, measure);
}

} // namespace

PYBIND11_MODULE(_tesserine, module) {
    module.doc() = "Tesserine's generators, bit for bit the worksheet functions' results";
    py::register_exception_translator([](std::exception_ptr raised) {
        try {
            if (raised)
                std::rethrow_exception(raised);
        } catch (const Interrupted&) {
            // KeyboardInterrupt is already set by the signal check.
            if (!PyErr_Occurred())
                PyErr_SetString(PyExc_KeyboardInterrupt, "calculation interrupted");
        }
    });
    const auto scrambled = [&](const char* name, ScrambledWriter write, const char* doc) {
        module.def(
            name,
            [write](py::handle d, py::handle n, py::handle seed, py::handle start,
                    py::handle replicates) {
                return Scrambled(write, d, n, seed, start, replicates);
            },
            doc, "d"_a, "n"_a, "seed"_a = 0, "start"_a = 0, "replicates"_a = 1);
    };
    scrambled("scrambled_sobol", WriteScrambledSobolPoints, "rnd_ScrambledSobol");
    scrambled("scrambled_normals", WriteScrambledNormalVariates, "rnd_ScrambledNormalRNs");
    scrambled("scrambled_halton", WriteScrambledHaltonPoints, "rnd_ScrambledHalton");
    module.def(
        "brownian_paths",
        [](py::handle steps, py::handle n, double maturity, py::handle seed, py::handle start,
           py::handle replicates) {
            const int stepCount = Columns(steps, "steps");
            const int paths = Count(n, "n");
            RequireValidCounts(stepCount, paths);
            RequireValidMaturity(maturity);
            const SeedArguments seeds = Seeds(seed, start, replicates);
            return ReplicatedArray(seeds, paths, stepCount,
                                   [&](const MatrixRows& block, std::uint32_t blockSeed) {
                                       WriteBrownianPaths(block, maturity, blockSeed, seeds.start,
                                                          KeyboardInterrupted);
                                   });
        },
        "rnd_BrownianPaths", "steps"_a, "n"_a, "maturity"_a, "seed"_a = 0, "start"_a = 0,
        "replicates"_a = 1);
    module.def("correlated_paths", CorrelatedPathsArray, "rnd_CorrelatedPaths", "steps"_a, "n"_a,
               "maturity"_a, "correlation"_a, "seed"_a = 0, "start"_a = 0, "replicates"_a = 1,
               "method"_a = "pca");
    module.def("lattice", LatticeArray, "rnd_Lattice", "d"_a, "n"_a, "seed"_a = 0, "start"_a = 0,
               "replicates"_a = 1, "transform"_a = "none");
    module.def("replicate_stats", ReplicateStatsArray, "rnd_ReplicateStats", "values"_a,
               "replicates"_a, "alpha"_a = py::none(), "controls"_a = py::none(),
               "control_means"_a = py::none());
    module.def("sensitivity_design", SensitivityDesignArray, "rnd_SensitivityDesign", "d"_a, "n"_a,
               "seed"_a = 0, "start"_a = 0, "replicates"_a = 1);
    module.def("sensitivity_indices", SensitivityIndicesArray, "rnd_SensitivityIndices", "values"_a,
               "d"_a, "replicates"_a = 1, "alpha"_a = py::none());
    module.def("discrepancy", DiscrepancyOf, "rnd_Discrepancy", "points"_a, "kind"_a = "CD");
    // The Sobol forms that name their file: the others print its path, as
    // the add-in always has, which a Python program does not want.
    const auto pointSet = [&](const char* name, DoubleMatrix (*generate)(int, int),
                              const char* doc) {
        module.def(
            name, [generate](py::handle d, py::handle n) { return PointSet(generate, d, n); }, doc,
            "d"_a, "n"_a);
    };
    pointSet(
        "sobol", [](int d, int n) { return SobolPoints(d, n, DirectionNumberFilePath()); },
        "rnd_Sobol");
    pointSet("faure", FaurePoints, "rnd_Faure");
    pointSet("halton", HaltonPoints, "rnd_Halton");
    pointSet(
        "normals", [](int d, int n) { return NormalVariates(d, n, DirectionNumberFilePath()); },
        "rnd_NormalRNs");
    pointSet(
        "lognormals",
        [](int d, int n) { return LogNormalVariates(d, n, DirectionNumberFilePath()); },
        "rnd_LogNormalRNs");
    module.def("moro_inverse", MoroInverseNormal, "rnd_MoroNormSinInv", "u"_a);
}
