// The cost of a call and the gain of threads, through the stand-in Excel
// under Excel 12.0, in one run:
//   recalculation_bench [--targets]
// 1. A small call of a thread-safe function against a small call of a
//    specified one: rnd_ScrambledSobol(1, 1, 7) over rnd_Halton(1, 1), each
//    the mean of many calls.
// 2. 256 formulas rnd_ScrambledSobol(10, 16384, seed), distinct seeds,
//    recalculated on 2 threads against 1, as xlhost --threads does; the
//    checksums of the results must be the same at 1, 2 and 8 threads.
// Figures only: nothing here fails on a time.
#include "Engine.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr double SmallCallTarget = 0.1;
constexpr double TwoThreadTarget = 0.6;
constexpr int SmallCalls = 2000;
constexpr int Formulas = 256;

std::string ExecutableFolder() {
    char fileName[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, fileName, MAX_PATH);
    std::string path(fileName);
    return path.substr(0, path.rfind('\\'));
}

double Milliseconds(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    return elapsed.count();
}

// The best of three: the machine's other work only ever adds time.
double BestMilliseconds(const std::function<void()>& run) {
    return std::min({Milliseconds(run), Milliseconds(run), Milliseconds(run)});
}

const char* Verdict(bool holds) {
    return holds ? "holds" : "MISSED";
}

double MicrosecondsPerCall(xlhost::Engine& engine, const char* function,
                           const std::vector<double>& arguments) {
    return BestMilliseconds([&] {
               for (int i = 0; i < SmallCalls; ++i)
                   engine.Evaluate(function, arguments);
           }) *
           1000.0 / SmallCalls;
}

std::vector<xlhost::FormulaCall> SeededFormulas() {
    std::vector<xlhost::FormulaCall> formulas;
    for (int seed = 1; seed <= Formulas; ++seed) {
        xlhost::FormulaCall call{"rnd_ScrambledSobol", {}};
        for (double argument : {10.0, 16384.0, double(seed)})
            call.arguments.push_back(
                xlhost::FormulaArgument::Literal(xlhost::Cell::Number(argument)));
        formulas.push_back(call);
    }
    return formulas;
}

// Each result is reduced to its checksum as it comes, as xlhost --checksums
// does, so that no more than one result per thread is held at once.
std::vector<std::uint64_t>
Recalculate(xlhost::Engine& engine, const std::vector<xlhost::FormulaCall>& formulas, int threads) {
    std::vector<std::uint64_t> checksums(formulas.size());
    engine.Recalculate(formulas, threads,
                       [&](std::size_t i, xlhost::Grid grid, std::exception_ptr failure) {
                           checksums[i] = failure ? 0 : grid.ShownChecksum();
                       });
    return checksums;
}

} // namespace

int main(int argc, char** argv) {
    const bool targets = argc > 1 && std::string(argv[1]) == "--targets";
    xlhost::Engine& engine = xlhost::Engine::Get();
    engine.SetVersion("12.0");
    const std::string addIn = ExecutableFolder() + "\\" TESSERINE_ADDIN_FILE;
    if (engine.OpenAddIn(addIn) != 1) {
        std::fprintf(stderr, "recalculation_bench: could not open %s\n", addIn.c_str());
        return 1;
    }
    // The specified functions print the direction-number path; the figures
    // go to the standard error so that they stand apart.
    const double halton = MicrosecondsPerCall(engine, "rnd_Halton", {1, 1});
    const double scrambled = MicrosecondsPerCall(engine, "rnd_ScrambledSobol", {1, 1, 7});
    const double smallRatio = scrambled / halton;
    std::fprintf(stderr, "%s under Excel 12.0, one call (mean of %d):\n", TESSERINE_ADDIN_FILE,
                 SmallCalls);
    std::fprintf(stderr, "  rnd_Halton(1, 1):             %8.1f us\n", halton);
    std::fprintf(stderr, "  rnd_ScrambledSobol(1, 1, 7):  %8.1f us, ratio %.3f", scrambled,
                 smallRatio);
    if (targets)
        std::fprintf(stderr, "   target at most %.1f: %s", SmallCallTarget,
                     Verdict(smallRatio <= SmallCallTarget));

    const std::vector<xlhost::FormulaCall> formulas = SeededFormulas();
    std::vector<std::uint64_t> one, two, eight;
    const double oneThread = BestMilliseconds([&] { one = Recalculate(engine, formulas, 1); });
    const double twoThreads = BestMilliseconds([&] { two = Recalculate(engine, formulas, 2); });
    eight = Recalculate(engine, formulas, 8);
    const double threadRatio = twoThreads / oneThread;
    std::fprintf(stderr, "\n%d formulas rnd_ScrambledSobol(10, 16384, seed), best of 3:\n",
                 Formulas);
    std::fprintf(stderr, "  1 thread:   %8.1f ms\n", oneThread);
    std::fprintf(stderr, "  2 threads:  %8.1f ms, ratio %.2f", twoThreads, threadRatio);
    if (targets)
        std::fprintf(stderr, "   target at most %.1f: %s", TwoThreadTarget,
                     Verdict(threadRatio <= TwoThreadTarget));
    std::fprintf(stderr, "\n  results at 1, 2 and 8 threads: %s\n",
                 one == two && one == eight ? "bit for bit the same" : "DIFFERENT");
    engine.CloseAddIn();
    return 0;
}
