// Why an evalR call answered false, when its formula is the reason. The plug-in only fails; the
// host runs its own copy of the library's evaluator on the same texts to learn where and why.
#ifndef HOST_FORMULA_HINTS_H
#define HOST_FORMULA_HINTS_H

#include "extpred.h"

#include <string>
#include <vector>

// For a call of `symbol` (evalR_iio...) with these slots that answered false: what in its
// formula fails, and under it the formula with a caret at the place, cut as other messages cut
// a line. Empty for another predicate, for a slot of a kind that evalR does not take there, and
// for a formula that computes (a test whose value is another).
std::string formulaHint(const std::string& symbol, const std::vector<CONSTANT>& slots);

#endif
