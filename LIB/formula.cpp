// The formula evaluator: recursive descent over the text, computing as it goes. The functions
// are the predicates' own formulas and guards (real_functions.h), so that each computes, and
// fails, exactly where the predicate of that meaning does.

#include "formula.h"
#include "real_functions.h"

#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>

namespace {

constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();
// The double nearest to pi; the degree conversions keep their own REAL_PI.
constexpr double PI = 3.141592653589793;

template <double (*F)(double), bool (*G)(double) = anyValue>
std::optional<double> unary(const double* a)
{
    if (!G(a[0]))
        return std::nullopt;
    return F(a[0]);
}

// A formula of two arguments gives a double, or a Checked value: nothing where errno flags it.
using Checked = std::optional<double>;
template <class Result, Result (*F)(double, double), bool (*G)(double, double) = anyValues>
std::optional<double> binary(const double* a)
{
    if (!G(a[0], a[1]))
        return std::nullopt;
    return F(a[0], a[1]);
}

// round(x, d): d a whole number within the range of an int, as round_iio's Integer term.
std::optional<double> roundToDecimals(const double* a)
{
    std::optional<int> decimals = toIntExactly(a[1]);
    if (!decimals || *decimals != a[1])
        return std::nullopt;
    return roundTo(a[0], *decimals);
}

constexpr std::size_t lengthOf(const char* name) { return *name ? 1 + lengthOf(name + 1) : 0; }

constexpr FormulaFunction function(const char* name, int arity, std::optional<double> (*apply)(const double*),
                                   const char* failsOn = "")
{
    return {name, lengthOf(name), arity, apply, failsOn};
}

constexpr const char* NO_POWER = "operands whose power is no real number or out of range";
constexpr const char* NOT_POSITIVE = "a value not above 0 (or NaN)";
constexpr const char* OUTSIDE_UNIT = "a value outside -1 to 1 (or NaN)";
constexpr const char* NO_LOGARITHM = "a base not above 0 or equal to 1, or a value not above 0 (or NaN)";
constexpr const char* NO_ROOT = "a degree of 0, or operands whose root is no real number or out of range";

// The operators with a guard.
constexpr FormulaFunction DIVISION = function("/", 2, binary<double, quotient, nonZeroDivisor>, "a divisor of 0");
constexpr FormulaFunction REMAINDER = function("%", 2, binary<double, std::fmod, nonZeroDivisor>, "a divisor of 0");
constexpr FormulaFunction POWER = function("^", 2, binary<Checked, checkedPow>, NO_POWER);

// Every function a formula may call, as the predicate of the same meaning computes it.
constexpr FormulaFunction FUNCTIONS[] = {
    function("sqrt", 1, unary<std::sqrt, nonNegative>, "a value below 0 (or NaN)"),
    function("abs", 1, unary<std::fabs>),
    function("exp", 1, unary<std::exp>),
    function("ln", 1, unary<ln, positive>, NOT_POSITIVE),
    function("log2", 1, unary<log2ByLn2, positive>, NOT_POSITIVE),
    function("log10", 1, unary<std::log10, positive>, NOT_POSITIVE),
    function("log", 2, binary<double, logBase, validLog>, NO_LOGARITHM),
    function("sin", 1, unary<std::sin>),
    function("cos", 1, unary<std::cos>),
    function("tan", 1, unary<std::tan, cosineOffZero>, "an angle whose cosine is 0 at 8 decimals"),
    function("asin", 1, unary<std::asin, withinUnit>, OUTSIDE_UNIT),
    function("acos", 1, unary<std::acos, withinUnit>, OUTSIDE_UNIT),
    function("atan", 1, unary<std::atan>),
    function("atan2", 2, binary<double, std::atan2>),
    function("deg2rad", 1, unary<deg2rad>),
    function("rad2deg", 1, unary<rad2deg>),
    function("floor", 1, unary<std::floor>),
    function("ceil", 1, unary<std::ceil>),
    function("pow", 2, binary<Checked, checkedPow>, NO_POWER),
    function("root", 2, binary<Checked, checkedRoot, nonZeroDegree>, NO_ROOT),
    function("min", 2, binary<double, fminimum>),
    function("max", 2, binary<double, fmaximum>),
    function("round", 2, roundToDecimals, "decimals that are no whole number within the range of an int"),
};

// Characters as the evaluator tells them apart: one load from a table rather than a chain of
// comparisons, which skipping blanks and reading names do for every character.
enum CharClass : unsigned char { OTHER, BLANK, DIGIT, LETTER };

struct CharClasses {
    CharClass of[256];
    unsigned char operandSlot[256]; // 1 + the slot of an operand's name, 0 for any other character
    constexpr CharClasses() : of(), operandSlot()
    {
        for (int c = 0; c < 256; ++c) {
            const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
            of[c] = c >= '0' && c <= '9'                            ? DIGIT
                    : letter                                        ? LETTER
                    : c == ' ' || c == '\t' || c == '\n' || c == '\r' ? BLANK
                                                                    : OTHER;
        }
        for (int k = 0; k < FORMULA_OPERANDS; ++k)
            operandSlot[static_cast<unsigned char>(FORMULA_OPERAND_NAMES[k])] = static_cast<unsigned char>(k + 1);
    }
};
constexpr CharClasses CHARACTERS;

CharClass classOf(char c) { return CHARACTERS.of[static_cast<unsigned char>(c)]; }
bool isBlank(char c) { return classOf(c) == BLANK; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNameCharacter(char c) { return classOf(c) >= DIGIT; }

// The names are a few letters long: compared in line, not through a call to memcmp.
bool sameName(const char* a, const char* b, std::size_t length)
{
    for (std::size_t k = 0; k < length; ++k)
        if (a[k] != b[k])
            return false;
    return true;
}

const FormulaFunction* findFunction(const char* name, std::size_t length)
{
    for (const FormulaFunction& f : FUNCTIONS)
        if (f.length == length && sameName(f.name, name, length))
            return &f;
    return nullptr;
}

// A double and every midpoint between two neighbours have at most 767 significant digits, so
// a number cut after 800 of them, with a last digit 1 standing for the digits cut off when any
// is not 0, lies between the same two of those as the number itself and rounds as it does in
// every rounding mode. Beyond 10^2000 either way all are past the double range alike.
constexpr std::size_t KEPT_DIGITS = 800;
constexpr long long POWER_LIMIT = 2000;
// An exponent's digits past this only take the number further out of range, whatever shift
// the digits of a text of any length that fits in memory make.
constexpr long long EXPONENT_CAP = 1000000000000000;

// Digits of a number that make a whole number below 10^15, within 2^53: a double holds it exactly.
constexpr int SHORT_NUMBER_DIGITS = 15;
static_assert(SHORT_NUMBER_DIGITS <= MAX_EXACT_POWER, "the decimals of a short number make an exact power of ten");

// The value of a number token from begin to end, read as the library reads a real. The codec
// is given the token's significant digits as one integer and its power of ten, "105e-2" for
// 1.05: a text that every locale reads alike (it has no decimal point), that ends where the
// token ends, and that stays this size for a token of any length. Out of line: the text is
// large for a frame of the recursion.
__attribute__((noinline)) double readNumber(const RealCodec& codec, const char* begin, const char* end)
{
    char text[KEPT_DIGITS + 1 + 2 + 4 + 1]; // digits, the one for those cut off, "e-", 2000, NUL
    std::size_t kept = 0;
    long long power = 0;
    bool fraction = false, cutNonZero = false;
    const char* p = begin;
    for (; p < end && *p != 'e' && *p != 'E'; ++p) {
        if (*p == '.') {
            fraction = true;
            continue;
        }
        power -= fraction;
        if (kept == 0 && *p == '0')
            continue; // leading
        if (kept < KEPT_DIGITS) {
            text[kept++] = *p;
        } else {
            ++power;
            cutNonZero = cutNonZero || *p != '0';
        }
    }
    if (p < end) { // the exponent, which the grammar gives digits
        ++p;
        bool negative = *p == '-';
        p += *p == '-' || *p == '+';
        long long exponent = 0;
        for (; p < end; ++p)
            if (exponent < EXPONENT_CAP)
                exponent = exponent * 10 + (*p - '0');
        power += negative ? -exponent : exponent;
    }
    if (kept == 0)
        return 0;
    if (cutNonZero) {
        text[kept++] = '1';
        --power;
    }
    power = power < -POWER_LIMIT ? -POWER_LIMIT : power > POWER_LIMIT ? POWER_LIMIT : power;
    char* q = text + kept;
    *q++ = 'e';
    if (power < 0) {
        *q++ = '-';
        power = -power;
    }
    char digits[4];
    int count = 0;
    do
        digits[count++] = char('0' + power % 10);
    while ((power /= 10) != 0);
    while (count > 0)
        *q++ = digits[--count];
    *q = '\0';
    return codec.read(text);
}

// Where the reading stands once a syntax error or a nesting too deep has stopped it: a text with
// nothing to read, so that every level returns at once without a check of its own.
constexpr char STOPPED[] = "";

// Each level of the grammar returns its value, so that values pass in registers. The loops read
// the text through a local pointer and store `p` once they are done: a char may alias anything,
// so a member stepped through the text would be stored again before every character read.
class Evaluator {
public:
    Evaluator(const RealCodec& reader, const char* formula, const double* given, int givenCount)
        : codec(reader), start(formula), p(formula), operands(given), count(givenCount)
    {
    }

    FormulaResult run()
    {
        skipBlanks();
        if (*p == '\0')
            return failure(FormulaFault::Empty, p, 0);
        const double value = sum();
        if (stopped())
            return result;
        if (*p != '\0') // sum() stops at the first character it cannot take, blanks passed
            return failure(FormulaFault::Syntax, p, 0);
        if (result.fault != FormulaFault::None)
            return result;
        // Made afresh rather than copied from `result`, whose fields are stored one by one: a copy
        // reads them back whole, which waits for the stores to retire.
        return {value, FormulaFault::None, 0, 0, nullptr};
    }

private:
    const RealCodec& codec;
    const char* const start;
    const char* p; // the next character to read, or STOPPED
    const double* const operands;
    const int count;
    int depth = 0;
    FormulaResult result = {NOT_A_NUMBER, FormulaFault::None, 0, 0, nullptr};

    bool stopped() const { return p == STOPPED; }

    static const char* afterBlanks(const char* q)
    {
        while (isBlank(*q))
            ++q;
        return q;
    }
    void skipBlanks() { p = afterBlanks(p); }

    FormulaResult failure(FormulaFault kind, const char* at, std::size_t length,
                          const FormulaFunction* function = nullptr)
    {
        result = {NOT_A_NUMBER, kind, std::size_t(at - start), length, function};
        return result;
    }

    // Stops the reading: what follows cannot be read.
    double stop(FormulaFault kind)
    {
        failure(kind, p, 0);
        p = STOPPED;
        return NOT_A_NUMBER;
    }

    // The formula reads on, so that a syntax error further on is still found, with NaN in
    // place of the value that the fault leaves undefined.
    double note(FormulaFault kind, const char* at, std::size_t length, const FormulaFunction* function = nullptr)
    {
        if (result.fault == FormulaFault::None)
            failure(kind, at, length, function);
        return NOT_A_NUMBER;
    }

    double apply(const FormulaFunction& function, double a, double b, const char* at)
    {
        const double arguments[2] = {a, b};
        std::optional<double> value = function.apply(arguments);
        return value ? *value : note(FormulaFault::Refused, at, function.length, &function);
    }

    // Each level leaves p after the blanks that follow what it read.
    // sum := product (('+' | '-') product)*, product := signed (('*' | '/' | '%') signed)*, in one
    // loop: a frame less for every operand and every level of parentheses.
    double sum()
    {
        double total = 0;
        char addition = 0; // the + or - before the product being read; none before the first
        for (;;) {
            double product = signedValue();
            while (*p == '*' || *p == '/' || *p == '%') {
                const char* at = p++;
                const double right = signedValue();
                product = *at == '*' ? product * right : apply(*at == '/' ? DIVISION : REMAINDER, product, right, at);
            }
            total = addition == 0 ? product : addition == '+' ? total + product : total - product;
            if (*p != '+' && *p != '-')
                return total;
            addition = *p++;
        }
    }

    // An operand of + - * / %. Most are a lone name, x or y, which is read here, in the frame of
    // the sum, as primary and named read it; anything else takes the whole way. A frame of its
    // own for each name cost nearly half as much again (bench/README.md, The formulas: a lone operand name).
    double signedValue()
    {
        const char* const name = afterBlanks(p);
        if (CHARACTERS.operandSlot[static_cast<unsigned char>(*name)] && !isNameCharacter(name[1]) &&
            depth <= FORMULA_DEPTH) {
            const char* const after = afterBlanks(name + 1);
            if (*after != '(' && *after != '^') {
                p = after;
                return named(name, 1);
            }
        }
        return signedOperand();
    }

    // signed := ('-' | '+') signed | power, power := primary ('^' signed)?: the signs in a loop,
    // each a level of nesting as if it were a frame, and applied once, as their parity (negating
    // twice gives back every value, bit for bit).
    __attribute__((noinline)) double signedOperand()
    {
        int levels = 0;
        bool negative = false;
        const char* q = p;
        for (;;) {
            if (depth + levels > FORMULA_DEPTH) { // the formula's own level and FORMULA_DEPTH within it
                p = q;
                return stop(FormulaFault::TooDeep);
            }
            ++levels;
            q = afterBlanks(q);
            if (*q != '-' && *q != '+')
                break;
            negative = negative != (*q++ == '-');
        }
        p = q;
        depth += levels;
        double value = primary();
        if (*p == '^') {
            const char* at = p++;
            const double exponent = signedOperand();
            value = apply(POWER, value, exponent, at);
        }
        depth -= levels;
        return negative ? -value : value;
    }

    double primary()
    {
        const char* const at = p;
        double value;
        switch (classOf(*at)) {
        case LETTER: {
            const char* q = at + 1;
            while (isNameCharacter(*q))
                ++q;
            const std::size_t length = std::size_t(q - at);
            p = afterBlanks(q);
            value = *p == '(' ? call(at, length) : named(at, length);
            break;
        }
        case DIGIT:
            value = number(at);
            break;
        default:
            if (*at == '(') {
                p = at + 1;
                value = sum();
                close();
            } else if (*at == '.' && isDigit(at[1])) {
                value = number(at);
            } else {
                return stop(FormulaFault::Syntax);
            }
        }
        skipBlanks();
        return value;
    }

    // A number token, read in one pass where it is short: most are such as 2 or 1.5, whose
    // digits make a whole number below 2^53 and whose decimals a power of ten that a double
    // holds exactly, so that one division gives their value rounded once, as the codec's own
    // exact path does. Any other is scanned for its end and read in full. Copying a short one's
    // digits to read them as a text cost nearly twice as much (bench/README.md, The formulas: a
    // short number read in one pass).
    double number(const char* at)
    {
        std::uint64_t digits = 0; // wraps past 20 digits, and is then not used
        int figures = 0, decimals = 0;
        const char* q = at;
        for (; isDigit(*q); ++q, ++figures)
            digits = digits * 10 + std::uint64_t(*q - '0');
        if (*q == '.')
            for (++q; isDigit(*q); ++q, ++figures, ++decimals)
                digits = digits * 10 + std::uint64_t(*q - '0');
        if (figures <= SHORT_NUMBER_DIGITS && *q != 'e' && *q != 'E' && codec.roundsToNearest()) {
            p = q;
            return decimals == 0 ? double(digits) : double(digits) / EXACT_POWERS_OF_TEN[decimals];
        }
        return readNumber(codec, at, p = endOfNumber(at));
    }

    // digits ['.' digits] or '.' digits, then an exponent where one follows in full.
    static const char* endOfNumber(const char* q)
    {
        while (isDigit(*q))
            ++q;
        if (*q == '.')
            for (++q; isDigit(*q);)
                ++q;
        if (*q == 'e' || *q == 'E') {
            const char* r = q + 1;
            r += *r == '-' || *r == '+';
            if (isDigit(*r)) {
                while (isDigit(*r))
                    ++r;
                q = r;
            }
        }
        return q;
    }

    // The ')' that ends a group or a call's arguments, where `sum` stopped.
    void close()
    {
        if (*p == ')')
            ++p;
        else if (!stopped())
            stop(FormulaFault::Syntax);
    }

    double named(const char* name, std::size_t length)
    {
        if (length == 1)
            if (const int slot = CHARACTERS.operandSlot[static_cast<unsigned char>(*name)])
                return slot <= count ? operands[slot - 1] : note(FormulaFault::MissingOperand, name, length);
        if (length == 2 && name[0] == 'p' && name[1] == 'i')
            return PI;
        return note(FormulaFault::UnknownName, name, length);
    }

    // After the name, at '(': the arguments, then the function's value.
    double call(const char* name, std::size_t length)
    {
        double arguments[2] = {0, 0};
        int given = 0;
        do {
            ++p; // '(' or ','
            const double argument = sum();
            if (given < 2)
                arguments[given] = argument;
            given += given < 3; // 3 standing for any more
        } while (*p == ',');
        close();
        if (stopped())
            return NOT_A_NUMBER;
        const FormulaFunction* function = findFunction(name, length);
        if (!function)
            return note(FormulaFault::UnknownFunction, name, length);
        if (given != function->arity)
            return note(FormulaFault::ArgumentCount, name, length, function);
        return apply(*function, arguments[0], arguments[1], name);
    }
};

} // namespace

FormulaFunctions formulaFunctions() { return {std::begin(FUNCTIONS), std::end(FUNCTIONS)}; }

FormulaResult evaluateFormula(const RealCodec& codec, const char* formula, const double* operands, int count)
{
    return Evaluator(codec, formula, operands, count).run();
}
