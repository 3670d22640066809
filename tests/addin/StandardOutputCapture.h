// Collects what the process writes to its standard output (file descriptor
// 1, which the add-in's C runtime shares with this executable's) until
// Finish.
#pragma once

#include <string>

class StandardOutputCapture {
public:
    StandardOutputCapture();
    ~StandardOutputCapture();
    StandardOutputCapture(const StandardOutputCapture&) = delete;
    StandardOutputCapture& operator=(const StandardOutputCapture&) = delete;

    // Restores the standard output and returns what was written meanwhile.
    std::string Finish();

private:
    std::string fileName_;
    int savedDescriptor_ = -1;
};
