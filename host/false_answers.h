// Why a call answered false, when the host can tell: a predicate that fails says nothing, but a
// rule author who passed 2 for "2" wants to hear it.
#ifndef HOST_FALSE_ANSWERS_H
#define HOST_FALSE_ANSWERS_H

#include "call_parser.h"
#include "extpred.h"
#include "predicate_library.h"

#include <string>
#include <vector>

// A call that answered false, with the terms it was given (inputs as passed, outputs unbound:
// a predicate that fails writes nothing).
struct FalseAnswer {
    const Call& call;
    const std::string& symbol; // name_pattern
    const std::vector<CONSTANT>& terms;
    const PredicateLibrary& library;
};

// A line that explains the answer (and under it, where it points into a text, that text with a
// caret), or empty when nothing does. Each explanation is asked in
// turn and the first that has something to say is the one given: none calls a predicate again.
std::string whyFalse(const FalseAnswer& answer);

#endif
