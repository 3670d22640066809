#include "Formula.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace xlhost {

namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : text_(text) {}

    void SkipBlanks() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
            ++pos_;
        }
    }

    bool Take(char c) {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    std::string Name() {
        SkipBlanks();
        const std::size_t start = pos_;
        while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) ||
                                       text_[pos_] == '_' || text_[pos_] == '.')) {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }

    double Number() {
        SkipBlanks();
        const char* start = text_.c_str() + pos_;
        char* end = nullptr;
        const double value = std::strtod(start, &end);
        if (end == start || !std::isfinite(value)) {
            Fail("a number");
        }
        pos_ += end - start;
        return value;
    }

    bool AtEnd() {
        SkipBlanks();
        return pos_ == text_.size();
    }

    [[noreturn]] void Fail(const std::string& expected) const {
        throw std::invalid_argument("formula '" + text_ + "': expected " + expected +
                                    " at position " + std::to_string(pos_ + 1));
    }

private:
    const std::string& text_;
    std::size_t pos_ = 0;
};

} // namespace

Formula Formula::Parse(const std::string& text) {
    Reader reader(text);
    Formula formula;
    formula.functionName = reader.Name();
    if (formula.functionName.empty()) {
        reader.Fail("a function name");
    }
    if (!reader.Take('(')) {
        reader.Fail("'('");
    }
    if (!reader.Take(')')) {
        do {
            formula.arguments.push_back(reader.Number());
        } while (reader.Take(','));
        if (!reader.Take(')')) {
            reader.Fail("',' or ')'");
        }
    }
    if (!reader.AtEnd()) {
        reader.Fail("the end");
    }
    return formula;
}

} // namespace xlhost
