// evalR: formulas of real operands, computed in full and rounded once when written.
#include "cases.h"

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

namespace {

std::string repeated(const std::string& piece, int times)
{
    std::string text;
    for (int k = 0; k < times; ++k)
        text += piece;
    return text;
}

// The decimal digits of 5^n: 2^-n is these digits times 10^-n.
std::string powerOfFive(int n)
{
    std::string digits = "1"; // lowest digit first
    for (int k = 0; k < n; ++k) {
        int carry = 0;
        for (char& d : digits) {
            int v = (d - '0') * 5 + carry;
            d = char('0' + v % 10);
            carry = v / 10;
        }
        if (carry)
            digits += char('0' + carry);
    }
    return std::string(digits.rbegin(), digits.rend());
}

// Exactly halfway between 1 and the next double: ties go to even, to 1; any digit beyond the
// half, however far down, goes up.
const std::string HALF_ABOVE_ONE = "1.00000000000000011102230246251565404236316680908203125";
// Halfway between 0 and the least subnormal, 752 significant digits: 0 as written, the least
// subnormal with a last digit further down than any double has digits.
const std::string HALF_THE_LEAST = powerOfFive(1075) + "e-1075";
const std::string ABOVE_HALF_THE_LEAST = powerOfFive(1075) + std::string(100, '0') + "1e-1176";

const std::string DEEP_PARENTHESES = repeated("(", 64) + "1" + repeated(")", 64);
const std::string DEEP_CALLS = repeated("abs(", 64) + "-1" + repeated(")", 64);
const std::string DEEP_SIGNS = repeated("-", 64) + "1";
const std::string DEEP_POWERS = repeated("1^", 64) + "1";
// n levels of parentheses around `inner`.
std::string nested(const std::string& inner, int n) { return repeated("(", n) + inner + repeated(")", n); }
const std::string DEEPEST_PARENTHESES = nested("1", 256);
// Operands side by side, each read at the level of the sum, however many there are.
const std::string LONG_SUM = repeated("1 + ", 999) + "1";
const std::string LONG_PRODUCT = repeated("1 * ", 999) + "1";
const std::string LONG_SIGNED_SUM = repeated("-1 + ", 999) + "-1";
const std::string MILLION_PARENTHESES = repeated("(", 1000000) + "1" + repeated(")", 1000000);
const std::string MILLION_SIGNS = repeated("-", 1000000) + "1";

TEST(Formula, Answers)
{
    runCases({
        // The two chains that rounding spoilt.
        {P(evalR_io), {"1000 * 1.05^10"}, "1628.89462678"},
        {P(evalR_iiio), {"x * x * y", "0.00001", "1e10"}, "1.00000000"},
        // Precedence, associativity and signs against ^.
        {P(evalR_io), {"1 + 2 * 3"}, "7.00000000"},
        {P(evalR_io), {"(1 + 2) * 3"}, "9.00000000"},
        {P(evalR_io), {"10 - 4 - 3"}, "3.00000000"},
        {P(evalR_io), {"64 / 4 / 2"}, "8.00000000"},
        {P(evalR_io), {"7 % 4 * 2"}, "6.00000000"},
        {P(evalR_io), {"2^3^2"}, "512.00000000"},
        {P(evalR_io), {"-2^2"}, "-4.00000000"},
        {P(evalR_io), {"2^-1"}, "0.50000000"},
        {P(evalR_io), {"-2^-2^-1"}, "-0.70710678"},
        {P(evalR_io), {"2 * -3 - -+1"}, "-5.00000000"},
        {P(evalR_io), {"-0"}, "-0.00000000"},
        {P(evalR_io), {" \t1\n+\r\n2 "}, "3.00000000"},
        // Numbers, read as the library reads a real, whatever their length.
        {P(evalR_io), {".5 + 5. + 1e-3 + 2.5E+2"}, "255.50100000"},
        {P(evalR_io), {"0.1 + 0.2 - 0.3"}, "0.00000000"},
        {P(evalR_io), {"1e400"}, "inf"},
        {P(evalR_io), {"1e-400 * 1e400"}, "nan"},
        {P(evalR_io), {"(" + HALF_ABOVE_ONE + " - 1) * 1e16"}, "0.00000000"},
        {P(evalR_io), {"(" + HALF_ABOVE_ONE + std::string(2000, '0') + "1 - 1) * 1e16"}, "2.22044605"},
        {P(evalR_io), {HALF_THE_LEAST + " * 2^537 * 2^537"}, "0.00000000"},
        {P(evalR_io), {ABOVE_HALF_THE_LEAST + " * 2^537 * 2^537"}, "1.00000000"},
        {P(evalR_io), {"0." + std::string(5000, '0') + "1e5001"}, "1.00000000"},
        {P(evalR_io), {"1e99999999999999999999999999 * 0"}, "nan"},
        // A number in a formula is the very double that the same text gives as an operand.
        {P(evalR_iio), {"(x - 0.3) * 1e30", "0.3"}, "0.00000000"},
        {P(evalR_iio), {"(x - 0.000123) * 1e30", "0.000123"}, "0.00000000"},
        {P(evalR_iio), {"(x - 123456789012345.6) * 1e30", "123456789012345.6"}, "0.00000000"},
        // Names, as many as the pattern has operands.
        {P(evalR_iiiiio), {"x - y + z * w", "1", "2", "3", "4"}, "11.00000000"},
        {P(evalR_iiiio), {"x + y + z", "1", "2", "3"}, "6.00000000"},
        {P(evalR_iiiio), {"w", "1", "2", "3"}, "false"},
        {P(evalR_iio), {"y", "1"}, "false"},
        {P(evalR_io), {"x"}, "false"},
        {P(evalR_io), {"pi"}, "3.14159265"},
        {P(evalR_iio), {"X", "1"}, "false"},
        {P(evalR_iio), {"xx", "1"}, "false"},
        {P(evalR_iio), {"x", "abc"}, "0.00000000"}, // an operand reads as atof reads it
        // An Integer operand, or value under test, is its exact value; the formula is a String,
        // and no slot takes a Symbol or a NullConst.
        {P(evalR_iiio), {"x / y", "10", 4}, "2.50000000"},
        {P(evalR_iio), {"x", INT_MIN}, "-2147483648.00000000"},
        {P(evalR_iiiiio), {"x * y * z * w", INT_MAX, INT_MAX, INT_MAX, -1}, fixed8(-std::pow(double(INT_MAX), 3))},
        {P(evalR_iii), {"x * 2", "1.5", 3}, "true"},
        {P(evalR_iii), {"x * 2", "1.5", 2}, "false"},
        {P(evalR_io), {1}, "false"},
        {P(evalR_iio), {"x", sym("1")}, "false"},
        {P(evalR_iio), {"x", null()}, "false"},
        {P(evalR_iii), {"x", 1, sym("1")}, "false"},
        {P(evalR_iii), {"x", 1, null()}, "false"},
        // Every function, and its guard.
        {P(evalR_io), {"sqrt(2)"}, "1.41421356"},
        {P(evalR_io), {"sqrt(-1)"}, "false"},
        {P(evalR_io), {"abs(-1.5)"}, "1.50000000"},
        {P(evalR_io), {"exp(1000)"}, "inf"}, // no guard stops it
        {P(evalR_io), {"ln(exp(2))"}, "2.00000000"},
        {P(evalR_io), {"ln(0)"}, "false"},
        {P(evalR_io), {"log2(8)"}, "3.00000000"},
        {P(evalR_io), {"log2(-1)"}, "false"},
        {P(evalR_io), {"log10(1000)"}, "3.00000000"},
        {P(evalR_io), {"log10(0)"}, "false"},
        {P(evalR_io), {"log(2, 8)"}, "3.00000000"},
        {P(evalR_io), {"log(1, 8)"}, "false"},
        {P(evalR_io), {"log(2, 0)"}, "false"},
        {P(evalR_io), {"sin(pi / 2) + cos(0)"}, "2.00000000"},
        {P(evalR_io), {"tan(pi / 4)"}, "1.00000000"},
        {P(evalR_io), {"tan(pi / 2)"}, "false"},
        {P(evalR_io), {"asin(1)"}, "1.57079633"},
        {P(evalR_io), {"asin(1.0000001)"}, "false"},
        {P(evalR_io), {"acos(-1)"}, "3.14159265"},
        {P(evalR_io), {"acos(-1.5)"}, "false"},
        {P(evalR_io), {"atan(1)"}, "0.78539816"},
        {P(evalR_io), {"atan2(1, -1)"}, "2.35619449"},
        {P(evalR_io), {"deg2rad(180)"}, "3.14159265"},
        {P(evalR_io), {"rad2deg(pi)"}, "180.00000000"},
        {P(evalR_io), {"rad2deg(2147483648)"}, "123041749603.75781250"}, // multiplied first
        {P(evalR_io), {"deg2rad(1e10)"}, "174532925.19943279"},
        {P(evalR_io), {"floor(-2.5) + ceil(1e10 + 0.5)"}, "9999999998.00000000"}, // reals, past an int
        {P(evalR_io), {"pow(2, 10)"}, "1024.00000000"},
        {P(evalR_io), {"pow(-8, 1/3)"}, "false"},
        {P(evalR_io), {"10^400"}, "false"},
        {P(evalR_io), {"0^-1"}, "false"},
        {P(evalR_io), {"root(3, 27)"}, "3.00000000"},
        {P(evalR_io), {"root(0, 27)"}, "false"},
        {P(evalR_io), {"root(3, -8)"}, "false"},
        {P(evalR_io), {"min(-0, 0)"}, "-0.00000000"},
        {P(evalR_iiio), {"max(x, y)", "nan", "1"}, "nan"},
        {P(evalR_io), {"round(-2.5, 0)"}, "-2.00000000"},
        {P(evalR_io), {"round(1.005, 2)"}, "1.01000000"},
        {P(evalR_io), {"round(0.123456789, 12)"}, "0.12345679"},
        {P(evalR_io), {"round(1, 0.5)"}, "false"},
        {P(evalR_io), {"round(1, 3e9)"}, "false"},
        {P(evalR_io), {"1 / 0"}, "false"},
        {P(evalR_io), {"5 % 0"}, "false"},
        {P(evalR_io), {"7.5 % 2"}, "1.50000000"},
        {P(evalR_io), {"exp(1000) - exp(1000)"}, "nan"},
        {P(evalR_io), {"sqrt(-1) + 1 +"}, "false"}, // a fault is no reason to stop reading
        // What is no formula.
        {P(evalR_io), {""}, "false"},
        {P(evalR_io), {"1 +"}, "false"},
        {P(evalR_io), {"(1"}, "false"},
        {P(evalR_io), {"1)"}, "false"},
        {P(evalR_io), {"1 2"}, "false"},
        {P(evalR_io), {"1,5"}, "false"},
        {P(evalR_io), {"1 + * 2"}, "false"},
        {P(evalR_io), {"1.2.3"}, "false"},
        {P(evalR_io), {"."}, "false"},
        {P(evalR_iio), {"2x", "1"}, "false"},
        {P(evalR_iio), {"1e5x", "1"}, "false"},
        {P(evalR_io), {"1e"}, "false"},
        {P(evalR_io), {"2inf"}, "false"},
        {P(evalR_io), {"nan"}, "false"},
        {P(evalR_io), {"0x1p3"}, "false"},
        {P(evalR_io), {"sqrt 2"}, "false"},
        {P(evalR_io), {"sqrt()"}, "false"},
        {P(evalR_io), {"min(1)"}, "false"},
        {P(evalR_io), {"abs(1, 2)"}, "false"},
        {P(evalR_io), {"foo(1)"}, "false"},
        {P(evalR_io), {"1 \xff"}, "false"},
        // Depth: 64 levels of each kind work, and 256 of parentheses; more fail cleanly.
        {P(evalR_io), {DEEP_PARENTHESES}, "1.00000000"},
        {P(evalR_io), {DEEP_CALLS}, "1.00000000"},
        {P(evalR_io), {DEEP_SIGNS}, "1.00000000"},
        {P(evalR_io), {DEEP_POWERS}, "1.00000000"},
        {P(evalR_io), {DEEPEST_PARENTHESES}, "1.00000000"},
        {P(evalR_io), {nested("1", 257)}, "false"},
        // The innermost operand is a level of its own, whatever it is; a sign or a call is one
        // more: 256 levels below the formula's own answer, 257 fail.
        {P(evalR_iio), {nested("x", 256), "1"}, "1.00000000"},
        {P(evalR_iio), {nested("x", 257), "1"}, "false"},
        {P(evalR_io), {nested("abs(1)", 255)}, "1.00000000"},
        {P(evalR_io), {nested("abs(1)", 256)}, "false"},
        {P(evalR_io), {nested("-1", 255)}, "-1.00000000"},
        {P(evalR_io), {nested("-1", 256)}, "false"},
        // Each operand gives back the levels it took: a flat formula is never too deep.
        {P(evalR_io), {LONG_SUM}, "1000.00000000"},
        {P(evalR_io), {LONG_PRODUCT}, "1.00000000"},
        {P(evalR_io), {LONG_SIGNED_SUM}, "-1000.00000000"},
        {P(evalR_io), {MILLION_PARENTHESES}, "false"},
        {P(evalR_io), {MILLION_SIGNS}, "false"},
        // Test patterns compare at 8 decimals, as addR_iii; ^ consults errno in them too.
        {P(evalR_ii), {"1000 * 1.05^10", "1628.89462678"}, "true"},
        {P(evalR_ii), {"1000 * 1.05^10", "1628.89463"}, "false"},
        {P(evalR_iiii), {"x + y", "0.1", "0.2", "0.3"}, "true"},
        {P(evalR_iii), {"x^2", "1e200", "inf"}, "false"},
        {P(evalR_ii), {"1 / 0", "inf"}, "false"},
        {P(evalR_iiiiii), {"x * y * z * w", "1", "2", "3", "4", "24"}, "true"},
        {P(evalR_iiiii), {"w", "1", "2", "3", "4"}, "false"},
    });
}

// Every operator and function writes what the predicate of that meaning writes, and its test
// holds where the predicate's does, for operands of every size and sign.
struct Agreement {
    const char* formula; // of x and y
    const char* predicate;
    bool sameTest; // the predicate's test compares at 8 decimals, as evalR's
};

const Agreement agreements[] = {
    {"x + y", "addR", true},        {"x - y", "subtR", true},       {"x * y", "timesR", true},
    {"x / y", "divR", true},        {"x % y", "modR", true},        {"abs(x)", "fabs", false},
    {"x ^ y", "pow", true},         {"pow(x, y)", "pow", true},     {"root(x, y)", "root", true},
    {"sqrt(x)", "sqrt", true},      {"exp(x)", "exp", true},        {"ln(x)", "ln", true},
    {"log(x, y)", "log", true},     {"log2(x)", "log2", true},      {"log10(x)", "log10", true},
    {"sin(x)", "sin", true},        {"cos(x)", "cos", true},        {"tan(x)", "tan", true},
    {"asin(x)", "asin", true},      {"acos(x)", "acos", true},      {"atan(x)", "atan", true},
    {"atan2(x, y)", "atan2", true}, {"deg2rad(x)", "deg2rad", true}, {"rad2deg(x)", "rad2deg", true},
    {"min(x, y)", "minR", true},    {"max(x, y)", "maxR", true},    {"floor(x)", "floor", false},
    {"ceil(x)", "ceil", false},     {"round(x, y)", "round", false},
};

// Operands as rule programs hold them: mostly moderate, some at the ends of the range, a few
// words; or the decimals of round.
std::string operand(std::mt19937_64& random, bool decimals)
{
    static const char* const words[] = {"0", "-0", "1", "-1", "0.5", "2", "inf", "-inf", "nan", "1e308", "5e-324"};
    char text[64];
    if (decimals)
        std::snprintf(text, sizeof text, "%d", int(random() % 15) - 4);
    else if (random() % 8 == 0)
        return words[random() % (sizeof words / sizeof words[0])];
    else
        std::snprintf(text, sizeof text, random() % 2 ? "%.*g" : "-%.*g", int(1 + random() % 17),
                      std::ldexp(std::uniform_real_distribution<double>(1, 2)(random),
                                 random() % 4 ? int(random() % 40) - 20 : int(random() % 2000) - 1000));
    return text;
}

TEST(Formula, EachFunctionAgreesWithItsPredicate)
{
    std::mt19937_64 random(20261208);
    int failures = 0;
    for (const Agreement& a : agreements) {
        const std::string name = a.predicate;
        const PredicateSymbol* output = findSymbol(name + "_iio");
        const bool binary = output != nullptr, rounding = name == "round";
        if (!binary)
            output = findSymbol(name + "_io");
        ASSERT_TRUE(output) << name;
        const PredicateSymbol* test = a.sameTest ? ownTestOf(*output) : nullptr;
        for (int k = 0; k < 3000 && failures < 10; ++k) {
            const std::string x = operand(random, false), y = operand(random, rounding);
            std::vector<Arg> inputs = {x.c_str()};
            if (binary)
                inputs.push_back(rounding ? Arg(std::atoi(y.c_str())) : Arg(y.c_str()));
            const int out = output->outputSlot();
            std::string expected = computes(output->predicate, slotsOf(inputs, out), static_cast<size_t>(out));
            std::string got = computes(evalR_iiio, slotsOf({a.formula, x.c_str(), y.c_str()}, 3), 3);
            if (output->writesInteger()) { // where the Integer exists, the real has its value
                if (expected == "false")
                    continue;
                expected = fixed8(std::atof(expected.c_str()));
                got = fixed8(std::atof(got.c_str()) + 0.0);
            }
            // A NaN's sign is no part of IEEE arithmetic's answer, and compilers differ on it (clang
            // computes x - y as x + -y in evalR's sum), so "nan" stands for either, as in the tables.
            for (std::string* text : {&expected, &got})
                if (*text == "-nan")
                    *text = "nan";
            if (got != expected && ++failures)
                ADD_FAILURE() << a.formula << " with x " << x << ", y " << y << ": " << got << ", " << name
                              << " writes " << expected;
            if (!test || expected == "false")
                continue;
            // The written answer, or one a little off it.
            const std::string given = random() % 2 ? expected : fixed8(std::atof(expected.c_str()) * (1 + 1e-9));
            inputs.push_back(given.c_str());
            bool holds = test->predicate(slotsOf(inputs).data(), test->arity());
            if (bool(evalR_iiii(slotsOf({a.formula, x.c_str(), y.c_str(), given.c_str()}).data(), 4)) != holds &&
                ++failures)
                ADD_FAILURE() << a.formula << " with x " << x << ", y " << y << " tested against " << given << ": "
                              << test->name << " answers " << holds;
        }
    }
}

} // namespace
