#pragma once

#include "DoubleMatrix.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

// The rows of R blocks of n rows: refused, before a point is computed, when
// they are more than an int counts, the most any result holds.
inline int ReplicatedRowCount(int replicates, int points) {
    const std::uint64_t rows = static_cast<std::uint64_t>(replicates) * points;
    if (rows > static_cast<std::uint64_t>(std::numeric_limits<int>::max()))
        throw std::invalid_argument("replicates x n = " + std::to_string(rows) +
                                    " rows, more than a result holds");
    return static_cast<int>(rows);
}

// R independent randomisations of one point set, one block of rows after
// another: block r (from 0) is what `block(seed + r)` gives, the seed wrapping
// modulo 2^32, so that block r equals, bit for bit, a call with that seed.
// Every block has `rows` x `columns`. With one replicate the block is the
// result itself, uncopied. An empty block is a shape, not work: the result is
// built once, whatever R, and no block is computed.
template <class Block>
DoubleMatrix Replicated(int replicates, unsigned long rows, unsigned long columns,
                        std::uint32_t seed, const Block& block) {
    if (rows == 0 || columns == 0)
        return DoubleMatrix(rows * static_cast<unsigned long>(replicates), columns);
    DoubleMatrix first = block(seed);
    if (replicates <= 1)
        return first;
    DoubleMatrix all = DoubleMatrix::ForOverwrite(rows * replicates, columns);
    const auto place = [&](const DoubleMatrix& copy, int r) {
        for (unsigned long i = 0; i < rows; ++i)
            std::copy(copy[i], copy[i] + columns, all[r * rows + i]);
    };
    place(first, 0);
    for (int r = 1; r < replicates; ++r)
        place(block(seed + static_cast<std::uint32_t>(r)), r);
    return all;
}
