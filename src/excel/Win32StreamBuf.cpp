#include "Win32StreamBuf.h"

#include <windows.h>

namespace xlw {

Win32StreamBuf::int_type Win32StreamBuf::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return sync();
    const std::lock_guard<std::mutex> lock(guard_);
    buffer_ += traits_type::to_char_type(c);
    return traits_type::not_eof(c);
}

int Win32StreamBuf::sync() {
    const std::lock_guard<std::mutex> lock(guard_);
    if (IsDebuggerPresent() && !buffer_.empty())
        OutputDebugStringA(buffer_.c_str());
    buffer_.clear();
    return 0;
}

} // namespace xlw
