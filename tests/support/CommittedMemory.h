// What a leak grows, measured so that the suites see it under Wine as well.
#pragma once

#include <cstddef>

// The private memory the process has committed, region by region. Wine's
// process memory counters do not follow allocations; the regions do.
std::size_t CommittedBytes();
