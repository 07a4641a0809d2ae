// A quoted real that atof reads only in part (a decimal comma, a typeset minus, letters): the
// predicate answers with what was read, and the rule author hears what that was and why.
#ifndef HOST_PARTIAL_REALS_H
#define HOST_PARTIAL_REALS_H

#include "call_parser.h"
#include "predicate_library.h"

#include <string>
#include <vector>

// A line for each quoted argument of `call` (whose predicate is `symbol`) that a real slot reads
// only in part or not at all, e.g. "1,5" is read as 1: a real's decimals follow a point; write
// "1.5". None for a text read whole (1e3, " 2", inf, 0x1p3), nor for a plug-in that the README's
// table does not describe.
std::vector<std::string> partialReadings(const Call& call, const std::string& symbol, const PredicateLibrary& library);

#endif
