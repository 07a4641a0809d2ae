// A result costs one allocation, the text that its slot keeps; a failing call allocates nothing.
#include "predicates.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
}

// Replaces the global allocator for this test binary, and so for the library loaded into it.
void* operator new(std::size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

long allocationsOf(Predicate predicate, CONSTANT* argv, unsigned argc)
{
    long before = allocations;
    predicate(argv, argc);
    return allocations - before;
}

TEST(Allocation, OneTextPerWrittenResult)
{
    CONSTANT add[] = {real("1.5"), real("2.25"), sym("old")};
    EXPECT_EQ(allocationsOf(addR_iio, add, 3), 1);
    EXPECT_STREQ(add[2].toString(), "3.75000000");

    CONSTANT large[] = {real("1e300"), real("1e300"), null()}; // the snprintf path
    EXPECT_EQ(allocationsOf(timesR_iio, large, 3), 1);

    CONSTANT floor[] = {real("2.5"), real("old")}; // an Integer result needs no text
    EXPECT_EQ(allocationsOf(floor_io, floor, 2), 0);
    EXPECT_EQ(floor[1].toInt(), 2);

    CONSTANT test[] = {real("1.5"), real("2.25"), real("3.75")};
    EXPECT_EQ(allocationsOf(addR_iii, test, 3), 0);

    CONSTANT failing[] = {real("1"), real("0"), null()};
    EXPECT_EQ(allocationsOf(divR_iio, failing, 3), 0);
}

} // namespace
