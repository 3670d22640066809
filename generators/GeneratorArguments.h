#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Throws std::invalid_argument for a negative dimension or point count; the
// generators call it before they allocate or read anything.
void RequireValidCounts(int d, int n);

// The text with its ASCII letters in lower case, for names read in any case.
std::string LowerCase(std::string text);

// "1 row and 3 columns": a shape in words, each count with its noun.
std::string ShapeText(unsigned long rows, unsigned long columns);

// Refuses, with std::invalid_argument, `name` of more than one column:
// "values must be one column of numbers, not 2 rows and 3 columns".
void RequireOneColumn(const char* name, unsigned long rows, unsigned long columns);

// Refuses, with std::invalid_argument, row `row` (from 1) of `name`, one
// column, that holds no number: "values must all be numbers: row 3 is not".
[[noreturn]] void RefuseNonNumberRow(const char* name, std::size_t row);

// The same refusal for the first of `numbers` that is a NaN or an infinity:
// a sheet's cells hold neither, an array from elsewhere may.
void RequireFiniteColumn(const char* name, const std::vector<double>& numbers);

// The text in double quotes for an error message, cut after 40 characters:
// a sheet's text may be 32767 characters long.
std::string EchoedText(const std::string& text);

// The shortest text that reads back as the same double, for an error message:
// a typed 0.4 is shown as 0.4, not as the 0.40000000000000002 that seventeen
// digits give, and two different doubles never share a text.
std::string EchoedNumber(double value);
