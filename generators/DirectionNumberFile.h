#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// What one data line of the direction-number file gives a Sobol dimension:
// the degree s of its primitive polynomial, the word a packing the inner
// coefficients (a(t) is bit s - 1 - t), and the first initial direction
// numbers m_1, m_2, ...
struct DimensionLine {
    int degree;
    std::uint32_t coefficients;
    std::vector<std::uint32_t> initialNumbers;
};

// The file "param.txt" of primitive polynomials and initial direction numbers:
// a header line, then one line per dimension from 2 holding s, a, m_1 ... m_s,
// with s from 1 to 31 (the most bits a count of points can have) and a below
// 2^(s - 1).
// Numbers are whitespace-separated and read across line ends, as formatted
// extraction reads them; after a dimension's numbers the rest of its line is
// skipped, whatever its length. Every value read is checked, and a fault
// raises std::runtime_error naming the file, the line and what is wrong.
class DirectionNumberFile {
public:
    // Messages name the file as ShownPath (see ModuleFolder) shows it.
    explicit DirectionNumberFile(const std::filesystem::path& path);

    // Reads the line of the given dimension (2 for the first line after the
    // header, and so on in turn), taking at most count initial numbers.
    DimensionLine ReadDimension(int dimension, int count);

private:
    void SkipRestOfLine();
    bool NextField(std::string& field);
    int ReadInteger(const std::string& what);
    [[noreturn]] void Fail(const std::string& what) const;

    std::string path;
    std::ifstream stream;
    std::string line;
    std::string::size_type position = 0;
    int lineNumber = 0;
};

// The path of "param.txt" in the folder of the module (see ModuleFolder).
std::filesystem::path DirectionNumberFilePath();
