#pragma once

namespace xlw {

// How wide an array result may be.
enum class ArrayWidth {
    // 255 columns under either record kind: what the framework has always
    // built, and what a result that must look the same in every Excel keeps.
    Classic,
    // The running Excel's sheet: 16384 columns under Excel 12 records (Excel
    // 2007 on), 255 under Excel 4 records. For results that grow with an
    // argument, such as one column per dimension or per time step.
    SheetWidth,
};

} // namespace xlw
