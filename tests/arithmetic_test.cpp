// The calling convention, the real codec and the arithmetic predicates.
#include "cases.h"

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

TEST(Arithmetic, OutputPatternsWriteEightDecimals)
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
    });
}

TEST(Arithmetic, ZeroDivisorFailsWithoutWriting)
{
    for (const char* zero : {"0", "-0", "0.0", "abc", "", "0x0"})
        runCases({{P(divR_iio), {"1", zero}, "false"}, {P(modR_iio), {"1", zero}, "false"}});
    for (Predicate test : {divR_iii, modR_iii})
        EXPECT_FALSE(holds(test, {real("1"), real("0"), real("inf")}));
}

// Results of ten million and more do not fit the 17-byte buffer of old; they are written whole.
TEST(Arithmetic, LongResultsAreWrittenInFull)
{
    runCases({
        {P(addR_iio), {"5000000", "5000000"}, "10000000.00000000"},
        {P(timesR_iio), {"1000", "-1000"}, "-1000000.00000000"},
        {P(subtR_iio), {"-1e15", "0.5"}, "-1000000000000000.50000000"},
    });
    std::vector<CONSTANT> slots{real("1e300"), real("10"), null()};
    ASSERT_TRUE(timesR_iio(slots.data(), 3));
    char expected[400];
    std::snprintf(expected, sizeof expected, "%.*f", 8, 1e300 * 10);
    EXPECT_STREQ(slots[2].toString(), expected);
    EXPECT_EQ(std::strlen(expected), 302u + 1 + 8);

    std::vector<CONSTANT> largest{real("-1.7976931348623157e308"), real("1"), null()};
    ASSERT_TRUE(timesR_iio(largest.data(), 3));
    EXPECT_EQ(std::strlen(largest[2].toString()), 1u + 309 + 1 + 8);
}

// Reading is atof: blanks, prefixes, hexadecimal, inf and nan forms all behave as atof does.
TEST(Arithmetic, InputsReadAsAtofReadsThem)
{
    runCases({
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
    });
}

TEST(Arithmetic, SlotsOfTheWrongKindFailBeforeAnythingIsRead)
{
    const CONSTANT wrong[] = {integer(1), sym("1"), null()};
    for (const CONSTANT& bad : wrong) {
        std::vector<CONSTANT> first{bad, real("2"), null()}, second{real("1"), bad, null()};
        for (Predicate p : {addR_iio, subtR_iio, timesR_iio, divR_iio, modR_iio}) {
            EXPECT_EQ(computes(p, first, 2), "false") << describe(bad);
            EXPECT_EQ(computes(p, second, 2), "false") << describe(bad);
        }
        EXPECT_EQ(computes(fabs_io, {bad, null()}, 1), "false");
        EXPECT_EQ(computes(addR_oii, {null(), bad, real("1")}, 0), "false");
        EXPECT_EQ(computes(addR_oii, {null(), real("1"), bad}, 0), "false");
        EXPECT_EQ(computes(subtR_ioi, {bad, null(), real("1")}, 1), "false");
        for (Predicate p : {addR_iii, subtR_iii, timesR_iii, divR_iii, modR_iii}) {
            EXPECT_FALSE(holds(p, {real("1"), real("1"), bad}));
            EXPECT_FALSE(holds(p, {bad, real("1"), real("1")}));
        }
        EXPECT_FALSE(holds(fabs_ii, {real("1"), bad}));
    }
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

TEST(Arithmetic, TestPatternsCompareAtEightDecimals)
{
    runCases({
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
        {P(fabs_ii), {"-1.5", "1.5"}, "true"},
        {P(fabs_ii), {"-0.123456789", "0.12345679"}, "false"}, // exact, not rounded
        {P(fabs_ii), {"-0", "0"}, "true"},
        {P(fabs_ii), {"nan", "nan"}, "false"},
    });
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
    };
    for (const auto& c : cases)
        EXPECT_EQ(myRound(c.num, c.dec), c.expected) << c.num << " to " << c.dec;
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
        });
        // Texts read and print in the mode too, as atof and printf do.
        runCases({{P(round_iio), {"1e308", 1}, fixed8(std::strtod("1e308", nullptr))}});
        std::fesetround(FE_TONEAREST);
    }
}

} // namespace
