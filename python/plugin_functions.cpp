#include "plugin_functions.h"

#include "exported_predicates.h"

#include <map>
#include <utility>

namespace {

// The slots' names as a signature gives them: "X, D (Integer), Z" is X, D, Z; A1, A2... where
// the table does not describe the plug-in.
std::vector<std::string> slotNames(const Pattern& pattern)
{
    std::vector<std::string> names;
    for (std::size_t k = 0; k < pattern.arity; ++k)
        names.push_back(pattern.row != nullptr ? slotName(pattern.row->slots, k) : "A" + std::to_string(k + 1));
    return names;
}

// "(X, Y, /)": the i slots, by position only.
std::string signatureOf(const Pattern& pattern)
{
    std::vector<std::string> names = slotNames(pattern);
    std::string signature = "(";
    for (std::size_t k = 0; k < pattern.arity; ++k)
        if (!pattern.isOutput(k))
            signature += names[k] + ", ";
    return signature + "/)";
}

// What a call gives back, in Python's words.
std::string returnsOf(const Pattern& pattern)
{
    if (pattern.outputs == 0)
        return "Returns True when it holds, else False.";
    std::vector<std::string> names = slotNames(pattern), outputs;
    for (std::size_t k = 0; k < pattern.arity; ++k)
        if (pattern.isOutput(k)) {
            SlotKind kind = pattern.kinds.empty() ? SlotKind::Real : pattern.kinds[k];
            outputs.push_back(names[k] + (pattern.kinds.empty() ? "" : kind == SlotKind::Integer ? " (an int)" : " (a real, as a str)"));
        }
    std::string returned = outputs.size() == 1 ? outputs[0] : "(";
    for (std::size_t k = 0; outputs.size() > 1 && k < outputs.size(); ++k)
        returned += (k > 0 ? ", " : "") + outputs[k] + (k + 1 == outputs.size() ? ")" : "");
    return "Returns " + returned + ", or None when it fails.";
}

// The pattern's row as the host's help shows it.
std::string rowText(const Pattern& pattern)
{
    if (pattern.row == nullptr)
        return pattern.symbol + "\n";
    const PredicateRow& row = *pattern.row;
    std::string text = pattern.symbol + "(" + row.slots + "): " + row.does;
    if (*row.failsWhen != '\0')
        text += std::string("; fails when ") + row.failsWhen;
    return text + "\n    " + row.example + "\n";
}

// "sqrt: the square root.", from the README's table of names; empty for a name it does not have.
std::string nameLine(const std::string& name)
{
    for (std::size_t k = 0; k < PREDICATE_NAME_COUNT; ++k)
        if (name == PREDICATE_NAMES[k].name)
            return name + ": " + PREDICATE_NAMES[k].is + ".\n\n";
    return "";
}

std::string symbolDoc(const Pattern& pattern)
{
    return pattern.symbol + signatureOf(pattern) + "\n--\n\n" + (pattern.row != nullptr ? nameLine(predicateName(pattern.symbol)) : "") +
           rowText(pattern) + returnsOf(pattern);
}

// The name's usual pattern at each count, then every pattern of the name.
std::string nameDoc(const Function& function, const std::vector<const Pattern*>& all)
{
    std::vector<const Pattern*> called;
    for (const Pattern* pattern : function.byCount)
        if (pattern != nullptr)
            called.push_back(pattern);
    std::string doc;
    if (called.size() == 1)
        doc = function.name + signatureOf(*called[0]) + "\n--\n\n";
    if (all.front()->row != nullptr)
        doc += nameLine(function.name);
    for (const Pattern* pattern : called)
        doc += function.name + signatureOf(*pattern) + " calls " + pattern->symbol + ". " + returnsOf(*pattern) + "\n";
    doc += "\n";
    for (const Pattern* pattern : all)
        doc += rowText(*pattern);
    return doc;
}

// The usual pattern among a name's patterns of one arity: the last slot alone an output, else
// the test; none when it has neither.
const Pattern* usualPattern(const std::vector<const Pattern*>& sameArity)
{
    const Pattern* test = nullptr;
    for (const Pattern* pattern : sameArity) {
        if (pattern->outputs == std::uint64_t{1} << (pattern->arity - 1))
            return pattern;
        if (pattern->outputs == 0)
            test = pattern;
    }
    return test;
}

void place(Function& function, const Pattern* pattern)
{
    if (function.byCount.size() <= pattern->inputs)
        function.byCount.resize(pattern->inputs + 1);
    const Pattern*& at = function.byCount[pattern->inputs];
    if (at == nullptr || (at->outputs == 0 && pattern->outputs != 0)) // of two, the one that computes
        at = pattern;
}

} // namespace

std::string Function::takes() const
{
    std::vector<std::size_t> counts;
    for (std::size_t count = 0; count < byCount.size(); ++count)
        if (byCount[count] != nullptr)
            counts.push_back(count);
    std::string text;
    if (counts.size() > 2 && counts.back() - counts.front() + 1 == counts.size())
        text = std::to_string(counts.front()) + " to " + std::to_string(counts.back());
    for (std::size_t k = 0; text.empty() && k < counts.size(); ++k)
        text += (k == 0 ? "" : k + 1 == counts.size() ? " or " : ", ") + std::to_string(counts[k]);
    return text + (counts.size() == 1 && counts[0] == 1 ? " argument" : " arguments");
}

PluginFunctions::PluginFunctions(const std::string& path) : library(path), terms(library)
{
    expectPredicates(library);
    std::vector<const PredicateRow*> rows = rowsOf(library);
    for (const std::string& symbol : library.predicates()) {
        Pattern pattern;
        pattern.symbol = symbol;
        pattern.predicate = library.find(symbol);
        SymbolParts parts;
        if (!partsOf(symbol, parts) || parts.arity == 0)
            continue;
        pattern.arity = parts.arity;
        pattern.outputs = parts.outputs;
        for (std::size_t k = 0; k < pattern.arity; ++k)
            pattern.inputs += !pattern.isOutput(k);
        pattern.row = rowFor(rows, symbol);
        for (std::size_t k = 0; pattern.row != nullptr && k < pattern.arity; ++k)
            pattern.kinds.push_back(slotKind(*pattern.row, k));
        patterns.push_back(std::move(pattern));
    }

    std::map<std::string, std::map<std::size_t, std::vector<const Pattern*>>> byName;
    for (const Pattern& pattern : patterns) {
        Function function{pattern.symbol, {}, symbolDoc(pattern)};
        place(function, &pattern);
        symbols.push_back(std::move(function));
        byName[predicateName(pattern.symbol)][pattern.arity].push_back(&pattern);
    }
    for (const auto& [name, arities] : byName) {
        Function function{name, {}, {}};
        std::vector<const Pattern*> all;
        for (const auto& [arity, sameArity] : arities) {
            all.insert(all.end(), sameArity.begin(), sameArity.end());
            if (const Pattern* usual = usualPattern(sameArity))
                place(function, usual);
        }
        if (function.byCount.empty())
            continue;
        function.doc = nameDoc(function, all);
        names.push_back(std::move(function));
    }
}
