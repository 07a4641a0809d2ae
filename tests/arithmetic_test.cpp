// The calling convention, the real codec and the arithmetic predicates.
#include "cases.h"

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

TEST(Arithmetic, Answers)
{
    runCases({
        {P(addR_iio), {"1.5", "2.25"}, "3.75000000"},
        {P(addR_oii), {"2", "5"}, "3.00000000"},
        {P(subtR_oii), {"2", "5"}, "7.00000000"},
        {P(addR_ioi), {"2", "5"}, "3.00000000"},
        {P(subtR_ioi), {"5", "2"}, "3.00000000"},
        {P(subtR_iio), {"2", "5"}, "-3.00000000"},
        {P(timesR_iio), {"1.5", "-2"}, "-3.00000000"},
        {P(divR_iio), {"1", "3"}, "0.33333333"},
        {P(divR_iio), {"2", "3"}, "0.66666667"},
        {P(modR_iio), {"-7", "3"}, "-1.00000000"},
        {P(modR_iio), {"7", "-3"}, "1.00000000"},
        {P(modR_iio), {"7.5", "2"}, "1.50000000"},
        {P(modR_iio), {"-6", "3"}, "-0.00000000"},
        {P(fabs_io), {"-0.123456789"}, "0.12345679"},
        {P(fabs_io), {"abc"}, "0.00000000"},
        {P(fabs_io), {"-0"}, "0.00000000"},
        {P(addR_iio), {"inf", "1"}, "inf"},
        {P(addR_iio), {"-inf", "1"}, "-inf"},
        {P(subtR_iio), {"inf", "inf"}, "nan"},
        {P(modR_iio), {"inf", "2"}, "nan"},
        {P(divR_iio), {"1", "nan"}, "nan"},
        {P(divR_iio), {"-1e-9", "1"}, "-0.00000000"},
        {P(addR_iio), {"9999999.99999999", "0"}, "9999999.99999999"},
        // The longest short result, and one past the short ones that needs more than 24 bytes.
        {P(addR_iio), {"-68719476735.99", "0"}, "-68719476735.98999786"},
        {P(addR_iio), {"-70000000000000", "0"}, "-70000000000000.00000000"},
        // Reading is atof: blanks, prefixes, hexadecimal, inf and nan forms all behave as atof does.
        {P(addR_iio), {"1.5abc", "0"}, "1.50000000"},
        {P(addR_iio), {"abc", "0"}, "0.00000000"},
        {P(addR_iio), {"", "0"}, "0.00000000"},
        {P(addR_iio), {" 2", "0"}, "2.00000000"},
        {P(addR_iio), {"\t\n+2", "0"}, "2.00000000"},
        {P(addR_iio), {"0x1.8p1", "0"}, "3.00000000"},
        {P(addR_iio), {"1e-3", "0"}, "0.00100000"},
        {P(addR_iio), {"INFINITY", "0"}, "inf"},
        {P(addR_iio), {"-NaN", "0"}, "-nan"},
        {P(addR_iio), {"1 2", "0"}, "1.00000000"},
        {P(addR_iio), {"\"\"2\"\"", "0"}, "0.00000000"}, // the inner quotes stay: no number
        // Tests compare at 8 decimals.
        {P(addR_iii), {"0.1", "0.2", "0.3"}, "true"},
        {P(addR_iii), {"1", "1", "2.000000004"}, "true"},
        {P(addR_iii), {"1", "1", "2.000000006"}, "false"},
        {P(subtR_iii), {"5", "2", "3"}, "true"},
        {P(subtR_iii), {"2", "5", "3"}, "false"},
        {P(timesR_iii), {"1.5", "-2", "-3"}, "true"},
        {P(divR_iii), {"1", "3", "0.333333333"}, "true"},
        {P(divR_iii), {"1", "3", "0.33333334"}, "false"},
        {P(divR_iii), {"2", "3", "0.66666667"}, "true"},
        {P(divR_iii), {"2", "3", "0.66666666"}, "false"},
        // At a tie the written text (half to even) and rounding halves upward differ: both hold.
        {P(divR_iii), {"1", "512", "0.00195312"}, "true"},
        {P(divR_iii), {"1", "512", "0.00195313"}, "true"},
        {P(divR_iii), {"1", "512", "0.00195311"}, "false"},
        {P(divR_iii), {"-1", "512", "-0.00195312"}, "true"},
        {P(addR_iii), {"3.000000015", "0", "3.00000001"}, "true"}, // the double lies below the tie
        {P(addR_iii), {"3.000000015", "0", "3.00000002"}, "true"},
        {P(modR_iii), {"7.5", "2", "1.5"}, "true"},
        {P(modR_iii), {"nan", "2", "nan"}, "false"},
        {P(addR_iii), {"inf", "1", "inf"}, "true"},
        {P(addR_iii), {"inf", "1", "-inf"}, "false"},
        {P(addR_iii), {"1e305", "1e305", "2e305"}, "true"},
        {P(addR_iii), {"1e305", "1e305", "3e305"}, "false"}, // no overflow in the rounding
        {P(addR_iii), {"1e305", "1e305", "inf"}, "false"},
        {P(addR_iii), {"100000000000000000", "0", "100000000000000016"}, "false"}, // neighbouring doubles
        {P(round_iio), {"123456789012.5", 8}, "123456789012.50000000"},
        {P(fabs_ii), {"-1.5", "1.5"}, "true"},
        {P(fabs_ii), {"-0.123456789", "0.12345679"}, "false"}, // exact, not rounded
        {P(fabs_ii), {"-0", "0"}, "true"},
        {P(fabs_ii), {"nan", "nan"}, "false"},
    });
}

TEST(Arithmetic, ZeroDivisorFailsWithoutWriting)
{
    for (const char* zero : {"0", "-0", "0.0", "abc", "", "0x0"})
        runCases({{P(divR_iio), {"1", zero}, "false"}, {P(modR_iio), {"1", zero}, "false"},
                  {P(divR_iii), {"1", zero, "inf"}, "false"}, {P(modR_iii), {"1", zero, "inf"}, "false"}});
}

// The output slot is never examined, whatever it holds.
TEST(Arithmetic, OutputSlotOfAnyKindIsReplaced)
{
    const CONSTANT previous[] = {integer(9), sym("old"), real("7"), null()};
    for (const CONSTANT& old : previous) {
        std::vector<CONSTANT> slots{old, real("2"), real("5")};
        ASSERT_TRUE(addR_oii(slots.data(), 3)) << describe(old);
        EXPECT_TRUE(identical(slots[0], real("3.00000000")));
    }
}

// Every bound slot is checked for its kind before anything else: a wrong kind in any one of
// them fails the call, and an output pattern then leaves its slot alone. Each row is a call and
// its answer with every slot of the right kind; one answering "false" shows only that wrong
// kinds fail too.
TEST(Calls, EveryBoundSlotIsCheckedForItsKind)
{
    const std::vector<Case> rows = {
        {P(addR_iii), {"1", "1", "1"}, "false"},   {P(addR_iio), {"1", "2"}, "3.00000000"},
        {P(addR_oii), {"1", "1"}, "0.00000000"},  {P(subtR_iii), {"1", "1", "1"}, "false"},
        {P(subtR_iio), {"1", "2"}, "-1.00000000"}, {P(subtR_ioi), {"1", "1"}, "0.00000000"},
        {P(timesR_iii), {"1", "1", "1"}, "true"},  {P(timesR_iio), {"1", "2"}, "2.00000000"},
        {P(divR_iii), {"1", "1", "1"}, "true"},    {P(divR_iio), {"1", "2"}, "0.50000000"},
        {P(modR_iii), {"1", "1", "1"}, "false"},   {P(modR_iio), {"1", "2"}, "1.00000000"},
        {P(fabs_ii), {"1", "1"}, "true"},          {P(fabs_io), {"1"}, "1.00000000"},
        {P(pow_iii), {"2", "3", "8"}, "true"},     {P(pow_iio), {"2", "3"}, "8.00000000"},
        {P(root_iii), {"3", "8", "2"}, "true"},    {P(root_iio), {"3", "8"}, "2.00000000"},
        {P(sqrt_ii), {"4", "2"}, "true"},          {P(sqrt_io), {"4"}, "2.00000000"},
        {P(round_iii), {"3.14159", 2, "3.14"}, "true"}, {P(round_iio), {"3.14159", 2}, "3.14000000"},
        {P(floor_ii), {"2.5", 2}, "true"},         {P(floor_io), {"2.5"}, "2"},
        {P(ceil_ii), {"2.5", 3}, "true"},          {P(ceil_io), {"2.5"}, "3"},
        {P(exp_ii), {"0", "1"}, "true"},           {P(exp_io), {"0"}, "1.00000000"},
        {P(ln_ii), {"1", "0"}, "true"},            {P(ln_io), {"1"}, "0.00000000"},
        {P(log_iii), {"2", "8", "3"}, "true"},     {P(log_iio), {"2", "8"}, "3.00000000"},
        {P(log2_ii), {"8", "3"}, "true"},          {P(log2_io), {"8"}, "3.00000000"},
        {P(log10_ii), {"10", "1"}, "true"},        {P(log10_io), {"10"}, "1.00000000"},
        {P(sin_ii), {"0", "0"}, "true"},           {P(sin_io), {"0"}, "0.00000000"},
        {P(cos_ii), {"0", "1"}, "true"},           {P(cos_io), {"0"}, "1.00000000"},
        {P(tan_ii), {"0", "0"}, "true"},           {P(tan_io), {"0"}, "0.00000000"},
        {P(asin_ii), {"0", "0"}, "true"},          {P(asin_io), {"0"}, "0.00000000"},
        {P(acos_ii), {"1", "0"}, "true"},          {P(acos_io), {"1"}, "0.00000000"},
        {P(atan_ii), {"0", "0"}, "true"},          {P(atan_io), {"0"}, "0.00000000"},
        {P(deg2rad_ii), {"0", "0"}, "true"},       {P(deg2rad_io), {"0"}, "0.00000000"},
        {P(rad2deg_ii), {"0", "0"}, "true"},       {P(rad2deg_io), {"0"}, "0.00000000"},
    };
    const CONSTANT wrongReal[] = {integer(1), sym("1"), null()};
    const CONSTANT wrongInteger[] = {real("1"), sym("1"), null()};
    for (const Case& row : rows) {
        runCases({row});
        for (size_t k = 0; k < row.args.size(); ++k)
            for (const CONSTANT& bad : row.args[k].term.isInt() ? wrongInteger : wrongReal) {
                Case wrong = row;
                wrong.args[k] = bad;
                wrong.answer = "false";
                runCases({wrong});
            }
    }
}

// Results of ten million and more do not fit the 17-byte buffer of old; they are written whole.
TEST(Calls, LongResultsAreWrittenInFull)
{
    runCases({
        {P(addR_iio), {"5000000", "5000000"}, "10000000.00000000"},
        {P(timesR_iio), {"1000", "-1000"}, "-1000000.00000000"},
        {P(subtR_iio), {"-1e15", "0.5"}, "-1000000000000000.50000000"},
        {P(timesR_iio), {"1e300", "10"}, fixed8(1e300 * 10)},
        {P(timesR_iio), {"-1.7976931348623157e308", "1"}, fixed8(-DBL_MAX)},
        {P(pow_iio), {"10", "7"}, "10000000.00000000"},
        {P(pow_iio), {"-10", "301"}, fixed8(-std::pow(10.0, 301))},
        {P(root_iio), {"0.5", "1e100"}, fixed8(std::pow(1e100, 2.0))},
        {P(sqrt_io), {"1e300"}, fixed8(std::sqrt(1e300))},
        {P(round_iio), {"-98765432109.87654", 3}, fixed8(myRound(-98765432109.87654, 3))},
        {P(exp_io), {"20"}, fixed8(std::exp(20.0))},
        {P(exp_io), {"709"}, fixed8(std::exp(709.0))},
        {P(log_iio), {"1.0000001", "10"}, fixed8(std::log(10.0) / std::log(1.0000001))},
        {P(log_iio), {"0.9999999", "10"}, fixed8(std::log(10.0) / std::log(0.9999999))},
    });
    // The expected texts are as long as meant.
    EXPECT_EQ(fixed8(1e300 * 10).size(), 302u + 1 + 8);
    EXPECT_EQ(fixed8(-DBL_MAX).size(), 1u + 309 + 1 + 8);
    EXPECT_EQ(fixed8(std::log(10.0) / std::log(0.9999999)).size(), 18u);
}

struct RoundingCase {
    double num;
    int dec;
    double expected;
};

// Halves go upward; scales beyond the double range give the plain answer, not the NaN of 0/0
// or inf/inf.
TEST(Rounding, MyRound)
{
    const RoundingCase cases[] = {
        {2.5, 0, 3},       {-2.5, 0, -2},      {-1.5, 0, -1},       {-0.5, 0, 0},        {1.23456789, 4, 1.2346},
        {125, -1, 130},    {-125, -1, -120},   {0.125, 2, 0.13},    {-0.125, 2, -0.12},  {INFINITY, 8, INFINITY},
        {-INFINITY, -400, -INFINITY},          {1234.5, -324, 0},   {1234.5, -400, 0},   {1e308, -330, 0},
        {1234.5, -320, 0}, {0, -400, 0},       {1.5, 400, 1.5},     {1e300, 10, 1e300},  {0, 400, 0},
        {-2.25, 320, -2.25},
        {1.7976931348623157e308, -308, INFINITY}, // a true overflow of the rounded value stays one
        // No digit below the eighth decimal: the value itself, not moved by the scaling.
        {123456789012.5, 8, 123456789012.5}, {123456789.123456789, 8, 123456789.123456789}, {1e17, 8, 1e17},
        // A half as written goes upward, though the double stands a little below it (1.005,
        // 8.995, 2.675) or above it, or the product cannot hold it (eight-digit wholes).
        {1.005, 2, 1.01},  {0.145, 2, 0.15},   {8.995, 2, 9},       {2.675, 2, 2.68},    {-9.425, 2, -9.42},
        {-0.005, 2, 0},    {-0.145, 2, -0.14}, {15, -1, 20},        {-250, -2, -200},    {12345678.5, 0, 12345679},
        {-12345678.5, 0, -12345678},           {1.000000015, 8, 1.00000002},             {-1.000000015, 8, -1.00000001},
        {65870868.543521635, 8, 65870868.54352164}, {-47849565.988851935, 8, -47849565.98885193},
        {0.12345, 4, 0.1235}, {-0.12345, 4, -0.1234}, {1.0049999999999997, 2, 1}, // the double below 1.005 is no half
    };
    for (const auto& c : cases) {
        double rounded = myRound(c.num, c.dec);
        EXPECT_EQ(rounded, c.expected) << c.num << " to " << c.dec;
        EXPECT_EQ(std::signbit(rounded), std::signbit(c.expected)) << c.num << " to " << c.dec;
    }
    EXPECT_TRUE(std::isnan(myRound(NAN, 8)));
    EXPECT_TRUE(std::signbit(myRound(-1234.5, -400)));
}

// Rounding upward, downward or toward zero, a product past the double range stops at DBL_MAX
// instead of becoming infinite; it is past the range all the same, and nothing is left to round.
TEST(Rounding, EveryRoundingModeRoundsAlike)
{
    const RoundingCase cases[] = {
        {1e308, 1, 1e308}, {-1e308, 8, -1e308}, {1.7976931348623157e308, 8, 1.7976931348623157e308},
        {1e-310, 400, 1e-310}, {1234.5, -400, 0}, {2.5, 0, 3}, {-2.5, 0, -2}, {0.5, 8, 0.5},
    };
    for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        for (const auto& c : cases)
            EXPECT_EQ(myRound(c.num, c.dec), c.expected) << c.num << " to " << c.dec << " in mode " << mode;
        runCases({
            {P(addR_iii), {"1e308", "0", "5e307"}, "false"},
            {P(addR_iii), {"-1e308", "0", "-1e308"}, "true"},
            {P(timesR_iii), {"1e308", "1", "1e308"}, "true"},
            // Texts read and print in the mode too, as atof and printf do.
            {P(round_iio), {"1e308", 1}, fixed8(std::strtod("1e308", nullptr))},
        });
        std::fesetround(FE_TONEAREST);
    }
}

} // namespace
