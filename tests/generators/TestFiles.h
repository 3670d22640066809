#pragma once

#include <filesystem>
#include <string>

// A fresh folder under the system's temporary folder, removed with its files
// when the object goes.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    // Writes the text byte for byte (no line-end translation) and returns the
    // file's path.
    std::string Write(const std::string& name, const std::string& text) const;
    std::string PathOf(const std::string& name) const;

private:
    std::filesystem::path folder;
};

// The direction-number file the build copies beside the test executable.
std::string ShippedDirectionNumberFile();
