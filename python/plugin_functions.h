// A plug-in's predicates as functions of a language that passes arguments by position and gets
// results back: every name_pattern is a function of its i slots, and every name one over its
// usual pattern, the one whose last slot alone is the output where there is one, else the test.
#ifndef PYTHON_PLUGIN_FUNCTIONS_H
#define PYTHON_PLUGIN_FUNCTIONS_H

#include "plugin_terms.h"
#include "predicate_reference.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One exported predicate.
struct Pattern {
    std::string symbol; // name_pattern
    Predicate predicate = nullptr;
    std::size_t arity = 0;
    std::uint64_t outputs = 0; // bit k: slot k is an o
    std::size_t inputs = 0;
    // What each slot takes, from the README's table; empty for a plug-in that it does not
    // describe, whose arguments pass kind for kind.
    std::vector<SlotKind> kinds;
    const PredicateRow* row = nullptr;

    bool isOutput(std::size_t k) const { return outputs >> k & 1; }
    // evalR's: a failure may be a formula that cannot be read, which is an error, not a false.
    bool takesFormula() const { return !kinds.empty() && kinds[0] == SlotKind::Formula; }
};

// One function: a name_pattern, or a name over the usual pattern of each of its arities, told
// apart by the number of arguments given.
struct Function {
    std::string name;
    std::vector<const Pattern*> byCount; // at the number of arguments; null where none
    std::string doc;                     // its text signature first, where it has one

    const Pattern* patternFor(std::size_t count) const { return count < byCount.size() ? byCount[count] : nullptr; }
    // "2 arguments", "1 to 5 arguments": what it takes, for messages.
    std::string takes() const;
};

// A loaded plug-in and its functions. Throws LoadError when `path` is no plug-in.
struct PluginFunctions {
    explicit PluginFunctions(const std::string& path);

    PredicateLibrary library;
    TermMembers terms;
    std::vector<Pattern> patterns; // never resized once made: functions point into it
    std::vector<Function> symbols, names;
};

#endif
