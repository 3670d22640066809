#pragma once

#include <filesystem>
#include <string>

// The folder, with its trailing separator, of the module whose file the
// direction-number file lies beside: the add-in "Tesserine.xll" (64-bit:
// "Tesserine64.xll") while it is loaded under that exact file name, otherwise
// the executable or shared library that holds the generator code. On Windows
// the path is held in the wide characters the system names files with, so
// that a folder named in any script is found whatever the ANSI code page.
std::filesystem::path ModuleFolder();

// A path as text for messages and the standard output: on Windows in the ANSI
// code page, with "?" for what it cannot show.
std::string ShownPath(const std::filesystem::path& path);
