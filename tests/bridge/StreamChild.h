// The diagnostics channel is seen only by a debugger, so its test debugs a
// second run of this executable started with StreamChildFlag.
#pragma once

constexpr const char* StreamChildFlag = "--stream-child";

// Writes through a Win32StreamBuf before and after a debugger attaches; the
// argument names the event that tells the parent to attach.
int RunStreamChild(const char* readyEventName);
