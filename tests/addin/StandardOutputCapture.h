// Collects what the process writes to its standard output (file descriptor
// 1, which the add-in's C runtime shares with this executable's), or to its
// standard error (2), until Finish.
#pragma once

#include <string>

class StandardOutputCapture {
public:
    enum Stream { Output = 1, Error = 2 };

    explicit StandardOutputCapture(Stream stream = Output);
    ~StandardOutputCapture();
    StandardOutputCapture(const StandardOutputCapture&) = delete;
    StandardOutputCapture& operator=(const StandardOutputCapture&) = delete;

    // Restores the standard output and returns what was written meanwhile.
    std::string Finish();

private:
    int descriptor_;
    std::string fileName_;
    int savedDescriptor_ = -1;
};
