// What to call instead, when a call names no predicate of the plug-in.
#ifndef HOST_PREDICATE_HINTS_H
#define HOST_PREDICATE_HINTS_H

#include <string>
#include <vector>

// For the predicate `name` with `pattern` (i and o letters), which `predicates` (name_pattern,
// sorted) lacks: the patterns the name has and which arguments would have to be given, or, for
// a name it does not have, the closest names it has (at most three, a small edit distance
// away), or where to find them all.
std::string hintFor(const std::string& name, const std::string& pattern, const std::vector<std::string>& predicates);

// The end of a hint that has nothing closer to offer than the whole list, which the prompt's
// own command gives.
extern const char* const LIST_HINT;
extern const char* const LIST_HINT_AT_PROMPT;

#endif
