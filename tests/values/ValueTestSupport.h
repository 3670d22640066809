// What the value-layer suites share. This executable is the Excel the
// framework binds to; the engine's version (set per ctest entry) decides the
// record kind of the whole process.
#pragma once

#include "Engine.h"
#include "xlw/XlfExcel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace xlw {
class XlfOper;
class XlfOper4;
} // namespace xlw

bool ProcessIsExcel12();

// Every test starts bound, with no faults and an empty call log, and must
// leave the stand-in's ledger as it found it: nothing Excel handed out stays
// unfreed, and nothing is freed twice or freed without being Excel's.
class ValueTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The callbacks the framework made since the test began.
    std::vector<int> CalledFunctions() const;

private:
    std::size_t outstandingBefore_ = 0;
};

// Collects what is written to std::cerr while it lives.
class CerrCapture {
public:
    CerrCapture();
    ~CerrCapture();
    CerrCapture(const CerrCapture&) = delete;
    CerrCapture& operator=(const CerrCapture&) = delete;
    std::string Text() const { return text_.str(); }

private:
    std::ostringstream text_;
    std::streambuf* previous_;
};

// A record of either kind read field by field from its documented layout,
// so that the tests do not read records through the code under test.
class RawRecord {
public:
    RawRecord(const void* record, bool excel12) : record_(record), excel12_(excel12) {}
    static RawRecord Of(const xlw::XlfOper& oper);
    static RawRecord Of(const xlw::XlfOper4& oper);

    unsigned long Type() const;
    double Number() const;
    // Sign-extended from the kind's width.
    long Integer() const;
    // As stored, zero-extended from the kind's width.
    unsigned long ErrorWord() const;
    long BoolWord() const;
    // The count, then the counted characters, each as an unsigned unit.
    std::vector<unsigned long> StringUnits() const;
    unsigned long Rows() const;
    unsigned long Columns() const;
    RawRecord Element(unsigned long row, unsigned long column) const;
    const void* StringAddress() const;
    struct Area {
        long count, rowFirst, rowLast, columnFirst, columnLast;
        IDSHEET sheetId;
        bool operator==(const Area& other) const;
    };
    Area Reference() const;

private:
    const XLOPER& Record4() const { return *static_cast<const XLOPER*>(record_); }
    const XLOPER12& Record12() const { return *static_cast<const XLOPER12*>(record_); }

    const void* record_;
    bool excel12_;
};

// A string record as Excel hands them to an add-in: counted, without the
// zero byte that the framework's own Excel 4 strings count.
class ExcelString {
public:
    ExcelString(const std::string& ascii, bool excel12);
    ExcelString(const ExcelString&) = delete;
    ExcelString& operator=(const ExcelString&) = delete;
    void* Record() { return excel12_ ? static_cast<void*>(&record12_) : &record4_; }

private:
    bool excel12_;
    std::string narrow_;
    std::wstring wide_;
    XLOPER record4_{};
    XLOPER12 record12_{};
};

// The count and characters of a counted string: under Excel 4 the count
// includes a stored zero byte, under Excel 12 there is none.
std::vector<unsigned long> Units(unsigned long count, const std::string& characters);

// Greek capital omega, a character outside Latin-1, as the process's ANSI
// code page writes it according to the published code page tables: "?" for a
// page without it, and empty for a page that this table does not know. Wine
// picks the page from LANG (1252 when LANG is unset, C or English).
std::string OmegaInAnsiCodePage();
