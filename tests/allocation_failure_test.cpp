// Exhausted memory: with the N-th allocation of a call failing, for every N the call reaches,
// the exception reaches the caller, the output slot or assignment target keeps its previous
// content and nothing leaks. The global allocation functions are replaced in this program, and
// the library's own allocations (array new, std::string) resolve to them too.
#include "predicates.h"

#include <cstdlib>
#include <memory>
#include <new>

namespace {

// One thread only: gtest runs the tests of this program one after another.
long allocationsSoFar = 0; // since the failure was armed
long failingAllocation = -1;
long liveBlocks = 0;

void* allocate(std::size_t size)
{
    if (failingAllocation >= 0 && allocationsSoFar++ == failingAllocation)
        throw std::bad_alloc();
    void* block = std::malloc(size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    ++liveBlocks;
    return block;
}

void release(void* block) noexcept
{
    if (block) {
        --liveBlocks;
        std::free(block);
    }
}

} // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, std::size_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t) noexcept { release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { release(block); }

namespace {

// Runs call with its allocation number n (from 0) throwing std::bad_alloc; whether it threw.
// The failure is disarmed again before the caller checks anything.
template <class Call>
bool throwsWithFailing(long n, Call call)
{
    allocationsSoFar = 0;
    failingAllocation = n;
    bool threw = false;
    try {
        call();
    } catch (const std::bad_alloc&) {
        threw = true;
    }
    failingAllocation = -1;
    return threw;
}

// Calls attempt(n) for n = 0, 1, 2, ...; attempt makes the n-th allocation of the call under
// test fail (throwsWithFailing), checks what must hold either way and returns whether it threw.
// Stops at the first n the call no longer reaches and returns it: the number of allocations
// the call makes. Every attempt, failed or not, must give back all it allocated.
template <class Attempt>
long throughEveryAllocation(const std::string& what, Attempt attempt)
{
    for (long n = 0; n < 64; ++n) {
        long before = liveBlocks;
        bool failed = attempt(n);
        EXPECT_EQ(liveBlocks, before) << what << ": blocks leaked with allocation " << n << " failing";
        if (!failed)
            return n;
    }
    ADD_FAILURE() << what << " makes more than 64 allocations";
    return -1;
}

const CONSTANT previousContents[] = {sym("previous result"), real("12.5"), integer(7), null()};

// Inputs on which the predicate holds (its output pattern writes a result).
std::vector<CONSTANT> workingInputs(const PredicateSymbol& symbol)
{
    std::vector<CONSTANT> slots;
    for (unsigned k = 0; k < symbol.arity(); ++k) {
        if (symbol.integerInput(k))
            slots.push_back(integer(std::strncmp(symbol.name, "round_", 6) == 0 ? 2 : 0));
        else
            slots.push_back(real(k == 0 ? "0.5" : "1"));
    }
    return slots;
}

TEST(AllocationFailure, OutputPatternsKeepTheirSlotWhenWritingFails)
{
    for (const PredicateSymbol& symbol : predicateSymbols) {
        const int out = symbol.outputSlot();
        if (out < 0)
            continue;
        for (const CONSTANT& previous : previousContents) {
            std::vector<CONSTANT> slots = workingInputs(symbol);
            slots[static_cast<unsigned>(out)] = previous;
            const std::string what = std::string(symbol.name) + " over " + describe(previous);
            long allocations = throughEveryAllocation(what, [&](long n) {
                std::vector<CONSTANT> argv = slots;
                bool holds = false;
                bool threw = throwsWithFailing(n, [&] { holds = symbol.predicate(argv.data(), symbol.arity()); });
                for (unsigned k = 0; k < argv.size(); ++k) {
                    if (threw || static_cast<int>(k) != out) {
                        EXPECT_TRUE(identical(argv[k], slots[k]))
                            << what << ", allocation " << n << " failing: slot " << k << " became " << describe(argv[k]);
                    }
                }
                EXPECT_TRUE(threw || holds) << what;
                return threw;
            });
            // An Integer result needs no text; a real's text is allocated once, for the slot.
            EXPECT_EQ(allocations, symbol.writesInteger() ? 0 : 1) << what;
        }
    }
}

TEST(AllocationFailure, TestPatternsAndRejectedCallsAllocateNothing)
{
    for (const PredicateSymbol& symbol : predicateSymbols) {
        std::vector<std::vector<CONSTANT>> calls(1, workingInputs(symbol));
        const unsigned firstInput = symbol.outputSlot() == 0 ? 1 : 0;
        calls[0][firstInput] = sym("not a real");
        if (symbol.outputSlot() < 0)
            calls.push_back(workingInputs(symbol)); // a test pattern, also with every input of its kind
        for (const std::vector<CONSTANT>& given : calls) {
            long allocations = throughEveryAllocation(symbol.name, [&](long n) {
                std::vector<CONSTANT> argv = given;
                return throwsWithFailing(n, [&] { symbol.predicate(argv.data(), symbol.arity()); });
            });
            EXPECT_EQ(allocations, 0) << symbol.name << " with " << describe(given[firstInput]) << " in slot "
                                      << firstInput;
        }
    }
}

// Long enough that no short-string storage hides an allocation.
const char* const longText = "a text well beyond any small-string buffer";

TEST(AllocationFailure, TermConstructionAndCopyLeakNothing)
{
    for (bool stringKind : {true, false}) {
        const CONSTANT source(longText, stringKind);
        throughEveryAllocation("text constructor", [&](long n) {
            return throwsWithFailing(n, [&] { CONSTANT made(longText, stringKind); });
        });
        long copies = throughEveryAllocation("copy of " + describe(source), [&](long n) {
            bool threw = throwsWithFailing(n, [&] { CONSTANT copy(source); });
            EXPECT_TRUE(identical(source, CONSTANT(longText, stringKind)));
            return threw;
        });
        EXPECT_EQ(copies, 1);
    }

    const CONSTANT text(longText, true);
    throughEveryAllocation("toQuotedString", [&](long n) {
        return throwsWithFailing(n, [&] { std::unique_ptr<const char[]> quoted(text.toQuotedString()); });
    });
}

TEST(AllocationFailure, AssignmentLeavesItsTargetIntact)
{
    const CONSTANT terms[] = {CONSTANT(longText, true), CONSTANT(longText, false), integer(-3), null()};
    for (const CONSTANT& target : terms)
        for (const CONSTANT& source : terms) {
            const std::string what = describe(source) + " over " + describe(target);
            throughEveryAllocation(what, [&](long n) {
                CONSTANT assigned(target);
                bool threw = throwsWithFailing(n, [&] { assigned = source; });
                EXPECT_TRUE(identical(assigned, threw ? target : source)) << what << ": " << describe(assigned);
                return threw;
            });
        }
}

TEST(AllocationFailure, TextUtilitiesPropagateTheFailureAndKeepEarlierElements)
{
    const std::string text = "f(the first element of this term,[a second element, with a comma],\"a third, quoted\",x)";
    STRINGVECTOR all{"held before"};
    parseStringTerm(text, all);
    ASSERT_EQ(all.size(), 5u);

    throughEveryAllocation("parseStringTerm", [&](long n) {
        STRINGVECTOR elements{"held before"};
        bool threw = throwsWithFailing(n, [&] { parseStringTerm(text, elements); });
        EXPECT_LE(elements.size(), all.size());
        for (std::size_t k = 0; k < elements.size() && k < all.size(); ++k)
            EXPECT_EQ(elements[k], all[k]) << "allocation " << n << " failing";
        EXPECT_TRUE(threw || elements == all);
        return threw;
    });

    throughEveryAllocation("nElementsOf", [&](long n) {
        int count = 0;
        bool threw = throwsWithFailing(n, [&] { count = nElementsOf(text); });
        EXPECT_TRUE(threw || count == 4) << count;
        return threw;
    });

    for (const CONSTANT& term : {CONSTANT(longText, true), CONSTANT(longText, false), integer(-2147483647 - 1), null()}) {
        const std::string expected = fromConstantToString(term);
        throughEveryAllocation("fromConstantToString of " + describe(term), [&](long n) {
            std::string form;
            bool threw = throwsWithFailing(n, [&] { form = fromConstantToString(term); });
            EXPECT_TRUE(threw || form == expected) << form;
            return threw;
        });
    }
}

} // namespace
