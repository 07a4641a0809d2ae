#include "predicate_hints.h"

#include "line_display.h"
#include "missing_patterns.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstddef>
#include <map>
#include <utility>

namespace {

bool takes(SlotKind kind, CONSTANT::TYPE type)
{
    switch (kind) {
    case SlotKind::Integer: return type == CONSTANT::Integer;
    case SlotKind::RealOrInteger: return type == CONSTANT::String || type == CONSTANT::Integer;
    default: return type == CONSTANT::String;
    }
}

// The name and pattern of a row's symbol.
std::pair<std::string, std::string> split(const PredicateRow& row)
{
    const std::string symbol = row.symbol;
    std::size_t at = symbol.rfind('_');
    return {symbol.substr(0, at), symbol.substr(at + 1)};
}

// Whether the predicate would be found with slot `k` written: a name there was meant as a
// variable only when the call with a variable there has a predicate to answer it.
bool writesAt(const std::vector<const PredicateRow*>& rows, const PredicateRow& row, std::size_t k)
{
    std::string symbol = row.symbol;
    symbol[symbol.rfind('_') + 1 + k] = 'o';
    return rowFor(rows, symbol) != nullptr;
}

// A whole number as the parser takes one, written without quotes: the text itself when it is
// one within 32 bits, else 2.
std::string wholeNumberLike(const std::string& text)
{
    const char* first = text.data() + (!text.empty() && text[0] == '+');
    const char* last = text.data() + text.size();
    int value = 0;
    auto [end, error] = std::from_chars(first, last, value);
    return !text.empty() && error == std::errc() && end == last ? text : "2";
}

// round's D counts decimals, so a step such as 0.5 written there is rounded to with evalR:
// round(x * 2, 0) / 2 rounds x to a half. Empty for another slot, or a text that is no such step.
std::string roundingStep(const PredicateRow& row, std::size_t k, const std::string& written)
{
    if (split(row).first != "round" || k != 1)
        return "";
    char* end = nullptr;
    double step = std::strtod(written.c_str(), &end);
    if (end == written.c_str() || *end != '\0' || !(step > 0 && step < 1))
        return "";
    // A step that is one over a small whole number is said with that number (0.5: * 2 and / 2);
    // any other, tiny ones included, with the step itself.
    double times = 1 / step;
    std::string formula = times <= 1e6 && times == std::round(times)
                              ? "round(x * " + std::to_string(std::llround(times)) + ", 0) / " +
                                    std::to_string(std::llround(times))
                              : "round(x / " + written + ", 0) * " + written;
    return ": it counts decimals; to round to a multiple of " + written + ", evalR(\"" + formula + "\", " +
           slotName(row.slots, 0) + ", " + slotName(row.slots, 2) + ")";
}

// A whole number is written without quotes; a real and a formula within them. A variable's value
// cannot be rewritten: the call that converts it is named instead.
std::string advice(const PredicateRow& row, std::size_t k, const Argument& argument, CONSTANT::TYPE type)
{
    const SlotKind kind = slotKind(row, k);
    const std::string slot = slotName(row.slots, k);
    const bool variable = argument.kind == Argument::Variable;
    const std::string written = abridged(argument.text, 40);
    if (kind == SlotKind::Integer) {
        if (variable)
            return slot + " is a whole number; floor(" + written + ", N) makes one of " + written;
        if (argument.kind == Argument::Name)
            return slot + " is a whole number, as in 2";
        std::string text = argument.kind == Argument::Text ? argument.text.substr(1, argument.text.size() - 2)
                                                           : argument.text;
        return slot + " is a whole number, written without quotes, as in " +
               wholeNumberLike(argument.kind == Argument::Text ? text : "") + roundingStep(row, k, text);
    }
    if (variable && type == CONSTANT::Integer)
        return "evalR(\"x\", " + written + ", R) makes a real of " + written;
    return std::string(kind == SlotKind::Formula ? "a formula" : "a real") + " is written in double quotes" +
           (argument.kind == Argument::Name ? "" : ": \"" + written + "\"");
}

// A name this far from a known one (letters inserted, removed or replaced) is taken for a typo.
const std::size_t TYPO_DISTANCE = 2;
const std::size_t MOST_NAMES = 3;

// Names that other languages and libraries give these predicates, and the names they have here.
const std::map<std::string, std::vector<std::string>> ALIASES = {
    {"abs", {"fabs"}},       {"add", {"addR"}},          {"plus", {"addR"}},       {"sum", {"addR"}},
    {"sub", {"subtR"}},      {"subtract", {"subtR"}},    {"minus", {"subtR"}},     {"mul", {"timesR"}},
    {"times", {"timesR"}},   {"multiply", {"timesR"}},   {"div", {"divR"}},        {"divide", {"divR"}},
    {"mod", {"modR"}},       {"rem", {"modR"}},          {"fmod", {"modR"}},       {"power", {"pow"}},
    {"cbrt", {"root"}},      {"log", {"ln", "log2", "log10"}}, {"log1", {"ln"}},   {"min", {"minR"}},
    {"max", {"maxR"}},       {"eq", {"equalR"}},         {"equal", {"equalR"}},    {"ne", {"notEqualR"}},
    {"lt", {"lessR"}},       {"less", {"lessR"}},        {"le", {"lessEqR"}},      {"gt", {"greaterR"}},
    {"greater", {"greaterR"}}, {"ge", {"greaterEqR"}},   {"arcsin", {"asin"}},     {"arccos", {"acos"}},
    {"arctan", {"atan"}},    {"radians", {"deg2rad"}},   {"degrees", {"rad2deg"}}, {"eval", {"evalR"}},
};

// Levenshtein distance, or more than `limit` once it must be: names whose lengths differ by
// more are not compared at all, so a name of a megabyte costs nothing.
std::size_t distance(const std::string& a, const std::string& b, std::size_t limit)
{
    if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > limit)
        return limit + 1;
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::string count(std::size_t number)
{
    static const char* const words[] = {"no", "one", "two", "three", "four", "five", "six", "seven"};
    return number < 8 ? words[number] : std::to_string(number);
}

} // namespace

std::string hintFor(const std::string& name, const std::string& pattern, const std::vector<std::string>& predicates,
                    bool atPrompt)
{
    std::map<std::string, std::vector<std::string>> patterns; // of each name
    for (const std::string& symbol : predicates) {
        std::size_t split = symbol.rfind('_');
        patterns[symbol.substr(0, split)].push_back(symbol.substr(split + 1));
    }

    // The names that a rule author may have meant instead: the aliases of `name`, then the
    // names that start with it (atan2 for atan), each only if the plug-in has it.
    std::vector<std::string> meant;
    if (auto alias = ALIASES.find(name); alias != ALIASES.end())
        for (const std::string& each : alias->second)
            if (patterns.count(each) > 0)
                meant.push_back(each);
    for (const auto& each : patterns)
        if (each.first != name && each.first.rfind(name, 0) == 0 &&
            std::find(meant.begin(), meant.end(), each.first) == meant.end())
            meant.push_back(each.first);

    auto known = patterns.find(name);
    if (known != patterns.end()) {
        std::string hint = patternsOffered(name, known->second);
        std::string give = argumentsToGive(pattern, known->second);
        if (give.empty()) {
            // None of the same length: another name may take as many arguments.
            std::vector<std::string> others;
            for (const std::string& other : meant)
                for (const std::string& each : patterns[other])
                    if (each.size() == pattern.size() &&
                        std::find(others.begin(), others.end(), other) == others.end())
                        others.push_back(other);
            if (others.empty())
                return hint;
            return hint + "; " + listed(others) + (others.size() > 1 ? " take " : " takes ") + count(pattern.size()) +
                   (pattern.size() == 1 ? " argument" : " arguments");
        }
        return hint + ": " + give;
    }

    if (auto alias = ALIASES.find(name); alias != ALIASES.end() && !meant.empty()) {
        std::vector<std::string> here(meant.begin(), meant.begin() + std::min(meant.size(), alias->second.size()));
        return (here.size() > 1 ? "the names here are " : "the name here is ") + listed(here);
    }

    std::vector<std::pair<std::size_t, std::string>> close; // distance, name
    for (const auto& each : patterns) {
        std::size_t d = distance(name, each.first, TYPO_DISTANCE);
        if (d <= TYPO_DISTANCE && d < name.size())
            close.emplace_back(d, each.first);
    }
    std::sort(close.begin(), close.end());
    close.resize(std::min(close.size(), MOST_NAMES));
    std::vector<std::string> names;
    for (const auto& each : close)
        names.push_back(each.second);
    if (names.empty())
        return atPrompt ? "list shows every predicate" : "extpred-host --list lists every predicate";
    return (names.size() > 1 ? "the closest names are " : "the closest name is ") + listed(names);
}

std::string kindHint(const std::vector<const PredicateRow*>& rows, const PredicateRow& row, std::size_t k,
                     const Argument& argument, const CONSTANT& term)
{
    SlotKind kind = slotKind(row, k);
    if (term.isNull() || takes(kind, term.getType()))
        return "";
    if (argument.kind == Argument::Name && writesAt(rows, row, k))
        return "a variable starts with a capital letter or _";
    return advice(row, k, argument, term.getType());
}

std::string misfitHint(const std::vector<const PredicateRow*>& rows, const Misfit& misfit)
{
    const PredicateRow* reader = nullptr; // a row whose pattern reads the slot
    for (const PredicateRow* row : rows) {
        auto [name, pattern] = split(*row);
        if (name != misfit.name || misfit.argument >= pattern.size() || pattern[misfit.argument] != 'i')
            continue;
        if (reader != nullptr && slotKind(*reader, misfit.argument) != slotKind(*row, misfit.argument))
            return ""; // the patterns disagree
        reader = row;
    }
    if (reader == nullptr)
        return "";
    SlotKind kind = slotKind(*reader, misfit.argument);
    if (kind != SlotKind::Integer && kind != SlotKind::Formula)
        return "";
    // Advised as an integer written there would be: quoted for a formula, else a whole number.
    const Argument number{Argument::Integer, misfit.text};
    return advice(*reader, misfit.argument, number, CONSTANT::Integer);
}
