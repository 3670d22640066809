// The shipped direction numbers in the form Boost.Random's sobol_engine takes
// its table, so that its engine is an independent Sobol generator on the same
// polynomials and initial numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct ShippedTable {
    static const unsigned max_dimension = 21201;
    using value_type = std::uint32_t;

    // The numbers of each data line of the shipped file, from dimension 2.
    static const std::vector<std::vector<std::uint32_t>>& Lines();
    // Degree s, inner coefficients a: the polynomial x^s + a(1) x^(s-1) + ... + 1.
    static value_type polynomial(std::size_t n) {
        const std::vector<std::uint32_t>& line = Lines()[n];
        return (1u << line[0]) | (line[1] << 1) | 1u;
    }
    static value_type minit(std::size_t n, std::size_t k) { return Lines()[n][2 + k]; }
};
