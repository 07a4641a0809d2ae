// The formula evaluator: recursive descent over the text, computing as it goes. The functions
// are the predicates' own formulas and guards (real_functions.h), so that each computes, and
// fails, exactly where the predicate of that meaning does.

#include "formula.h"
#include "real_functions.h"

#include <cmath>
#include <cstring>
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

const FormulaFunction* findFunction(const char* name, std::size_t length)
{
    for (const FormulaFunction& f : FUNCTIONS)
        if (f.length == length && std::memcmp(f.name, name, length) == 0)
            return &f;
    return nullptr;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }

// A double and every midpoint between two neighbours have at most 767 significant digits, so
// a number cut after 800 of them, with a last digit 1 standing for the digits cut off when any
// is not 0, lies between the same two of those as the number itself and rounds as it does in
// every rounding mode. Beyond 10^2000 either way all are past the double range alike.
constexpr std::size_t KEPT_DIGITS = 800;
constexpr long long POWER_LIMIT = 2000;
// An exponent's digits past this only take the number further out of range, whatever shift
// the digits of a text of any length that fits in memory make.
constexpr long long EXPONENT_CAP = 1000000000000000;

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

// Each level of the grammar returns its value, so that values pass in registers; a syntax
// error or a nesting too deep sets `stopped`, after which every level returns at once.
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
        if (stopped)
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
    const char* p; // the next character to read
    const double* const operands;
    const int count;
    int depth = 0;
    bool stopped = false;
    FormulaResult result = {NOT_A_NUMBER, FormulaFault::None, 0, 0, nullptr};

    void skipBlanks()
    {
        while (isBlank(*p))
            ++p;
    }

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
        stopped = true;
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
    double sum()
    {
        double value = product();
        while (!stopped && (*p == '+' || *p == '-')) {
            const char op = *p++;
            const double right = product();
            value = op == '+' ? value + right : value - right;
        }
        return value;
    }

    double product()
    {
        double value = signedValue();
        while (!stopped && (*p == '*' || *p == '/' || *p == '%')) {
            const char* at = p++;
            const double right = signedValue();
            value = *at == '*' ? value * right : apply(*at == '/' ? DIVISION : REMAINDER, value, right, at);
        }
        return value;
    }

    double signedValue()
    {
        if (depth > FORMULA_DEPTH) // the formula's own level and FORMULA_DEPTH within it
            return stop(FormulaFault::TooDeep);
        ++depth;
        skipBlanks();
        double value;
        if (*p == '-' || *p == '+') {
            const bool negative = *p++ == '-';
            value = signedValue();
            if (negative)
                value = -value;
        } else {
            value = power();
        }
        --depth;
        return value;
    }

    double power()
    {
        const double base = primary();
        if (stopped || *p != '^')
            return base;
        const char* at = p++;
        const double exponent = signedValue();
        return apply(POWER, base, exponent, at);
    }

    double primary()
    {
        const char* at = p;
        double value;
        if (isDigit(*p) || (*p == '.' && isDigit(p[1]))) {
            value = readNumber(codec, at, p = endOfNumber(p));
        } else if (*p == '(') {
            ++p;
            value = sum();
            close();
        } else if (isLetter(*p)) {
            while (isLetter(*p) || isDigit(*p))
                ++p;
            const std::size_t length = std::size_t(p - at);
            skipBlanks();
            value = *p == '(' ? call(at, length) : named(at, length);
        } else {
            return stop(FormulaFault::Syntax);
        }
        skipBlanks();
        return value;
    }

    // digits ['.' digits] or '.' digits, then an exponent where one follows in full.
    static const char* endOfNumber(const char* p)
    {
        while (isDigit(*p))
            ++p;
        if (*p == '.')
            for (++p; isDigit(*p);)
                ++p;
        if (*p == 'e' || *p == 'E') {
            const char* q = p + 1;
            q += *q == '-' || *q == '+';
            if (isDigit(*q)) {
                while (isDigit(*q))
                    ++q;
                p = q;
            }
        }
        return p;
    }

    // The ')' that ends a group or a call's arguments, where `sum` stopped.
    void close()
    {
        if (stopped)
            return;
        if (*p != ')') {
            stop(FormulaFault::Syntax);
            return;
        }
        ++p;
    }

    double named(const char* name, std::size_t length)
    {
        for (int k = 0; length == 1 && k < FORMULA_OPERANDS; ++k)
            if (*name == FORMULA_OPERAND_NAMES[k])
                return k < count ? operands[k] : note(FormulaFault::MissingOperand, name, length);
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
        } while (!stopped && *p == ',');
        close();
        if (stopped)
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
