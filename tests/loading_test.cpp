// The library as the engine meets it: loaded at run time, symbols found by name.
#include "predicates.h"

#include <dlfcn.h>

namespace {

TEST(Loading, PredicatesAreFoundByTheirPlainNames)
{
    void* library = dlopen(MATH_R_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();

    auto addR = reinterpret_cast<Predicate>(dlsym(library, "addR_iio"));
    ASSERT_NE(addR, nullptr) << dlerror();
    CONSTANT argv[3] = {CONSTANT("1.5", true), CONSTANT("2.25", true), CONSTANT()};
    ASSERT_TRUE(addR(argv, 3));
    EXPECT_STREQ(argv[2].toString(), "3.75000000");

    auto round = reinterpret_cast<double (*)(double, int)>(dlsym(library, "myRound"));
    ASSERT_NE(round, nullptr) << dlerror();
    EXPECT_EQ(round(2.5, 0), 3.0);

    // No pattern beyond the listed ones, and the internals stay internal.
    for (const char* absent : {"addR_ooi", "timesR_ioi", "fabs_oi", "writeReal", "equalRounded"})
        EXPECT_EQ(dlsym(library, absent), nullptr) << absent;
    dlclose(library);
}

} // namespace
