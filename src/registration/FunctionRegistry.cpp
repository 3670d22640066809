#include "FunctionRegistry.h"

#include "XlfArgDesc.h"
#include "XlfFuncDesc.h"
#include "xlw/TypeCodes.h"
#include "xlw/XlfExcel.h"

#include <cctype>
#include <map>

namespace xlw {

namespace {

constexpr double WorksheetMacroType = 1.0;

std::string ResolvedReturnTypeCode(const FunctionRegistration& record) {
    if (!record.returnTypeCode.empty())
        return record.returnTypeCode;
    return XlfExcel::Get().OperTypeCode();
}

// Why Excel refused the function, or an empty text and what Excel was sent.
std::string RegisterOne(const FunctionRegistration& record, RegisterArguments& sent) {
    XlfFuncDesc description(record.functionName, record.excelName, record.helpText, record.category,
                            record.isVolatile ? 1 : 0, record.isThreadSafe,
                            ResolvedReturnTypeCode(record), record.options);
    XlfArgDescList arguments;
    for (int i = 0; i < record.argumentCount; ++i)
        arguments.emplace_back(record.argumentNames[i], record.argumentHelp[i],
                               record.argumentTypes[i]);
    description.AssignArguments(arguments);
    const std::string refusal = description.RegisterWithExcel();
    if (refusal.empty())
        sent = description.Arguments(std::string(), WorksheetMacroType);
    return refusal;
}

// Excel refuses a cluster-safe function that takes an XLOPER (P) or a
// reference (R, U), or is macro-sheet equivalent, with no more than #VALUE!;
// WorksheetFunction stops such a declaration in the build, and this says why
// for one registered by its codes.
std::string ClusterSafetyRefusal(const FunctionRegistration& record) {
    if (!record.options.isClusterSafe)
        return std::string();
    if (record.options.isMacroSheetEquivalent)
        return "a cluster-safe function cannot be macro-sheet equivalent";
    for (const std::string& code : record.argumentTypes) {
        if (code == TypeCodes::Excel4Value || code == TypeCodes::Excel4Reference ||
            code == TypeCodes::Excel12Reference || code == TypeCodes::Reference)
            return "a cluster-safe function cannot take an argument of type " + code +
                   "; take values (Q, or XLF_OPER)";
    }
    return std::string();
}

// Excel does not tell function names apart by the case of their letters.
std::string Folded(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

// The procedures of each sheet name, in the order of registration.
std::map<std::string, std::vector<std::string>>
ProceduresBySheetName(const std::vector<FunctionRegistration>& records) {
    std::map<std::string, std::vector<std::string>> procedures;
    for (const FunctionRegistration& record : records)
        procedures[Folded(record.excelName)].push_back(record.functionName);
    return procedures;
}

// "a and b", "a, b and c".
std::string Listed(const std::vector<std::string>& names) {
    std::string listed = names.front();
    for (std::size_t i = 1; i < names.size(); ++i)
        listed += (i + 1 == names.size() ? " and " : ", ") + names[i];
    return listed;
}

} // namespace

void FunctionRegistry::Append(const FunctionRegistration& record) {
    records_.push_back(record);
}

std::vector<std::string> FunctionRegistry::RegisterAllFunctions() {
    registered_.clear();
    // Excel would let the last of two functions under one name take it
    // silently, and cells meant for the first would show the second's values.
    const auto procedures = ProceduresBySheetName(records_);
    std::vector<std::string> refusals;
    for (const FunctionRegistration& record : records_) {
        const std::vector<std::string>& sharing = procedures.at(Folded(record.excelName));
        std::string refusal =
            sharing.size() > 1
                ? Listed(sharing) + " have this sheet name; give each function a name of its own"
                : ClusterSafetyRefusal(record);
        RegisterArguments sent;
        if (refusal.empty())
            refusal = RegisterOne(record, sent);
        if (refusal.empty())
            registered_.push_back(sent);
        else
            refusals.push_back(record.excelName + ": " + refusal);
    }
    return refusals;
}

FunctionRegistry& RegisteredFunctions() {
    static FunctionRegistry registry;
    return registry;
}

} // namespace xlw
