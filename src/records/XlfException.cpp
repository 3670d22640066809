#include "xlw/XlfException.h"

namespace xlw {

XlfException::XlfException(const std::string& message) : message_(message) {}

const char* XlfException::what() const noexcept {
    return message_.c_str();
}

} // namespace xlw
