#include "BrownianPaths.h"
#include "CorrelatedPaths.h"
#include "CorrelationFactor.h"
#include "DirectionNumberFile.h"
#include "FaurePoints.h"
#include "HaltonPoints.h"
#include "LatticePoints.h"
#include "MoroInverseNormal.h"
#include "NormalVariates.h"
#include "ScrambledCoordinates.h"
#include "ScrambledSobol.h"
#include "SobolPoints.h"
#include "WichuraInverseNormal.h"

#include <benchmark/benchmark.h>
#include <boost/math/distributions/normal.hpp>
#include <boost/random/faure.hpp>
#include <boost/random/sobol.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// Worksheet sizes (d, n), then the sizes of the stated targets.
void WorksheetSizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"d", "n"});
    benchmark->Args({10, 100000})->Args({255, 10000})->Args({1, 1000000});
    benchmark->Args({10, 1000000});
    benchmark->Unit(benchmark::kMillisecond);
}

int Dimensions(const benchmark::State& state) {
    return static_cast<int>(state.range(0));
}
int Points(const benchmark::State& state) {
    return static_cast<int>(state.range(1));
}

void CountDoubles(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}

const std::filesystem::path& ParamFile() {
    static const std::filesystem::path path = DirectionNumberFilePath();
    return path;
}

void BM_SobolPoints(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(SobolPoints(Dimensions(state), Points(state), ParamFile()));
    CountDoubles(state);
}

// Seeded and started away from 0, as a worksheet continuing a run would call it.
void BM_ScrambledSobolPoints(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(
            ScrambledSobolPoints(Dimensions(state), Points(state), 7, 1000, ParamFile()));
    CountDoubles(state);
}

// One multiply-add per coordinate where the scramble hashes.
void BM_LatticePoints(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(
            LatticePoints(Dimensions(state), Points(state), 7, 1000, LatticeTransform::None));
    CountDoubles(state);
}

void BM_HaltonPoints(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(HaltonPoints(Dimensions(state), Points(state)));
    CountDoubles(state);
}

void BM_FaurePoints(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(FaurePoints(Dimensions(state), Points(state)));
    CountDoubles(state);
}

void BM_NormalVariates(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(NormalVariates(Dimensions(state), Points(state), ParamFile()));
    CountDoubles(state);
}

// Boost's engines deliver one coordinate per call, point after point; the
// same kind of matrix is filled so that allocation costs alike.
template <typename Engine, typename Convert>
DoubleMatrix FillFrom(Engine& engine, int d, int n, Convert convert) {
    DoubleMatrix points = DoubleMatrix::ForOverwrite(n, d);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < d; ++j)
            points(i, j) = convert(engine());
    return points;
}

// Stands in for an engine that costs nothing.
struct Counter {
    std::uint32_t operator()() { return value++; }
    std::uint32_t value = 0;
};

void BM_BoostSobol(benchmark::State& state) {
    for (auto _ : state) {
        boost::random::sobol engine(Dimensions(state));
        benchmark::DoNotOptimize(FillFrom(engine, Dimensions(state), Points(state),
                                          [](std::uint64_t x) { return x * 0x1p-64; }));
    }
    CountDoubles(state);
}

void BM_BoostSobol32(benchmark::State& state) {
    for (auto _ : state) {
        boost::random::sobol_engine<std::uint32_t, 32> engine(Dimensions(state));
        benchmark::DoNotOptimize(FillFrom(engine, Dimensions(state), Points(state),
                                          [](std::uint32_t x) { return x * 0x1p-32; }));
    }
    CountDoubles(state);
}

void BM_BoostFaure(benchmark::State& state) {
    for (auto _ : state) {
        boost::random::faure engine(Dimensions(state));
        benchmark::DoNotOptimize(
            FillFrom(engine, Dimensions(state), Points(state), [](double x) { return x; }));
    }
    CountDoubles(state);
}

// The floor under every generator: allocating the result and writing each
// element once. At 10 million doubles the first touch of fresh pages dominates.
void BM_ResultMatrixOnly(benchmark::State& state) {
    for (auto _ : state) {
        Counter counter;
        benchmark::DoNotOptimize(FillFrom(counter, Dimensions(state), Points(state),
                                          [](std::uint32_t x) { return x * 0x1p-32; }));
    }
    CountDoubles(state);
}

// The uniforms are Sobol points, so the tails are visited as in NormalVariates.
const std::vector<double>& Uniforms(int d, int n) {
    static std::vector<double> values;
    static int madeFor[2] = {-1, -1};
    if (madeFor[0] != d || madeFor[1] != n) {
        const DoubleMatrix points = SobolPoints(d, n, ParamFile());
        values.assign(points[0], points[0] + static_cast<std::size_t>(d) * n);
        madeFor[0] = d;
        madeFor[1] = n;
    }
    return values;
}

template <typename Inverse> void InvertAll(benchmark::State& state, Inverse inverse) {
    const std::vector<double>& uniforms = Uniforms(Dimensions(state), Points(state));
    std::vector<double> normals(uniforms.size());
    for (auto _ : state) {
        for (std::size_t i = 0; i < uniforms.size(); ++i)
            normals[i] = inverse(uniforms[i]);
        benchmark::DoNotOptimize(normals.data());
        benchmark::ClobberMemory();
    }
    CountDoubles(state);
}

void BM_MoroInverseNormal(benchmark::State& state) {
    InvertAll(state, [](double u) { return MoroInverseNormal(u); });
}

void BM_WichuraInverseNormal(benchmark::State& state) {
    InvertAll(state, [](double u) { return WichuraInverseNormal(u); });
}

void BM_BoostNormalQuantile(benchmark::State& state) {
    const boost::math::normal_distribution<double> normal;
    InvertAll(state, [&normal](double u) { return boost::math::quantile(normal, u); });
}

// Four assets of 64 steps against one of 256: the same number of scrambled
// normals, the correlated paths adding four factors' bridges and the mixing.
void BM_CorrelatedPaths(benchmark::State& state) {
    DoubleMatrix correlation(4, 4);
    const double off[] = {0.5, 0.3, 0.2, 0.4, 0.1, 0.6};
    for (int i = 0, next = 0; i < 4; ++i) {
        correlation(i, i) = 1;
        for (int j = 0; j < i; ++j)
            correlation(i, j) = correlation(j, i) = off[next++];
    }
    const DoubleMatrix factor = CorrelationFactor(correlation, CheckedCorrelation(correlation),
                                                  FactorMethod::PrincipalComponents);
    for (auto _ : state)
        benchmark::DoNotOptimize(CorrelatedPaths(64, 100000, 1.0, factor, 7, 0, ParamFile()));
    state.SetItemsProcessed(state.iterations() * 256 * 100000);
}

void BM_BrownianPaths(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(BrownianPaths(256, 100000, 1.0, 7, 0, ParamFile()));
    state.SetItemsProcessed(state.iterations() * 256 * 100000);
}

// Keeps every run's time so that the stated targets can be printed as ratios
// of two runs of this process. CPU time, not wall time: on a shared machine a
// throttled process waits far longer than it computes, and the waits differ
// from run to run.
class TargetReporter : public benchmark::ConsoleReporter {
public:
    // A benchmark run several times counts by its least time, named without
    // its repetitions.
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate)
                continue;
            const std::string& args = run.run_name.args;
            const std::string name = run.run_name.function_name + (args.empty() ? "" : "/" + args);
            const auto [entry, first] = times.emplace(name, run.GetAdjustedCPUTime());
            if (!first)
                entry->second = std::min(entry->second, run.GetAdjustedCPUTime());
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintTargets() const {
        const struct {
            const char* measured;
            const char* baseline;
            double target;
        } targets[] = {
            {"BM_ScrambledSobolPoints/d:10/n:1000000", "BM_SobolPoints/d:10/n:1000000", 2.0},
            {"BM_ScrambledSobolPoints/d:255/n:10000", "BM_SobolPoints/d:255/n:10000", 2.0},
            {"BM_WichuraInverseNormal/d:10/n:1000000", "BM_MoroInverseNormal/d:10/n:1000000", 1.5},
            {"BM_CorrelatedPaths", "BM_BrownianPaths", 1.5},
            {"BM_LatticePoints/d:10/n:1000000", "BM_ScrambledSobolPoints/d:10/n:1000000", 0.5},
        };
        std::printf("\nTargets (CPU time ratios from this run; the scramble's %s path):\n",
                    ProcessorHasAvx2() ? "AVX2" : "baseline");
        for (const auto& t : targets) {
            const auto measured = times.find(t.measured);
            const auto baseline = times.find(t.baseline);
            if (measured == times.end() || baseline == times.end())
                continue;
            const double ratio = measured->second / baseline->second;
            std::printf("  %-40s / %-36s = %5.2f  (target <= %.1f: %s)\n", t.measured, t.baseline,
                        ratio, t.target, ratio <= t.target ? "met" : "missed");
        }
    }

private:
    std::map<std::string, double> times;
};

} // namespace

BENCHMARK(BM_ResultMatrixOnly)->Apply(WorksheetSizes);
BENCHMARK(BM_SobolPoints)->Apply(WorksheetSizes);
BENCHMARK(BM_ScrambledSobolPoints)->Apply(WorksheetSizes);
BENCHMARK(BM_LatticePoints)->Apply(WorksheetSizes);
BENCHMARK(BM_BoostSobol)->Apply(WorksheetSizes);
BENCHMARK(BM_BoostSobol32)->Apply(WorksheetSizes);
BENCHMARK(BM_FaurePoints)->Apply(WorksheetSizes);
BENCHMARK(BM_BoostFaure)->Apply(WorksheetSizes);
BENCHMARK(BM_HaltonPoints)->Apply(WorksheetSizes);
BENCHMARK(BM_NormalVariates)->Apply(WorksheetSizes);
BENCHMARK(BM_MoroInverseNormal)->Apply(WorksheetSizes);
BENCHMARK(BM_WichuraInverseNormal)->Apply(WorksheetSizes);
BENCHMARK(BM_BoostNormalQuantile)->Apply(WorksheetSizes);
// A single run of either took from 320 to 610 ms on this shared machine, and
// the process's first run of this size some 400 ms longer than later ones.
BENCHMARK(BM_CorrelatedPaths)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_BrownianPaths)->Unit(benchmark::kMillisecond)->Repetitions(5);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TargetReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintTargets();
    benchmark::Shutdown();
    return 0;
}
