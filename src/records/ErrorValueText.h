// An Excel error code as the cell shows it: "#N/A" for xlerrNA.
#pragma once

#include <string>

namespace xlw {

// "error 99" for a code Excel does not define.
std::string ErrorValueText(int error);

} // namespace xlw
