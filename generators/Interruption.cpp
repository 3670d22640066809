#include "Interruption.h"

#include <algorithm>

int RowsBetweenChecks(int columns) {
    constexpr int NumbersPerBlock = 1 << 16;
    return std::max(1, NumbersPerBlock / std::max(1, columns));
}

void StopIfInterrupted(const InterruptionCheck& interrupted) {
    if (interrupted && interrupted())
        throw Interrupted();
}
