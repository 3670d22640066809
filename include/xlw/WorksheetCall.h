// The frame of every worksheet entry point: nothing it runs can leave it as
// an exception into Excel.
#pragma once

#include "CellMatrix.h"
#include "XlfExcel.h"
#include "XlfException.h"
#include "XlfOper.h"

#include <exception>
#include <string>

namespace xlw {

// An error record holding #VALUE!, of the running record kind, in static
// storage: the answer when even building a result value failed.
void* StaticValueError() noexcept;

// Turns a thrown value into the record Excel shows. The XlfException family
// is caught before std::exception, whose member it is, and gives a null
// pointer, which Excel shows as #NUM!.
template <class Computation> void* GuardedResult(Computation& compute) {
    try {
        if (XlfExcel::Get().InFunctionWizard())
            return XlfOper(true).GetRecord();
        return compute().GetRecord();
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

// Gives up the previous call's temporary memory, answers TRUE at once inside
// the function wizard, and otherwise returns the record of the XlfOper that
// `compute` builds. The record stays valid until the add-in's next call.
template <class Computation> void* WorksheetCall(Computation compute) noexcept {
    try {
        XlfExcel::Get().ReleaseTemp(false);
        // After a failed binding no record kind was ever chosen: no record
        // but the static one can be built.
        if (!XlfOperImpl::Current)
            return StaticValueError();
        return GuardedResult(compute);
    } catch (...) {
        return StaticValueError();
    }
}

} // namespace xlw
