#include "DirectionNumberFile.h"

#include "ModuleFolder.h"

#include <charconv>
#include <stdexcept>

namespace {

const char* const Whitespace = " \t\r\v\f";

// The recurrence shifts 32-bit words by up to the degree, and a shift by 32
// is undefined: the degree stops at 31, far above the table's largest (18).
// The 32-bit generators form m_1 to m_32; the others fewer.
constexpr int MaxDegree = 31;

std::string DimensionText(int dimension) {
    return " of dimension " + std::to_string(dimension);
}

} // namespace

DirectionNumberFile::DirectionNumberFile(const std::filesystem::path& path)
    : path(ShownPath(path)), stream(path) {
    if (!stream)
        throw std::runtime_error("cannot open direction-number file " + this->path);
    std::getline(stream, line);
    lineNumber = 1;
}

DimensionLine DirectionNumberFile::ReadDimension(int dimension, int count) {
    SkipRestOfLine();
    const std::string ofDimension = DimensionText(dimension);
    DimensionLine result;
    result.degree = ReadInteger("the degree s" + ofDimension);
    if (result.degree < 1 || result.degree > MaxDegree)
        Fail("the degree s" + ofDimension + " is " + std::to_string(result.degree) +
             "; it must be from 1 to " + std::to_string(MaxDegree));
    // a holds the s - 1 inner coefficients, so its bits from s - 1 up are 0.
    const int coefficients = ReadInteger("the coefficient word a" + ofDimension);
    const std::int64_t coefficientLimit = std::int64_t{1} << (result.degree - 1);
    if (coefficients < 0 || coefficients >= coefficientLimit)
        Fail("the coefficient word a" + ofDimension + " is " + std::to_string(coefficients) +
             "; with s = " + std::to_string(result.degree) + " it must be from 0 to " +
             std::to_string(coefficientLimit - 1));
    result.coefficients = static_cast<std::uint32_t>(coefficients);

    const int initialCount = result.degree < count ? result.degree : count;
    for (int i = 1; i <= initialCount; ++i) {
        const std::string name =
            "the initial direction number m_" + std::to_string(i) + ofDimension;
        const int m = ReadInteger(name);
        const std::int64_t limit = std::int64_t{1} << i;
        if (m < 1 || m % 2 == 0 || m >= limit)
            Fail(name + " is " + std::to_string(m) + "; it must be odd and from 1 to " +
                 std::to_string(limit - 1));
        result.initialNumbers.push_back(static_cast<std::uint32_t>(m));
    }
    return result;
}

void DirectionNumberFile::SkipRestOfLine() {
    position = std::string::npos;
}

// Line ends count as whitespace, so a field may come from a later line. At the
// end of the file the line number moves past the last line, where the missing
// value was due.
bool DirectionNumberFile::NextField(std::string& field) {
    for (;;) {
        if (position != std::string::npos)
            position = line.find_first_not_of(Whitespace, position);
        if (position != std::string::npos)
            break;
        ++lineNumber;
        if (!std::getline(stream, line))
            return false;
        position = 0;
    }
    const std::string::size_type end = line.find_first_of(Whitespace, position);
    field = line.substr(position, end - position);
    position = end;
    return true;
}

int DirectionNumberFile::ReadInteger(const std::string& what) {
    std::string field;
    if (!NextField(field))
        Fail("the file ends before " + what);
    const char* first = field.data();
    const char* const last = first + field.size();
    if (field.size() > 1 && field[0] == '+' && field[1] != '-')
        ++first;
    int value = 0;
    const std::from_chars_result parsed = std::from_chars(first, last, value);
    if (parsed.ec != std::errc() || parsed.ptr != last)
        Fail(what + " is \"" + field + "\", not a decimal signed 32-bit integer");
    return value;
}

void DirectionNumberFile::Fail(const std::string& what) const {
    throw std::runtime_error("direction-number file " + path + ", line " +
                             std::to_string(lineNumber) + ": " + what);
}

std::filesystem::path DirectionNumberFilePath() {
    return ModuleFolder() / "param.txt";
}
