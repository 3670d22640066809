#include "ConversionReport.h"

#include <stdexcept>

namespace xlw {

void StoreOrRaise(int code, int* returnCode, int (*raise)(int)) {
    if (returnCode)
        *returnCode = code;
    else
        raise(code);
}

void StoreOrRaise(int code, int* returnCode, int (*raise)(int, const std::string&),
                  const std::string& context) {
    if (returnCode)
        *returnCode = code;
    else
        raise(code, context);
}

int NamedConversion(const std::string& errorId, const std::function<int()>& convert) {
    if (errorId.empty())
        return convert();
    try {
        return convert();
    } catch (const std::runtime_error& refusal) {
        throw std::runtime_error(errorId + ": " + refusal.what());
    }
}

std::string DoubleContext(const std::string& errorId) {
    return "Conversion to double " + errorId;
}

std::string DoubleVectorContext(const std::string& errorId) {
    return errorId + " conversion to double vector";
}

std::string ShortContext(const std::string& errorId) {
    return errorId + " conversion to short failed";
}

std::string BoolContext(const std::string& errorId) {
    return errorId + " conversion to bool failed";
}

std::string MatrixContext(const std::string& errorId) {
    return errorId + " conversion to matrix failed";
}

std::string CellMatrixContext(const std::string& errorId) {
    return errorId + " conversion to cell matrix failed";
}

std::string StringContext(const std::string& errorId) {
    return errorId + " conversion to char* failed";
}

} // namespace xlw
