#include "xlw/XlfOperImpl.h"

#include "DoubleMatrix.h"
#include "ValueHelpers.h"
#include "xlw/CellMatrix.h"
#include "xlw/XlfExcel.h"
#include "xlw/XlfOper.h"
#include "xlw/XlfRangeRef.h"

namespace xlw {

XlfOperImpl* XlfOperImpl::Current = nullptr;

XlfOperImpl::XlfOperImpl() {
    Current = this;
}

void* XlfOperImpl::RecordOf(const XlfOper& oper) {
    return oper.record_;
}

void XlfOperImpl::PointAt(XlfOper& oper, void* record) {
    oper.record_ = record;
}

int XlfOperImpl::CoerceInExcel(const XlfOper& source, unsigned short type, XlfOper& result) const {
    XlfOper target(static_cast<short>(type));
    return XlfExcel::Get().Invoke(xlCoerce, GetRecord(result), 2, GetRecord(source),
                                  GetRecord(target));
}

int XlfOperImpl::ConvertValueOrRangeToDoubles(const XlfOper& oper, std::vector<double>& out,
                                              VectorReadOrder order) const {
    // A cell passed by value arrives as its value, and must read as it
    // would inside the range it was taken from.
    if (GetType(oper) & (CellValueTypes | xltypeInt)) {
        double value = 0;
        if (int code = ConvertToDouble(oper, value))
            return code;
        out.assign(1, value);
        return xlretSuccess;
    }
    XlfRangeRef range;
    if (int code = ConvertToRef(oper, range))
        return code;
    return ReadRangeAsDoubles(range, order, out, [&range](int row, int column, double& value) {
        return range.Element(row, column).ConvertToDouble(value);
    });
}

int XlfOperImpl::ConvertCellsToMatrix(const XlfOper& oper, DoubleMatrix& out) const {
    unsigned int type = GetType(oper);
    if (type == xltypeMissing || type == xltypeNil) {
        out = DoubleMatrix(0, 0);
        return xlretSuccess;
    }
    CellMatrix cells;
    if (int code = ConvertToCellMatrix(oper, cells))
        return code;
    return ReadCellsAsNumbers(cells, out);
}

} // namespace xlw
