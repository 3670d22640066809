// The diagnostics channel: while the add-in is open std::cerr writes here, and
// each flush goes to the debugger's output as one string, or is dropped when
// no debugger is attached. Diagnostics never reach the worksheet user.
#pragma once

#include <streambuf>
#include <string>

namespace xlw {

class Win32StreamBuf : public std::basic_streambuf<char> {
public:
    // Text never flushed is discarded, not sent.
    ~Win32StreamBuf() override = default;

protected:
    // No put area is set, so every character arrives here.
    int_type overflow(int_type c) override;
    int sync() override;

private:
    std::string buffer_;
};

} // namespace xlw
