// One worksheet value as the stand-in Excel keeps it: a sheet cell, a logged
// callback argument, or one element of a worksheet function's result.
#pragma once

#include <string>

namespace xlhost {

struct Cell {
    // Reference and Array appear only in the call log, for arguments that are
    // not single values.
    enum class Kind { Nil, Missing, Number, Text, Boolean, Error, Reference, Array };

    Kind kind = Kind::Nil;
    double number = 0.0; // Number
    std::string text;    // Text, UTF-8
    bool boolean = false;
    int error = 0; // Error: one of the xlerr codes

    static Cell Nil() { return Cell{}; }
    static Cell Missing();
    static Cell Number(double value);
    static Cell Text(std::string value);
    static Cell Boolean(bool value);
    static Cell Error(int code);

    bool operator==(const Cell& other) const;
    bool operator!=(const Cell& other) const { return !(*this == other); }

    // As a sheet shows it and xlhost prints it: numbers with 17 significant
    // digits, TRUE/FALSE, "#VALUE!" and the other error texts, text as it
    // stands, nothing for Nil and Missing.
    std::string Display() const;
};

// The text Excel shows for an xlerr code ("#N/A" for 42); "#ERR<code>" for a code Excel lacks.
// What the sheet shows for an array result that runs over its edge. The C
// API has no code for it: no record carries it, only the sheet shows it.
constexpr int SpillError = 0x10000;

std::string ErrorText(int code);

} // namespace xlhost
