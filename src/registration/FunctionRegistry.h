// The worksheet functions to register when the add-in opens, in the order
// their registrars ran.
#pragma once

#include "FunctionRegistration.h"
#include "RegisterArguments.h"

#include <string>
#include <vector>

namespace xlw {

class FunctionRegistry {
public:
    void Append(const FunctionRegistration& record);
    const std::vector<FunctionRegistration>& Records() const { return records_; }

    // Registers every record in order, whether Excel refuses some or not;
    // gives "name: why" for each function left unregistered. The first
    // exception ends the loop and leaves. Functions that share a sheet name
    // (whatever the case of its letters) are refused, each naming all of
    // them, and Excel is not asked.
    std::vector<std::string> RegisterAllFunctions();
    // What Excel was sent for each function it took at the last
    // RegisterAllFunctions, in order, the module's text left empty.
    const std::vector<RegisterArguments>& Registered() const { return registered_; }

private:
    std::vector<FunctionRegistration> records_;
    std::vector<RegisterArguments> registered_;
};

// Made on first use, so that registrars may append during static
// initialisation whatever the order of the module's static objects.
FunctionRegistry& RegisteredFunctions();

} // namespace xlw
