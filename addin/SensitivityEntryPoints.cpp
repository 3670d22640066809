// Which input drives a model's output: the design whose rows a sheet fills
// its model down beside, and the Sobol' indices from the outputs. Arguments
// are read and refused as the other randomised functions read them, and the
// functions are as thread- and cluster-safe as they are.
#include "SensitivityEntryPoints.h"
#include "ResultMemory.h"
#include "SummaryArguments.h"
#include "WholeNumberArgument.h"

#include "xlw/CellMatrix.h"
#include "xlw/WorksheetCall.h"
#include "xlw/XlfExcel.h"
#include "xlw/XlfOper.h"

#include "SensitivityDesign.h"
#include "SensitivityIndices.h"

#include <cmath>
#include <optional>
#include <vector>

using tesserine::AlphaOf;
using tesserine::ColumnOfNumbers;
using tesserine::ReplicateCountArgument;
using tesserine::WithinMemory;
using xlw::ArrayWidth;
using xlw::ThreadSafeWorksheetCall;
using xlw::XlfOper;

namespace {

bool EscPressed() {
    return xlw::XlfExcel::Get().BreakPending();
}

} // namespace

XLW_EXPORT void* XLW_STDCALL xlrnd_SensitivityDesign(double d, double n, double seed, double start,
                                                     double replicates) {
    return ThreadSafeWorksheetCall([=] {
        const auto widest = XlfOper::MaxArrayColumns(ArrayWidth::SheetWidth);
        const SensitivityDesignArguments design =
            SensitivityDesignArgumentsOf(d, n, seed, start, replicates, static_cast<int>(widest));
        const int rows = SensitivityDesignRows(design, XlfOper::MaxArrayRows());
        XlfOper::RequireCellCountFits(rows, design.d);
        if (xlw::WizardPreviewOnly(static_cast<double>(rows) * design.d))
            return XlfOper(true);
        return WithinMemory(rows, design.d, [&] {
            return XlfOper(ReplicatedSensitivityDesigns(design, EscPressed),
                           ArrayWidth::SheetWidth);
        });
    });
}

namespace {

// A standard error or an interval that one replicate cannot give: #N/A, as
// Excel shows a value that is not available.
xlw::CellValue ValueOrNotAvailable(double value) {
    return std::isnan(value) ? xlw::CellValue(xlerrNA, true) : xlw::CellValue(value);
}

} // namespace

XLW_EXPORT void* XLW_STDCALL xlrnd_SensitivityIndices(xlw::ValueArgument values, double d,
                                                      double replicates, xlw::ValueArgument alpha) {
    return ThreadSafeWorksheetCall([=] {
        const std::vector<double> outputs = ColumnOfNumbers(XlfOper(values));
        const int inputs = SensitivityIndexInputCount(d);
        const int copies = ReplicateCountArgument(replicates);
        const std::optional<double> level = AlphaOf(XlfOper(alpha));
        const DoubleMatrix numbers = SensitivityIndexTable(outputs, inputs, copies, level);
        xlw::CellMatrix table(numbers.RowCount(), numbers.ColumnCount());
        for (unsigned long i = 0; i < numbers.RowCount(); ++i)
            for (unsigned long j = 0; j < numbers.ColumnCount(); ++j)
                table(i, j) = ValueOrNotAvailable(numbers(i, j));
        return table;
    });
}
