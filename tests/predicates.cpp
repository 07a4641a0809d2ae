#include "predicates.h"

namespace {

::testing::AssertionResult untouched(const std::vector<CONSTANT>& before, const std::vector<CONSTANT>& after,
                                     size_t skip)
{
    for (size_t k = 0; k < before.size(); ++k)
        if (k != skip && !identical(before[k], after[k]))
            return ::testing::AssertionFailure()
                   << "slot " << k << " changed from " << describe(before[k]) << " to " << describe(after[k]);
    return ::testing::AssertionSuccess();
}

} // namespace

::testing::AssertionResult holds(Predicate predicate, std::vector<CONSTANT> slots)
{
    std::vector<CONSTANT> before = slots;
    bool result = predicate(slots.data(), static_cast<unsigned>(slots.size()));
    ::testing::AssertionResult same = untouched(before, slots, slots.size());
    if (!same)
        return same;
    return result ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "the test pattern failed";
}

std::string computes(Predicate predicate, std::vector<CONSTANT> slots, size_t out)
{
    slots[out] = sym("unwritten");
    std::vector<CONSTANT> before = slots;
    bool result = predicate(slots.data(), static_cast<unsigned>(slots.size()));
    EXPECT_TRUE(untouched(before, slots, out));
    if (!result) {
        EXPECT_TRUE(identical(before[out], slots[out])) << "a failing call wrote " << describe(slots[out]);
        return "false";
    }
    if (slots[out].isInt())
        return std::to_string(slots[out].toInt());
    EXPECT_TRUE(slots[out].isString()) << describe(slots[out]);
    return slots[out].isString() ? slots[out].toString() : describe(slots[out]);
}
