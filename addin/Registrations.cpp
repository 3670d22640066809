// The worksheet functions as Excel's function wizard lists them. The
// registrars run in this order while the module loads, and Excel registers the
// functions in the same order when the add-in opens: the six original ones
// first, through Excel4 as they always were, then the randomised ones, which
// alone are thread-safe and cluster-safe.
#include "RandomisedEntryPoints.h"
#include "SensitivityEntryPoints.h"

#include "xlw/AddInName.h"
#include "xlw/FunctionRegistrar.h"
#include "xlw/WorksheetFunction.h"

#include <iterator>

namespace {

using xlw::AddInName;
using xlw::ArgumentHelp;
using xlw::ArgumentSpec;
using xlw::ClusterSafeFunction;
using xlw::FunctionRegistrar;
using xlw::RegistrationInterface;
using xlw::RegistrationOptions;
using xlw::ThreadSafeFunction;
using xlw::WorksheetFunction;

// What Excel's Add-ins dialog lists instead of the file name.
const AddInName name("Tesserine quasi-Monte Carlo");

constexpr const char* Category = "Tesserine";
// Empty: the value record of the running Excel, "P" or "Q".
constexpr const char* RunningValueRecord = "";
constexpr bool NotVolatile = false;
constexpr bool NotThreadSafe = false;
// Their registration is what it was before Excel 2007, whatever the Excel.
const RegistrationOptions ThroughExcel4{RegistrationInterface::Excel4};
// Excel may call them on every core at once ("$"), and hand them to a
// compute cluster's nodes ("&"): they need nothing but their arguments' values
// and the files beside the add-in.
constexpr auto Randomised = ThreadSafeFunction | ClusterSafeFunction;

const ArgumentSpec SobolArguments[] = {{"d", " number of dimensions ", "B"},
                                       {"n", " number of sobol points ", "B"}};
const ArgumentSpec FaureArguments[] = {{"d", " number of Dimensions ", "B"},
                                       {"n", " number of Faure points ", "B"}};
const ArgumentSpec HaltonArguments[] = {{"d", " number of Dimensions ", "B"},
                                        {"n", " number of Halton points ", "B"}};
const ArgumentSpec MoroArguments[] = {{"rndNumber", " The associated uniform number (0, 1) ", "B"}};
const ArgumentSpec VariateArguments[] = {{"d", " number of dimensions ", "B"},
                                         {"n", " number of points ", "B"}};

constexpr const char* ReplicatesHelp =
    " number of independent copies, one block of n rows each, the copy r from seed + r (1 if "
    "omitted) ";

// The randomised point functions take the same arguments; their
// registrations read the type codes and the count off the entry points.
const ArgumentHelp ScrambledPointArguments[] = {
    {"d", " number of dimensions, at most 16384 (255 before Excel 2007) "},
    {"n", " number of points "},
    {"seed", " scrambling seed, a whole number from 0 to 4294967295 (0 if omitted) "},
    {"start", " index of the first point, 0 for the first (0 if omitted) "},
    {"replicates", ReplicatesHelp}};
const ArgumentHelp BrownianPathArguments[] = {
    {"steps", " number of equal time steps, at most 16384 (255 before Excel 2007) "},
    {"n", " number of paths "},
    {"maturity", " time of the last step, a positive number "},
    {"seed", " scrambling seed, a whole number from 0 to 4294967295 (0 if omitted) "},
    {"start", " index of the first Sobol point, 0 for the first (0 if omitted) "},
    {"replicates", ReplicatesHelp}};

const ArgumentHelp CorrelatedPathArguments[] = {
    {"steps", " number of equal time steps of each asset "},
    {"n", " number of paths "},
    {"maturity", " time of the last step, a positive number "},
    {"correlation", " k x k correlation matrix of the assets, a range or an array "},
    {"seed", " scrambling seed, a whole number from 0 to 4294967295 (0 if omitted) "},
    {"start", " index of the first Sobol point, 0 for the first (0 if omitted) "},
    {"replicates", ReplicatesHelp},
    {"method", " \"pca\" (principal components, if omitted) or \"cholesky\" "}};
const ArgumentHelp LatticeArguments[] = {
    {"d", " number of dimensions, at most 9125 (255 before Excel 2007) "},
    {"n", " number of points; start + n at most 1048576 "},
    {"seed", " shift seed, a whole number from 0 to 4294967295 (0 if omitted) "},
    {"start", " index of the first point, 0 for the first (0 if omitted) "},
    {"replicates", ReplicatesHelp},
    {"transform", " \"none\" (if omitted) or \"baker\", the tent map 1 - |2x - 1| "}};

const ArgumentHelp ReplicateStatsArguments[] = {
    {"values",
     " one column of R blocks of n numbers, such as the spill A1# of a replicated result "},
    {"replicates", " R, the number of blocks, at least 2 "},
    {"alpha",
     " 0.05 adds the half-width of the 95% Student-t interval, and so on (none if omitted) "},
    {"controls",
     " 1 to 8 columns beside values of quantities with known means, such as a geometric "
     "basket's payoffs (none if omitted) "},
    {"control_means", " the known mean of each column of controls, in a row or a column "}};

const ArgumentHelp DiscrepancyArguments[] = {
    {"points", " n rows of d coordinates in [0, 1] "},
    {"kind", " \"CD\" (centred, if omitted), \"WD\" (wrap-around), \"MD\" (mixture) or "
             "\"L2-star\" "}};

template <std::size_t Count> int CountOf(const ArgumentSpec (&)[Count]) {
    return static_cast<int>(Count);
}

const FunctionRegistrar sobol("xlrnd_Sobol", "rnd_Sobol",
                              " generates n sobol points for d dimensions ", Category,
                              SobolArguments, CountOf(SobolArguments), NotVolatile, NotThreadSafe,
                              RunningValueRecord, ThroughExcel4);
const FunctionRegistrar faure("xlrnd_Faure", "rnd_Faure",
                              " generates first n point for d dimensions of Faure Sequence ",
                              Category, FaureArguments, CountOf(FaureArguments), NotVolatile,
                              NotThreadSafe, RunningValueRecord, ThroughExcel4);
const FunctionRegistrar halton("xlrnd_Halton", "rnd_Halton",
                               " generates first n point for d dimensions of Halton Sequence ",
                               Category, HaltonArguments, CountOf(HaltonArguments), NotVolatile,
                               NotThreadSafe, RunningValueRecord, ThroughExcel4);
const FunctionRegistrar moro("xlrnd_MoroNormSinInv", "rnd_MoroNormSinInv",
                             " Calculates the Normal Standard number given a Random Number ",
                             Category, MoroArguments, CountOf(MoroArguments), NotVolatile,
                             NotThreadSafe, RunningValueRecord, ThroughExcel4);
const FunctionRegistrar normal("xlrnd_NormalRNs", "rnd_NormalRNs",
                               " generates normally distributed Random numbers for the first d "
                               "dimensions. Uses Sobol and Moro's inversion. ",
                               Category, VariateArguments, CountOf(VariateArguments), NotVolatile,
                               NotThreadSafe, RunningValueRecord, ThroughExcel4);
const FunctionRegistrar logNormal("xlrnd_LogNormalRNs", "rnd_LogNormalRNs",
                                  " generates Log normally distributed Random numbers for the "
                                  "first d dimensions. Uses Sobol and Moro's inversion. ",
                                  Category, VariateArguments, CountOf(VariateArguments),
                                  NotVolatile, NotThreadSafe, RunningValueRecord, ThroughExcel4);

const WorksheetFunction<xlrnd_ScrambledSobol> scrambledSobol(
    "xlrnd_ScrambledSobol", "rnd_ScrambledSobol",
    " generates n Owen-scrambled Sobol points for d dimensions from point start on; each seed "
    "gives another randomisation ",
    Category, ScrambledPointArguments, Randomised);
const WorksheetFunction<xlrnd_ScrambledNormalRNs> scrambledNormal(
    "xlrnd_ScrambledNormalRNs", "rnd_ScrambledNormalRNs",
    " generates normally distributed Random numbers from Owen-scrambled Sobol points, with a "
    "full-precision inverse normal ",
    Category, ScrambledPointArguments, Randomised);
const WorksheetFunction<xlrnd_BrownianPaths> brownianPaths(
    "xlrnd_BrownianPaths", "rnd_BrownianPaths",
    " generates n paths of standard Brownian motion at the times k * maturity / steps, from "
    "scrambled Sobol points through a Brownian bridge ",
    Category, BrownianPathArguments, Randomised);

const WorksheetFunction<xlrnd_ReplicateStats> replicateStats(
    "xlrnd_ReplicateStats", "rnd_ReplicateStats",
    " the mean of the R block means of values, its standard error and R, in one row; with alpha "
    "the half-width of the two-sided 1 - alpha interval too; with controls the control-variate "
    "estimate ",
    Category, ReplicateStatsArguments, Randomised);

const WorksheetFunction<xlrnd_ScrambledHalton> scrambledHalton(
    "xlrnd_ScrambledHalton", "rnd_ScrambledHalton",
    " generates n Halton points for d dimensions from point start on, each digit randomly "
    "permuted; each seed gives another randomisation ",
    Category, ScrambledPointArguments, Randomised);

const WorksheetFunction<xlrnd_Discrepancy> discrepancy(
    "xlrnd_Discrepancy", "rnd_Discrepancy",
    " how far points are from uniform: the squared centred, wrap-around or mixture discrepancy, "
    "or the L2-star discrepancy, as scipy.stats.qmc defines them ",
    Category, DiscrepancyArguments, Randomised);

const WorksheetFunction<xlrnd_CorrelatedPaths> correlatedPaths(
    "xlrnd_CorrelatedPaths", "rnd_CorrelatedPaths",
    " generates n rows of k correlated Brownian paths, asset after asset, from scrambled Sobol "
    "points through a Brownian bridge and the principal components of the correlation ",
    Category, CorrelatedPathArguments, Randomised);
const WorksheetFunction<xlrnd_Lattice> lattice(
    "xlrnd_Lattice", "rnd_Lattice",
    " generates n points of a randomly shifted rank-1 lattice (Kuo's extensible vector) for d "
    "dimensions from point start on, in radical-inverse order; each seed gives another shift ",
    Category, LatticeArguments, Randomised);

const ArgumentHelp SensitivityDesignArguments[] = {
    {"d", " number of inputs of the model, at most 8192 (255 before Excel 2007) "},
    {"n", " rows of A, of B and of each AB_i: a power of two such as 4096 "},
    {"seed", " scrambling seed, a whole number from 0 to 4294967295 (0 if omitted) "},
    {"start", " index of the first Sobol point, 0 for the first (0 if omitted) "},
    {"replicates", " number of independent designs, one block of n x (d + 2) rows each, the "
                   "design r from seed + r (1 if omitted) "}};
const WorksheetFunction<xlrnd_SensitivityDesign> sensitivityDesign(
    "xlrnd_SensitivityDesign", "rnd_SensitivityDesign",
    " Saltelli's design for Sobol' indices: the rows of A, B and AB_1 ... AB_d, n each, from "
    "2d-dimensional scrambled Sobol points; fill the model down beside them ",
    Category, SensitivityDesignArguments, Randomised);

const ArgumentHelp SensitivityIndicesArguments[] = {
    {"values", " the model's outputs on the design's rows, in order: one column of replicates x "
               "n x (d + 2) numbers "},
    {"d", " number of inputs, as given to rnd_SensitivityDesign "},
    {"replicates", " number of designs, as given to rnd_SensitivityDesign; with 1 (or omitted) "
                   "the standard errors show #N/A "},
    {"alpha", " 0.01 adds the half-widths of the 99% Student-t intervals of S_i and ST_i, and "
              "so on (none if omitted) "}};
const WorksheetFunction<xlrnd_SensitivityIndices> sensitivityIndices(
    "xlrnd_SensitivityIndices", "rnd_SensitivityIndices",
    " Sobol' indices from the outputs on rnd_SensitivityDesign's rows, one row per input: first-"
    "order S_i, its standard error, total ST_i, its standard error; with alpha their intervals' "
    "half-widths ",
    Category, SensitivityIndicesArguments, Randomised);

} // namespace
