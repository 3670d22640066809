#pragma once

#include <string>

// The folder, with its trailing separator, of the module whose file the
// direction-number file lies beside: the add-in "Tesserine.xll" (64-bit:
// "Tesserine64.xll") while it is loaded under that exact file name, otherwise
// the executable or shared library that holds the generator code.
std::string ModuleFolder();
