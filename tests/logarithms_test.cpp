// The exponential and the logarithms.
#include "cases.h"

#include <cmath>
#include <cstdlib>

namespace {

TEST(Logarithms, Answers)
{
    runCases({
        {P(exp_io), {"1"}, "2.71828183"},
        {P(exp_io), {"abc"}, "1.00000000"},
        {P(exp_io), {"-800"}, "0.00000000"},
        {P(exp_io), {"1000"}, "inf"},
        {P(ln_io), {"1"}, "0.00000000"},
        {P(ln_io), {"10"}, "2.30258509"},
        {P(ln_io), {"inf"}, "inf"},
        {P(log_iio), {"2", "8"}, "3.00000000"}, // slot 0 is the base
        {P(log_iio), {"8", "2"}, "0.33333333"},
        {P(log_iio), {"10", "1000"}, "3.00000000"},
        {P(log_iio), {"0.5", "4"}, "-2.00000000"},
        {P(log_iio), {"0.5", "1"}, "-0.00000000"},
        {P(log2_io), {"8"}, "3.00000000"},
        {P(log2_io), {"0.25"}, "-2.00000000"},
        {P(log2_io), {"10"}, "3.32192809"},
        {P(log2_io), {"5e-324"}, "-1074.00000000"},
        {P(log10_io), {"1000"}, "3.00000000"},
        {P(log10_io), {"0.001"}, "-3.00000000"},
        {P(log10_io), {"2"}, "0.30103000"},
        // Tests compare at 8 decimals.
        {P(exp_ii), {"1", "2.71828183"}, "true"},
        {P(exp_ii), {"1", "2.7182818"}, "false"},
        {P(exp_ii), {"1000", "inf"}, "true"},
        {P(exp_ii), {"nan", "nan"}, "false"},
        {P(ln_ii), {"2.718281828", "1"}, "true"},
        {P(ln_ii), {"10", "2.30258509"}, "true"},
        {P(log_iii), {"2", "8", "3"}, "true"},
        {P(log_iii), {"8", "2", "3"}, "false"},
        {P(log_iii), {"0.5", "4", "-2"}, "true"},
        {P(log2_ii), {"8", "3"}, "true"},
        {P(log2_ii), {"10", "3.32192809"}, "true"},
        {P(log10_ii), {"100", "2.000000004"}, "true"},
        {P(log10_ii), {"100", "2.00000001"}, "false"},
    });
    // log2 divides by the stored ln 2; a constant off in its seventh digit shows at 8 decimals.
    for (const char* x : {"1e300", "1.7976931348623157e308", "3e-300"})
        runCases({{P(log2_io), {x}, fixed8(std::log(std::atof(x)) / 0.6931471805599453)}});
}

// Each guard is needed: without it log would give -inf, inf or -0 and the call would succeed.
TEST(Logarithms, GuardsFailWithoutWriting)
{
    for (const char* notPositive : {"0", "-0", "-1", "abc", "nan", "-inf"})
        runCases({
            {P(ln_io), {notPositive}, "false"},
            {P(log2_io), {notPositive}, "false"},
            {P(log10_io), {notPositive}, "false"},
            {P(log_iio), {"2", notPositive}, "false"},
            {P(log_iio), {notPositive, "10"}, "false"},
        });
    runCases({
        {P(log_iio), {"1", "10"}, "false"},
        {P(log_iio), {"-2", "4"}, "false"},
        {P(ln_ii), {"0", "0"}, "false"},
        {P(ln_ii), {"0", "-inf"}, "false"},
        {P(log2_ii), {"0", "-inf"}, "false"},
        {P(log10_ii), {"0", "-inf"}, "false"},
        {P(log_iii), {"2", "0", "-inf"}, "false"},
        {P(log_iii), {"1", "10", "inf"}, "false"},
        {P(log_iii), {"0", "10", "0"}, "false"},
        {P(log_iii), {"-2", "4", "2"}, "false"},
    });
}

} // namespace
