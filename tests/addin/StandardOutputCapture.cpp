#include "StandardOutputCapture.h"

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <io.h>
#include <iostream>
#include <iterator>
#include <sys/stat.h>

namespace {

void FlushBoth() {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(stdout);
    std::fflush(stderr);
}

} // namespace

StandardOutputCapture::StandardOutputCapture(Stream stream) : descriptor_(stream) {
    char folder[MAX_PATH] = {};
    char fileName[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "out", 0, fileName);
    fileName_ = fileName;
    FlushBoth();
    savedDescriptor_ = _dup(descriptor_);
    int file = _open(fileName_.c_str(), _O_WRONLY | _O_TRUNC | _O_BINARY, _S_IWRITE);
    _dup2(file, descriptor_);
    _close(file);
}

StandardOutputCapture::~StandardOutputCapture() {
    Finish();
}

std::string StandardOutputCapture::Finish() {
    if (savedDescriptor_ < 0)
        return "";
    FlushBoth();
    _dup2(savedDescriptor_, descriptor_);
    _close(savedDescriptor_);
    savedDescriptor_ = -1;
    std::ifstream file(fileName_, std::ios::binary);
    std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    file.close();
    DeleteFileA(fileName_.c_str());
    return written;
}
