#include "false_answers.h"

#include "formula_hints.h"
#include "line_display.h"
#include "predicate_hints.h"
#include "predicate_reference.h"

namespace {

// The kind of term a slot holds, for a rule author: as the engine names it.
const char* kindName(const CONSTANT& term)
{
    switch (term.getType()) {
    case CONSTANT::Integer:
        return "Integer";
    case CONSTANT::Symbol:
        return "Symbol";
    case CONSTANT::String:
        return "String";
    default:
        return "unbound variable";
    }
}

// The first argument whose kind of term the predicate cannot take there, as its row in the
// README's table gives the kinds; nothing for a plug-in that the table does not describe.
std::string wrongKind(const FalseAnswer& answer)
{
    std::vector<const PredicateRow*> rows = rowsOf(answer.library);
    const PredicateRow* row = rowFor(rows, answer.symbol);
    for (std::size_t k = 0; row != nullptr && k < answer.terms.size(); ++k) {
        const CONSTANT& term = answer.terms[k];
        const Argument& argument = answer.call.arguments[k];
        std::string hint = kindHint(rows, *row, k, argument, term);
        if (hint.empty())
            continue;
        return "argument " + std::to_string(k + 1) + " of " + answer.call.name +
               (argument.kind == Argument::Variable ? ", " + abridged(argument.text, 40) + "," : "") + " is the " +
               kindName(term) + " " + abridged(fromConstantToString(term), 40) + "; " + hint;
    }
    return "";
}

using Explanation = std::string (*)(const FalseAnswer&);

// What in an evalR formula fails, with the formula and a caret under the place.
std::string formulaProblem(const FalseAnswer& answer) { return formulaHint(answer.symbol, answer.terms); }

const Explanation EXPLANATIONS[] = {
    wrongKind,
    formulaProblem,
};

} // namespace

std::string whyFalse(const FalseAnswer& answer)
{
    for (Explanation explain : EXPLANATIONS)
        if (std::string why = explain(answer); !why.empty())
            return why;
    return "";
}
