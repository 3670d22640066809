// The framework's one contact with the running Excel: callback binding, call
// forwarding, the function-wizard test and the temporary memory that value
// records live in.
#pragma once

#include "ExcelApi.h"

#include <list>
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

    // Bump allocation; valid until the next ReleaseTemp. Never returns null.
    // Requests below LargeTempRequest share blocks that grow by half from
    // 8192 bytes: one that does not fit gets one new block, the first step
    // of that ladder big enough for it. A larger request gets a block of its
    // own: the spare block when it holds the request without wasting half of
    // itself, otherwise a new block of exactly the request's size.
    char* TempAlloc(unsigned int bytes);
    // Frees every block (all), or every block but the newest ladder block,
    // and rewinds. Of the large blocks, the newest becomes the spare block
    // for the next call, and a spare block that the call just ended did not
    // use is freed: a steady workload of large results reuses its memory,
    // while a large result's memory outlives it by one call at most.
    void ReleaseTemp(bool all);
    static constexpr unsigned int LargeTempRequest = 8u << 20;

    // Services built on the value handles.
    std::string ModuleName() const;
    void ShowStatus(const char* text) const;
    bool BreakRequested() const;
    // Whether the user pressed Esc, leaving the break for Excel to clear
    // (xlAbort(TRUE)): the form a function that may run on one of Excel's
    // recalculation threads may use.
    bool BreakPending() const;

    // Read-only views of the temporary memory, newest block first: the
    // ladder blocks, and the blocks of large requests.
    std::vector<unsigned int> TempBlockCapacities() const;
    std::vector<unsigned int> TempLargeBlockCapacities() const;
    // 0 when there is no spare block.
    unsigned int TempSpareBlockCapacity() const { return spare_.capacity; }
    unsigned int TempOffset() const { return offset_; }

private:
    struct TempBlock {
        unsigned int capacity;
        char* bytes;
    };
    struct LibraryRecord;

    XlfExcel();
    void BindCallbacks();
    // False after a failed binding: calls then fail instead of going through
    // a missing entry point.
    bool IsBound() const;
    bool DetectExcel12() const;
    int ReadMajorVersion() const;
    // The first ladder step above the newest ladder block (or from 8192
    // bytes) that holds `bytes`.
    unsigned int LadderSizeFor(unsigned int bytes) const;
    void AddTempBlock(unsigned int size);
    char* AddLargeTempBlock(unsigned int size);

    std::list<TempBlock> blocks_;
    std::list<TempBlock> largeBlocks_;
    TempBlock spare_ = {0, nullptr};
    unsigned int offset_ = 0;
    LibraryRecord* library_;
    int majorVersion_ = 0;
    bool isExcel12_ = false;
    std::string operTypeCode_;
    std::string xloperTypeCode_;
    std::string wideStringTypeCode_;

    static XlfExcel* instance_;
};

} // namespace xlw
