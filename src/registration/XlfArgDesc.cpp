#include "XlfArgDesc.h"

#include "xlw/TypeCodes.h"
#include "xlw/XlfExcel.h"

#include <iostream>

namespace xlw {

namespace {

// Longer names may not fit in the function wizard's argument boxes.
constexpr std::string::size_type LongestComfortableName = 18;

const std::string& CommentEnding() {
    static const std::string ending = ". ";
    return ending;
}

} // namespace

XlfArgDesc::XlfArgDesc(const std::string& name, const std::string& comment, const std::string& type)
    : name_(name), comment_(comment), type_(type) {
    WarnIfLongName();
    EndCommentWithPeriod();
}

void XlfArgDesc::AssignName(const std::string& name) {
    name_ = name;
    WarnIfLongName();
}

void XlfArgDesc::AssignComment(const std::string& comment) {
    comment_ = comment;
    EndCommentWithPeriod();
}

std::string XlfArgDesc::RegistrationTypeCode() const {
    if (type_ == TypeCodes::Value)
        return XlfExcel::Get().OperTypeCode();
    if (type_ == TypeCodes::Reference)
        return XlfExcel::Get().XloperTypeCode();
    if (type_ == TypeCodes::RunningWideText)
        return XlfExcel::Get().WideStringTypeCode();
    return type_;
}

void XlfArgDesc::WarnIfLongName() const {
    if (name_.size() > LongestComfortableName)
        std::cerr << "..\\..\\src\\XlfArgDesc(37): "
                  << "Argument name \"" << name_
                  << "\" may be too long to fit the in the function wizard" << std::endl;
}

// The test is on both characters: "x." becomes "x.. ", not "x. ".
void XlfArgDesc::EndCommentWithPeriod() {
    const std::string& ending = CommentEnding();
    if (comment_.size() < ending.size() ||
        comment_.compare(comment_.size() - ending.size(), ending.size(), ending) != 0)
        comment_ += ending;
}

} // namespace xlw
