#include "xlw/XlfExcel.h"

#include "NamedMutexLock.h"
#include "ProcAddress.h"
#include "values/XlfOperImpl12.h"
#include "values/XlfOperImpl4.h"

#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>

namespace xlw {

struct XlfExcel::LibraryRecord {
    // Null until binding succeeds; the library is never freed.
    HMODULE module = nullptr;
};

XlfExcel* XlfExcel::instance_ = nullptr;

namespace {

// Process-wide: they outlive the instance and a second binding reuses them.
Excel4Proc excel4 = nullptr;
Excel4vProc excel4v = nullptr;

// Each implementation is made at most once per process; making one makes it
// current, so a later binding that finds it made leaves the current one alone.
void MakeValueImplementationCurrent(bool excel12) {
    if (excel12) {
        static const XlfOperImpl12 impl12;
    } else {
        static const XlfOperImpl4 impl4;
    }
}

// Excel allocated the contents of a result holding a string, references, an
// array or big data, whatever the return code; the release path hands these
// back with xlFree.
template <class Record, class Callback>
int CallAndMark(Callback callback, int xlfn, Record* result, int count, Record** args) {
    const int code = callback(xlfn, result, count, args);
    constexpr unsigned excelOwnedTypes = xltypeStr | xltypeRef | xltypeMulti | xltypeBigData;
    if (result && (result->xltype & excelOwnedTypes))
        result->xltype |= ExcelAllocatedBit;
    return code;
}

template <class Record> std::vector<Record*> GatherArguments(int count, va_list list) {
    std::vector<Record*> args(count > 0 ? count : 0);
    for (Record*& arg : args)
        arg = va_arg(list, Record*);
    return args;
}

struct WizardSearch {
    bool found;
    std::uint16_t excelWindow;
    // From Excel 2013 on the wizard is owned by the active workbook's window,
    // which xlGetHwnd need not name: any wizard of this process counts.
    bool anyOwnerInProcess;
};

// Excel 2013 (15) made each workbook a main window of its own.
constexpr int SingleDocumentVersion = 15;

bool BelongsToThisProcess(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

BOOL CALLBACK MatchWizardWindow(HWND window, LPARAM searchAddress) {
    static const char wizardClass[] = "bosa_sdm_XL";
    constexpr int wizardClassLength = sizeof wizardClass - 1;
    char className[50];
    const int length = GetClassNameA(window, className, sizeof className);
    const int compared = length > wizardClassLength ? wizardClassLength : length;
    if (CompareStringA(0x0409, NORM_IGNORECASE, className, compared, wizardClass,
                       wizardClassLength) != CSTR_EQUAL)
        return TRUE;
    auto* search = reinterpret_cast<WizardSearch*>(searchAddress);
    if (search->anyOwnerInProcess) {
        search->found = BelongsToThisProcess(window);
        return search->found ? FALSE : TRUE;
    }
    // Excel 4 hands out only the low 16 bits of its main window's handle. The
    // parent is cut the same way through uintptr_t, so the test holds for
    // 64-bit handles too.
    const auto parent =
        static_cast<std::uint16_t>(reinterpret_cast<std::uintptr_t>(GetParent(window)));
    if (parent != search->excelWindow)
        return TRUE;
    search->found = true;
    return FALSE;
}

// Asked through Excel12 whatever records are chosen: the callback is Excel
// 2010's. Excel's process answers the integer 0; the connector gives a node's
// answer of its own choosing, taken as TRUE or a number other than 0.
bool AnswersRunningOnCluster() {
    XLOPER12 answer{};
    answer.xltype = xltypeNil;
    if (Excel12(xlRunningOnCluster, &answer, 0) != xlretSuccess)
        return false;
    const unsigned type = answer.xltype & ~(xlbitXLFree | xlbitDLLFree);
    const bool onCluster = (type == xltypeInt && answer.val.w != 0) ||
                           (type == xltypeNum && answer.val.num != 0) ||
                           (type == xltypeBool && answer.val.xbool != 0);
    if (answer.xltype & (xltypeStr | xltypeMulti | xltypeRef))
        Excel12(xlFree, nullptr, 1, &answer);
    return onCluster;
}

} // namespace

bool RunningOnCluster() {
    // After a failed binding there is no Excel to ask.
    return XlfExcel::Get().IsExcel12() && AnswersRunningOnCluster();
}

XlfExcel::XlfExcel() : library_(new LibraryRecord), mainThread_(GetCurrentThreadId()) {}

XlfExcel& XlfExcel::Get() {
    if (!instance_) {
        // Stored before binding: after a failed binding the unbound instance
        // stays and is not bound again.
        instance_ = new XlfExcel;
        instance_->BindCallbacks();
    }
    return *instance_;
}

XlfExcel::~XlfExcel() {
    delete library_;
    instance_ = nullptr;
}

void XlfExcel::BindCallbacks() {
    const HMODULE module = LoadLibraryA("XLCALL32.DLL");
    if (!module)
        throw std::runtime_error("Could not load library XLCALL32.DLL");
    excel4 = FindProc<Excel4Proc>(module, "Excel4");
    if (!excel4)
        throw std::runtime_error("Could not get address of Excel4 callback");
    excel4v = FindProc<Excel4vProc>(module, "Excel4v");
    if (!excel4v)
        throw std::runtime_error("Could not get address of Excel4v callback");
    majorVersion_ = ReadMajorVersion();
    // Only a node has no version to give; a node runs Excel 12 records.
    onClusterNode_ = majorVersion_ == 0 && AnswersRunningOnCluster();
    isExcel12_ = DetectExcel12();
    MakeValueImplementationCurrent(isExcel12_);
    operTypeCode_ = isExcel12_ ? "Q" : "P";
    xloperTypeCode_ = isExcel12_ ? "U" : "R";
    wideStringTypeCode_ = isExcel12_ ? "C%" : "C";
    library_->module = module;
}

bool XlfExcel::IsBound() const {
    return library_->module != nullptr;
}

bool XlfExcel::OnRecalculationThread() const {
    return isExcel12_ && (onClusterNode_ || GetCurrentThreadId() != mainThread_);
}

bool XlfExcel::DetectExcel12() const {
    // Every Excel since 2007 (12) has the Excel 12 interface.
    return majorVersion_ >= 12 || onClusterNode_;
}

int XlfExcel::ReadMajorVersion() const {
    XLOPER versionKind{};
    versionKind.xltype = xltypeInt;
    versionKind.val.w = 2;
    XLOPER version{};
    version.xltype = xltypeNil;
    excel4(xlfGetWorkspace, &version, 1, &versionKind);

    XLOPER targetType{};
    targetType.xltype = xltypeInt;
    targetType.val.w = xltypeInt;
    XLOPER major{};
    major.xltype = xltypeNil;
    const int coerced = excel4(xlCoerce, &major, 2, &version, &targetType);
    excel4(xlFree, nullptr, 1, &version);
    // A version that cannot be read is taken as an older Excel.
    return coerced == xlretSuccess && major.xltype == xltypeInt ? major.val.w : 0;
}

int XlfExcel::Invoke(int xlfn, void* result, int count, ...) const {
    va_list list;
    va_start(list, count);
    std::vector<void*> args = GatherArguments<void>(count, list);
    va_end(list);
    return InvokeArray(xlfn, result, count, args.data());
}

int XlfExcel::InvokeArray(int xlfn, void* result, int count, void** args) const {
    if (isExcel12_)
        return InvokeArray12(xlfn, static_cast<LPXLOPER12>(result), count,
                             reinterpret_cast<LPXLOPER12*>(args));
    return InvokeArray4(xlfn, static_cast<LPXLOPER>(result), count,
                        reinterpret_cast<LPXLOPER*>(args));
}

int XlfExcel::Invoke4(int xlfn, LPXLOPER result, int count, ...) const {
    va_list list;
    va_start(list, count);
    std::vector<LPXLOPER> args = GatherArguments<XLOPER>(count, list);
    va_end(list);
    return InvokeArray4(xlfn, result, count, args.data());
}

int XlfExcel::InvokeArray4(int xlfn, LPXLOPER result, int count, LPXLOPER* args) const {
    if (!IsBound())
        return xlretFailed;
    return CallAndMark(excel4v, xlfn, result, count, args);
}

int XlfExcel::Invoke12(int xlfn, LPXLOPER12 result, int count, ...) const {
    va_list list;
    va_start(list, count);
    std::vector<LPXLOPER12> args = GatherArguments<XLOPER12>(count, list);
    va_end(list);
    return InvokeArray12(xlfn, result, count, args.data());
}

int XlfExcel::InvokeArray12(int xlfn, LPXLOPER12 result, int count, LPXLOPER12* args) const {
    if (!IsBound())
        return xlretFailed;
    return CallAndMark(Excel12v, xlfn, result, count, args);
}

bool XlfExcel::InFunctionWizard() const {
    // A cluster's node shows no dialogs.
    if (!IsBound() || onClusterNode_)
        return false;
    if (majorVersion_ >= SingleDocumentVersion) {
        WizardSearch search{false, 0, true};
        EnumWindows(MatchWizardWindow, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    XLOPER excelWindow{};
    if (excel4(xlGetHwnd, &excelWindow, 0) != xlretSuccess)
        return false;
    WizardSearch search{false, static_cast<std::uint16_t>(excelWindow.val.w), false};
    EnumWindows(MatchWizardWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

char* XlfExcel::TempAlloc(unsigned int bytes) {
    if (TempMemory* own = TempMemory::ThisThreadsOwn())
        return own->Allocate(bytes);
    NamedMutexLock lock;
    return sharedTemp_.Allocate(bytes);
}

void XlfExcel::ReleaseTemp(bool all) {
    NamedMutexLock lock;
    sharedTemp_.Release(all);
}

} // namespace xlw
