#include "xlw/ExcelApi.h"
#include "xlw/RaiseForReturnCode.h"
#include "xlw/XlfExceptionAbort.h"
#include "xlw/XlfExceptionStackOverflow.h"
#include "xlw/XlfExceptionUncalculated.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

using namespace xlw;

namespace {

enum class Thrown { Nothing, Uncalculated, Abort, StackOverflow, XlfException, RuntimeError };

struct Outcome {
    Thrown thrown = Thrown::Nothing;
    std::string message;
    int returned = -1;
};

// Catches most derived first, as the worksheet wrappers do.
Outcome Catch(const std::function<int()>& raise) {
    Outcome outcome;
    try {
        outcome.returned = raise();
    } catch (const XlfExceptionUncalculated& e) {
        outcome = {Thrown::Uncalculated, e.what()};
    } catch (const XlfExceptionAbort& e) {
        outcome = {Thrown::Abort, e.what()};
    } catch (const XlfExceptionStackOverflow& e) {
        outcome = {Thrown::StackOverflow, e.what()};
    } catch (const XlfException& e) {
        outcome = {Thrown::XlfException, e.what()};
    } catch (const std::runtime_error& e) {
        outcome = {Thrown::RuntimeError, e.what()};
    }
    return outcome;
}

struct Case {
    int code;
    Thrown thrown;
    const char* withoutContext;
    const char* withContextAbc;
};

// Codes with several bits set raise the exception of the earliest bit in the
// order 0x40, 0x01, 0x10, 0x08, 0x20, 0x04, 0x02.
const Case cases[] = {
    {0x00, Thrown::Nothing, "", ""},
    {0x80, Thrown::Nothing, "", ""},
    {0x100, Thrown::Nothing, "", ""},
    {0x40, Thrown::Uncalculated, "", ""},
    {0x41, Thrown::Uncalculated, "", ""},
    {0x7F, Thrown::Uncalculated, "", ""},
    {0x01, Thrown::Abort, "abort", "abort"},
    {0x3F, Thrown::Abort, "abort", "abort"},
    {0x10, Thrown::StackOverflow, "stack overflow", "stack overflow"},
    {0x3E, Thrown::StackOverflow, "stack overflow", "stack overflow"},
    {0x08, Thrown::XlfException, "invalid OPER structure (memory could be exhausted)",
     "invalid OPER structure (memory could be exhausted),abc"},
    {0x2E, Thrown::XlfException, "invalid OPER structure (memory could be exhausted)",
     "invalid OPER structure (memory could be exhausted),abc"},
    {0x20, Thrown::RuntimeError, "command failed", "command failed, abc"},
    {0x24, Thrown::RuntimeError, "command failed", "command failed, abc"},
    {0xA6, Thrown::RuntimeError, "command failed", "command failed, abc"},
    {0x04, Thrown::RuntimeError, "<count>", "invalid number of argument, abc"},
    {0x06, Thrown::RuntimeError, "<count>", "invalid number of argument, abc"},
    {0x02, Thrown::RuntimeError, "invalid function number", "invalid function number, abc"},
    {0x82, Thrown::RuntimeError, "invalid function number", "invalid function number, abc"},
};

} // namespace

TEST(RaiseForReturnCode, FirstBitInFixedOrderDecidesExceptionAndText) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const Outcome plain = Catch([&] { return RaiseForReturnCode(c.code, "<count>"); });
        EXPECT_EQ(plain.thrown, c.thrown);
        EXPECT_EQ(plain.message, c.withoutContext);

        const Outcome withContext =
            Catch([&] { return RaiseForReturnCode(c.code, std::string("abc")); });
        EXPECT_EQ(withContext.thrown, c.thrown);
        EXPECT_EQ(withContext.message, c.withContextAbc);

        if (c.thrown == Thrown::Nothing) {
            EXPECT_EQ(plain.returned, c.code);
            EXPECT_EQ(withContext.returned, c.code);
        }
    }
}

TEST(RaiseForReturnCode, ArgumentCountTextIsTheCallersOwn) {
    for (const char* text : {"invalid number of arguments", "invalid number of argument"}) {
        const Outcome outcome = Catch([&] { return RaiseForReturnCode(xlretInvCount, text); });
        EXPECT_EQ(outcome.thrown, Thrown::RuntimeError);
        EXPECT_EQ(outcome.message, text);
    }
}
