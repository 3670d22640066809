// The worksheet functions to register when the add-in opens, in the order
// their registrars ran.
#pragma once

#include "FunctionRegistration.h"

#include <string>
#include <vector>

namespace xlw {

class FunctionRegistry {
public:
    void Append(const FunctionRegistration& record);
    const std::vector<FunctionRegistration>& Records() const { return records_; }

    // Registers every record in order. The first exception ends the loop and
    // leaves; a refusal by Excel is only reported and the loop goes on.
    // Registers every record in order, whether Excel refuses some or not;
    // gives "name: why" for each function Excel refused.
    std::vector<std::string> RegisterAllFunctions() const;

private:
    std::vector<FunctionRegistration> records_;
};

// Made on first use, so that registrars may append during static
// initialisation whatever the order of the module's static objects.
FunctionRegistry& RegisteredFunctions();

} // namespace xlw
