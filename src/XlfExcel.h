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

    bool InFunctionWizard() const;

    // Bump allocation; valid until the next ReleaseTemp. Never returns null.
    char* TempAlloc(unsigned int bytes);
    // Frees every block (all) or every block but the newest, and rewinds.
    void ReleaseTemp(bool all);

    // Services built on the value handles.
    std::string ModuleName() const;
    void ShowStatus(const char* text) const;
    bool BreakRequested() const;

    // Read-only views of the temporary memory, newest block first.
    std::vector<unsigned int> TempBlockCapacities() const;
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
    void AddTempBlock(unsigned int size);

    std::list<TempBlock> blocks_;
    unsigned int offset_ = 0;
    LibraryRecord* library_;
    bool isExcel12_ = false;
    std::string operTypeCode_;
    std::string xloperTypeCode_;
    std::string wideStringTypeCode_;

    static XlfExcel* instance_;
};

} // namespace xlw
