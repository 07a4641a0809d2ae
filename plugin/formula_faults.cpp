#include "formula_faults.h"

#include "formula.h"
#include "line_display.h"
#include "plugin_terms.h"

#include <algorithm>
#include <cctype>
#include <vector>

const char* const FORMULA_COMPARISONS = "a formula computes a value and has no comparisons: lessR, lessEqR, greaterR, "
                                        "greaterEqR, equalR and notEqualR compare two reals";

namespace {

// "no operand", "only x", "only x and y", "only x, y and z".
std::string operandsGiven(int count)
{
    if (count == 0)
        return "no operand";
    std::string names = "only";
    for (int k = 0; k < count; ++k)
        names += std::string(k == 0 ? " " : k + 1 == count ? " and " : ", ") + FORMULA_OPERAND_NAMES[k];
    return names;
}

// abs, acos, asin...
std::string functionNames()
{
    FormulaFunctions all = formulaFunctions();
    std::vector<std::string> sorted;
    for (const FormulaFunction* f = all.first; f != all.last; ++f)
        sorted.emplace_back(f->name);
    std::sort(sorted.begin(), sorted.end());
    std::string names;
    for (const std::string& name : sorted)
        names += (names.empty() ? "" : ", ") + name;
    return names;
}

// What a formula written as another language writes it most likely meant, by the fault and the
// token where the formula fails: said after the fault instead of the list of every name.
// Where the text stops making sense (a syntax fault), the token is what stands there, "" for a
// name or a bracket, and `after` what must come just before it; `leads` puts the advice first.
struct Advice {
    FormulaFault fault;
    const char* token;
    const char* text;
    const char* after = "";
    bool leads = false;
};
const Advice ADVICE[] = {
    {FormulaFault::ArgumentCount, "log", " (base, value); for one argument, ln, log2 or log10"},
    {FormulaFault::ArgumentCount, "atan", "; atan2(y, x) takes two"},
    {FormulaFault::ArgumentCount, "round", " (x, decimals): round(x, 0) for a whole number"},
    {FormulaFault::UnknownFunction, "fabs", "the name here is abs"},
    {FormulaFault::UnknownFunction, "mod", "the remainder is written with %, as x % 3"},
    {FormulaFault::UnknownFunction, "fmod", "the remainder is written with %, as x % 3"},
    {FormulaFault::UnknownFunction, "power", "the power is pow(a, b), or a ^ b"},
    {FormulaFault::UnknownFunction, "arctan", "the arc tangent is atan, or atan2(y, x)"},
    {FormulaFault::UnknownFunction, "e", "e is exp(1), and e^x is exp(x)"},
    {FormulaFault::UnknownName, "e", "e is exp(1), and e^x is exp(x)"},
    {FormulaFault::UnknownName, "PI", "pi is written in lower case"},
    {FormulaFault::UnknownName, "X", "the operands are written in lower case: x, y, z and w"},
    {FormulaFault::UnknownName, "Y", "the operands are written in lower case: x, y, z and w"},
    {FormulaFault::UnknownName, "Z", "the operands are written in lower case: x, y, z and w"},
    {FormulaFault::UnknownName, "W", "the operands are written in lower case: x, y, z and w"},
    // Where the text stops making sense, by the bytes there: signs of other languages and of
    // typeset mathematics.
    {FormulaFault::Syntax, "*", "the power is written ^, as x ^ 2", "*"},
    {FormulaFault::Syntax, "mod", "the remainder is written with %, as x % 3"},
    {FormulaFault::Syntax, "", "a number is multiplied with *, as 2 * x", "0123456789."},
    {FormulaFault::Syntax, "<", FORMULA_COMPARISONS, "", true},
    {FormulaFault::Syntax, ">", FORMULA_COMPARISONS, "", true},
    {FormulaFault::Syntax, "=", FORMULA_COMPARISONS, "", true},
    {FormulaFault::Syntax, "!", FORMULA_COMPARISONS, "", true},
    {FormulaFault::Syntax, "\u2212", "\u2212 is no operator here: write -"},
    {FormulaFault::Syntax, "\u2013", "\u2013 is no operator here: write -"},
    {FormulaFault::Syntax, "\u00D7", "\u00D7 is no operator here: write *"},
    {FormulaFault::Syntax, "\u00B7", "\u00B7 is no operator here: write *"},
    {FormulaFault::Syntax, "\u00F7", "\u00F7 is no operator here: write /"},
};

// Whether the syntax fault at byte `at` is the one that `advice` is about: ** is a * where an
// operand was expected after a *, 2x a name or a bracket right after a number.
bool standsAt(const Advice& advice, const std::string& formula, std::size_t at)
{
    const std::string token = advice.token, after = advice.after;
    bool here = token.empty() ? at < formula.size() && (std::isalpha(static_cast<unsigned char>(formula[at])) || formula[at] == '(')
                              : formula.compare(at, token.size(), token) == 0;
    return here && (after.empty() || (at > 0 && after.find(formula[at - 1]) != std::string::npos));
}

// The advice for the fault at `result`, or null.
const Advice* adviceFor(const FormulaResult& result, const std::string& formula)
{
    for (const Advice& advice : ADVICE) {
        if (advice.fault != result.fault)
            continue;
        if (result.fault == FormulaFault::Syntax ? standsAt(advice, formula, result.at)
                                                 : formula.compare(result.at, result.length, advice.token) == 0 &&
                                                       result.length == std::string(advice.token).size())
            return &advice;
    }
    return nullptr;
}

// The fault, with the names there are where `listNames` (nothing better to say).
std::string faultText(const FormulaResult& result, const std::string& formula, const std::string& symbol, int count,
                      bool listNames)
{
    const std::string place = "character " + std::to_string(characterNumber(formula, result.at));
    const std::string token = abridged(formula.substr(result.at, result.length)) + " at " + place;
    switch (result.fault) {
    case FormulaFault::None: break;
    case FormulaFault::Empty: return "the formula is empty";
    case FormulaFault::Syntax:
        return result.at == formula.size() ? "the formula ends early, at " + place
                                           : "the formula stops making sense at " + place;
    case FormulaFault::TooDeep:
        return "the formula is nested more than " + std::to_string(FORMULA_DEPTH) + " deep at " + place;
    case FormulaFault::UnknownName:
        return "no name " + token + (listNames ? "; a formula's names are x, y, z, w and pi" : "");
    case FormulaFault::UnknownFunction:
        return "no function " + token + (listNames ? "; the functions are " + functionNames() : "");
    case FormulaFault::MissingOperand:
        return "the operand " + token + " is not given: " + symbol + " gives " + operandsGiven(count);
    case FormulaFault::ArgumentCount:
        return token + " takes " + std::to_string(result.function->arity) +
               (result.function->arity == 1 ? " argument" : " arguments");
    case FormulaFault::Refused: return token + " fails on " + result.function->failsOn;
    }
    return "";
}

std::string reasonFor(const FormulaResult& result, const std::string& formula, const std::string& symbol, int count)
{
    if (const Advice* advice = adviceFor(result, formula)) {
        std::string fault = faultText(result, formula, symbol, count, false);
        if (advice->leads)
            return advice->text + std::string("; ") + fault;
        return fault + (result.fault == FormulaFault::ArgumentCount ? "" : "; ") + advice->text;
    }
    return faultText(result, formula, symbol, count, true);
}

// The operand in `slot` as the library reads it: a real term's text or an Integer.
double operandOf(const TermMembers& terms, CONSTANT* slot)
{
    return terms.type(slot) == CONSTANT::Integer ? double(terms.toInt(slot)) : RealCodec().read(terms.toString(slot));
}

} // namespace

FormulaExplanation explainFormula(const std::string& symbol, const std::string& formula, const double* operands,
                                  int count)
{
    FormulaExplanation explanation;
    count = std::clamp(count, 0, FORMULA_OPERANDS);
    const FormulaResult result = evaluateFormula(RealCodec(), formula.c_str(), operands, count);
    if (result.fault == FormulaFault::None)
        return explanation;
    explanation.kind = result.fault == FormulaFault::Refused ? FormulaExplanation::NoValue
                                                             : FormulaExplanation::Unreadable;
    explanation.reason = reasonFor(result, formula, symbol, count);
    explanation.at = result.at;
    explanation.placed = result.fault != FormulaFault::Empty;
    return explanation;
}

FormulaExplanation explainFailedCall(const std::string& symbol, const TermMembers& terms, Slots& slots,
                                     std::size_t arity)
{
    double operands[FORMULA_OPERANDS] = {};
    int count = 0;
    for (std::size_t k = 1; k + 1 < arity && count < FORMULA_OPERANDS; ++k)
        operands[count++] = operandOf(terms, slots.at(k));
    return explainFormula(symbol, terms.toString(slots.at(0)), operands, count);
}

std::string formulaPlace(const std::string& formula, std::size_t at, std::size_t width)
{
    Excerpt place = excerptAround(formula, at, width);
    return "    " + place.line + "\n    " + place.caret;
}
