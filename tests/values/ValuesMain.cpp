#include "Engine.h"
#include "xlw/XlfExcel.h"

#include <gtest/gtest.h>

namespace {

// Over the whole suite: after the framework lets go of Excel, nothing Excel
// handed out is left, and nothing was freed twice or freed without being
// Excel's.
class LedgerAtExit : public testing::Environment {
public:
    void TearDown() override {
        delete &xlw::XlfExcel::Get();
        const xlhost::Engine& engine = xlhost::Engine::Get();
        EXPECT_EQ(engine.OutstandingAllocations(), 0u);
        EXPECT_EQ(engine.DoubleFrees(), 0u);
        EXPECT_EQ(engine.ForeignFrees(), 0u);
        EXPECT_GT(engine.CompletedFrees(), 0u);
    }
};

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new LedgerAtExit);
    return RUN_ALL_TESTS();
}
