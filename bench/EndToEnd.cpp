// One worksheet call rnd_Sobol(10, 100000) through the stand-in Excel against
// SobolPoints(10, 100000) in the same process, under one Excel version:
//   end_to_end_bench [VERSION]     VERSION "12.0" (XLOPER12, the default) or "11.0" (XLOPER)
// Prints the best time of several runs of each, their ratio, and the peak
// working set per result element. Figures only; nothing here fails on a time.
#include "Engine.h"
#include "SobolPoints.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace {

constexpr int Dimensions = 10;
constexpr int Points = 100000;
constexpr int Runs = 5;
constexpr double Elements = double(Dimensions) * Points;

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

double BestMilliseconds(const std::function<void()>& run) {
    double best = 1e300;
    for (int i = 0; i < Runs; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        std::chrono::duration<double, std::milli> elapsed =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    std::string version = argc > 1 ? argv[1] : "12.0";
    xlhost::Engine& engine = xlhost::Engine::Get();
    engine.SetVersion(version);
    std::string addIn = ExecutableFolder() + "\\" TESSERINE_ADDIN_FILE;
    if (engine.OpenAddIn(addIn) != 1) {
        std::fprintf(stderr, "end_to_end_bench: could not open %s\n", addIn.c_str());
        return 1;
    }
    auto sobol = reinterpret_cast<PointSetEntry>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(addIn.c_str()), "xlrnd_Sobol")));

    // The generator's matrix alone first: the peak is a high-water mark, so
    // the larger worksheet call must come second to be seen.
    std::size_t peakAtStart = PeakWorkingSet();
    double generatorTime = BestMilliseconds([] {
        volatile double x = SobolPoints(Dimensions, Points)(0, 0);
        (void)x;
    });
    std::size_t peakAfterGenerator = PeakWorkingSet();
    double worksheetTime = BestMilliseconds([&] { sobol(Dimensions, Points); });
    std::size_t peakAfterWorksheet = PeakWorkingSet();

    // Each element costs its record (XLOPER: 16 bytes on x86, 24 on x64;
    // XLOPER12: 32 on both) and the generator's double.
    const bool excel12 = version == "12.0";
    const std::size_t recordBytes = excel12 ? sizeof(XLOPER12) : sizeof(XLOPER);
    std::fflush(stdout);
    std::printf("rnd_Sobol(%d, %d) in %s under Excel %s (%s records)\n", Dimensions, Points,
                TESSERINE_ADDIN_FILE, version.c_str(), excel12 ? "XLOPER12" : "XLOPER");
    std::printf("  SobolPoints in this process:        %9.1f ms (best of %d)\n", generatorTime,
                Runs);
    std::printf("  worksheet call through the stand-in: %8.1f ms (best of %d)\n", worksheetTime,
                Runs);
    std::printf("  ratio worksheet / generator:         %8.2f\n", worksheetTime / generatorTime);
    std::printf("  peak working set per element:        %8.1f bytes (generator), %.1f bytes "
                "(worksheet call; target %zu + %zu and a little)\n",
                (peakAfterGenerator - peakAtStart) / Elements,
                (peakAfterWorksheet - peakAtStart) / Elements, recordBytes, sizeof(double));
    engine.CloseAddIn();
    return 0;
}
