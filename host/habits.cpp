#include "habits.h"

#include "formula.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

bool isUpper(char c) { return (c >= 'A' && c <= 'Z') || c == '_'; }
bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string trimmed(const std::string& text)
{
    std::size_t begin = text.find_first_not_of(" \t"), end = text.find_last_not_of(" \t");
    return begin == std::string::npos ? "" : text.substr(begin, end + 1 - begin);
}

// Where `signs` first stand in `text` outside double quotes, or npos.
std::size_t findOutsideQuotes(const std::string& text, const char* signs, std::size_t from = 0)
{
    bool quoted = false;
    for (std::size_t k = from; k < text.size(); ++k) {
        if (text[k] == '"')
            quoted = !quoted;
        else if (!quoted && std::string(signs).find(text[k]) != std::string::npos)
            return k;
    }
    return std::string::npos;
}

bool isVariable(const std::string& word)
{
    return !word.empty() && isUpper(word[0]) &&
           std::all_of(word.begin(), word.end(), [](char c) { return isWordChar(c); });
}

// A side of a comparison as a predicate takes it: a quoted real or a variable as written, a
// number put in quotes; nothing for anything else (a sum, a call).
std::optional<std::string> realTerm(const std::string& side)
{
    std::string term = trimmed(side);
    if (term.size() >= 2 && term.front() == '"' && term.find('"', 1) == term.size() - 1)
        return term;
    if (isVariable(term))
        return term;
    char* end = nullptr;
    std::strtod(term.c_str(), &end);
    if (!term.empty() && (std::isdigit(static_cast<unsigned char>(term[0])) || term[0] == '-' || term[0] == '.') &&
        *end == '\0')
        return "\"" + term + "\"";
    return std::nullopt;
}

// Prolog's arithmetic (X is 1 + 2, X = 1 + 2) as a call of evalR: the variables of the
// expression are its operands x, y, z and w, the quotes of its reals dropped.
std::optional<std::string> evalCall(const std::string& result, std::string expression)
{
    // What ends a Prolog query or an SQL statement is no part of the formula.
    while (!expression.empty() && std::string(" \t.;").find(expression.back()) != std::string::npos)
        expression.pop_back();
    std::string formula, operands;
    std::vector<std::string> names;
    for (std::size_t k = 0; k < expression.size();) {
        if (expression[k] == '"') {
            ++k;
            continue;
        }
        std::size_t end = k;
        while (end < expression.size() && isWordChar(expression[end]))
            ++end;
        std::string word = expression.substr(k, end - k);
        if (word.empty()) {
            formula += expression.compare(k, 2, "**") == 0 ? "^" : std::string(1, expression[k]);
            k += expression.compare(k, 2, "**") == 0 ? 2 : 1;
            continue;
        }
        if (isVariable(word)) {
            auto found = std::find(names.begin(), names.end(), word);
            if (found == names.end()) {
                if (names.size() == std::size_t(FORMULA_OPERANDS))
                    return std::nullopt;
                names.push_back(word);
                operands += ", " + word;
                found = names.end() - 1;
            }
            word = std::string(1, FORMULA_OPERAND_NAMES[found - names.begin()]);
        } else if (word == "mod") {
            word = "%";
        }
        formula += word;
        k = end;
    }
    if (trimmed(formula).empty())
        return std::nullopt;
    return "evalR(\"" + trimmed(formula) + "\"" + operands + ", " + result + ")";
}

struct Comparison {
    const char* sign;
    const char* predicate;
};
// Longer signs first, so that =< is not taken for =.
const Comparison COMPARISONS[] = {
    {"=:=", "equalR"},  {"=\\=", "notEqualR"}, {"\\==", "notEqualR"}, {"\\=", "notEqualR"}, {"==", "equalR"},
    {"!=", "notEqualR"}, {"<>", "notEqualR"},  {"=<", "lessEqR"},     {"<=", "lessEqR"},    {">=", "greaterEqR"},
    {"<", "lessR"},     {">", "greaterR"},     {"=", "equalR"},
};

// X is 1 + 2, X = 1 + 2, X > "1": arithmetic and comparisons written between the terms.
std::string infixHint(const std::string& text)
{
    std::string call = trimmed(text);
    std::size_t blank = call.find_first_of(" \t");
    if (blank != std::string::npos && isVariable(call.substr(0, blank))) {
        std::string rest = trimmed(call.substr(blank));
        if (rest.rfind("is ", 0) == 0)
            if (std::optional<std::string> eval = evalCall(call.substr(0, blank), rest.substr(3)))
                return "arithmetic is a call of evalR here, with the formula in double quotes: " + *eval;
    }
    std::size_t at = findOutsideQuotes(call, "<>=\\!");
    if (at == std::string::npos)
        return "";
    const Comparison* comparison = nullptr;
    for (const Comparison& each : COMPARISONS)
        if (call.compare(at, std::string(each.sign).size(), each.sign) == 0) {
            comparison = &each;
            break;
        }
    if (comparison == nullptr)
        return "";
    std::string left = trimmed(call.substr(0, at)), right = call.substr(at + std::string(comparison->sign).size());
    std::optional<std::string> first = realTerm(left), second = realTerm(right);
    if (std::string(comparison->sign) == "=" && isVariable(left) && !second)
        if (std::optional<std::string> eval = evalCall(left, right))
            return "arithmetic is a call of evalR here, with the formula in double quotes: " + *eval;
    const std::string all = "lessR, lessEqR, greaterR, greaterEqR, equalR and notEqualR compare two reals";
    if (!first || !second)
        return "a comparison is a call here: " + all + ", each a quoted real or a variable";
    return "a comparison is a call here: " + std::string(comparison->predicate) + "(" + *first + ", " + *second +
           "); " + all;
}

// ; after a call, as a Prolog query ends or an SQL statement does: the same with . or nothing,
// and calls separated by commas.
std::string semicolonHint(const std::string& text)
{
    std::string call = trimmed(text);
    while (!call.empty() && (call.back() == ';' || call.back() == ' '))
        call.pop_back();
    for (std::size_t at = findOutsideQuotes(call, ";"); at != std::string::npos; at = findOutsideQuotes(call, ";", at))
        call[at] = ',';
    if (trimmed(call).empty())
        return "";
    return "end a call with . or nothing, and separate calls with , (; is no separator here): " + call;
}

// '1.5': a text in single quotes, as Prolog and SQL write one.
std::string singleQuoteHint(const std::string& text, std::size_t at)
{
    std::size_t close = text.find('\'', at + 1);
    std::string inside = close == std::string::npos ? "" : text.substr(at + 1, close - at - 1);
    if (inside.empty() || inside.find('"') != std::string::npos)
        return "a real is written in double quotes, as \"1.5\"";
    return "a real is written in double quotes: \"" + inside + "\"";
}

// select sqrt(2); as an SQL shell takes it: the call alone, its numbers quoted, a variable for
// what it computes.
std::string selectHint(const std::string& text)
{
    std::string call = trimmed(trimmed(text).substr(6));
    while (!call.empty() && (call.back() == ';' || call.back() == ' '))
        call.pop_back();
    std::size_t open = call.find('(');
    std::string example = "sqrt(\"2\", X)";
    if (open != std::string::npos && call.back() == ')' && open > 0 &&
        std::all_of(call.begin(), call.begin() + long(open), isWordChar)) {
        std::string arguments, inside = call.substr(open + 1, call.size() - open - 2);
        bool usable = inside.find_first_of("()") == std::string::npos;
        for (std::size_t at = 0; usable && at <= inside.size();) {
            std::size_t comma = std::min(inside.find(',', at), inside.size());
            std::optional<std::string> term = realTerm(inside.substr(at, comma - at));
            usable = term.has_value();
            arguments += (at == 0 ? "" : ", ") + term.value_or("");
            at = comma + 1;
        }
        if (usable)
            example = call.substr(0, open) + "(" + (trimmed(inside).empty() ? "" : arguments + ", ") + "X)";
    }
    return "a call is a name and its arguments, with a variable for what it computes: " + example;
}

bool startsWithSelect(const std::string& text)
{
    std::string call = trimmed(text);
    if (call.size() < 7 || (call[6] != ' ' && call[6] != '\t'))
        return false;
    std::string word = call.substr(0, 6);
    for (char& c : word)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return word == "select";
}

} // namespace

std::string habitHint(const std::string& text, std::size_t at)
{
    if (startsWithSelect(text))
        return selectHint(text);
    if (at < text.size() && text[at] == ';')
        return semicolonHint(text);
    if (at < text.size() && text[at] == '\'')
        return singleQuoteHint(text, at);
    std::string call = trimmed(text);
    if (!call.empty() && (isUpper(call[0]) || call[0] == '"' || std::isdigit(static_cast<unsigned char>(call[0]))))
        return infixHint(text);
    return "";
}
