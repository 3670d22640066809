// One worksheet function through the stand-in Excel against its generator
// alone, in the same process, under one Excel version:
//   end_to_end_bench VERSION FUNCTION D N [--targets] [--check]
// VERSION is "12.0" (XLOPER12) or "11.0" (XLOPER); FUNCTION is rnd_Sobol,
// rnd_Halton or rnd_NormalRNs. Prints the best time of several runs of each,
// their ratio and the peak working set per result element; --targets puts
// each figure beside its target, and --check compares the whole array that
// the stand-in reads back (as xlhost prints it) with the generator's matrix.
// Figures only: nothing here fails on a time. One case per process, since
// the peak working set is a high-water mark.
#include "Engine.h"
#include "HaltonPoints.h"
#include "NormalVariates.h"
#include "SobolPoints.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

struct Function {
    const char* name;
    const char* generatorName;
    DoubleMatrix (*generate)(int d, int n);
};

const Function Functions[] = {
    {"rnd_Sobol", "SobolPoints", [](int d, int n) { return SobolPoints(d, n); }},
    {"rnd_Halton", "HaltonPoints", [](int d, int n) { return HaltonPoints(d, n); }},
    {"rnd_NormalRNs", "NormalVariates", [](int d, int n) { return NormalVariates(d, n); }},
};

// Worksheet call over generator: at most 3, aiming for 2. Peak bytes per
// element: a record, a double and a little. XLOPER12 is 32 bytes on both
// targets, so 56; XLOPER is 16 bytes on x86 and 24 on x64, so 36 and 44.
constexpr double RatioTarget = 3.0;
constexpr double RatioAim = 2.0;
constexpr double PeakTargetExcel12 = sizeof(XLOPER12) + sizeof(double) + 16;
constexpr double PeakTargetExcel4 = sizeof(XLOPER) + sizeof(double) + 12;

using PointSetEntry = void*(XLW_STDCALL*)(double d, double n);

std::string ExecutableFolder() {
    char fileName[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, fileName, MAX_PATH);
    std::string path(fileName);
    return path.substr(0, path.rfind('\\'));
}

std::size_t PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

double BestMilliseconds(int runs, const std::function<void()>& run) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        std::chrono::duration<double, std::milli> elapsed =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    return best;
}

const char* Verdict(bool holds) {
    return holds ? "holds" : "MISSED";
}

// The cells the stand-in reads from the returned record, against the matrix.
std::size_t Differences(const xlhost::Grid& grid, const DoubleMatrix& expected) {
    if (grid.rows != expected.RowCount() || grid.columns != expected.ColumnCount())
        return grid.cells.size() + 1;
    std::size_t differences = 0;
    for (std::size_t i = 0; i < grid.rows; ++i)
        for (std::size_t j = 0; j < grid.columns; ++j)
            if (grid.At(i, j) != xlhost::Cell::Number(expected(i, j)))
                ++differences;
    return differences;
}

std::size_t CountOf(const char* counted) {
    return static_cast<unsigned char>(counted[0]);
}
std::size_t CountOf(const XCHAR* counted) {
    return static_cast<std::uint16_t>(counted[0]);
}

// What the worksheet call returned: the array's shape, or the text that
// refused it (an Excel 4 array has at most 65535 rows). The texts are ASCII.
template <class Record> std::string Describe(const Record* record) {
    if (record->xltype == xltypeMulti)
        return "a " + std::to_string(record->val.array.rows) + " x " +
               std::to_string(record->val.array.columns) + " array";
    if (record->xltype == xltypeStr) {
        std::string text;
        for (std::size_t i = 1; i <= CountOf(record->val.str) && record->val.str[i] != 0; ++i)
            text += static_cast<char>(record->val.str[i]);
        return "the text \"" + text + "\"";
    }
    return "a record of type " + std::to_string(record->xltype);
}

int Usage() {
    std::fprintf(stderr, "usage: end_to_end_bench VERSION FUNCTION D N [--targets] [--check]\n"
                         "  FUNCTION: rnd_Sobol, rnd_Halton or rnd_NormalRNs\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5)
        return Usage();
    const std::string version = argv[1];
    const Function* function = nullptr;
    for (const Function& candidate : Functions)
        if (candidate.name == std::string(argv[2]))
            function = &candidate;
    if (!function)
        return Usage();
    const int d = std::atoi(argv[3]);
    const int n = std::atoi(argv[4]);
    bool targets = false;
    bool check = false;
    for (int i = 5; i < argc; ++i) {
        targets = targets || std::string(argv[i]) == "--targets";
        check = check || std::string(argv[i]) == "--check";
    }
    const double elements = double(d) * n;
    const bool excel12 = version != "11.0";
    // Large results are timed fewer times: each run takes seconds under Wine.
    const int runs = elements > 5e6 ? 3 : 5;

    xlhost::Engine& engine = xlhost::Engine::Get();
    engine.SetVersion(version);
    std::string addIn = ExecutableFolder() + "\\" TESSERINE_ADDIN_FILE;
    if (engine.OpenAddIn(addIn) != 1) {
        std::fprintf(stderr, "end_to_end_bench: could not open %s\n", addIn.c_str());
        return 1;
    }
    auto entry = reinterpret_cast<PointSetEntry>(reinterpret_cast<void*>(GetProcAddress(
        GetModuleHandleA(addIn.c_str()), ("xl" + std::string(function->name)).c_str())));

    // The generator's matrix alone first: the peak is a high-water mark, so
    // the larger worksheet call must come second to be seen.
    const std::size_t peakAtStart = PeakWorkingSet();
    const double generatorTime = BestMilliseconds(runs, [&] {
        volatile double x = function->generate(d, n)(0, 0);
        (void)x;
    });
    const std::size_t peakAfterGenerator = PeakWorkingSet();
    void* result = nullptr;
    const double worksheetTime = BestMilliseconds(runs, [&] { result = entry(d, n); });
    const std::size_t peakAfterWorksheet = PeakWorkingSet();
    const double ratio = worksheetTime / generatorTime;
    const double peak = (peakAfterWorksheet - peakAtStart) / elements;
    const double peakTarget = excel12 ? PeakTargetExcel12 : PeakTargetExcel4;

    std::fflush(stdout);
    std::printf("%s(%d, %d) in %s under Excel %s (%s records)\n", function->name, d, n,
                TESSERINE_ADDIN_FILE, version.c_str(), excel12 ? "XLOPER12" : "XLOPER");
    std::printf("  %-15s in this process:   %9.1f ms (best of %d)\n", function->generatorName,
                generatorTime, runs);
    std::printf("  worksheet call through the stand-in: %8.1f ms (best of %d), giving %s\n",
                worksheetTime, runs,
                (excel12 ? Describe(static_cast<const XLOPER12*>(result))
                         : Describe(static_cast<const XLOPER*>(result)))
                    .c_str());
    std::printf("  ratio worksheet / generator:         %8.2f", ratio);
    if (targets)
        std::printf("    target at most %.0f, aim %.0f: %s", RatioTarget, RatioAim,
                    Verdict(ratio <= RatioTarget));
    std::printf("\n  peak working set per element:        %8.1f bytes", peak);
    if (targets)
        std::printf(" target at most %.0f: %s", peakTarget, Verdict(peak <= peakTarget));
    std::printf("\n  (the generator alone peaks at %.1f bytes per element)\n",
                (peakAfterGenerator - peakAtStart) / elements);
    if (check) {
        std::fflush(stdout);
        const std::size_t differences = Differences(
            engine.Evaluate(function->name, {double(d), double(n)}), function->generate(d, n));
        std::fflush(stdout);
        std::printf("  whole array as the stand-in reads it, against %s: %s\n",
                    function->generatorName, differences == 0 ? "equal" : "DIFFERENT");
    }
    engine.CloseAddIn();
    return 0;
}
