// Trigonometry in radians and the conversions between degrees and radians.
#include "cases.h"

#include <cmath>
#include <cstdlib>

namespace {

// 3.14159265358979 as a double, seven units in the last place below the double nearest pi.
const double realPi = 0x1.921fb54442d11p+1;

TEST(Trigonometry, Answers)
{
    runCases({
        {P(sin_io), {"0"}, "0.00000000"},
        {P(sin_io), {"1.5707963267948966"}, "1.00000000"},
        {P(sin_io), {"-3.14159265358979"}, "-0.00000000"},
        {P(sin_io), {"inf"}, "nan"},
        {P(cos_io), {"abc"}, "1.00000000"},
        {P(cos_io), {"3.141592653589793"}, "-1.00000000"},
        {P(cos_io), {"1.5707963267948966"}, "0.00000000"},
        {P(cos_io), {"-inf"}, "nan"},
        {P(tan_io), {"1"}, "1.55740772"},
        {P(tan_io), {"0.7853981633974483"}, "1.00000000"},
        {P(tan_io), {"inf"}, "nan"}, // the cosine is NaN, which is not zero
        {P(asin_io), {"1"}, "1.57079633"},
        {P(asin_io), {"-1"}, "-1.57079633"},
        {P(acos_io), {"-1"}, "3.14159265"},
        {P(acos_io), {"abc"}, "1.57079633"},
        {P(atan_io), {"1"}, "0.78539816"},
        {P(atan_io), {"1e300"}, "1.57079633"},
        {P(atan_io), {"-inf"}, "-1.57079633"},
        {P(deg2rad_io), {"180"}, "3.14159265"},
        {P(deg2rad_io), {"90"}, "1.57079633"},
        {P(deg2rad_io), {"-45"}, "-0.78539816"},
        {P(deg2rad_io), {"-inf"}, "-inf"},
        {P(rad2deg_io), {"1"}, "57.29577951"},
        {P(rad2deg_io), {"3.14159265358979"}, "180.00000000"},
        {P(rad2deg_io), {"100000"}, "5729577.95130824"}, // the nearest pi gives ...823
        // Multiplied first: dividing first would end in ...82776 and ...276.
        {P(rad2deg_io), {"2147483648"}, "123041749603.75781250"},
        {P(deg2rad_io), {"1e10"}, "174532925.19943279"},
        {P(rad2deg_io), {"nan"}, "nan"},
        // Where x times pi or 180 overflows and the answer does not, the division comes first.
        {P(deg2rad_io), {"6e307"}, fixed8(6e307 / 180 * 3.14159265358979)},
        {P(rad2deg_ii), {"-2e306", fixed8(-2e306 / 3.14159265358979 * 180).c_str()}, "true"},
        {P(rad2deg_io), {"4e306"}, "inf"},
        // Tests compare at 8 decimals.
        {P(sin_ii), {"3.14159265358979", "0"}, "true"},
        {P(sin_ii), {"inf", "nan"}, "false"},
        {P(cos_ii), {"inf", "nan"}, "false"},
        {P(cos_ii), {"0", "1"}, "true"},
        {P(tan_ii), {"1", "1.55740772"}, "true"},
        {P(tan_ii), {"inf", "nan"}, "false"},
        {P(asin_ii), {"1", "1.57079633"}, "true"},
        {P(acos_ii), {"-1", "3.14159265"}, "true"},
        {P(atan_ii), {"inf", "1.57079633"}, "true"},
        {P(deg2rad_ii), {"180", "3.14159265"}, "true"},
        {P(deg2rad_ii), {"180", "3.1415926"}, "false"},
        {P(rad2deg_ii), {"1", "57.29577951"}, "true"},
        {P(rad2deg_ii), {"1", "57.2957795"}, "false"},
        {P(rad2deg_ii), {"100000", "5729577.95130824"}, "true"},
        {P(rad2deg_ii), {"100000", "5729577.95130823"}, "false"},
    });
    // asin and acos need the unit interval.
    for (const char* outside : {"1.0000001", "-1.0000001", "-2", "2", "nan", "inf"})
        runCases({{P(asin_io), {outside}, "false"}, {P(acos_io), {outside}, "false"}});
}

// The tangent is refused where its cosine rounds to zero at 8 decimals (within about 5e-9
// of an odd multiple of pi/2), and computed as tan right outside, however long the text.
TEST(Trigonometry, TangentGuardIsTheRoundedCosine)
{
    for (const char* pole : {"1.57079633", "1.5707963267948966", "4.71238898", "-1.57079633",
                             "1.5707963227948966", "1.5707963307948966"}) { // cosine +-4e-9
        runCases({{P(tan_io), {pole}, "false"}});
        for (const char* given : {"0", "inf", "-inf", "nan"})
            runCases({{P(tan_ii), {pole, given}, "false"}});
    }
    for (const char* near : {"1.5707963", "1.57079632", "1.5707963207948966", "1.5707963327948966"}) {
        double tangent = std::tan(std::atof(near));
        runCases({{P(tan_io), {near}, fixed8(tangent)}});
        EXPECT_GT(std::fabs(tangent), 1e7) << near;
    }
}

// The conversions use exactly the stored pi and multiply before dividing. These angles are
// chosen so that the 8th decimal tells pi apart from its neighbouring doubles and the order
// of the operations apart from the other order.
TEST(Trigonometry, ConversionsUseTheStoredPiExactly)
{
    const double lower = std::nextafter(realPi, 0.0), upper = std::nextafter(realPi, 4.0);
    const double radians = std::atof("123182137.023"), degrees = std::atof("13200000253408.032");
    const std::string inDegrees = fixed8((radians * 180) / realPi), inRadians = fixed8((degrees * realPi) / 180);
    runCases({
        {P(rad2deg_io), {"123182137.023"}, inDegrees},
        {P(deg2rad_io), {"13200000253408.032"}, inRadians},
    });
    for (const std::string& other :
         {fixed8((radians * 180) / lower), fixed8((radians * 180) / upper), fixed8(radians * (180 / realPi))})
        EXPECT_NE(other, inDegrees) << "the angle does not tell the difference";
    for (const std::string& other :
         {fixed8((degrees * lower) / 180), fixed8((degrees * upper) / 180), fixed8(degrees * (realPi / 180))})
        EXPECT_NE(other, inRadians) << "the angle does not tell the difference";
}

} // namespace
