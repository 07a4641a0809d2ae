// Exhausted memory: with the N-th allocation of a call failing, for every N the call reaches,
// the exception reaches the caller, the output slot or assignment target keeps its previous
// content and nothing leaks. The global allocation functions are replaced in this program, and
// the library's own allocations (array new, std::string) resolve to them too.
#include "predicates.h"
#include "properties.h"

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

using properties::sameTerm;
using properties::showTerm;

// Makes allocation number n (from 0) of the enclosed code throw std::bad_alloc.
class FailingAllocation {
public:
    explicit FailingAllocation(long n)
    {
        allocationsSoFar = 0;
        failingAllocation = n;
    }
    ~FailingAllocation() { failingAllocation = -1; }
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;
};

// Calls attempt(n) for n = 0, 1, 2, ...; attempt makes the n-th allocation of the call under
// test fail, checks what must hold either way and returns whether the failure was reached.
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
            const std::string what = std::string(symbol.name) + " over " + showTerm(previous);
            long allocations = throughEveryAllocation(what, [&](long n) {
                std::vector<CONSTANT> argv = slots;
                bool threw = false, holds = false;
                {
                    FailingAllocation failing(n);
                    try {
                        holds = symbol.predicate(argv.data(), symbol.arity());
                    } catch (const std::bad_alloc&) {
                        threw = true;
                    }
                }
                for (unsigned k = 0; k < argv.size(); ++k) {
                    if (threw || static_cast<int>(k) != out) {
                        EXPECT_TRUE(sameTerm(argv[k], slots[k]))
                            << what << ", allocation " << n << " failing: slot " << k << " became " << showTerm(argv[k]);
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
        std::vector<CONSTANT> slots = workingInputs(symbol), rejected = slots;
        const unsigned firstInput = symbol.outputSlot() == 0 ? 1 : 0;
        rejected[firstInput] = sym("not a real");
        for (const std::vector<CONSTANT>* given : {&slots, &rejected}) {
            if (symbol.outputSlot() >= 0 && given == &slots)
                continue;
            long allocations = throughEveryAllocation(symbol.name, [&](long n) {
                std::vector<CONSTANT> argv = *given;
                FailingAllocation failing(n);
                try {
                    symbol.predicate(argv.data(), symbol.arity());
                } catch (const std::bad_alloc&) {
                    return true;
                }
                return false;
            });
            EXPECT_EQ(allocations, 0) << symbol.name << " with " << showTerm((*given)[firstInput]) << " in slot "
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
            FailingAllocation failing(n);
            try {
                CONSTANT made(longText, stringKind);
            } catch (const std::bad_alloc&) {
                return true;
            }
            return false;
        });
        long copies = throughEveryAllocation("copy of " + showTerm(source), [&](long n) {
            bool threw = false;
            {
                FailingAllocation failing(n);
                try {
                    CONSTANT copy(source);
                } catch (const std::bad_alloc&) {
                    threw = true;
                }
            }
            EXPECT_TRUE(sameTerm(source, CONSTANT(longText, stringKind)));
            return threw;
        });
        EXPECT_EQ(copies, 1);
    }

    const CONSTANT text(longText, true);
    throughEveryAllocation("toQuotedString", [&](long n) {
        FailingAllocation failing(n);
        try {
            std::unique_ptr<const char[]> quoted(text.toQuotedString());
        } catch (const std::bad_alloc&) {
            return true;
        }
        return false;
    });
}

TEST(AllocationFailure, AssignmentLeavesItsTargetIntact)
{
    const CONSTANT terms[] = {CONSTANT(longText, true), CONSTANT(longText, false), integer(-3), null()};
    for (const CONSTANT& target : terms)
        for (const CONSTANT& source : terms) {
            const std::string what = showTerm(source) + " over " + showTerm(target);
            throughEveryAllocation(what, [&](long n) {
                CONSTANT assigned(target);
                bool threw = false;
                {
                    FailingAllocation failing(n);
                    try {
                        assigned = source;
                    } catch (const std::bad_alloc&) {
                        threw = true;
                    }
                }
                EXPECT_TRUE(sameTerm(assigned, threw ? target : source)) << what << ": " << showTerm(assigned);
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
        bool threw = false;
        {
            FailingAllocation failing(n);
            try {
                parseStringTerm(text, elements);
            } catch (const std::bad_alloc&) {
                threw = true;
            }
        }
        EXPECT_LE(elements.size(), all.size());
        for (std::size_t k = 0; k < elements.size() && k < all.size(); ++k)
            EXPECT_EQ(elements[k], all[k]) << "allocation " << n << " failing";
        EXPECT_TRUE(threw || elements == all);
        return threw;
    });

    throughEveryAllocation("nElementsOf", [&](long n) {
        FailingAllocation failing(n);
        try {
            EXPECT_EQ(nElementsOf(text), 4);
        } catch (const std::bad_alloc&) {
            return true;
        }
        return false;
    });

    for (const CONSTANT& term : {CONSTANT(longText, true), CONSTANT(longText, false), integer(-2147483647 - 1), null()}) {
        const std::string expected = fromConstantToString(term);
        throughEveryAllocation("fromConstantToString of " + showTerm(term), [&](long n) {
            FailingAllocation failing(n);
            try {
                EXPECT_EQ(fromConstantToString(term), expected);
            } catch (const std::bad_alloc&) {
                return true;
            }
            return false;
        });
    }
}

} // namespace
