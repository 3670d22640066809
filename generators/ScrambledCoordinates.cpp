#include "ScrambledCoordinates.h"

#include "OwenScrambling.h"

namespace {

// One body for both paths: each compiles it with its own instruction set.
[[gnu::always_inline]] inline void ScrambleAll(const std::uint32_t* reversed,
                                               const std::uint32_t* seeds, double* coordinates,
                                               std::size_t count) {
    for (std::size_t k = 0; k < count; ++k)
        coordinates[k] = UnitCoordinate(OwenScrambleReversed(reversed[k], seeds[k]));
}

using ScrambleFunction = void (*)(const std::uint32_t*, const std::uint32_t*, double*, std::size_t);

// Asked once, as the module loads, not on every call.
const ScrambleFunction chosenAtLoad =
    ProcessorHasAvx2() ? ScrambleToCoordinatesAvx2 : ScrambleToCoordinatesBaseline;

} // namespace

void ScrambleToCoordinatesBaseline(const std::uint32_t* reversed, const std::uint32_t* seeds,
                                   double* coordinates, std::size_t count) {
    ScrambleAll(reversed, seeds, coordinates, count);
}

// The stack is never realigned here: 64-bit Windows cannot align it to 32
// bytes, so the loop must keep its 256-bit values in registers, which a loop
// this small does.
[[gnu::target("avx2")]] void ScrambleToCoordinatesAvx2(const std::uint32_t* reversed,
                                                       const std::uint32_t* seeds,
                                                       double* coordinates, std::size_t count) {
    ScrambleAll(reversed, seeds, coordinates, count);
}

// The processor's flag alone is not enough: the system must also save the
// 256-bit registers, which the run-time's check includes.
bool ProcessorHasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

void ScrambleToCoordinates(const std::uint32_t* reversed, const std::uint32_t* seeds,
                           double* coordinates, std::size_t count) {
    chosenAtLoad(reversed, seeds, coordinates, count);
}
