// A worksheet function's returned record, read byte by byte from whichever
// record kind the add-in answers with, so tests can compare it with values
// computed here.
#pragma once

#include <string>
#include <vector>

struct ResultRecord {
    unsigned type = 0; // the whole type word, ownership bits included
    // Multi: the shape and each element's type word and number, row by row.
    unsigned rows = 0;
    unsigned columns = 0;
    std::vector<unsigned> elementTypes;
    std::vector<double> numbers;
    double number = 0.0; // Num
    std::string text;    // Str, as bytes (wide characters narrowed)
    bool flag = false;   // Bool
    int error = -1;      // Err
};

ResultRecord ReadRecord(const void* record, bool excel12Records);
