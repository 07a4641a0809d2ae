// The exponential and the logarithms.
#include "cases.h"

#include <cmath>
#include <cstdlib>

namespace {

TEST(Logarithms, OutputPatterns)
{
    runOutputCases({
        {P(exp_io), {"1"}, 1, "2.71828183"},
        {P(exp_io), {"abc"}, 1, "1.00000000"},
        {P(exp_io), {"-800"}, 1, "0.00000000"},
        {P(exp_io), {"1000"}, 1, "inf"},
        {P(ln_io), {"1"}, 1, "0.00000000"},
        {P(ln_io), {"10"}, 1, "2.30258509"},
        {P(ln_io), {"inf"}, 1, "inf"},
        {P(log_iio), {"2", "8"}, 2, "3.00000000"}, // slot 0 is the base
        {P(log_iio), {"8", "2"}, 2, "0.33333333"},
        {P(log_iio), {"10", "1000"}, 2, "3.00000000"},
        {P(log_iio), {"0.5", "4"}, 2, "-2.00000000"},
        {P(log_iio), {"0.5", "1"}, 2, "-0.00000000"},
        {P(log2_io), {"8"}, 1, "3.00000000"},
        {P(log2_io), {"0.25"}, 1, "-2.00000000"},
        {P(log2_io), {"10"}, 1, "3.32192809"},
        {P(log2_io), {"5e-324"}, 1, "-1074.00000000"},
        {P(log10_io), {"1000"}, 1, "3.00000000"},
        {P(log10_io), {"0.001"}, 1, "-3.00000000"},
        {P(log10_io), {"2"}, 1, "0.30103000"},
    });
}

// Each guard is needed: without it log would give -inf, inf or -0 and the call would succeed.
TEST(Logarithms, GuardsFailWithoutWriting)
{
    for (const char* notPositive : {"0", "-0", "-1", "abc", "nan", "-inf"})
        runOutputCases({
            {P(ln_io), {notPositive}, 1, "false"},
            {P(log2_io), {notPositive}, 1, "false"},
            {P(log10_io), {notPositive}, 1, "false"},
            {P(log_iio), {"2", notPositive}, 2, "false"},
            {P(log_iio), {notPositive, "10"}, 2, "false"},
        });
    runOutputCases({{P(log_iio), {"1", "10"}, 2, "false"}, {P(log_iio), {"-2", "4"}, 2, "false"}});
    runTestCases({
        {P(ln_ii), {"0", "0"}, false},
        {P(ln_ii), {"0", "-inf"}, false},
        {P(log2_ii), {"0", "-inf"}, false},
        {P(log10_ii), {"0", "-inf"}, false},
        {P(log_iii), {"2", "0", "-inf"}, false},
        {P(log_iii), {"1", "10", "inf"}, false},
        {P(log_iii), {"0", "10", "0"}, false},
        {P(log_iii), {"-2", "4", "2"}, false},
    });
}

TEST(Logarithms, TestPatterns)
{
    runTestCases({
        {P(exp_ii), {"1", "2.71828183"}, true},
        {P(exp_ii), {"1", "2.7182818"}, false},
        {P(exp_ii), {"1000", "inf"}, true},
        {P(exp_ii), {"nan", "nan"}, false},
        {P(ln_ii), {"2.718281828", "1"}, true},
        {P(ln_ii), {"10", "2.30258509"}, true},
        {P(log_iii), {"2", "8", "3"}, true},
        {P(log_iii), {"8", "2", "3"}, false},
        {P(log_iii), {"0.5", "4", "-2"}, true},
        {P(log2_ii), {"8", "3"}, true},
        {P(log2_ii), {"10", "3.32192809"}, true},
        {P(log10_ii), {"100", "2.000000004"}, true},
        {P(log10_ii), {"100", "2.00000001"}, false},
    });
}

// log2 divides by the stored ln 2; a constant off in its seventh digit shows at 8 decimals.
TEST(Logarithms, Log2DividesByTheStoredLn2)
{
    for (const char* x : {"1e300", "1.7976931348623157e308", "3e-300"})
        runOutputCases({{P(log2_io), {x}, 1, fixed8(std::log(std::atof(x)) / 0.6931471805599453)}});
}

TEST(Logarithms, LongResultsAreWrittenInFull)
{
    runOutputCases({
        {P(exp_io), {"20"}, 1, fixed8(std::exp(20.0))},
        {P(exp_io), {"709"}, 1, fixed8(std::exp(709.0))},
        {P(log_iio), {"1.0000001", "10"}, 2, fixed8(std::log(10.0) / std::log(1.0000001))},
        {P(log_iio), {"0.9999999", "10"}, 2, fixed8(std::log(10.0) / std::log(0.9999999))},
    });
    EXPECT_EQ(fixed8(std::log(10.0) / std::log(0.9999999)).size(), 18u);
}

TEST(Logarithms, EveryBoundSlotIsCheckedForItsKind)
{
    expectKindChecks({
        {P(exp_ii), {"0", "1"}, -1}, {P(exp_io), {"0"}, 1},
        {P(ln_ii), {"1", "0"}, -1}, {P(ln_io), {"1"}, 1},
        {P(log_iii), {"2", "8", "3"}, -1}, {P(log_iio), {"2", "8"}, 2},
        {P(log2_ii), {"8", "3"}, -1}, {P(log2_io), {"8"}, 1},
        {P(log10_ii), {"10", "1"}, -1}, {P(log10_io), {"10"}, 1},
    });
}

} // namespace
