#include "xlw/RaiseForReturnCode.h"

#include "xlw/ExcelApi.h"
#include "xlw/XlfExceptionAbort.h"
#include "xlw/XlfExceptionStackOverflow.h"
#include "xlw/XlfExceptionUncalculated.h"

#include <stdexcept>

namespace xlw {

namespace {

// Failures that carry no text of their own, so they read the same with or
// without context.
void RaiseUntextedFailure(int code) {
    if (code & xlretUncalced)
        throw XlfExceptionUncalculated();
    if (code & xlretAbort)
        throw XlfExceptionAbort();
    if (code & xlretStackOvfl)
        throw XlfExceptionStackOverflow();
}

struct FailureTexts {
    std::string invalidXloper;
    std::string failed;
    std::string invalidCount;
    std::string invalidFunction;
};

void RaiseTextedFailure(int code, const FailureTexts& texts) {
    if (code & xlretInvXloper)
        throw XlfException(texts.invalidXloper);
    if (code & xlretFailed)
        throw std::runtime_error(texts.failed);
    if (code & xlretInvCount)
        throw std::runtime_error(texts.invalidCount);
    if (code & xlretInvXlfn)
        throw std::runtime_error(texts.invalidFunction);
}

constexpr int TextedFailureBits = xlretInvXloper | xlretFailed | xlretInvCount | xlretInvXlfn;

} // namespace

int RaiseForReturnCode(int code, const char* invalidCountMessage) {
    RaiseUntextedFailure(code);
    if (code & TextedFailureBits)
        RaiseTextedFailure(code,
                           {"invalid OPER structure (memory could be exhausted)", "command failed",
                            invalidCountMessage, "invalid function number"});
    return code;
}

int RaiseForReturnCode(int code, const std::string& context) {
    RaiseUntextedFailure(code);
    if (code & TextedFailureBits)
        RaiseTextedFailure(code,
                           {"invalid OPER structure (memory could be exhausted)," + context,
                            "command failed, " + context, "invalid number of argument, " + context,
                            "invalid function number, " + context});
    return code;
}

} // namespace xlw
