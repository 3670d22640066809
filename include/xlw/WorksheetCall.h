// The frame of every worksheet entry point: nothing it runs can leave it as
// an exception into Excel.
#pragma once

#include "CellMatrix.h"
#include "EntryPointSignature.h"
#include "OwnedResult.h"
#include "XlfExcel.h"
#include "XlfException.h"
#include "XlfOper.h"

#include <exception>
#include <string>
#include <type_traits>

namespace xlw {

// An error record holding #VALUE!, of the running record kind, in static
// storage: the answer when even building a result value failed.
void* StaticValueError() noexcept;

template <class> constexpr bool UnsupportedResult = false;

// The record of what a computation returned: a number, a text, a bool, a
// DoubleMatrix, a CellMatrix or an XlfOper. A number is of a type an entry
// point may return: a char would reach the cell as its code, and a float
// or a long as whatever its conversion made of it, where the author meant
// something else.
template <class Result> XlfOper ResultOper(const Result& value) {
    if constexpr (std::is_same_v<Result, XlfOper>)
        return value;
    else if constexpr (std::is_same_v<Result, bool>)
        return XlfOper(value);
    else if constexpr (std::is_arithmetic_v<Result> && ResultTypeCode<Result>::code != nullptr)
        return XlfOper(static_cast<double>(value));
    else if constexpr (std::is_same_v<Result, std::string> ||
                       std::is_same_v<Result, std::wstring> ||
                       std::is_same_v<Result, const char*> ||
                       std::is_same_v<Result, const wchar_t*>)
        return XlfOper(value);
    else if constexpr (std::is_same_v<Result, DoubleMatrix> || std::is_same_v<Result, CellMatrix>)
        return XlfOper(value);
    else
        static_assert(UnsupportedResult<Result>,
                      "a worksheet computation must return a number, a text, a bool, a "
                      "DoubleMatrix, a CellMatrix or an XlfOper; a number is a double, int, "
                      "short or unsigned short");
}

// Turns a thrown value into the record Excel shows. The XlfException family
// is caught before std::exception, whose member it is, and gives a null
// pointer, which Excel shows as #NUM!.
template <class Computation> void* ComputedResult(Computation& compute) {
    try {
        return ResultOper(compute()).GetRecord();
    } catch (const XlfException&) {
        return nullptr;
    } catch (const std::exception& failure) {
        return XlfOper(failure.what()).GetRecord();
    } catch (const std::string& text) {
        return XlfOper(text).GetRecord();
    } catch (const char* text) {
        return XlfOper(text).GetRecord();
    } catch (const CellMatrix& cells) {
        return XlfOper(cells).GetRecord();
    } catch (...) {
        return XlfOper::MakeError(xlerrValue).GetRecord();
    }
}

// The frame of a call on one of Excel's recalculation threads: the result
// owns its memory (OwnedResult) and the call touches nothing another call can
// change.
template <class Computation> void* OwnedResultCall(Computation& compute) {
    OwnedResult result;
    return result.Hand(ComputedResult(compute));
}

// Gives up the previous call's temporary memory, answers TRUE at once inside
// the function wizard, and otherwise returns the record of the XlfOper that
// `compute` builds. The record stays valid until the add-in's next call.
// A function registered thread-safe may be written with this frame as well:
// called on one of Excel's recalculation threads, where the shared memory
// would be released under it by the next call on any other thread, it runs
// as ThreadSafeWorksheetCall does.
template <class Computation> void* WorksheetCall(Computation compute) noexcept {
    try {
        if (XlfExcel::Get().OnRecalculationThread())
            return OwnedResultCall(compute);
        XlfExcel::Get().ReleaseTemp(false);
        // After a failed binding no record kind was ever chosen: no record
        // but the static one can be built.
        if (!XlfOperImpl::Current)
            return StaticValueError();
        if (XlfExcel::Get().InFunctionWizard())
            return XlfOper(true).GetRecord();
        return ComputedResult(compute);
    } catch (...) {
        return StaticValueError();
    }
}

// The frame of a function registered thread-safe, on whichever thread Excel
// calls it: under Excel 12 records the result owns its memory; the wizard
// test is left to `compute`, which asks WizardPreviewOnly once it knows the
// size of its result. Excel 4 records have no multithreaded recalculation:
// there the call runs as WorksheetCall.
template <class Computation> void* ThreadSafeWorksheetCall(Computation compute) noexcept {
    try {
        // Binds first: a cluster's node calls the function in an add-in it
        // loaded without opening it.
        const XlfExcel& excel = XlfExcel::Get();
        if (!XlfOperImpl::Current)
            return StaticValueError();
        if (!excel.IsExcel12())
            return WorksheetCall(compute);
        return OwnedResultCall(compute);
    } catch (...) {
        return StaticValueError();
    }
}

// Whether a thread-safe call should answer TRUE instead of a result of
// `cells` cells, because the function wizard is open. A result of at most
// WizardFreeCells cells is computed all the same: that costs less than
// looking for the wizard's window. In WorksheetCall on Excel's main thread,
// which has looked already, the answer is false.
bool WizardPreviewOnly(double cells);
constexpr double WizardFreeCells = 4096;

} // namespace xlw
