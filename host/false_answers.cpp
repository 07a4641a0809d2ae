#include "false_answers.h"

#include "formula_hints.h"
#include "line_display.h"
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

bool isIntegerText(const std::string& text)
{
    std::size_t digits = text[0] == '-' || text[0] == '+' ? 1 : 0;
    return text.size() > digits && text.find_first_not_of("0123456789", digits) == std::string::npos;
}

// Whether the name has a pattern with an output at slot `k`: a Symbol there was meant as a variable.
bool writesAt(const std::vector<const PredicateRow*>& rows, const std::string& name, std::size_t k)
{
    for (const PredicateRow* row : rows) {
        std::string symbol = row->symbol;
        if (symbol.size() == name.size() + 1 + std::char_traits<char>::length(row->kinds) &&
            symbol.compare(0, name.size() + 1, name + '_') == 0 && symbol[name.size() + 1 + k] == 'o')
            return true;
    }
    return false;
}

// Slot 0 of evalR holds a formula, which is a String but no real.
bool isFormulaSlot(const std::string& name, std::size_t k) { return name == "evalR" && k == 0; }

// The name of slot `k` in a row's Slots: D in "X, D (Integer), Z".
std::string slotName(const std::string& slots, std::size_t k)
{
    std::size_t begin = 0;
    for (std::size_t n = 0; n < k && begin != std::string::npos; ++n)
        if ((begin = slots.find(',', begin)) != std::string::npos)
            ++begin;
    begin = begin == std::string::npos ? std::string::npos : slots.find_first_not_of(' ', begin);
    return begin == std::string::npos ? "it" : slots.substr(begin, slots.find_first_of(" ,", begin) - begin);
}

// The first argument whose kind of term the predicate cannot take there, as its row in the
// README's table gives the kinds; nothing for a plug-in that the table does not describe.
std::string wrongKind(const FalseAnswer& answer)
{
    std::vector<const PredicateRow*> rows = rowsOf(answer.library);
    const PredicateRow* row = rowFor(rows, answer.symbol);
    const std::string& name = answer.call.name;
    for (std::size_t k = 0; row != nullptr && k < answer.terms.size(); ++k) {
        const CONSTANT& term = answer.terms[k];
        bool integer = row->kinds[k] == 'i';
        CONSTANT::TYPE type = term.getType();
        if (term.isNull() || type == (integer ? CONSTANT::Integer : CONSTANT::String))
            continue;
        const Argument& argument = answer.call.arguments[k];
        std::string text = fromConstantToString(term);
        std::string problem = "argument " + std::to_string(k + 1) + " of " + name +
                              (argument.kind == Argument::Variable ? ", " + argument.text + "," : "") + " is the " +
                              kindName(term) + " " + abridged(text, 40) + "; ";
        if (type == CONSTANT::Symbol && writesAt(rows, name, k))
            return problem + "a variable starts with a capital letter or _";
        if (!integer)
            return problem + (isFormulaSlot(name, k) ? "a formula" : "a real") + " is written in double quotes" +
                   (type == CONSTANT::Integer ? ": \"" + text + "\"" : "");
        if (type != CONSTANT::String)
            return problem + slotName(row->slots, k) + " is an Integer, such as 2";
        std::string unquoted = text.substr(1, text.size() - 2);
        return problem + slotName(row->slots, k) + " is an Integer, written without quotes" +
               (isIntegerText(unquoted) ? ": " + unquoted : "");
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
