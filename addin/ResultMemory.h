// A result that fits an array may still need more memory than the process
// can have (a 32-bit Excel's address space), for its points and then its
// records. The user reads that in words, not as a C++ exception's name.
#pragma once

#include <new>
#include <stdexcept>
#include <string>

namespace tesserine {

std::string ResultShapeText(int rows, int columns);

// What `make` gives; std::runtime_error "not enough memory for a result of
// 100000000 rows and 3 columns" when it runs out of memory.
template <class Make> auto WithinMemory(int rows, int columns, Make make) -> decltype(make()) {
    try {
        return make();
    } catch (const std::bad_alloc&) {
        throw std::runtime_error("not enough memory for " + ResultShapeText(rows, columns));
    }
}

} // namespace tesserine
