// Real-number predicates for the rule engine.
//
// The engine has no reals, so a real travels as a String term holding a decimal text: read
// as atof reads it, written as "%.*f" writes it at 8 decimals (real_text.cpp does both faster,
// with the same results). Each predicate is exported as name_pattern and is a single line over
// the shared steps below: input check, read, guard, compute, then compare (test pattern) or
// write (output pattern).

#include "math_R.h"
#include "formula.h"
#include "real_functions.h"
#include "real_text.h"
#include "term_writer.h"

#include <cfloat>
#include <cmath>
#include <initializer_list>
#include <optional>

// Each definition repeats its declaration's linkage: one missing from math_R.h is a plain C++
// function, which the version script does not export.
#define EXPORT extern "C" EXTPRED_API

namespace {

// Every result is written in full: "%.8f" of -DBL_MAX is a sign, 309 digits, a point and
// 8 decimals. (17 bytes would hold only results below ten million.)
constexpr std::size_t REAL_TEXT_SIZE = 1 + (DBL_MAX_10_EXP + 1) + 1 + REAL_DECIMALS + 1;

// ---- reading, writing and comparing reals ----

// Every shape below makes one codec per call, which checks the rounding mode and the locale once
// for all the reals that the call reads and writes.
double readReal(const RealCodec& codec, const CONSTANT& term) { return codec.read(term.toString()); }

// Input check: every listed slot holds a real term.
bool areReals(const CONSTANT* argv, std::initializer_list<int> slots)
{
    for (int slot : slots)
        if (!argv[slot].isString())
            return false;
    return true;
}

// The codec's short results are written straight into the array that the slot keeps: 24 bytes,
// the least that the allocator hands out anyway. Others are written aside first and copied at
// their length.
constexpr std::size_t SHORT_TEXT_SIZE = 24;
static_assert(SHORT_TEXT_SIZE >= SHORT_REAL_TEXT_SIZE, "a short result must fit the slot's array");

// Results of 2^36 and more, infinities and NaNs, out of line: their text array would otherwise
// give every output call a frame of its size and the stack protector's check.
__attribute__((noinline, cold)) bool writeLongReal(const RealCodec& codec, CONSTANT& slot, double value)
{
    char text[REAL_TEXT_SIZE];
    std::size_t length = codec.write(text, sizeof text, value);
    TermWriter::setString(slot, text, length); // the slot's copy is the only allocation
    return true;
}

bool writeReal(const RealCodec& codec, CONSTANT& slot, double value)
{
    if (!(std::fabs(value) < SHORT_REAL_LIMIT))
        return writeLongReal(codec, slot, value);
    char* text = new char[SHORT_TEXT_SIZE];
    codec.write(text, SHORT_TEXT_SIZE, value);
    TermWriter::adoptString(slot, text); // the only allocation
    return true;
}

// The result of an output pattern goes into its slot; an empty optional means the
// computation itself failed and nothing is written.
bool writeResult(const RealCodec& codec, CONSTANT& slot, double value) { return writeReal(codec, slot, value); }
bool writeResult(const RealCodec& codec, CONSTANT& slot, std::optional<double> value)
{
    return value && writeReal(codec, slot, *value);
}
bool writeResult(const RealCodec&, CONSTANT& slot, std::optional<int> value)
{
    if (!value)
        return false;
    TermWriter::setInteger(slot, *value);
    return true;
}

// Values further apart than this cannot share an 8-decimal text, since each lies within half
// of 1e-8 of its text. Twice 1e-8, so that the subtraction's own rounding cannot matter.
constexpr double TEXT_NEIGHBOURHOOD = 2e-8;

// Whether a and b have the same 8-decimal text: the texts that writeReal writes for them read
// back as equal doubles (so -0.00000000 is 0.00000000; a NaN matches nothing). Most tests fail
// on values far apart, which the subtraction settles without writing anything. Only asked of
// values that did not round alike, so never of equal ones (an infinity minus itself is NaN).
// The texts are written out of line, so that no test's own frame holds a text buffer: the stack
// protector of the hardened build guards every frame that does, and inlined here it cost every
// test, most of them failing tests that never write a text (make bench-compare, addR_iii,
// divR_iii and lessR_ii family).
__attribute__((noinline)) bool sameWrittenText(const RealCodec& codec, double a, double b)
{
    char textA[REAL_TEXT_SIZE], textB[REAL_TEXT_SIZE];
    codec.write(textA, sizeof textA, a);
    codec.write(textB, sizeof textB, b);
    return codec.read(textA) == codec.read(textB);
}
bool sameText(const RealCodec& codec, double a, double b)
{
    return std::fabs(a - b) <= TEXT_NEIGHBOURHOOD && sameWrittenText(codec, a, b);
}

// Values further apart than this cannot round alike at 8 decimals. Where roundWith rounds at
// all (below 2^26), its integer r lies within 1.5 of num x 10^8 (the product's own rounding and
// the step to the integer, or to the upper neighbour of a written half), and r / 10^8 within
// 0.75e-8 of its exact value; so a rounded value is within 2.25e-8 of num, and two values that
// round alike are within 4.5e-8 of each other. Elsewhere it returns num itself.
constexpr double ROUNDING_REACH = 1e-7;

// Equal at 8 decimals: rounded halves upward alike, or written alike. The second rule is what
// makes a test hold for the very text that its output pattern wrote, which "%.*f" rounds half
// to even from the exact binary value; the first keeps every pair that has always held. Equal
// values hold and values far apart fail without rounding either (a NaN fails both checks).
bool equalRounded(const RealCodec& codec, double a, double b)
{
    if (a == b)
        return true;
    if (!(std::fabs(a - b) <= ROUNDING_REACH))
        return false;
    return roundWith(a, REAL_DECIMALS) == roundWith(b, REAL_DECIMALS) || sameText(codec, a, b);
}
bool exactly(const RealCodec&, double a, double b) { return a == b; }

// ---- the two shapes of a predicate, per arity ----

using Guard1 = bool (*)(double);
using Guard2 = bool (*)(double, double);
using Compare = bool (*)(const RealCodec&, double, double);

// Test pattern, one operand: x in slot 0, the value under test in slot 1.
bool test1(const CONSTANT* argv, double (*formula)(double), Guard1 guard = anyValue, Compare same = equalRounded)
{
    if (!areReals(argv, {0, 1}))
        return false;
    const RealCodec codec;
    double x = readReal(codec, argv[0]), given = readReal(codec, argv[1]);
    return guard(x) && same(codec, formula(x), given);
}

// Output pattern, one operand: x in slot 0, the result into slot 1.
template <class Result>
bool compute1(CONSTANT* argv, Result (*formula)(double), Guard1 guard = anyValue)
{
    if (!areReals(argv, {0}))
        return false;
    const RealCodec codec;
    double x = readReal(codec, argv[0]);
    return guard(x) && writeResult(codec, argv[1], formula(x));
}

// Test pattern, two operands: x and y in slots 0 and 1, the value under test in slot 2.
bool test2(const CONSTANT* argv, double (*formula)(double, double), Guard2 guard = anyValues)
{
    if (!areReals(argv, {0, 1, 2}))
        return false;
    const RealCodec codec;
    double x = readReal(codec, argv[0]), y = readReal(codec, argv[1]), given = readReal(codec, argv[2]);
    return guard(x, y) && equalRounded(codec, formula(x, y), given);
}

// Output pattern, two operands read from slots a and b; the result goes into slot out.
template <class Result>
bool compute2(CONSTANT* argv, Result (*formula)(double, double), Guard2 guard = anyValues, int a = 0, int b = 1,
              int out = 2)
{
    if (!areReals(argv, {a, b}))
        return false;
    const RealCodec codec;
    double x = readReal(codec, argv[a]), y = readReal(codec, argv[b]);
    return guard(x, y) && writeResult(codec, argv[out], formula(x, y));
}

// The outcomes of comparing two reals at 8 decimals, as a set: a comparison predicate names
// the outcomes for which it holds.
using Orders = unsigned;
constexpr Orders LESS = 1, EQUAL = 2, GREATER = 4, UNORDERED = 8; // UNORDERED: a NaN either side

// Equal is what every test pattern means by it (addR_iii(x, "0", y) holds); otherwise the
// values' own order decides, so exactly one of LESS, EQUAL, GREATER, UNORDERED comes out.
Orders orderOf(const RealCodec& codec, double x, double y)
{
    if (std::isnan(x) || std::isnan(y))
        return UNORDERED;
    if (equalRounded(codec, x, y))
        return EQUAL;
    return x < y ? LESS : GREATER;
}

// Test pattern of a comparison: x and y in slots 0 and 1.
bool relation(const CONSTANT* argv, Orders holdsFor)
{
    if (!areReals(argv, {0, 1}))
        return false;
    const RealCodec codec;
    return (orderOf(codec, readReal(codec, argv[0]), readReal(codec, argv[1])) & holdsFor) != 0;
}

// Solves for the unbound argument of x + y = z or x - y = z in one double operation.
bool solve(CONSTANT* argv, double (*formula)(double, double), int a, int b, int out)
{
    return compute2(argv, formula, anyValues, a, b, out);
}

// Test pattern of floor and ceil: x in slot 0, the Integer under test in slot 1.
bool integerTest(const CONSTANT* argv, std::optional<int> (*formula)(double))
{
    if (!(argv[0].isString() && argv[1].isInt()))
        return false;
    std::optional<int> value = formula(readReal(RealCodec(), argv[0]));
    return value && *value == argv[1].toInt();
}

// ---- formulas ----

// Input check of a formula's slots: the formula, a String term, in slot 0, then operands up to
// slot `last`.
bool areOperandsUpTo(const CONSTANT* argv, int last)
{
    if (!argv[0].isString())
        return false;
    for (int slot = 1; slot <= last; ++slot)
        if (!isFormulaOperand(argv[slot]))
            return false;
    return true;
}

// The formula in slot 0 with its operands x, y, z and w from slots 1 to count, or nothing where it
// fails.
std::optional<double> formulaValue(const RealCodec& codec, const CONSTANT* argv, int count)
{
    double operands[FORMULA_OPERANDS];
    for (int k = 0; k < count; ++k)
        operands[k] = formulaOperand(codec, argv[1 + k]);
    FormulaResult result = evaluateFormula(codec, argv[0].toString(), operands, count);
    if (result.fault != FormulaFault::None)
        return std::nullopt;
    return result.value;
}

// Output pattern: the value into slot count + 1.
bool computeFormula(CONSTANT* argv, int count)
{
    if (!areOperandsUpTo(argv, count))
        return false;
    const RealCodec codec;
    return writeResult(codec, argv[count + 1], formulaValue(codec, argv, count));
}

// Test pattern: the value under test in slot count + 1, compared as addR_iii compares.
bool testFormula(const CONSTANT* argv, int count)
{
    if (!areOperandsUpTo(argv, count + 1))
        return false;
    const RealCodec codec;
    std::optional<double> value = formulaValue(codec, argv, count);
    return value && equalRounded(codec, *value, formulaOperand(codec, argv[count + 1]));
}

} // namespace

// Rounds num to dec decimals (negative dec: tens, hundreds, ...), halves going upward.
EXPORT double myRound(double num, int dec) { return roundWith(num, dec); }

// clang-format off
// Arithmetic: x + y = z and x - y = z solve for any one argument.
EXPORT bool addR_iii(CONSTANT* argv, unsigned) { return test2(argv, plus); }
EXPORT bool addR_iio(CONSTANT* argv, unsigned) { return compute2(argv, plus); }
EXPORT bool addR_ioi(CONSTANT* argv, unsigned) { return solve(argv, minus, 2, 0, 1); }  // y = z - x
EXPORT bool addR_oii(CONSTANT* argv, unsigned) { return solve(argv, minus, 2, 1, 0); }  // x = z - y
EXPORT bool subtR_iii(CONSTANT* argv, unsigned) { return test2(argv, minus); }
EXPORT bool subtR_iio(CONSTANT* argv, unsigned) { return compute2(argv, minus); }
EXPORT bool subtR_ioi(CONSTANT* argv, unsigned) { return solve(argv, minus, 0, 2, 1); } // y = x - z
EXPORT bool subtR_oii(CONSTANT* argv, unsigned) { return solve(argv, plus, 1, 2, 0); }  // x = y + z
EXPORT bool timesR_iii(CONSTANT* argv, unsigned) { return test2(argv, times); }
EXPORT bool timesR_iio(CONSTANT* argv, unsigned) { return compute2(argv, times); }
EXPORT bool divR_iii(CONSTANT* argv, unsigned) { return test2(argv, quotient, nonZeroDivisor); }
EXPORT bool divR_iio(CONSTANT* argv, unsigned) { return compute2(argv, quotient, nonZeroDivisor); }
EXPORT bool modR_iii(CONSTANT* argv, unsigned) { return test2(argv, std::fmod, nonZeroDivisor); }
EXPORT bool modR_iio(CONSTANT* argv, unsigned) { return compute2<double>(argv, std::fmod, nonZeroDivisor); }
EXPORT bool fabs_ii(CONSTANT* argv, unsigned) { return test1(argv, std::fabs, anyValue, exactly); }
EXPORT bool fabs_io(CONSTANT* argv, unsigned) { return compute1<double>(argv, std::fabs); }

// Powers, roots and rounding. Only the output patterns of pow and root consult errno.
EXPORT bool pow_iii(CONSTANT* argv, unsigned) { return test2(argv, std::pow); }
EXPORT bool pow_iio(CONSTANT* argv, unsigned) { return compute2(argv, checkedPow); }
EXPORT bool root_iii(CONSTANT* argv, unsigned) { return test2(argv, root, nonZeroDegree); }
EXPORT bool root_iio(CONSTANT* argv, unsigned) { return compute2(argv, checkedRoot, nonZeroDegree); }
EXPORT bool sqrt_ii(CONSTANT* argv, unsigned) { return test1(argv, std::sqrt, nonNegative); }
EXPORT bool sqrt_io(CONSTANT* argv, unsigned) { return compute1<double>(argv, std::sqrt, nonNegative); }
EXPORT bool floor_ii(CONSTANT* argv, unsigned) { return integerTest(argv, floorInt); }
EXPORT bool floor_io(CONSTANT* argv, unsigned) { return compute1(argv, floorInt); }
EXPORT bool ceil_ii(CONSTANT* argv, unsigned) { return integerTest(argv, ceilInt); }
EXPORT bool ceil_io(CONSTANT* argv, unsigned) { return compute1(argv, ceilInt); }
// clang-format on

// round(X, D, Z): D is an Integer term, and the test compares z exactly, unrounded.
EXPORT bool round_iii(CONSTANT* argv, unsigned)
{
    if (!(argv[0].isString() && argv[1].isInt() && argv[2].isString()))
        return false;
    const RealCodec codec;
    return roundTo(readReal(codec, argv[0]), argv[1].toInt()) == readReal(codec, argv[2]);
}
EXPORT bool round_iio(CONSTANT* argv, unsigned)
{
    if (!(argv[0].isString() && argv[1].isInt()))
        return false;
    const RealCodec codec;
    return writeReal(codec, argv[2], roundTo(readReal(codec, argv[0]), argv[1].toInt()));
}

// clang-format off
// Exponential and logarithms.
EXPORT bool exp_ii(CONSTANT* argv, unsigned) { return test1(argv, std::exp); }
EXPORT bool exp_io(CONSTANT* argv, unsigned) { return compute1<double>(argv, std::exp); }
EXPORT bool ln_ii(CONSTANT* argv, unsigned) { return test1(argv, ln, positive); }
EXPORT bool ln_io(CONSTANT* argv, unsigned) { return compute1(argv, ln, positive); }
EXPORT bool log_iii(CONSTANT* argv, unsigned) { return test2(argv, logBase, validLog); }
EXPORT bool log_iio(CONSTANT* argv, unsigned) { return compute2(argv, logBase, validLog); }
EXPORT bool log2_ii(CONSTANT* argv, unsigned) { return test1(argv, log2ByLn2, positive); }
EXPORT bool log2_io(CONSTANT* argv, unsigned) { return compute1(argv, log2ByLn2, positive); }
EXPORT bool log10_ii(CONSTANT* argv, unsigned) { return test1(argv, std::log10, positive); }
EXPORT bool log10_io(CONSTANT* argv, unsigned) { return compute1<double>(argv, std::log10, positive); }

// Trigonometry in radians; the conversions use REAL_PI.
EXPORT bool sin_ii(CONSTANT* argv, unsigned) { return test1(argv, std::sin); }
EXPORT bool sin_io(CONSTANT* argv, unsigned) { return compute1<double>(argv, std::sin); }
EXPORT bool cos_ii(CONSTANT* argv, unsigned) { return test1(argv, std::cos); }
EXPORT bool cos_io(CONSTANT* argv, unsigned) { return compute1<double>(argv, std::cos); }
EXPORT bool tan_ii(CONSTANT* argv, unsigned) { return test1(argv, std::tan, cosineOffZero); }
EXPORT bool tan_io(CONSTANT* argv, unsigned) { return compute1<double>(argv, std::tan, cosineOffZero); }
EXPORT bool asin_ii(CONSTANT* argv, unsigned) { return test1(argv, std::asin, withinUnit); }
EXPORT bool asin_io(CONSTANT* argv, unsigned) { return compute1<double>(argv, std::asin, withinUnit); }
EXPORT bool acos_ii(CONSTANT* argv, unsigned) { return test1(argv, std::acos, withinUnit); }
EXPORT bool acos_io(CONSTANT* argv, unsigned) { return compute1<double>(argv, std::acos, withinUnit); }
EXPORT bool atan_ii(CONSTANT* argv, unsigned) { return test1(argv, std::atan); }
EXPORT bool atan_io(CONSTANT* argv, unsigned) { return compute1<double>(argv, std::atan); }
EXPORT bool deg2rad_ii(CONSTANT* argv, unsigned) { return test1(argv, deg2rad); }
EXPORT bool deg2rad_io(CONSTANT* argv, unsigned) { return compute1(argv, deg2rad); }
EXPORT bool rad2deg_ii(CONSTANT* argv, unsigned) { return test1(argv, rad2deg); }
EXPORT bool rad2deg_io(CONSTANT* argv, unsigned) { return compute1(argv, rad2deg); }

// This library's own additions beyond the engine's 54: the engine orders Strings byte by byte
// ("10.5" before "9.2"), so a rule program needs these to compare reals at all.
// Comparisons at 8 decimals, x in slot 0 and y in slot 1: a NaN is equal to nothing.
EXPORT bool equalR_ii(CONSTANT* argv, unsigned) { return relation(argv, EQUAL); }
EXPORT bool notEqualR_ii(CONSTANT* argv, unsigned) { return relation(argv, LESS | GREATER | UNORDERED); }
EXPORT bool lessR_ii(CONSTANT* argv, unsigned) { return relation(argv, LESS); }
EXPORT bool lessEqR_ii(CONSTANT* argv, unsigned) { return relation(argv, LESS | EQUAL); }
EXPORT bool greaterR_ii(CONSTANT* argv, unsigned) { return relation(argv, GREATER); }
EXPORT bool greaterEqR_ii(CONSTANT* argv, unsigned) { return relation(argv, GREATER | EQUAL); }
// The smaller and the larger of x and y as IEEE 754 has them (C's fminimum and fmaximum: a NaN
// operand gives a NaN, as addR does, and -0 is below +0, where fmin and fmax would drop the NaN
// and return either zero), and atan2(y, x) in C's argument order (y first).
EXPORT bool minR_iii(CONSTANT* argv, unsigned) { return test2(argv, fminimum); }
EXPORT bool minR_iio(CONSTANT* argv, unsigned) { return compute2<double>(argv, fminimum); }
EXPORT bool maxR_iii(CONSTANT* argv, unsigned) { return test2(argv, fmaximum); }
EXPORT bool maxR_iio(CONSTANT* argv, unsigned) { return compute2<double>(argv, fmaximum); }
EXPORT bool atan2_iii(CONSTANT* argv, unsigned) { return test2(argv, std::atan2); }
EXPORT bool atan2_iio(CONSTANT* argv, unsigned) { return compute2<double>(argv, std::atan2); }

// Formulas in one call, rounded once when written: evalR(F, X, Y, Z, W, R) with up to four
// operands, named x, y, z and w in the formula.
EXPORT bool evalR_io(CONSTANT* argv, unsigned) { return computeFormula(argv, 0); }
EXPORT bool evalR_iio(CONSTANT* argv, unsigned) { return computeFormula(argv, 1); }
EXPORT bool evalR_iiio(CONSTANT* argv, unsigned) { return computeFormula(argv, 2); }
EXPORT bool evalR_iiiio(CONSTANT* argv, unsigned) { return computeFormula(argv, 3); }
EXPORT bool evalR_iiiiio(CONSTANT* argv, unsigned) { return computeFormula(argv, 4); }
EXPORT bool evalR_ii(CONSTANT* argv, unsigned) { return testFormula(argv, 0); }
EXPORT bool evalR_iii(CONSTANT* argv, unsigned) { return testFormula(argv, 1); }
EXPORT bool evalR_iiii(CONSTANT* argv, unsigned) { return testFormula(argv, 2); }
EXPORT bool evalR_iiiii(CONSTANT* argv, unsigned) { return testFormula(argv, 3); }
EXPORT bool evalR_iiiiii(CONSTANT* argv, unsigned) { return testFormula(argv, 4); }
// clang-format on
