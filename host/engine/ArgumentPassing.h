// What Excel does with a formula's arguments before it calls a worksheet
// function: each becomes what its registered type code asks for.
//
//   B  double          J  32-bit int        A  bool as a short (0 or 1)
//   L  pointer to such a short
//   C  null-terminated byte text            C% null-terminated wide text
//   D  counted byte text (length in the first byte)   D% counted wide text
//   P, Q  a value record (XLOPER, XLOPER12): a reference is first read into
//         its value (one cell) or an array (a range)
//   R, U  a reference record: a reference comes as an xltypeSRef on the
//         engine's sheet, for the add-in's xlCoerce to read; values as values
//
// An omitted argument is 0, FALSE or an empty text for the scalar codes and
// xltypeMissing for the record codes. A value the scalar codes cannot take
// (a text that reads as no number, an error, a range of several cells: the
// stand-in does no implicit intersection) gives #VALUE! and the function is
// not called, as in Excel; so does a range too large to read (Sheet::
// MaxArrayCells) for P and Q. A number beyond J's 32 bits gives #NUM!, as
// Excel checks integer arguments against their type. An XLOPER names only
// Excel 4's 65 536 rows and 256 columns: a reference beyond them gives #REF!
// for P and R.
#pragma once

#include "Cell.h"
#include "FormulaArgument.h"
#include "Ledger.h"
#include "Sheet.h"
#include "Value.h"
#include "WorksheetCall.h"
#include "xlw/ExcelApi.h"

#include <deque>
#include <string>

namespace xlhost {

class PassedArguments {
public:
    explicit PassedArguments(const Sheet& sheet) : sheet_(sheet) {}
    PassedArguments(const PassedArguments&) = delete;
    PassedArguments& operator=(const PassedArguments&) = delete;

    // The type codes the stand-in passes (those above).
    static bool Supports(const std::string& code);

    // Adds the argument as `code` asks. False, with the error the cell shows
    // in `shown`, when Excel would not call the function.
    bool Add(const std::string& code, const FormulaArgument& argument, Cell& shown);

    // The two halves of Add, for a call made in another process (a cluster
    // node): Convert turns the argument into the value `code` asks for (the
    // scalar it converts to, the value a P or Q record holds, the reference an
    // R or U record holds) on the sheet here; AddConverted passes that value.
    bool Convert(const std::string& code, const FormulaArgument& argument, Value& converted,
                 Cell& shown) const;
    bool AddConverted(const std::string& code, const Value& converted, Cell& shown);

    const CallFrame& Frame() const { return frame_; }

private:
    void AddScalar(const std::string& code, const Cell& value);
    bool ConvertScalar(const std::string& code, const FormulaArgument& argument, Value& converted,
                       Cell& shown) const;
    bool ConvertRecord(bool excel4, bool asReference, const FormulaArgument& argument,
                       Value& converted, Cell& shown) const;
    template <class Record>
    bool AddRecord(const Value& value, std::deque<Record>& records, Cell& shown);

    const Sheet& sheet_;
    CallFrame frame_;
    // What the arguments point at, alive until the result has been read.
    std::deque<std::string> narrowTexts_;
    std::deque<std::wstring> wideTexts_;
    std::deque<short> booleans_;
    std::deque<XLOPER> records4_;
    std::deque<XLOPER12> records12_;
    Ledger recordMemory_; // Excel's own: the add-in must not free it
};

} // namespace xlhost
