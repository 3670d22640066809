// The arguments of the functions that summarise a sheet's outputs, read the
// same way by each: rnd_ReplicateStats and rnd_SensitivityIndices.
#pragma once

#include "xlw/XlfOper.h"

#include <optional>
#include <vector>

namespace tesserine {

// One column of numbers, from a range or an array such as a spill's A1#;
// otherwise std::invalid_argument naming the shape or the first cell that is
// no number ("values must all be numbers: row 7 is not").
std::vector<double> ColumnOfNumbers(const xlw::XlfOper& values);

// Omitted or an empty cell: none. Otherwise a number between 1e-300 and 1;
// anything else throws AlphaRequirement.
std::optional<double> AlphaOf(const xlw::XlfOper& alpha);

} // namespace tesserine
