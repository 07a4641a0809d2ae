#include "evaluation.h"

#include "false_answers.h"
#include "line_display.h"
#include "partial_reals.h"
#include "predicate_hints.h"

#include <new>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

bool isAnonymous(const Argument& argument) { return argument.text == "_"; }

// The variables that a body has bound so far, in order of first appearance, found by name in
// constant time: a body of thousands of calls costs in proportion to its length.
class Bindings {
public:
    const CONSTANT* find(const std::string& name) const
    {
        auto found = index_.find(name);
        return found == index_.end() ? nullptr : &bindings_[found->second].second;
    }
    void add(const std::string& name, const CONSTANT& value)
    {
        index_.emplace(name, bindings_.size());
        bindings_.emplace_back(name, value);
    }

    // X = "1.50000000", K = 2; or true when there are none. A variable whose name starts with
    // _ is one the author does not want to see, as at a Prolog toplevel.
    // `starts` gets where each binding after the first starts, for a reader that breaks lines.
    std::string answer(std::vector<std::size_t>& starts) const
    {
        std::string text;
        for (const auto& binding : bindings_) {
            if (binding.first[0] == '_')
                continue;
            if (!text.empty()) {
                text += ", ";
                starts.push_back(text.size());
            }
            text += binding.first;
            text += " = ";
            text += fromConstantToString(binding.second);
        }
        return text.empty() ? "true" : text;
    }

private:
    std::vector<std::pair<std::string, CONSTANT>> bindings_;
    std::unordered_map<std::string, std::size_t> index_; // into bindings_
};

CONSTANT termFor(const Argument& argument, const Bindings& bound)
{
    switch (argument.kind) {
    case Argument::Text:
        return CONSTANT(argument.text.c_str(), true); // the constructor drops the quotes
    case Argument::Integer:
        return CONSTANT(argument.value);
    case Argument::Name:
        return CONSTANT(argument.text.c_str(), false);
    case Argument::Variable:
        if (const CONSTANT* value = isAnonymous(argument) ? nullptr : bound.find(argument.text))
            return *value;
        break;
    }
    return CONSTANT(); // an output slot starts as NullConst
}

// The problem of a call that names no predicate, with what the library has instead. Names and
// patterns are the user's and may be of any length: the message quotes at most a line of them.
std::string noPredicate(const Call& call, const std::string& symbol, const PredicateLibrary& library, bool atPrompt)
{
    std::string problem = "no predicate " + abridged(symbol) + " in " + library.name();
    std::string hint;
    try {
        hint = hintFor(call.name, symbol.substr(call.name.size() + 1), library.predicates(), atPrompt);
    } catch (const LoadError&) {
        // A plug-in whose file cannot be listed still answers; it only gives no hints.
    }
    return hint.empty() ? problem : problem + "; " + hint;
}

// How one call is made: which variable is bound after each call is known before any runs, so
// are the predicate and the output slots of every call.
struct Step {
    std::string symbol;
    Predicate predicate;
    std::vector<bool> outputs; // slots of variables that this call binds
};

// The steps of the body, or the problem of the first call that names no predicate, which is a
// problem even after a call that would fail.
std::optional<Outcome> plan(const Body& body, const PredicateLibrary& library, bool atPrompt, std::vector<Step>& steps)
{
    std::unordered_set<std::string> bound;
    for (const Call& call : body) {
        std::string symbol = call.symbol(bound);
        Step step{symbol, library.find(symbol), {}};
        if (step.predicate == nullptr)
            return Outcome{false, noPredicate(call, symbol, library, atPrompt), steps.size() + 1};
        // The pattern's o letters are the unbound variables; all but _ are bound from now on.
        const char* pattern = symbol.c_str() + call.name.size() + 1;
        for (std::size_t k = 0; k < call.arguments.size(); ++k) {
            step.outputs.push_back(pattern[k] == 'o' && !isAnonymous(call.arguments[k]));
            if (step.outputs.back())
                bound.insert(call.arguments[k].text);
        }
        steps.push_back(std::move(step));
    }
    return std::nullopt;
}

} // namespace

Outcome evaluate(const Body& body, const PredicateLibrary& library, bool atPrompt)
{
    std::vector<Step> steps;
    std::size_t n = 0;
    std::vector<std::pair<std::size_t, std::string>> notes;
    auto noted = [&](Outcome outcome) {
        outcome.notes = std::move(notes);
        return outcome;
    };
    try {
        if (std::optional<Outcome> problem = plan(body, library, atPrompt, steps))
            return *problem;

        Bindings bound;
        for (; n < body.size(); ++n) {
            const Call& call = body[n];
            const Step& step = steps[n];
            std::vector<CONSTANT> slots;
            slots.reserve(call.arguments.size());
            for (const Argument& argument : call.arguments)
                slots.push_back(termFor(argument, bound));

            for (std::string& note : partialReadings(call, step.symbol, library))
                notes.emplace_back(n + 1, std::move(note));
            if (!step.predicate(slots.data(), static_cast<unsigned int>(slots.size())))
                return noted({true, "false", n + 1, whyFalse({call, step.symbol, slots, library})});
            for (std::size_t k = 0; k < slots.size(); ++k) {
                const std::string& name = call.arguments[k].text;
                if (!step.outputs[k])
                    continue;
                if (slots[k].isNull())
                    return {false, step.symbol + " held but left " + abridged(name) + " unbound", n + 1};
                // A variable named twice in one call holds only if both slots agree.
                if (const CONSTANT* earlier = bound.find(name)) {
                    if (!(*earlier == slots[k]))
                        return noted({true, "false"});
                } else {
                    bound.add(name, slots[k]);
                }
            }
        }
        Outcome answered{true, "", 0};
        answered.text = bound.answer(answered.bindings);
        return noted(answered);
    } catch (const std::bad_alloc&) {
        // Only a call being made is named: planning and the answer's text belong to none.
        if (steps.size() == body.size() && n < steps.size())
            return {false, "out of memory while answering " + abridged(steps[n].symbol), n + 1};
        return {false, "out of memory", 0};
    }
}
