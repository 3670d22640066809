#include "TestFiles.h"

#include "DirectionNumberFile.h"

#include <fstream>
#include <random>

TemporaryFolder::TemporaryFolder() {
    std::random_device random;
    folder = std::filesystem::temp_directory_path() /
             ("tesserine-generators-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(folder);
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

std::string TemporaryFolder::Write(const std::string& name, const std::string& text) const {
    const std::string path = PathOf(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string TemporaryFolder::PathOf(const std::string& name) const {
    return (folder / name).string();
}

std::string ShippedDirectionNumberFile() {
    return DirectionNumberFilePath().string();
}
