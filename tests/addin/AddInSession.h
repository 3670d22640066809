// The built Tesserine.xll, loaded into this test executable (the stand-in
// Excel) with LoadLibraryA and opened once per process, as Excel does.
#pragma once

#include "Engine.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

using PointSetEntry = void*(XLW_STDCALL*)(double d, double n);
using ScalarEntry = void*(XLW_STDCALL*)(double x);

// What the process looked like around the first xlAutoOpen.
struct FirstOpening {
    int result = 0;
    std::vector<xlhost::Registration> registrations;
    std::vector<std::optional<std::string>> statusHistory;
    std::string searchPathBefore;
    std::string searchPathAfter;
};

class AddInSession {
public:
    static AddInSession& Get();

    // Beside the test executable, with param.txt.
    const std::string& Path() const { return path_; }
    std::string Folder() const;
    HMODULE Module() const;
    bool UsesExcel12Records() const;
    const FirstOpening& First() const { return first_; }

    PointSetEntry PointSet(const char* procedure) const;
    ScalarEntry Scalar(const char* procedure) const;

private:
    AddInSession();

    std::string path_;
    FirstOpening first_;
};

// The process's "Path" variable; std::nullopt when it is not set.
std::optional<std::string> SearchPath();
