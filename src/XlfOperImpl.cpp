#include "XlfOperImpl.h"

#include "XlfOper.h"

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

} // namespace xlw
