// The library's exported C interface as a host sees it, plus helpers that call a predicate
// the way the engine does and check what it may and may not touch.
#ifndef TESTS_PREDICATES_H
#define TESTS_PREDICATES_H

#include "extpred.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Predicate = bool (*)(CONSTANT* argv, unsigned int argc);

#define DECLARE(name) extern "C" bool name(CONSTANT* argv, unsigned int argc);
#define PREDICATE_SYMBOLS(X)                                                                             \
    X(addR_iii) X(addR_iio) X(addR_ioi) X(addR_oii) X(subtR_iii) X(subtR_iio) X(subtR_ioi) X(subtR_oii)  \
    X(timesR_iii) X(timesR_iio) X(divR_iii) X(divR_iio) X(modR_iii) X(modR_iio) X(fabs_ii) X(fabs_io)    \
    X(pow_iii) X(pow_iio) X(root_iii) X(root_iio) X(sqrt_ii) X(sqrt_io) X(round_iii) X(round_iio)        \
    X(floor_ii) X(floor_io) X(ceil_ii) X(ceil_io) X(exp_ii) X(exp_io) X(ln_ii) X(ln_io) X(log_iii)       \
    X(log_iio) X(log2_ii) X(log2_io) X(log10_ii) X(log10_io) X(sin_ii) X(sin_io) X(cos_ii) X(cos_io)     \
    X(tan_ii) X(tan_io) X(asin_ii) X(asin_io) X(acos_ii) X(acos_io) X(atan_ii) X(atan_io)                \
    X(deg2rad_ii) X(deg2rad_io) X(rad2deg_ii) X(rad2deg_io)
PREDICATE_SYMBOLS(DECLARE)
#undef DECLARE

extern "C" double myRound(double num, int dec);

// Terms as a rule author writes them.
inline CONSTANT real(const char* text) { return CONSTANT(text, true); }
inline CONSTANT sym(const char* text) { return CONSTANT(text, false); }
inline CONSTANT integer(int value) { return CONSTANT(value); }
inline CONSTANT null() { return CONSTANT(); }

// Same kind and same payload, as the engine would see it.
inline bool identical(const CONSTANT& a, const CONSTANT& b) { return a.getType() == b.getType() && a == b; }

std::string describe(const CONSTANT& term);

// Calls a test pattern; every slot must be left as it was.
::testing::AssertionResult holds(Predicate predicate, std::vector<CONSTANT> slots);

// Calls an output pattern whose result goes into slot `out` (which starts as a Symbol so that
// an untouched slot is recognisable). Returns the written term's text form ("3.75000000", or
// the decimal of an Integer), or "false" after checking that the output slot was not touched.
// Input slots must always be left as they were.
std::string computes(Predicate predicate, std::vector<CONSTANT> slots, size_t out);

#endif
