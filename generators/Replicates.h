#pragma once

#include "DoubleMatrix.h"

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
// another, written in place: block r (from 0), the rows r n ... r n + n - 1
// of `all`, is what `block(rows, seed + r)` writes, the seed wrapping modulo
// 2^32, so that block r equals, bit for bit, a call with that seed. An
// empty block is a shape, not work: no block is computed.
template <class Block>
void WriteReplicated(const MatrixRows& all, int replicates, std::uint32_t seed,
                     const Block& block) {
    if (all.RowCount() == 0 || all.ColumnCount() == 0)
        return;
    const unsigned long rows = all.RowCount() / static_cast<unsigned long>(replicates);
    for (int r = 0; r < replicates; ++r)
        block(all.Rows(r * rows, rows), seed + static_cast<std::uint32_t>(r));
}

// The same blocks of `rows` x `columns` in one matrix, allocated once.
template <class Block>
DoubleMatrix Replicated(int replicates, unsigned long rows, unsigned long columns,
                        std::uint32_t seed, const Block& block) {
    const unsigned long all = rows * static_cast<unsigned long>(replicates);
    if (rows == 0 || columns == 0)
        return DoubleMatrix(all, columns);
    DoubleMatrix stacked = DoubleMatrix::ForOverwrite(all, columns);
    WriteReplicated(stacked.Rows(), replicates, seed, block);
    return stacked;
}
