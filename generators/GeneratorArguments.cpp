#include "GeneratorArguments.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <stdexcept>

void RequireValidCounts(int d, int n) {
    if (d < 0)
        throw std::invalid_argument("the number of dimensions must not be negative");
    if (n < 0)
        throw std::invalid_argument("the number of points must not be negative");
}

std::string LowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string ShapeText(unsigned long rows, unsigned long columns) {
    return std::to_string(rows) + (rows == 1 ? " row" : " rows") + " and " +
           std::to_string(columns) + (columns == 1 ? " column" : " columns");
}

void RequireOneColumn(const char* name, unsigned long rows, unsigned long columns) {
    if (columns != 1)
        throw std::invalid_argument(std::string(name) + " must be one column of numbers, not " +
                                    ShapeText(rows, columns));
}

void RefuseNonNumberRow(const char* name, std::size_t row) {
    throw std::invalid_argument(std::string(name) + " must all be numbers: row " +
                                std::to_string(row) + " is not");
}

void RequireFiniteColumn(const char* name, const std::vector<double>& numbers) {
    const auto first = std::find_if(numbers.begin(), numbers.end(),
                                    [](double number) { return !std::isfinite(number); });
    if (first != numbers.end())
        RefuseNonNumberRow(name, static_cast<std::size_t>(first - numbers.begin()) + 1);
}

std::string EchoedText(const std::string& text) {
    constexpr std::size_t Echoed = 40;
    return "\"" + (text.size() <= Echoed ? text : text.substr(0, Echoed) + "...") + "\"";
}

std::string EchoedNumber(double value) {
    char text[32];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end.ptr);
}
