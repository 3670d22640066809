// The files the engine's modules were loaded from.
#pragma once

#include <windows.h>

#include <string>

namespace xlhost {

// The engine's texts are UTF-8; the wide name holds any folder name, where
// the ANSI one would put "?" for what the code page cannot show.
std::string ModulePath(HMODULE module);
std::string ExecutablePath();

} // namespace xlhost
