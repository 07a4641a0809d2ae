// Why a formula of evalR has no value, in the words that every host of the plug-in gives: the
// prompt's hint, the SWI-Prolog bridge's syntax error and the Python module's ValueError. The
// plug-in only fails; a host runs the library's own evaluator on the same texts to learn where
// and why.
#ifndef PLUGIN_FORMULA_FAULTS_H
#define PLUGIN_FORMULA_FAULTS_H

#include <cstddef>
#include <string>

struct FormulaExplanation {
    enum Kind {
        Computes,   // the formula has a value: the call failed for another reason (a test's value)
        Unreadable, // it cannot be read: a syntax error, an unknown name, an operand not given, a
                    // function given another number of arguments, nesting too deep, nothing at all
        NoValue,    // it reads, but an operation in it fails (sqrt of a negative, x / 0)
    };
    Kind kind = Computes;
    // "log at character 1 takes 2 arguments (base, value); for one argument, ln, log2 or log10"
    std::string reason;
    std::size_t at = 0;  // the byte of the formula where it fails
    bool placed = false; // false where there is no place to point at (an empty formula)
};

// Said of a comparison written in a formula, wherever it is found: by the evaluator, or before it
// by a host whose parser pairs < and > as brackets.
extern const char* const FORMULA_COMPARISONS;

class Slots;
struct TermMembers;

// The explanation of `formula` with `count` operands (0 to 4), as a call of `symbol`
// (evalR_iio...) gave them; `symbol` names the call in "evalR_iio gives only x".
FormulaExplanation explainFormula(const std::string& symbol, const std::string& formula, const double* operands,
                                  int count);

// The explanation of a failed call of `symbol`, an evalR pattern, over its `arity` slots: the
// formula in the first, the operands (texts or Integers) between it and the value.
FormulaExplanation explainFailedCall(const std::string& symbol, const TermMembers& terms, Slots& slots,
                                     std::size_t arity);

// The formula, cut to `width` columns around the place, and under it a caret there, each line
// indented by four: what follows the reason on lines of their own.
std::string formulaPlace(const std::string& formula, std::size_t at, std::size_t width = 80);

#endif
