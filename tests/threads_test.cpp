// The engine may call into the library from several threads at once. Every family of
// predicates and the term utilities run from 4 threads, interleaved differently on each, and
// every answer must be the one the same call gives on a single thread.
#include "predicates.h"

#include <atomic>
#include <functional>
#include <thread>

namespace {

struct Call {
    std::string label;
    std::function<std::string()> run; // the answer, as text
};

const char* const realTexts[] = {"0",    "1",   "-1",   "0.5",   "2",        "-2.5", "3.14159265358979",
                                 "1.5707963267948966", "100", "1e300", "-1e-300", "inf", "nan",
                                 "abc",  " 2",  "0x1p3", "-8",    "10",       "400",  "-0", "1.0000001"};
constexpr std::size_t realCount = sizeof realTexts / sizeof realTexts[0];
const int decimals[] = {-2, 0, 3, 8, 12};

// What a predicate call answers: false, or true and what it left in its output slot.
std::string answer(const PredicateSymbol& symbol, std::vector<CONSTANT> slots)
{
    bool holds = symbol.predicate(slots.data(), symbol.arity());
    int out = symbol.outputSlot();
    if (!holds)
        return "false";
    return out < 0 ? "true" : "true " + describe(slots[static_cast<unsigned>(out)]);
}

Call predicateCall(const PredicateSymbol& symbol, std::vector<CONSTANT> slots)
{
    std::string label = symbol.name;
    for (const CONSTANT& slot : slots)
        label += " [" + describe(slot) + "]";
    return {label, [&symbol, slots] { return answer(symbol, slots); }};
}

std::vector<Call> mixOfCalls()
{
    std::vector<Call> calls;
    for (const PredicateSymbol& symbol : predicateSymbols) {
        const int out = symbol.outputSlot();
        // A test pattern also gets the value its output pattern writes, so that it holds.
        std::string name = symbol.name;
        const PredicateSymbol* partner = out < 0 ? findSymbol(name.substr(0, name.size() - 1) + "o") : nullptr;
        for (std::size_t i = 0; i < 12; ++i) {
            std::vector<CONSTANT> slots;
            for (unsigned k = 0; k < symbol.arity(); ++k) {
                if (static_cast<int>(k) == out)
                    slots.push_back(sym("unwritten"));
                else if (symbol.integerInput(k))
                    slots.push_back(integer(decimals[i % 5]));
                else
                    slots.push_back(real(realTexts[(i * 5 + k * 7 + name.size()) % realCount]));
            }
            if (i % 7 == 3)
                slots[0] = null(); // the input check fails, or an output slot's old content is replaced
            if (partner && i % 2 == 0) {
                std::vector<CONSTANT> partnerSlots = slots;
                if (partner->predicate(partnerSlots.data(), partner->arity()))
                    slots.back() = partnerSlots.back();
            }
            calls.push_back(predicateCall(symbol, slots));
        }
    }

    const std::string terms[] = {"f(a,b)", "[a,(b,c),\"x,y\"]", "g(h(i),[j,k],\"l\")", "f(a)b,c", "t<x,y>", "abc"};
    for (const std::string& text : terms) {
        calls.push_back({"parseStringTerm " + text, [text] {
                             STRINGVECTOR elements{"first"};
                             parseStringTerm(text, elements);
                             std::string joined;
                             for (const std::string& element : elements)
                                 joined += element + "|";
                             return joined;
                         }});
        calls.push_back({"nElementsOf " + text, [text] { return std::to_string(nElementsOf(text)); }});
    }
    for (const CONSTANT& term : {real("a \"b\""), sym("s"), integer(-42), null()}) {
        calls.push_back({"fromConstantToString " + describe(term), [term] { return fromConstantToString(term); }});
        calls.push_back({"copy and compare " + describe(term), [term] {
                             CONSTANT copy(term), other("x", true);
                             other = copy;
                             return std::to_string(term != other) + std::to_string(copy < real("m"));
                         }});
    }
    return calls;
}

TEST(Threads, ConcurrentCallsAnswerAsOnOneThread)
{
    const std::vector<Call> calls = mixOfCalls();
    std::vector<std::string> expected;
    for (const Call& call : calls)
        expected.push_back(call.run());

    constexpr int threads = 4, rounds = 12;
    const std::size_t n = calls.size();
    std::atomic<int> ready{0};
    std::vector<std::vector<std::string>> mismatches(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            ready.fetch_add(1);
            while (ready.load() < threads)
                std::this_thread::yield(); // start together, so that the calls overlap
            for (std::size_t round = 0; round < rounds; ++round)
                for (std::size_t i = 0; i < n; ++i) {
                    // Each thread walks the calls from its own offset and with its own stride.
                    std::size_t index = (i * (2 * static_cast<std::size_t>(t) + 1) + round * 31 + t * n / threads) % n;
                    std::string got = calls[index].run();
                    if (got != expected[index] && mismatches[t].size() < 5)
                        mismatches[t].push_back(calls[index].label + ": " + got + " instead of " + expected[index]);
                }
        });
    for (std::thread& worker : workers)
        worker.join();

    for (int t = 0; t < threads; ++t)
        for (const std::string& mismatch : mismatches[t])
            ADD_FAILURE() << "thread " << t << ", " << mismatch;
}

} // namespace
