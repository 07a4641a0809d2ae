#include "evaluation.h"

#include <new>
#include <vector>

namespace {

CONSTANT termFor(const Argument& argument)
{
    switch (argument.kind) {
    case Argument::Text:
        return CONSTANT(argument.text.c_str(), true); // the constructor drops the quotes
    case Argument::Integer:
        return CONSTANT(argument.value);
    case Argument::Name:
        return CONSTANT(argument.text.c_str(), false);
    case Argument::Variable:
        break;
    }
    return CONSTANT();
}

// The variables' values after a predicate held, or true when there are none to report ("_" is
// anonymous).
Outcome bindings(const Call& call, const std::vector<CONSTANT>& slots, const std::string& symbol)
{
    std::string text;
    for (std::size_t k = 0; k < slots.size(); ++k) {
        const Argument& argument = call.arguments[k];
        if (argument.kind != Argument::Variable || argument.text == "_")
            continue;
        if (slots[k].isNull())
            return {false, symbol + " held but left " + argument.text + " unbound"};
        if (!text.empty())
            text += ", ";
        text += argument.text + " = " + fromConstantToString(slots[k]);
    }
    return {true, text.empty() ? "true" : text};
}

} // namespace

Outcome evaluate(const Call& call, const PredicateLibrary& library)
{
    std::string symbol = call.symbol();
    Predicate predicate = library.find(symbol);
    if (predicate == nullptr)
        return {false, "no predicate " + symbol + " in " + library.name()};
    try {
        std::vector<CONSTANT> slots; // output slots start as NullConst
        slots.reserve(call.arguments.size());
        for (const Argument& argument : call.arguments)
            slots.push_back(termFor(argument));

        if (!predicate(slots.data(), static_cast<unsigned int>(slots.size())))
            return {true, "false"};
        return bindings(call, slots, symbol);
    } catch (const std::bad_alloc&) {
        return {false, "out of memory while answering " + symbol};
    }
}
