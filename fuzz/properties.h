// What must hold for every input, whatever a host or a rule author hands over. The fuzz
// targets, their regression replays and the hostile-input tests all check these; each check
// returns an empty text when everything holds, else what went wrong.
#ifndef FUZZ_PROPERTIES_H
#define FUZZ_PROPERTIES_H

#include "symbols.h"

#include <string>
#include <vector>

namespace properties {

struct CallCheck {
    std::string answer; // "false", "true", or "true" and the term the output pattern wrote
    std::string fault;
};

// Calls the predicate with a copy of slots (one per letter of its pattern; the output slot holds
// the host's previous term) and checks: input slots are untouched; an input slot of the wrong
// kind makes it fail; a false answer leaves the output slot as it was; a true answer of an
// output pattern leaves a number text (an Integer for floor and ceil), which the test pattern of
// the same name holds for (but NaN, and fabs, whose test is exact); the same call answers the
// same again.
CallCheck checkPredicateCall(const PredicateSymbol& symbol, const std::vector<CONSTANT>& slots);

// A real read from text and written back is exactly what the C library makes of it:
// "%.*f" at 8 decimals of atof(text).
std::string checkRealCodec(const std::string& text);

// parseStringTerm appends, after what the vector held, non-empty stretches of the text, in
// order and without overlap, all after the first opening bracket; nElementsOf counts them.
std::string checkElements(const std::string& text);

// Copies and assignments reproduce their source and leave it alone; the comparison is a
// consistent three-way order (antisymmetric, transitive, kinds first); the text form of a term
// matches its payload.
std::string checkTerms(const std::vector<CONSTANT>& terms);

} // namespace properties

#endif
