// A long computation asks, between blocks of rows, whether the user wants it
// stopped (Excel's Esc), and stops by throwing Interrupted. The blocks are
// small enough that an answer comes within milliseconds of work, however
// large the request.
#pragma once

#include <functional>
#include <stdexcept>

// True when the computation is to stop; empty for one that is never asked.
using InterruptionCheck = std::function<bool()>;

class Interrupted : public std::runtime_error {
public:
    Interrupted() : std::runtime_error("calculation interrupted") {}
};

// Rows per block for rows of `columns` numbers: about 65536 numbers, a few
// milliseconds of the slowest generator.
int RowsBetweenChecks(int columns);

// Throws Interrupted when `interrupted` is set and says so.
void StopIfInterrupted(const InterruptionCheck& interrupted);
