// The library's exported C interface as a host sees it, plus helpers that call a predicate
// the way the engine does and check what it may and may not touch.
#ifndef TESTS_PREDICATES_H
#define TESTS_PREDICATES_H

#include "extpred.h"
#include "symbols.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Terms as a rule author writes them.
inline CONSTANT real(const char* text) { return CONSTANT(text, true); }
inline CONSTANT sym(const char* text) { return CONSTANT(text, false); }
inline CONSTANT integer(int value) { return CONSTANT(value); }
inline CONSTANT null() { return CONSTANT(); }

// Same kind and same payload, as the engine would see it.
inline bool identical(const CONSTANT& a, const CONSTANT& b) { return a.getType() == b.getType() && a == b; }

// Calls a test pattern; every slot must be left as it was.
::testing::AssertionResult holds(Predicate predicate, std::vector<CONSTANT> slots);

// Calls an output pattern whose result goes into slot `out` (which starts as a Symbol so that
// an untouched slot is recognisable). Returns the written term's text form ("3.75000000", or
// the decimal of an Integer), or "false" after checking that the output slot was not touched.
// Input slots must always be left as they were.
std::string computes(Predicate predicate, std::vector<CONSTANT> slots, size_t out);

#endif
