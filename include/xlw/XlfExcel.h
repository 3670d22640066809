// The framework's one contact with the running Excel: callback binding, call
// forwarding, the function-wizard test and the temporary memory that value
// records live in.
#pragma once

#include "ExcelApi.h"
#include "TempMemory.h"

#include <string>
#include <vector>

namespace xlw {

// The framework's own bit in a record's type word (not one of Excel's): the
// record's contents were allocated by Excel and go back through xlFree.
constexpr unsigned ExcelAllocatedBit = 0x8000;

class XlfExcel {
public:
    // The instance, created and bound on first use.
    static XlfExcel& Get();
    // Frees all temporary memory and clears the instance; the next Get binds anew.
    ~XlfExcel();
    XlfExcel(const XlfExcel&) = delete;
    XlfExcel& operator=(const XlfExcel&) = delete;

    bool IsExcel12() const { return isExcel12_; }
    // Whether the calling thread is one of Excel's recalculation threads, on
    // which only functions registered thread-safe are called: a thread other
    // than the one that bound the instance (Excel's main thread, which runs
    // xlAutoOpen), under Excel 12 records. Excel 4 has no such threads. On a
    // compute cluster's node every thread counts as one: no call there may
    // leave its result in memory that the next call releases.
    bool OnRecalculationThread() const;
    // Whether this process is a compute cluster's node, as binding found it:
    // there Excel's own callbacks fail, the version unread among them, and
    // xlRunningOnCluster answers that the add-in runs on a cluster. A node
    // runs only functions registered cluster-safe, through Excel 12 records.
    bool OnClusterNode() const { return onClusterNode_; }
    // The running Excel's major version (16 for "16.0"); 0 when it could
    // not be read or the callbacks are not bound.
    int MajorVersion() const { return majorVersion_; }
    std::string OperTypeCode() const { return operTypeCode_; }
    std::string XloperTypeCode() const { return xloperTypeCode_; }
    std::string WideStringTypeCode() const { return wideStringTypeCode_; }

    // Records are XLOPER* or XLOPER12* by IsExcel12; the variadic arguments
    // are record pointers. Results holding Excel memory get ExcelAllocatedBit.
    int Invoke(int xlfn, void* result, int count, ...) const;
    int InvokeArray(int xlfn, void* result, int count, void** args) const;
    int Invoke4(int xlfn, LPXLOPER result, int count, ...) const;
    int InvokeArray4(int xlfn, LPXLOPER result, int count, LPXLOPER* args) const;
    int Invoke12(int xlfn, LPXLOPER12 result, int count, ...) const;
    int InvokeArray12(int xlfn, LPXLOPER12 result, int count, LPXLOPER12* args) const;

    // Up to Excel 2010 (14), a wizard dialog owned by the window xlGetHwnd
    // names; from Excel 2013 (15) on, any wizard dialog of this process,
    // since each workbook window can own one.
    bool InFunctionWizard() const;

    // Where every value record is built: the memory this thread set as its
    // own (TempMemory::ThisThreadsOwn), which a thread-safe call does, or
    // else the add-in's shared temporary memory, valid until the next
    // ReleaseTemp. Never returns null; see TempMemory::Allocate.
    char* TempAlloc(unsigned int bytes);
    // Releases the shared temporary memory (TempMemory::Release).
    void ReleaseTemp(bool all);
    static constexpr unsigned int LargeTempRequest = TempMemory::LargeRequest;

    // Services built on the value handles.
    // The add-in's full path in the ANSI code page (its short form where the
    // code page cannot show it): Excel's xlGetName answer in Excel's process,
    // "" when Excel refuses it; on a cluster node, which refuses that
    // callback, the path the module itself was loaded from. The folder of
    // either holds the files installed beside the add-in.
    std::string ModuleName() const;
    void ShowStatus(const char* text) const;
    bool BreakRequested() const;
    // Whether the user pressed Esc, leaving the break for Excel to clear
    // (xlAbort(TRUE)): the form a function that may run on one of Excel's
    // recalculation threads may use.
    bool BreakPending() const;

    // The shared temporary memory, for inspection.
    const TempMemory& SharedTemp() const { return sharedTemp_; }

private:
    struct LibraryRecord;

    XlfExcel();
    void BindCallbacks();
    // False after a failed binding: calls then fail instead of going through
    // a missing entry point.
    bool IsBound() const;
    bool DetectExcel12() const;
    int ReadMajorVersion() const;
    TempMemory sharedTemp_;
    LibraryRecord* library_;
    unsigned long mainThread_;
    int majorVersion_ = 0;
    bool isExcel12_ = false;
    bool onClusterNode_ = false;
    std::string operTypeCode_;
    std::string xloperTypeCode_;
    std::string wideStringTypeCode_;

    static XlfExcel* instance_;
};

// What xlRunningOnCluster answers, asked anew: true on a compute cluster's
// node (whatever true value its connector gives), false in Excel's process,
// before Excel 2010 (which does not know the callback) and before binding.
bool RunningOnCluster();

} // namespace xlw
