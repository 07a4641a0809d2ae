// The library's own additions: comparing two reals, min and max, atan2.
#include "cases.h"

#include <cstdio>
#include <random>
#include <string>

namespace {

// Which comparisons hold for a pair: exactly one of less, equal, greater, or none for a NaN.
struct Comparison {
    const char *x, *y;
    char order; // '<', '=', '>', or '?' when unordered
};

TEST(Order, ComparisonsHoldAtEightDecimals)
{
    const Comparison rows[] = {
        {"9.5", "10", '<'},   {"10.5", "9.2", '>'}, {"-1", "-2", '>'}, // not the byte order of the texts
        {"0.000000001", "0.000000002", '='},                            // equal at 8 decimals
        {"1", "1.000000004", '='}, {"1", "1.000000006", '<'}, {"1.000000006", "1", '>'},
        {"1.000000015", "1.00000002", '='},                             // a written half goes upward
        {"0.000000015", "0.00000001", '='},                             // ... and the text written for it
        {"-0", "0", '='},     {"inf", "inf", '='},  {"-inf", "-inf", '='}, {"-inf", "inf", '<'},
        {"inf", "1e308", '>'}, {"1e300", "1.0000000000001e300", '<'}, // past 2^53 nothing is rounded
        {"nan", "nan", '?'},  {"nan", "1", '?'},    {"1", "-nan", '?'},   {"inf", "nan", '?'},
    };
    struct Named {
        Predicate predicate;
        const char* name;
        const char* holdsFor;
    } comparisons[] = {
        {P(equalR_ii), "="}, {P(notEqualR_ii), "<>?"}, {P(lessR_ii), "<"},
        {P(lessEqR_ii), "<="}, {P(greaterR_ii), ">"}, {P(greaterEqR_ii), ">="},
    };
    for (const Comparison& row : rows)
        for (const Named& c : comparisons) {
            bool expected = std::string(c.holdsFor).find(row.order) != std::string::npos;
            EXPECT_EQ(bool(holds(c.predicate, {real(row.x), real(row.y)})), expected)
                << c.name << "(\"" << row.x << "\", \"" << row.y << "\")";
        }
}

TEST(Order, MinMaxAndAtan2)
{
    runCases({
        {P(minR_iio), {"10.5", "9.2"}, "9.20000000"},
        {P(maxR_iio), {"10.5", "9.2"}, "10.50000000"},
        {P(minR_iio), {"2", "-0"}, "-0.00000000"}, // -0 is below +0, either way round
        {P(minR_iio), {"-0", "0"}, "-0.00000000"},
        {P(minR_iio), {"0", "-0"}, "-0.00000000"}, // where b < a ? b : a gives +0
        {P(maxR_iio), {"-0", "0"}, "0.00000000"},
        {P(maxR_iio), {"0", "-0"}, "0.00000000"},
        {P(minR_iio), {"-inf", "1"}, "-inf"},
        {P(minR_iio), {"nan", "1"}, "nan"}, // a NaN is not dropped, as fmin would
        {P(minR_iio), {"1", "nan"}, "nan"},
        {P(maxR_iio), {"1", "nan"}, "nan"},
        {P(minR_iii), {"1", "2", "1.000000004"}, "true"},
        {P(maxR_iii), {"1", "2", "1"}, "false"},
        {P(maxR_iii), {"nan", "2", "2"}, "false"},
        // atan2(Y, X): the angle of the point (X, Y), in every quadrant and on both zeros.
        {P(atan2_iio), {"1", "1"}, "0.78539816"},
        {P(atan2_iio), {"1", "-1"}, "2.35619449"},
        {P(atan2_iio), {"-1", "-1"}, "-2.35619449"},
        {P(atan2_iio), {"-1", "1"}, "-0.78539816"},
        {P(atan2_iio), {"1", "0"}, "1.57079633"},
        {P(atan2_iio), {"0", "-0"}, "3.14159265"},
        {P(atan2_iio), {"-0", "-1"}, "-3.14159265"},
        {P(atan2_iio), {"-0", "1"}, "-0.00000000"},
        {P(atan2_iio), {"0", "0"}, "0.00000000"},
        {P(atan2_iio), {"-inf", "inf"}, "-0.78539816"},
        {P(atan2_iii), {"1", "-1", "2.35619449"}, "true"},
        {P(atan2_iii), {"1", "-1", "-2.35619449"}, "false"},
    });
}

// For random pairs, near each other and far apart: exactly one of less, equal and greater holds,
// the others agree with them, and equal is addR_iii's "x + 0 = y".
TEST(Order, ExactlyOneOfLessEqualGreater)
{
    std::mt19937_64 random(20261207);
    long failures = 0;
    for (int pair = 0; pair < 100000 && failures < 10; ++pair) {
        double x = std::ldexp(std::uniform_real_distribution<double>(-1, 1)(random), int(random() % 80) - 40);
        double y = random() % 2 ? x + double(int(random() % 41) - 20) * 1e-9 : -x;
        char textX[40], textY[40];
        std::snprintf(textX, sizeof textX, "%.*g", int(1 + random() % 17), x);
        std::snprintf(textY, sizeof textY, random() % 2 ? "%.9f" : "%.17g", y);
        CONSTANT xy[2] = {real(textX), real(textY)}, yx[2] = {real(textY), real(textX)};
        CONSTANT sum[3] = {real(textX), real("0"), real(textY)};
        bool less = lessR_ii(xy, 2), equal = equalR_ii(xy, 2), greater = greaterR_ii(xy, 2);
        bool agree = less + equal + greater == 1 && equal == addR_iii(sum, 3) && notEqualR_ii(xy, 2) == !equal &&
                     lessEqR_ii(xy, 2) == (less || equal) && greaterEqR_ii(xy, 2) == (greater || equal) &&
                     lessR_ii(yx, 2) == greater && equalR_ii(yx, 2) == equal;
        if (!agree && ++failures)
            ADD_FAILURE() << textX << " and " << textY << ": less " << less << ", equal " << equal << ", greater "
                          << greater;
    }
}

} // namespace
