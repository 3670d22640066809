#include "StandardOutputCapture.h"

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <io.h>
#include <iostream>
#include <iterator>
#include <sys/stat.h>

StandardOutputCapture::StandardOutputCapture() {
    char folder[MAX_PATH] = {};
    char fileName[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "out", 0, fileName);
    fileName_ = fileName;
    std::cout.flush();
    std::fflush(stdout);
    savedDescriptor_ = _dup(1);
    int file = _open(fileName_.c_str(), _O_WRONLY | _O_TRUNC | _O_BINARY, _S_IWRITE);
    _dup2(file, 1);
    _close(file);
}

StandardOutputCapture::~StandardOutputCapture() {
    Finish();
}

std::string StandardOutputCapture::Finish() {
    if (savedDescriptor_ < 0)
        return "";
    std::cout.flush();
    std::fflush(stdout);
    _dup2(savedDescriptor_, 1);
    _close(savedDescriptor_);
    savedDescriptor_ = -1;
    std::ifstream file(fileName_, std::ios::binary);
    std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    file.close();
    DeleteFileA(fileName_.c_str());
    return written;
}
