#include "Registration.h"

#include <cctype>
#include <cstring>

namespace xlhost {

namespace {

// The type letters Excel knows; '%' after these makes the wide-string or
// Excel 12 form.
constexpr const char* TypeLetters = "ABCDEFGHIJKLMNOPQRUX";
constexpr const char* WideCapableLetters = "CDFGK";

bool IsTypeLetter(char c) {
    return c != '\0' && std::strchr(TypeLetters, c) != nullptr;
}

bool ReadMarks(const std::string& text, std::size_t pos, TypeText& parsed) {
    for (; pos < text.size(); ++pos) {
        bool* mark = text[pos] == '!'   ? &parsed.isVolatile
                     : text[pos] == '$' ? &parsed.threadSafe
                     : text[pos] == '#' ? &parsed.macroEquivalent
                     : text[pos] == '&' ? &parsed.clusterSafe
                                        : nullptr;
        if (mark == nullptr || *mark) {
            return false;
        }
        *mark = true;
    }
    return true;
}

} // namespace

bool TypeText::Parse(const std::string& text, TypeText& parsed) {
    parsed = TypeText();
    std::vector<std::string> codes;
    std::size_t pos = 0;
    // A digit instead of a result code: the function modifies that argument in place.
    if (pos < text.size() && text[pos] >= '1' && text[pos] <= '9') {
        codes.emplace_back(1, text[pos++]);
    }
    while (pos < text.size() && IsTypeLetter(text[pos])) {
        std::string code(1, text[pos++]);
        if (pos < text.size() && text[pos] == '%' && std::strchr(WideCapableLetters, code[0])) {
            code += text[pos++];
        }
        codes.push_back(code);
    }
    if (codes.empty() || !ReadMarks(text, pos, parsed)) {
        return false;
    }
    parsed.result = codes.front();
    parsed.arguments.assign(codes.begin() + 1, codes.end());
    return true;
}

std::string Registration::Text(std::size_t index) const {
    if (index >= arguments.size() || arguments[index].kind != Cell::Kind::Text) {
        return std::string();
    }
    return arguments[index].text;
}

double Registration::MacroType() const {
    if (arguments.size() <= 5 || arguments[5].kind != Cell::Kind::Number) {
        return 1.0;
    }
    return arguments[5].number;
}

std::string Registration::Describe() const {
    std::string out;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const Cell& argument = arguments[i];
        out += "  " + std::to_string(i + 1) + ": ";
        out += argument.kind == Cell::Kind::Text      ? "\"" + argument.text + "\""
               : argument.kind == Cell::Kind::Missing ? std::string("(missing)")
                                                      : argument.Display();
        out += '\n';
    }
    return out;
}

} // namespace xlhost
