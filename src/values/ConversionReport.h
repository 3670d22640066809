// What the raising conversions of XlfOper and XlfOper4 share: where a return
// code goes, and the words that name each conversion in an exception's text.
#pragma once

#include <functional>
#include <string>

namespace xlw {

// Stores the code when the caller asked for it (returnCode not null);
// otherwise hands it to the handle's RaiseForReturnCode.
void StoreOrRaise(int code, int* returnCode, int (*raise)(int));
void StoreOrRaise(int code, int* returnCode, int (*raise)(int, const std::string&),
                  const std::string& context);

// Runs a raw conversion. A range it refuses as too large or backwards
// (std::runtime_error) is refused again with errorId in front, "values: the
// range of ...", so that the cell names the argument; without an errorId the
// refusal passes unchanged.
int NamedConversion(const std::string& errorId, const std::function<int()>& convert);

// The contexts: only the double conversion puts its words first. Without an
// identifier, the matrix contexts begin with their blank.
std::string DoubleContext(const std::string& errorId);
std::string DoubleVectorContext(const std::string& errorId);
std::string ShortContext(const std::string& errorId);
std::string BoolContext(const std::string& errorId);
std::string MatrixContext(const std::string& errorId);
std::string CellMatrixContext(const std::string& errorId);
std::string StringContext(const std::string& errorId);

} // namespace xlw
