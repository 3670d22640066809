#include "DoubleMatrix.h"

#include <algorithm>
#include <new>
#include <utility>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

// A fresh block costs a page fault per 4 KB page at its first write, more
// than the write itself for a large result; Linux maps 2 MB pages where
// asked, for the whole pages inside the block. Windows gives large pages
// only to privileged processes, and a declined advice changes nothing.
void AdviseLargePages([[maybe_unused]] void* block, [[maybe_unused]] std::size_t bytes) {
#ifdef __linux__
    constexpr std::uintptr_t largePage = std::uintptr_t{1} << 21;
    const auto begin = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (begin + largePage - 1) & ~(largePage - 1);
    const std::uintptr_t last = (begin + bytes) & ~(largePage - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

} // namespace

DoubleMatrix::DoubleMatrix(unsigned long rows, unsigned long columns) {
    Allocate(rows, columns);
}

DoubleMatrix DoubleMatrix::ForOverwrite(unsigned long rows, unsigned long columns) {
    DoubleMatrix matrix(0, 0);
    matrix.Allocate(rows, columns, Fill::None);
    return matrix;
}

DoubleMatrix::DoubleMatrix(const DoubleMatrix& other) {
    Allocate(other.rowCount, other.columnCount, Fill::None);
    std::copy_n(other.elements.get(), ElementCount(), elements.get());
}

DoubleMatrix& DoubleMatrix::operator=(const DoubleMatrix& other) {
    if (this == &other)
        return *this;
    if (rowCount != other.rowCount || columnCount != other.columnCount)
        Allocate(other.rowCount, other.columnCount, Fill::None);
    std::copy_n(other.elements.get(), ElementCount(), elements.get());
    return *this;
}

DoubleMatrix::DoubleMatrix(DoubleMatrix&& other) noexcept
    : rowCount(std::exchange(other.rowCount, 0)), columnCount(std::exchange(other.columnCount, 0)),
      elements(std::move(other.elements)) {}

DoubleMatrix& DoubleMatrix::operator=(DoubleMatrix&& other) noexcept {
    rowCount = std::exchange(other.rowCount, 0);
    columnCount = std::exchange(other.columnCount, 0);
    elements = std::move(other.elements);
    return *this;
}

DoubleMatrix& DoubleMatrix::Resize(unsigned long rows, unsigned long columns) {
    if (static_cast<std::uint32_t>(rows) != rowCount ||
        static_cast<std::uint32_t>(columns) != columnCount)
        Allocate(rows, columns);
    return *this;
}

std::uint32_t DoubleMatrix::ElementCount() const {
    return rowCount * columnCount;
}

// The counts are taken modulo 2^32, as the 32-bit add-in sees them; an element
// count or byte size beyond 32 bits cannot be allocated there and is refused
// here too, so both builds fail alike.
void DoubleMatrix::Allocate(unsigned long rows, unsigned long columns, Fill fill) {
    const std::uint64_t newRows = static_cast<std::uint32_t>(rows);
    const std::uint64_t newColumns = static_cast<std::uint32_t>(columns);
    const std::uint64_t count = newRows * newColumns;
    if (count > UINT32_MAX / sizeof(double))
        throw std::bad_alloc();

    std::unique_ptr<double[]> newElements;
    if (count != 0) {
        newElements.reset(new double[count]);
        AdviseLargePages(newElements.get(), count * sizeof(double));
        if (fill == Fill::Zeros)
            std::fill_n(newElements.get(), count, 0.0);
    }
    elements = std::move(newElements);
    rowCount = static_cast<std::uint32_t>(newRows);
    columnCount = static_cast<std::uint32_t>(newColumns);
}
