#include "ShippedSobolTable.h"

#include "TestFiles.h"

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::vector<std::vector<std::uint32_t>> ReadLines(const std::string& path) {
    std::ifstream stream(path);
    std::string line;
    std::getline(stream, line);
    std::vector<std::vector<std::uint32_t>> lines;
    while (std::getline(stream, line)) {
        std::istringstream fields(line);
        std::vector<std::uint32_t> numbers;
        for (std::uint32_t number; fields >> number;)
            numbers.push_back(number);
        lines.push_back(numbers);
    }
    return lines;
}

} // namespace

const std::vector<std::vector<std::uint32_t>>& ShippedTable::Lines() {
    static const std::vector<std::vector<std::uint32_t>> lines =
        ReadLines(ShippedDirectionNumberFile());
    return lines;
}
