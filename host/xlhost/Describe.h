// What the in-cell help server learns of an add-in: xlhost --describe and
// --intellisense-xml.
#pragma once

#include "Engine.h"
#include "Grid.h"

#include <ostream>
#include <string>

namespace xlhost {

struct RegistrationInfoTable {
    std::string functionName; // RegistrationInfo_ and the 32 digits of the add-in's path
    double registerId = 0;
    // The answer to version -1: the table, or a single error (#N/A: nothing
    // to describe).
    Grid answer;
};

// Asks the add-in opened last as the server asks it: evaluates the name of
// its registration-info function, computed from its path, for the register
// id, calls that through xlUDF with version -1 for the table and again with
// the table's version, which must answer #NUM!. Throws std::runtime_error,
// saying which step failed, when one does.
RegistrationInfoTable AskRegistrationInfo(Engine& engine);

// The table, each function's cells numbered as xlfRegister's arguments, as
// `xlhost --list` prints a registration.
void PrintRegistrationInfo(const RegistrationInfoTable& info, std::ostream& out);

// The server's side file: <IntelliSense> with one <Function> per row, its
// <Argument>s named from the argument text and described by the cells after
// the function's description, escaped as XML attributes must be.
void WriteIntellisenseXml(const RegistrationInfoTable& info, std::ostream& out);

} // namespace xlhost
