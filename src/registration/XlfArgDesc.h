// One argument of a worksheet function as the function wizard shows it: its
// name, its help line and its declared type.
#pragma once

#include <string>
#include <vector>

namespace xlw {

class XlfArgDesc {
public:
    XlfArgDesc() = default;
    // The type is one of TypeCodes: a literal Excel type code or one that
    // follows the running Excel. The comment is made to end in ". ".
    XlfArgDesc(const std::string& name, const std::string& comment, const std::string& type);

    void AssignName(const std::string& name);
    void AssignComment(const std::string& comment);

    const std::string& GetName() const { return name_; }
    const std::string& GetComment() const { return comment_; }

    // The letters this argument adds to the registration's type text, which
    // for the symbolic types depend on the running Excel.
    std::string RegistrationTypeCode() const;

private:
    void WarnIfLongName() const;
    void EndCommentWithPeriod();

    std::string name_;
    std::string comment_;
    std::string type_;
};

using XlfArgDescList = std::vector<XlfArgDesc>;

} // namespace xlw
