// The full path of the module this code is linked into, the add-in, read from
// the module itself: where Excel loaded it from, on a cluster's node as in
// Excel, whatever its length.
#pragma once

#include <string>

namespace xlw {

// Empty when Windows cannot say.
std::wstring OwnModulePath();

} // namespace xlw
