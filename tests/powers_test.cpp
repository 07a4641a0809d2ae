// Powers, roots, rounding to decimals, floor and ceiling.
#include "cases.h"

#include <cerrno>

namespace {

TEST(Powers, Answers)
{
    runCases({
        {P(pow_iio), {"2", "10"}, "1024.00000000"},
        {P(pow_iio), {"2", "0.5"}, "1.41421356"},
        {P(pow_iio), {"-2", "3"}, "-8.00000000"},
        {P(pow_iio), {"nan", "0"}, "1.00000000"},
        {P(root_iio), {"2", "16"}, "4.00000000"}, // slot 0 is the degree
        {P(root_iio), {"-2", "4"}, "0.50000000"},
        {P(root_iio), {"0.5", "3"}, "9.00000000"},
        {P(root_iio), {"1", "-8"}, "-8.00000000"},
        {P(sqrt_io), {"2"}, "1.41421356"},
        {P(sqrt_io), {"-0"}, "-0.00000000"},
        {P(sqrt_io), {"inf"}, "inf"},
        // pow reports domain, pole and range errors through errno; the output patterns fail on them.
        {P(pow_iio), {"-8", "0.5"}, "false"}, // domain
        {P(pow_iio), {"0", "-1"}, "false"},   // pole
        {P(pow_iio), {"10", "400"}, "false"}, // overflow
        {P(pow_iio), {"10", "-400"}, "false"}, // underflow to zero
        {P(root_iio), {"3", "-8"}, "false"},
        {P(root_iio), {"-1", "0"}, "false"},
        {P(root_iio), {"0.001", "10"}, "false"},
        // A zero degree is refused before pow, which would give inf or 0 without complaint.
        {P(root_iio), {"0", "27"}, "false"},
        {P(root_iio), {"-0", "0.5"}, "false"},
        {P(root_iio), {"abc", "27"}, "false"},
        {P(sqrt_io), {"-1"}, "false"},
        {P(sqrt_io), {"nan"}, "false"},
        // Tests compare at 8 decimals.
        {P(pow_iii), {"2", "10", "1024"}, "true"},
        {P(pow_iii), {"10", "400", "inf"}, "true"}, // no errno test here
        {P(pow_iii), {"10", "400", "-inf"}, "false"},
        {P(pow_iii), {"-8", "0.5", "nan"}, "false"},
        {P(pow_iii), {"-8", "0.5", "0"}, "false"},
        {P(root_iii), {"3", "27", "3"}, "true"},
        {P(root_iii), {"27", "3", "3"}, "false"},
        {P(root_iii), {"0", "27", "inf"}, "false"},
        {P(root_iii), {"0", "0.5", "0"}, "false"},
        {P(sqrt_ii), {"2", "1.41421356"}, "true"},
        {P(sqrt_ii), {"2", "1.41421357"}, "false"},
        {P(sqrt_ii), {"-0", "0"}, "true"},
        {P(sqrt_ii), {"-4", "nan"}, "false"},
    });
}

// errno is cleared right before pow: what the caller, an earlier call or the reading of the
// inputs (atof reports out-of-range texts) left there does not fail the call.
TEST(Powers, StaleErrnoDoesNotFailACall)
{
    for (int stale : {EDOM, ERANGE}) {
        errno = stale;
        EXPECT_EQ(computes(pow_iio, {real("2"), real("10"), null()}, 2), "1024.00000000");
        errno = stale;
        EXPECT_EQ(computes(root_iio, {real("2"), real("16"), null()}, 2), "4.00000000");
    }
    // In this order: each failure leaves errno set for the call after it.
    runCases({
        {P(pow_iio), {"10", "400"}, "false"},
        {P(pow_iio), {"2", "10"}, "1024.00000000"},
        {P(root_iio), {"3", "-8"}, "false"},
        {P(root_iio), {"2", "16"}, "4.00000000"},
        {P(pow_iio), {"1e-400", "0"}, "1.00000000"},
        {P(pow_iio), {"1e999", "-1"}, "0.00000000"},
        {P(root_iio), {"1e400", "5"}, "1.00000000"}, // degree inf: exponent 0
    });
}

TEST(Rounding, RoundTakesIntegerDecimalsUpToEight)
{
    runCases({
        {P(round_iio), {"3.14159", 2}, "3.14000000"},
        {P(round_iio), {"2.5", 0}, "3.00000000"},
        {P(round_iio), {"-2.5", 0}, "-2.00000000"},
        {P(round_iio), {"1234.5", -2}, "1200.00000000"},
        {P(round_iio), {"0.123456789012", 12}, "0.12345679"},
        {P(round_iio), {"0.123456789012", INT_MAX}, "0.12345679"},
        {P(round_iio), {"123.456", -323}, "0.00000000"},
        {P(round_iio), {"123.456", -324}, "0.00000000"}, // 10^d is 0: all is rounded off
        {P(round_iio), {"-123.456", INT_MIN}, "-0.00000000"},
        {P(round_iio), {"-1234567.4", 0}, "-1234567.00000000"},
        {P(round_iio), {"1.005", 2}, "1.01000000"},
        {P(round_iio), {"-9.425", 2}, "-9.42000000"},
        {P(round_iio), {"-0.005", 2}, "0.00000000"},
        // The product with 10^dec is exactly a negative half, though the text is none: the half
        // goes upward, to a zero without a sign.
        {P(round_iio), {"-5.0000000000000004e-08", 7}, "0.00000000"},
        {P(round_iio), {"-500000.00000000006", -6}, "0.00000000"},
        {P(round_iio), {"-499999999999999.94", -15}, "0.00000000"},
        {P(round_iio), {"-5.0000000000000004e+22", -23}, "0.00000000"},
        // To tens and more, the answer is the multiple itself, which the test takes back.
        {P(round_iio), {"99999.9999", -5}, "100000.00000000"},
        {P(round_iii), {"99999.9999", -5, "100000.00000000"}, "true"},
        // 10^22 is the last power of ten that a double holds: there the product with it is still
        // the nearest double to the multiple, 7 x 10^22; beyond, the quotient by 10^-23 is used.
        {P(round_iio), {"7e22", -22}, "70000000000000004194304.00000000"},
        {P(round_iio), {"7e22", -23}, "100000000000000008388608.00000000"},
        {P(round_iio), {"3.14159", "2"}, "false"},
        // z is compared exactly, unrounded.
        {P(round_iii), {"3.14159", 2, "3.14"}, "true"},
        {P(round_iii), {"1.005", 2, "1.01"}, "true"},
        {P(round_iii), {"3.14159", 2, "3.14000000"}, "true"},
        {P(round_iii), {"3.14159", 2, "3.140000001"}, "false"},
        {P(round_iii), {"0.123456789012", 12, "0.12345679"}, "true"},
        {P(round_iii), {"0.123456789012", 12, "0.123456789012"}, "false"},
        {P(round_iii), {"0.123456789", 8, "0.123456789"}, "false"},
        {P(round_iii), {"3.14159", "2", "3.14"}, "false"},
        {P(round_iii), {"1", -324, "0"}, "true"},
        {P(round_iii), {"1", -324, "nan"}, "false"},
    });
}

// The int value exists only inside the 32-bit range; elsewhere the call fails, so no
// double-to-int conversion outside that range ever happens.
TEST(Rounding, FloorAndCeilGiveIntegersInRangeOnly)
{
    runCases({
        {P(floor_io), {"-2.5"}, "-3"},
        {P(ceil_io), {"-2.5"}, "-2"},
        {P(floor_io), {"2.9999999999"}, "2"},
        {P(ceil_io), {"2.0000000001"}, "3"},
        {P(floor_io), {"abc"}, "0"},
        {P(ceil_io), {"-0.5"}, "0"},
        {P(floor_io), {"2147483647.9"}, "2147483647"},
        {P(ceil_io), {"2147483647.1"}, "false"},
        {P(ceil_io), {"-2147483648.9"}, "-2147483648"},
        {P(floor_io), {"-2147483648.1"}, "false"},
        {P(floor_io), {"1e300"}, "false"},
        {P(ceil_io), {"-1e300"}, "false"},
        {P(floor_ii), {"2.9", 2}, "true"},
        {P(ceil_ii), {"2.1", 3}, "true"},
        {P(floor_ii), {"2.9", 3}, "false"},
        {P(floor_ii), {"2.9", 1}, "false"}, // below the floor: the comparison is ==, not >=
        {P(ceil_ii), {"2.1", 4}, "false"},  // above the ceiling
        {P(floor_ii), {"2.9", "2"}, "false"}, // a real term is not an Integer
        {P(floor_ii), {"-2147483648", INT_MIN}, "true"},
        {P(ceil_ii), {"2147483647", INT_MAX}, "true"},
    });
    // Out of range nothing is written, and whatever a conversion would give (saturation, INT_MIN)
    // never matches.
    for (const char* none : {"inf", "-inf", "nan", "-nan", "1e10", "-1e10", "2147483648"}) {
        runCases({{P(floor_io), {none}, "false"}, {P(ceil_io), {none}, "false"}});
        for (int k : {INT_MIN, INT_MAX, 0})
            runCases({{P(floor_ii), {none, k}, "false"}, {P(ceil_ii), {none, k}, "false"}});
    }
}

} // namespace
