// The registration-info function's entry point, exported by every add-in on
// the framework: an object of its own beside xlAutoOpen, since only the
// add-in's export table refers to it.
#include "RegistrationInfo.h"
#include "xlw/ValueArgument.h"
#include "xlw/WorksheetCall.h"

// No wizard test: the server may ask while the wizard is open, and the answer
// must be the table, never the wizard's TRUE.
XLW_EXPORT void* XLW_STDCALL xlwRegistrationInfo(xlw::ValueArgument version) {
    return xlw::ThreadSafeWorksheetCall([=] {
        const xlw::XlfOper asked(version);
        if (asked.GetType() != xltypeNum)
            return xlw::XlfOper::MakeError(xlw::xlerrValue);
        return xlw::RegistrationInfo::Get().Answer(asked.GetDouble());
    });
}
