#include "formula_hints.h"

#include "formula.h"
#include "formula_faults.h"
#include "output.h"

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
    for (int k = 0; k < count; ++k) {
        const CONSTANT& operand = slots[std::size_t(k) + 1];
        if (!isFormulaOperand(operand))
            return "";
        operands[k] = formulaOperand(codec, operand);
    }
    const std::string formula = slots[0].toString();
    const FormulaExplanation explanation = explainFormula(symbol, formula, operands, count);
    if (explanation.kind == FormulaExplanation::Computes)
        return "";
    std::string hint = "evalR: " + explanation.reason;
    return explanation.placed ? hint + quotedPlace(formula, explanation.at) : hint;
}
