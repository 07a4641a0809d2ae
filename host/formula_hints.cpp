#include "formula_hints.h"

#include "formula.h"
#include "line_display.h"
#include "output.h"

#include <algorithm>

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

std::string message(const FormulaResult& result, const std::string& formula, const std::string& symbol, int count)
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
    case FormulaFault::UnknownName: return "no name " + token + "; a formula's names are x, y, z, w and pi";
    case FormulaFault::UnknownFunction: return "no function " + token + "; the functions are " + functionNames();
    case FormulaFault::MissingOperand:
        return "the operand " + token + " is not given: " + symbol + " gives " + operandsGiven(count);
    case FormulaFault::ArgumentCount:
        return token + " takes " + std::to_string(result.function->arity) +
               (result.function->arity == 1 ? " argument" : " arguments");
    case FormulaFault::Refused: return token + " fails on " + result.function->failsOn;
    }
    return "";
}

} // namespace

std::string formulaHint(const std::string& symbol, const std::vector<CONSTANT>& slots)
{
    const std::string family = "evalR_";
    if (symbol.compare(0, family.size(), family) != 0 || slots.size() < 2 || slots.size() > FORMULA_OPERANDS + 2)
        return "";
    const int count = int(slots.size()) - 2; // the formula and the value aside
    if (!slots[0].isString())
        return "";
    const RealCodec codec;
    double operands[FORMULA_OPERANDS];
    for (int k = 0; k < count; ++k) { // a String, or an Integer read as its exact value
        const CONSTANT& operand = slots[std::size_t(k) + 1];
        if (!operand.isString() && !operand.isInt())
            return "";
        operands[k] = operand.isInt() ? double(operand.toInt()) : codec.read(operand.toString());
    }
    const std::string formula = slots[0].toString();
    FormulaResult result = evaluateFormula(codec, formula.c_str(), operands, count);
    if (result.fault == FormulaFault::None)
        return "";
    std::string hint = "evalR: " + message(result, formula, symbol, count);
    if (result.fault == FormulaFault::Empty)
        return hint; // nothing to point at
    return hint + quotedPlace(formula, result.at);
}
