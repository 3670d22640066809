// The diagnostics channel: while the add-in is open std::cerr writes here, and
// each flush goes to the debugger's output as one string, or is dropped when
// no debugger is attached. Diagnostics never reach the worksheet user.
// Functions registered thread-safe run on several threads at once, and any of
// them may write a diagnostic: the buffer is guarded.
#pragma once

#include <mutex>
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
    std::mutex guard_;
    std::string buffer_;
};

} // namespace xlw
