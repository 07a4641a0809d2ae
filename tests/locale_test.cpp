// Under a locale whose decimal point is a comma, atof and printf use the comma; the library
// must read and write exactly as they do, whether the locale is global or set per thread.
#include "predicates.h"
#include "real_text_check.h"

#include <clocale>
#include <langinfo.h>
#include <locale.h>
#include <thread>

namespace {

const char* const COMMA_LOCALE = "de_DE.UTF-8";

const char* const TEXTS[] = {"1.5", "1,5", "-2,25", "3", "1e3", "1,5e3", "0,000000005", " 7,5", "+1,25",
                             "3,75000000", "9007199254740993", "1.5,5", ",5", "inf", "0x1,8p1"};
const double VALUES[] = {3.75, -0.5, 1.0 / 3, 0x1p-9, -1e-9, 0.0, -0.0, 123456789.123, 1e300, 5e-324};

// Everything that reads or writes a real, compared with atof and snprintf in the current locale.
void expectSameAsTheCLibrary()
{
    ASSERT_STREQ(nl_langinfo(RADIXCHAR), ",");
    for (const char* text : TEXTS)
        EXPECT_EQ(checkRead(text), "");
    for (double v : VALUES)
        EXPECT_EQ(checkWrite(v), "");
    // Through a predicate: the comma is the decimal point, the full stop ends the number.
    EXPECT_EQ(computes(addR_iio, {real("1,5"), real("2,25"), null()}, 2), "3,75000000");
    EXPECT_EQ(computes(addR_iio, {real("1.5"), real("2.25"), null()}, 2), "3,00000000");
    EXPECT_TRUE(holds(addR_iii, {real("0,1"), real("0,2"), real("0,3")}));
}

TEST(CommaLocale, GlobalLocaleIsFollowed)
{
    if (!std::setlocale(LC_ALL, COMMA_LOCALE))
        GTEST_SKIP() << COMMA_LOCALE << " is not installed; make test generates it";
    expectSameAsTheCLibrary();
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(computes(addR_iio, {real("1.5"), real("2.25"), null()}, 2), "3.75000000");
}

// uselocale changes only the calling thread: the other thread keeps the full stop meanwhile.
TEST(CommaLocale, ThreadLocaleIsFollowed)
{
    locale_t comma = newlocale(LC_NUMERIC_MASK, COMMA_LOCALE, static_cast<locale_t>(nullptr));
    if (!comma)
        GTEST_SKIP() << COMMA_LOCALE << " is not installed; make test generates it";
    std::thread other([comma] {
        locale_t previous = uselocale(comma);
        expectSameAsTheCLibrary();
        uselocale(previous);
    });
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(computes(addR_iio, {real("1.5"), real("2.25"), null()}, 2), "3.75000000");
    other.join();
    freelocale(comma);
}

} // namespace
