// The base of the framework's own failures. The worksheet entry wrappers
// catch it before std::exception, so it is kept apart from the standard ones.
#pragma once

#include <exception>
#include <string>

namespace xlw {

class XlfException : public std::exception {
public:
    explicit XlfException(const std::string& message);
    ~XlfException() override = default;
    const char* what() const noexcept override;

private:
    std::string message_;
};

} // namespace xlw
