#include "BridgeHost.h"
#include "values/XlfOperImpl12.h"
#include "values/XlfOperImpl4.h"

#include <gtest/gtest.h>

using namespace xlw;
using xlhost::Engine;

TEST(XlfExcelBinding, MakesTheImplementationOfTheVersionCurrentOnce) {
    XlfExcel::Get();
    const XlfOperImpl* current = XlfOperImpl::Current;
    if (ProcessIsExcel12())
        EXPECT_NE(dynamic_cast<const XlfOperImpl12*>(current), nullptr);
    else
        EXPECT_NE(dynamic_cast<const XlfOperImpl4*>(current), nullptr);
    Rebind();
    EXPECT_EQ(XlfOperImpl::Current, current);
}

TEST(XlfExcelBinding, VersionChoosesRecordKindAndTypeCodes) {
    const struct {
        const char* version;
        int failingFunction;
        bool excel12;
    } cases[] = {
        {"12.0", 0, true},
        {"11.0", 0, false},
        {"9.0", 0, false},
        // Every later Excel has the Excel 12 interface.
        {"14.0", 0, true},
        {"16.0", 0, true},
        // A version that cannot be read counts as an older Excel.
        {"12.0", xlfGetWorkspace, false},
        {"12.0", xlCoerce, false},
    };
    Engine& engine = Engine::Get();
    const std::string processVersion = engine.Version();
    for (const auto& c : cases) {
        // A binding of the other kind would make that kind's value
        // implementation current for the rest of this process.
        if (c.excel12 != ProcessIsExcel12())
            continue;
        SCOPED_TRACE(std::string(c.version) + " failing " + std::to_string(c.failingFunction));
        engine.SetVersion(c.version);
        if (c.failingFunction)
            engine.InjectFault(c.failingFunction, xlretFailed);
        engine.ResetLedger();
        const XlfExcel& excel = Rebind();
        engine.ClearFaults();

        EXPECT_EQ(excel.IsExcel12(), c.excel12);
        EXPECT_EQ(excel.OperTypeCode(), c.excel12 ? "Q" : "P");
        EXPECT_EQ(excel.XloperTypeCode(), c.excel12 ? "U" : "R");
        EXPECT_EQ(excel.WideStringTypeCode(), c.excel12 ? "C%" : "C");
        // The version text that Excel handed out went back exactly once.
        EXPECT_EQ(engine.OutstandingAllocations(), 0u);
        EXPECT_EQ(engine.DoubleFrees(), 0u);
        EXPECT_EQ(engine.ForeignFrees(), 0u);
    }
    engine.SetVersion(processVersion);
    Rebind();
}

TEST(XlfExcelBinding, DestructionReleasesTheTemporaryMemory) {
    XlfExcel* first = &XlfExcel::Get();
    first->TempAlloc(100);
    delete first;
    const XlfExcel& second = XlfExcel::Get();
    EXPECT_TRUE(second.SharedTemp().BlockCapacities().empty());
    EXPECT_EQ(second.SharedTemp().Offset(), 0u);
}
