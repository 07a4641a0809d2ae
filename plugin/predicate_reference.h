// What the README's table of predicates says of each one (written into predicate_rows.cpp at
// build time), for extpred-host's help, apropos and kind hints and the bridge's slot kinds.
#ifndef PLUGIN_PREDICATE_REFERENCE_H
#define PLUGIN_PREDICATE_REFERENCE_H

#include "predicate_library.h"

#include <cstddef>
#include <string>
#include <vector>

struct PredicateRow {
    const char* symbol;    // name_pattern
    const char* slots;     // the arguments in order, e.g. "X, D (Integer), Z"
    const char* kinds;     // a letter a slot: r a real (a String), i an Integer, n either
    const char* failsWhen; // its guard; empty when it has none
    const char* does;      // what it writes or tests
    const char* example;   // a call and its answer
};

// A predicate's name as apropos finds it: what it is, and the words people search for it by.
struct PredicateName {
    const char* name;
    const char* is;    // "the square root"
    const char* words; // "square root, radical"
};

// A function that a formula may call, for help evalR.
struct FunctionRow {
    const char* name;
    const char* arguments; // "b, x"
    const char* is;
};

extern const PredicateRow PREDICATE_ROWS[];
extern const std::size_t PREDICATE_ROW_COUNT;
extern const PredicateName PREDICATE_NAMES[];
extern const std::size_t PREDICATE_NAME_COUNT;
extern const FunctionRow FUNCTION_ROWS[];
extern const std::size_t FUNCTION_ROW_COUNT;

// The rows that describe `library`: all of them when every predicate it exports has one (this
// library, or an older build of it), else none, so that another plug-in is never described by
// what it is not (nor one that exports none, nor one whose file cannot be listed).
std::vector<const PredicateRow*> rowsOf(const PredicateLibrary& library);

// The row of `symbol` among `rows`, or null.
const PredicateRow* rowFor(const std::vector<const PredicateRow*>& rows, const std::string& symbol);

// What slot `k` of a row's predicate takes: a real (a String of decimal text), a real or an
// Integer (evalR's operands), an Integer, or evalR's formula (a String, but no real).
// The name of slot `k` in a row's slots: D of "X, D (Integer), Z" at 1; "it" past the last.
std::string slotName(const std::string& slots, std::size_t k);

enum class SlotKind { Real, RealOrInteger, Integer, Formula };
SlotKind slotKind(const PredicateRow& row, std::size_t k);

#endif
