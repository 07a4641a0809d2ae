// Formulas of real operands, as evalR takes them: "sqrt(x*x + y*y)" computed in double precision
// from end to end. Evaluated while it is parsed, in one pass over the text: no tree, no
// allocation, nothing kept between calls. Internal to the library (hidden like everything not
// marked EXTPRED_API); the host compiles the same evaluator in to say why a formula fails.
//
//   sum     := product (('+' | '-') product)*
//   product := signed (('*' | '/' | '%') signed)*
//   signed  := ('-' | '+') signed | power
//   power   := primary ('^' signed)?
//   primary := number | name | function '(' sum (',' sum)* ')' | '(' sum ')'
#ifndef FORMULA_H
#define FORMULA_H

#include "extpred.h"
#include "real_text.h"

#include <cstddef>
#include <optional>

// The operands are named x, y, z and w, in slot order.
constexpr int FORMULA_OPERANDS = 4;
constexpr char FORMULA_OPERAND_NAMES[FORMULA_OPERANDS + 1] = "xyzw";

// Levels of signs, parentheses and calls within one another. Each costs a few frames of the
// evaluator's recursion, so the bound keeps any text (a million '(') off the end of the stack,
// a sanitizer's larger frames included.
constexpr int FORMULA_DEPTH = 256;

// A function of the language, or one of the operators that have a guard (/, % and ^).
struct FormulaFunction {
    const char* name;
    std::size_t length; // of the name
    int arity;
    // The value, or nothing where the predicate of that meaning fails.
    std::optional<double> (*apply)(const double* arguments);
    const char* failsOn; // for messages: "a value below 0 (or NaN)"
};

enum class FormulaFault {
    None,
    Empty,           // nothing but blanks
    Syntax,          // the text stops making sense at `at`
    TooDeep,         // nested deeper than FORMULA_DEPTH at `at`
    UnknownName,     // the name at `at`
    UnknownFunction, // the name at `at`, called
    MissingOperand,  // x, y, z or w at `at`, beyond the operands given
    ArgumentCount,   // `function`, at `at`, called with another number of arguments
    Refused,         // `function` (or its operator) at `at` refused its arguments
};

struct FormulaResult {
    double value;
    FormulaFault fault;
    std::size_t at, length;          // where in the formula, and the length of the token there
    const FormulaFunction* function; // for ArgumentCount and Refused
};

// The functions a formula may call, from first to last.
struct FormulaFunctions {
    const FormulaFunction *first, *last;
};
FormulaFunctions formulaFunctions();

// The value of `formula` with `count` operands (0 to FORMULA_OPERANDS), or its first fault: a
// syntax error or a nesting too deep stops the reading where it is; a fault of another kind is
// the first one met in a formula that reads to its end.
FormulaResult evaluateFormula(const RealCodec& codec, const char* formula, const double* operands, int count);

// An operand of evalR, or the value that its test compares, is a real term or an Integer term:
// evalR("x", N, R) is how a rule program makes a real of an engine's integer.
inline bool isFormulaOperand(const CONSTANT& term) { return term.isString() || term.isInt(); }

// Its value: a real term's text read as the library reads a real, an Integer exactly (every int
// is a double).
inline double formulaOperand(const RealCodec& codec, const CONSTANT& term)
{
    return term.isInt() ? double(term.toInt()) : codec.read(term.toString());
}

#endif
