#include "xlw/AddInName.h"

namespace xlw {

AddInName::AddInName(const std::string& name) {
    Stored() = name;
}

const std::string& AddInName::Declared() {
    return Stored();
}

// Made on first use, whatever the order of the module's static objects.
std::string& AddInName::Stored() {
    static std::string name;
    return name;
}

} // namespace xlw
