// Excel C API records, constants and callback prototypes, written from the
// record layouts that Microsoft documents for its C API. The add-in, the
// framework and the stand-in Excel all compile against this one header.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define XLW_STDCALL __stdcall
#define XLW_CDECL __cdecl
#else
// Win64 and other targets have a single calling convention.
#define XLW_STDCALL
#define XLW_CDECL
#endif

// An add-in function that Excel calls by name: exported under its plain
// name (xlw_add_addin links i686 add-ins so that the stdcall decoration
// stays off), with C linkage.
#if defined(_WIN32)
#define XLW_EXPORT extern "C" __declspec(dllexport)
#else
#define XLW_EXPORT extern "C"
#endif

// Excel 12 strings are counted UTF-16 strings; wchar_t is 16 bits on Windows.
typedef wchar_t XCHAR;
// Excel's sheet identifiers are pointer-sized (DWORD_PTR) in both record
// kinds: 64-bit Excel hands out identifiers that do not fit in 32 bits.
typedef std::uintptr_t IDSHEET;

struct XLREF {
    std::uint16_t rwFirst;
    std::uint16_t rwLast;
    std::uint8_t colFirst;
    std::uint8_t colLast;
};

struct XLMREF {
    std::uint16_t count;
    XLREF reftbl[1];
};

struct XLREF12 {
    std::int32_t rwFirst;
    std::int32_t rwLast;
    std::int32_t colFirst;
    std::int32_t colLast;
};

struct XLMREF12 {
    std::uint16_t count;
    XLREF12 reftbl[1];
};

struct xloper {
    union {
        double num;
        char* str; // first byte is the count
        std::uint16_t xbool;
        std::uint16_t err;
        std::int16_t w;
        struct {
            std::uint16_t count;
            XLREF ref;
        } sref;
        struct {
            XLMREF* lpmref;
            IDSHEET idSheet;
        } mref;
        struct {
            xloper* lparray;
            std::uint16_t rows;
            std::uint16_t columns;
        } array;
        struct {
            union {
                std::int16_t level;
                std::int16_t tbctrl;
                IDSHEET idSheet;
            } valflow;
            std::uint16_t rw;
            std::uint8_t col;
            std::uint8_t xlflow;
        } flow;
        struct {
            union {
                std::uint8_t* lpbData;
                void* hdata;
            } h;
            long cbData;
        } bigdata;
    } val;
    std::uint16_t xltype;
};

struct xloper12 {
    union {
        double num;
        XCHAR* str; // first element is the count
        std::int32_t xbool;
        std::int32_t err;
        std::int32_t w;
        struct {
            std::uint16_t count;
            XLREF12 ref;
        } sref;
        struct {
            XLMREF12* lpmref;
            IDSHEET idSheet;
        } mref;
        struct {
            xloper12* lparray;
            std::int32_t rows;
            std::int32_t columns;
        } array;
        struct {
            union {
                std::int32_t level;
                std::int32_t tbctrl;
                IDSHEET idSheet;
            } valflow;
            std::int32_t rw;
            std::int32_t col;
            std::uint8_t xlflow;
        } flow;
        struct {
            union {
                std::uint8_t* lpbData;
                void* hdata;
            } h;
            long cbData;
        } bigdata;
    } val;
    std::uint32_t xltype;
};

typedef xloper XLOPER;
typedef xloper12 XLOPER12;
typedef xloper* LPXLOPER;
typedef xloper12* LPXLOPER12;

#if defined(_WIN32)
// Layouts shared by both targets, member by member:
//   XLREF 6 (2+2+1+1)   XLMREF 8 (count 2, table at 2)
//   XLREF12 16 (4 x 4)  XLMREF12 20 (count 2, padding 2, table at 4)
//   XLOPER12 32: union 24 at 0, xltype 4 at 24. On Win32 sref (20) is the
//   largest member; on Win64 flow (8+4+4+1, padded to 24) is, so the size
//   stays the same.
static_assert(sizeof(XLREF) == 6, "XLREF is 6 bytes");
static_assert(sizeof(XLMREF) == 8, "XLMREF is 8 bytes");
static_assert(offsetof(XLMREF, reftbl) == 2, "XLMREF table at offset 2");
static_assert(sizeof(XLREF12) == 16, "XLREF12 is 16 bytes");
static_assert(sizeof(XLMREF12) == 20, "XLMREF12 is 20 bytes");
static_assert(offsetof(XLMREF12, reftbl) == 4, "XLMREF12 table at offset 4");
static_assert(sizeof(XCHAR) == 2, "Excel 12 characters are 16 bits");
static_assert(sizeof(XLOPER12) == 32, "XLOPER12 is 32 bytes on both targets");
static_assert(offsetof(XLOPER12, xltype) == 24, "XLOPER12 type word at offset 24");
static_assert(offsetof(XLOPER12, val.sref.ref) == 4, "XLOPER12 sref table at offset 4");
static_assert(offsetof(XLOPER, val.sref.ref) == 2, "XLOPER sref table at offset 2");
static_assert(sizeof(XLOPER().val.bigdata.cbData) == 4, "cbData is a Windows long");

// The sizes that differ between the targets. A pointer, and IDSHEET with it,
// is 4 bytes on Win32 and 8 on Win64, and the member after a record's leading
// pointer (idSheet, rows) sits at that offset.
//   XLOPER on Win32 16: union 8 at 0, xltype 2 at 8, padding 6
//   XLOPER on Win64 24: union 16 at 0, xltype 2 at 16, padding 6
namespace ExcelRecordLayout {
#if defined(_WIN64)
constexpr std::size_t Pointer = 8;
constexpr std::size_t Xloper = 24;
constexpr std::size_t XloperTypeWord = 16;
#else
constexpr std::size_t Pointer = 4;
constexpr std::size_t Xloper = 16;
constexpr std::size_t XloperTypeWord = 8;
#endif
} // namespace ExcelRecordLayout

static_assert(sizeof(void*) == ExcelRecordLayout::Pointer, "the target's pointer size");
static_assert(sizeof(IDSHEET) == ExcelRecordLayout::Pointer, "IDSHEET is pointer-sized");
static_assert(sizeof(XLOPER().val.str) == ExcelRecordLayout::Pointer &&
                  sizeof(XLOPER().val.mref.lpmref) == ExcelRecordLayout::Pointer &&
                  sizeof(XLOPER().val.array.lparray) == ExcelRecordLayout::Pointer &&
                  sizeof(XLOPER().val.bigdata.h.lpbData) == ExcelRecordLayout::Pointer,
              "every XLOPER pointer has the target's size");
static_assert(sizeof(XLOPER12().val.str) == ExcelRecordLayout::Pointer &&
                  sizeof(XLOPER12().val.mref.lpmref) == ExcelRecordLayout::Pointer &&
                  sizeof(XLOPER12().val.array.lparray) == ExcelRecordLayout::Pointer &&
                  sizeof(XLOPER12().val.bigdata.h.lpbData) == ExcelRecordLayout::Pointer,
              "every XLOPER12 pointer has the target's size");
static_assert(sizeof(XLOPER) == ExcelRecordLayout::Xloper, "XLOPER is 16 bytes, 24 on Win64");
static_assert(offsetof(XLOPER, xltype) == ExcelRecordLayout::XloperTypeWord,
              "XLOPER type word at offset 8, 16 on Win64");
static_assert(offsetof(XLOPER, val.mref.idSheet) == ExcelRecordLayout::Pointer &&
                  offsetof(XLOPER, val.array.rows) == ExcelRecordLayout::Pointer &&
                  offsetof(XLOPER, val.array.columns) == ExcelRecordLayout::Pointer + 2,
              "XLOPER idSheet and rows after the pointer, columns 2 bytes later");
static_assert(offsetof(XLOPER12, val.mref.idSheet) == ExcelRecordLayout::Pointer &&
                  offsetof(XLOPER12, val.array.rows) == ExcelRecordLayout::Pointer &&
                  offsetof(XLOPER12, val.array.columns) == ExcelRecordLayout::Pointer + 4,
              "XLOPER12 idSheet and rows after the pointer, columns 4 bytes later");
#endif

// Record types.
constexpr int xltypeNum = 0x0001;
constexpr int xltypeStr = 0x0002;
constexpr int xltypeBool = 0x0004;
constexpr int xltypeRef = 0x0008;
constexpr int xltypeErr = 0x0010;
constexpr int xltypeFlow = 0x0020;
constexpr int xltypeMulti = 0x0040;
constexpr int xltypeMissing = 0x0080;
constexpr int xltypeNil = 0x0100;
constexpr int xltypeSRef = 0x0400;
constexpr int xltypeInt = 0x0800;
constexpr int xltypeBigData = xltypeStr | xltypeInt;

// Memory-ownership bits that Excel itself defines.
constexpr int xlbitXLFree = 0x1000;
constexpr int xlbitDLLFree = 0x4000;

// Callback return codes.
constexpr int xlretSuccess = 0;
constexpr int xlretAbort = 1;
constexpr int xlretInvXlfn = 2;
constexpr int xlretInvCount = 4;
constexpr int xlretInvXloper = 8;
constexpr int xlretStackOvfl = 16;
constexpr int xlretFailed = 32;
constexpr int xlretUncalced = 64;
constexpr int xlretNotThreadSafe = 128;

// Cell error codes.
constexpr int xlerrNull = 0;
constexpr int xlerrDiv0 = 7;
constexpr int xlerrValue = 15;
constexpr int xlerrRef = 23;
constexpr int xlerrName = 29;
constexpr int xlerrNum = 36;
constexpr int xlerrNA = 42;

// The names an add-in uses, also in namespace xlw (xlw::xlerrNA), so that
// code written in the framework's namespace finds them there; they stay
// global as well, under the names Excel's C API gives them.
namespace xlw {
using ::xlerrDiv0;
using ::xlerrNA;
using ::xlerrName;
using ::xlerrNull;
using ::xlerrNum;
using ::xlerrRef;
using ::xlerrValue;
using ::xltypeBigData;
using ::xltypeBool;
using ::xltypeErr;
using ::xltypeFlow;
using ::xltypeInt;
using ::xltypeMissing;
using ::xltypeMulti;
using ::xltypeNil;
using ::xltypeNum;
using ::xltypeRef;
using ::xltypeSRef;
using ::xltypeStr;
} // namespace xlw

// Function numbers.
constexpr int xlSpecial = 0x4000;
constexpr int xlCommand = 0x8000;
constexpr int xlFree = 0 | xlSpecial;
constexpr int xlCoerce = 2 | xlSpecial;
constexpr int xlSheetId = 4 | xlSpecial;
constexpr int xlAbort = 6 | xlSpecial;
constexpr int xlGetHwnd = 8 | xlSpecial;
constexpr int xlGetName = 9 | xlSpecial;
// From Excel 2010 on: whether the calling function runs on a compute
// cluster's node rather than in Excel's process.
constexpr int xlRunningOnCluster = 18 | xlSpecial;
constexpr int xlcMessage = 122 | xlCommand;
constexpr int xlfCaller = 89;
constexpr int xlfRegister = 149;
constexpr int xlfGetWorkspace = 186;
constexpr int xlfUnregister = 201;
constexpr int xlUDF = 255;
constexpr int xlfEvaluate = 257;

// Entry points of XLCALL32.DLL, and the host's own callbacks behind them.
typedef int(XLW_CDECL* Excel4Proc)(int xlfn, LPXLOPER result, int count, ...);
typedef int(XLW_STDCALL* Excel4vProc)(int xlfn, LPXLOPER result, int count, LPXLOPER args[]);
typedef int(XLW_STDCALL* MdCallBackProc)(int xlfn, int count, LPXLOPER* args, LPXLOPER result);
typedef int(XLW_STDCALL* MdCallBack12Proc)(int xlfn, int count, LPXLOPER12* args,
                                           LPXLOPER12 result);

// The Excel 12 forwarders live in the add-in, not in XLCALL32.DLL: they find
// the host's MdCallBack12 themselves.
int XLW_CDECL Excel12(int xlfn, LPXLOPER12 result, int count, ...);
int XLW_STDCALL Excel12v(int xlfn, LPXLOPER12 result, int count, LPXLOPER12 args[]);
