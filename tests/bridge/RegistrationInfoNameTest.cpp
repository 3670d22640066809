// The name under which the in-cell help server looks for an add-in's
// descriptions. The expected digits are Python's (3.11):
// uuid.uuid5(uuid.UUID('306D016E-CCE8-4861-9DA1-51A27CBE341A'), path.upper()).hex,
// whose str.upper() maps these letters as Windows' invariant mapping does;
// the first is also the server's own published example.
#include "registration/RegistrationInfoName.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RegistrationInfoName, IsTheVersion5UuidOfTheUpperCasedPath) {
    const std::wstring repeated = [] {
        std::wstring path;
        for (int i = 0; i < 20; ++i)
            path += L"C:\\Temp\\Test.xll";
        return path;
    }();
    const struct {
        std::wstring path;
        const char* digits;
    } cases[] = {
        {L"C:\\Temp\\Test.xll", "f3fe5a6e63fc5c18b9bb5ae7b3d12632"},
        {L"c:\\temp\\test.xll", "f3fe5a6e63fc5c18b9bb5ae7b3d12632"},
        {L"C:\\Users\\ren\u00e9\\Z\u00fcrich\\Tesserine64.xll", "4d28d88c6ef554d1a677d148bae358a9"},
        {L"C:\\\u0414\u0430\u043d\u043d\u044b\u0435\\"
         L"\u0422\u0435\u0441\u0441\u0435\u0440\u0438\u043d\u0430.xll",
         "d8400c16aeaf50c7834c5b340fa5fe64"},
        // 320 bytes: SHA-1 over several blocks.
        {repeated, "e828f947720050c4a0f9cd86387b4271"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(xlw::RegistrationInfoName(c.path), std::string("RegistrationInfo_") + c.digits);
}

} // namespace
