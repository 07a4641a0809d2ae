// What every host says of a call whose binding pattern (i and o letters) the plug-in lacks: the
// patterns that the name has, and which arguments would have to be given to reach one.
#ifndef PLUGIN_MISSING_PATTERNS_H
#define PLUGIN_MISSING_PATTERNS_H

#include <cstddef>
#include <string>
#include <vector>

// "a", "a and b", "a, b and c".
std::string listed(const std::vector<std::string>& items);

// "sqrt has sqrt_ii and sqrt_io", of `name` and its `patterns`.
std::string patternsOffered(const std::string& name, const std::vector<std::string>& patterns);

// "the first argument must be given", "the first and third arguments must be given": the fewest
// arguments that, given, turn `pattern` into one of `patterns` (an o may become an i, never the
// other way). Empty when none of the same length can be reached.
std::string argumentsToGive(const std::string& pattern, const std::vector<std::string>& patterns);

#endif
