// The array allocations of a megabyte and more that this test executable
// makes, the framework's temporary blocks among them, counted by replacing
// the global operator new[] and delete[]: how many bytes are alive, and the
// most that were alive at once since the last ResetPeak.
#pragma once

#include <cstddef>

namespace largearrays {

std::size_t LiveBytes();
std::size_t PeakBytes();
void ResetPeak();

} // namespace largearrays
