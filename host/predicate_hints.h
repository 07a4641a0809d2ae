// What to call instead, when a call names no predicate of the plug-in or gives a slot a term of
// a kind it does not take. Every hint, followed, gives a call that the parser and the predicate
// take: none sends its reader back to what was written before.
#ifndef HOST_PREDICATE_HINTS_H
#define HOST_PREDICATE_HINTS_H

#include "call_parser.h"
#include "extpred.h"
#include "predicate_reference.h"

#include <string>
#include <vector>

// For the predicate `name` with `pattern` (i and o letters), which `predicates` (name_pattern,
// sorted) lacks: the patterns the name has and which arguments would have to be given, or, for
// a name it does not have, the closest names it has (at most three, a small edit distance
// away), or where to find them all: at the prompt its own command, else the host's --list.
std::string hintFor(const std::string& name, const std::string& pattern, const std::vector<std::string>& predicates,
                    bool atPrompt = false);

// What slot `k` of `row` takes, and how to write it, for `argument` whose term (its value when it
// is a variable) is `term`; empty when the slot takes that term. `rows` are the plug-in's, which
// tell whether a pattern of the name writes that slot, so that a name there meant a variable.
std::string kindHint(const std::vector<const PredicateRow*>& rows, const PredicateRow& row, std::size_t k,
                     const Argument& argument, const CONSTANT& term);

// The same for a number written without quotes that the parser refused (0.5 where an Integer
// goes), when every pattern of the name that reads that slot takes an Integer there, or a
// formula; empty where the parser's own advice holds (a real, or a slot the rows do not know).
std::string misfitHint(const std::vector<const PredicateRow*>& rows, const Misfit& misfit);

#endif
