// Runs in a copy of the test executable in a folder without XLCALL32.DLL, as
// on a machine without Excel: the add-in, loaded from the folder above, cannot
// bind, so its opening fails, and closing and worksheet calls must still
// return normally.
#include "AddInSession.h"
#include "ResultRecord.h"

#include <gtest/gtest.h>

using xlhost::Engine;

namespace {

std::string AddInInParentFolder() {
    char fileName[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, fileName, MAX_PATH);
    std::string folder(fileName);
    folder.resize(folder.rfind('\\'));
    folder.resize(folder.rfind('\\'));
    return folder + "\\" TESSERINE_ADDIN_FILE;
}

FARPROC Export(const std::string& path, const char* name) {
    return GetProcAddress(GetModuleHandleA(path.c_str()), name);
}

// No record kind was ever chosen, so the static Excel 4 record answers.
void ExpectStaticValueError(void* record) {
    ASSERT_NE(record, nullptr);
    ResultRecord result = ReadRecord(record, false);
    EXPECT_EQ(result.type, unsigned(xltypeErr));
    EXPECT_EQ(result.error, xlerrValue);
}

} // namespace

TEST(UnboundAddIn, AfterAFailedOpeningCloseReturnsOneAndCallsShowValueError) {
    Engine& engine = Engine::Get();
    const std::string path = AddInInParentFolder();
    // Closing unloads the add-in, as Excel does; this process keeps a
    // reference of its own, as a program that loaded the library would, so
    // that its functions can still be called after the close.
    const HMODULE held = LoadLibraryA(path.c_str());
    ASSERT_NE(held, nullptr);
    ASSERT_EQ(engine.OpenAddIn(path), 0);
    EXPECT_EQ(engine.CloseAddIn(), 1);

    auto moro = reinterpret_cast<ScalarEntry>(
        reinterpret_cast<void*>(Export(path, "xlrnd_MoroNormSinInv")));
    auto halton =
        reinterpret_cast<PointSetEntry>(reinterpret_cast<void*>(Export(path, "xlrnd_Halton")));
    ASSERT_NE(moro, nullptr);
    ASSERT_NE(halton, nullptr);
    // The first call after closing binds anew and fails; the later ones find
    // the unbound instance that failure left.
    ExpectStaticValueError(moro(0.5));
    ExpectStaticValueError(halton(2.0, 3.0));
    ExpectStaticValueError(moro(0.5));
    FreeLibrary(held);
}
