// Cost of one predicate call, for every family in its output pattern and its test pattern (given
// the right value and given another), against the literal path measured in the same run.
//
// The literal path is the straightforward build of the same predicate: atof of each input, the
// same guard and the same maths, then for an output pattern snprintf "%.*f" into a buffer, a
// temporary String term and operator= into the slot (two copies of the text), and for a test
// pattern rounding both sides with pow(10, 8) computed on each call and nothing more: the
// library's second comparison, of the written texts, is its own cost, which failing tests (most
// of a rule program's) show; it must stay small for them. Each family's fast call is
// divided by its own literal call on the same inputs, so the maths, which both pay alike, stays
// in both and the ratio shows what the codec and the allocation save where it counts: a cheap
// formula shows most of it, an expensive one (pow, sin) less.
//
// The codec's cost also depends on the size and form of the texts, so addR's output and test
// patterns are timed again on texts by magnitude, from short decimals to 300-digit ones.
//
// Goals, as ratios to the literal path: across the families, the output patterns' median at
// most 0.15, the test patterns' (holding, and failing) at most 0.28 each, and no row above 0.40;
// in every text-size row, the output pattern at most 0.20 and the test pattern at most 0.35; and
// the same mix on two threads at least 1.8 times the throughput of one.
//
// The host's answering of a rule body of 40,000 calls chained through variables: at most 4
// times the same body written with _, so that its cost grows with its length.
//
// The library's reader against std::from_chars (with strlen, as a terminated text needs it) on
// the texts of the text-size rows: on each, at most as long, so that our own code is kept only
// where it is faster. The families' texts are timed too, for comparison.

#include "call_parser.h"
#include "evaluation.h"
#include "predicate_library.h"
#include "real_text.h"
#include "symbols.h"
#include "workload.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <new>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include <unistd.h>

namespace {

// ---- the literal path, with the library's guards and formulas ----

double literalRound(double num, int dec)
{
    double scale = std::pow(10, dec), t = scale * num;
    if (!std::isfinite(t) || scale == 0)
        return scale == 0 && std::isfinite(num) ? std::copysign(0.0, num) : num;
    double r = std::round(t);
    if (t - r >= 0.5)
        r += 1;
    return r / scale;
}

bool literalEqualRounded(double a, double b) { return literalRound(a, 8) == literalRound(b, 8); }

bool literalWrite(CONSTANT& slot, double value)
{
    char text[320];
    std::snprintf(text, sizeof text, "%.*f", 8, value);
    slot = CONSTANT(text, true);
    return true;
}

double readLiteral(const CONSTANT& term) { return std::atof(term.toString()); }

bool anyValue(double) { return true; }
bool anyValues(double, double) { return true; }

template <double (*F)(double), bool (*G)(double) = anyValue>
bool literalOut1(CONSTANT* argv, unsigned)
{
    if (!argv[0].isString())
        return false;
    double x = readLiteral(argv[0]);
    return G(x) && literalWrite(argv[1], F(x));
}

template <double (*F)(double), bool (*G)(double) = anyValue>
bool literalTest1(CONSTANT* argv, unsigned)
{
    if (!argv[0].isString() || !argv[1].isString())
        return false;
    double x = readLiteral(argv[0]), given = readLiteral(argv[1]);
    return G(x) && literalEqualRounded(F(x), given);
}

template <double (*F)(double, double), bool (*G)(double, double) = anyValues>
bool literalOut2(CONSTANT* argv, unsigned)
{
    if (!argv[0].isString() || !argv[1].isString())
        return false;
    double x = readLiteral(argv[0]), y = readLiteral(argv[1]);
    return G(x, y) && literalWrite(argv[2], F(x, y));
}

template <double (*F)(double, double), bool (*G)(double, double) = anyValues>
bool literalTest2(CONSTANT* argv, unsigned)
{
    if (!argv[0].isString() || !argv[1].isString() || !argv[2].isString())
        return false;
    double x = readLiteral(argv[0]), y = readLiteral(argv[1]), given = readLiteral(argv[2]);
    return G(x, y) && literalEqualRounded(F(x, y), given);
}

double plus(double a, double b) { return a + b; }
double minus(double a, double b) { return a - b; }
double times(double a, double b) { return a * b; }
double quotient(double a, double b) { return a / b; }
double remainder(double a, double b) { return std::fmod(a, b); }
double absolute(double x) { return std::fabs(x); }
double power(double b, double e) { return std::pow(b, e); }
double root(double n, double x) { return std::pow(x, 1 / n); }
double squareRoot(double x) { return std::sqrt(x); }
double exponential(double x) { return std::exp(x); }
double ln(double x) { return std::log(x); }
double logBase(double b, double x) { return std::log(x) / std::log(b); }
double log2ByLn2(double x) { return std::log(x) / 0.6931471805599453; }
double decimalLog(double x) { return std::log10(x); }
double sine(double x) { return std::sin(x); }
double cosine(double x) { return std::cos(x); }
double tangent(double x) { return std::tan(x); }
double arcSine(double x) { return std::asin(x); }
double arcCosine(double x) { return std::acos(x); }
double arcTangent(double x) { return std::atan(x); }
double deg2rad(double x) { return x * 3.14159265358979 / 180; }
double rad2deg(double x) { return x * 180 / 3.14159265358979; }

bool nonZeroDivisor(double, double y) { return y != 0; }
bool nonZeroDegree(double n, double) { return n != 0; }
bool nonNegative(double x) { return x >= 0; }
bool positive(double x) { return x > 0; }
bool validLog(double b, double x) { return b > 0 && b != 1 && x > 0; }
bool cosineOffZero(double x) { return literalRound(std::cos(x), 8) != 0; }
bool withinUnit(double x) { return x >= -1 && x <= 1; }

// pow and root consult errno in their output patterns.
template <double (*F)(double, double), bool (*G)(double, double) = anyValues>
bool literalCheckedOut2(CONSTANT* argv, unsigned)
{
    if (!argv[0].isString() || !argv[1].isString())
        return false;
    double x = readLiteral(argv[0]), y = readLiteral(argv[1]);
    if (!G(x, y))
        return false;
    errno = 0;
    double value = F(x, y);
    return errno == 0 && literalWrite(argv[2], value);
}

// round: the decimals are an Integer term, and the test compares unrounded.
bool literalRoundOut(CONSTANT* argv, unsigned)
{
    if (!argv[0].isString() || !argv[1].isInt())
        return false;
    int decimals = argv[1].toInt();
    return literalWrite(argv[2], literalRound(readLiteral(argv[0]), decimals < 8 ? decimals : 8));
}

bool literalRoundTest(CONSTANT* argv, unsigned)
{
    if (!argv[0].isString() || !argv[1].isInt() || !argv[2].isString())
        return false;
    int decimals = argv[1].toInt();
    return literalRound(readLiteral(argv[0]), decimals < 8 ? decimals : 8) == readLiteral(argv[2]);
}

// floor and ceil: an Integer result, so only the reading differs.
template <double (*F)(double)>
bool literalIntegerOut(CONSTANT* argv, unsigned)
{
    if (!argv[0].isString())
        return false;
    double v = F(readLiteral(argv[0]));
    if (!(v >= INT_MIN && v <= INT_MAX))
        return false;
    argv[1] = CONSTANT(static_cast<int>(v));
    return true;
}

template <double (*F)(double)>
bool literalIntegerTest(CONSTANT* argv, unsigned)
{
    if (!argv[0].isString() || !argv[1].isInt())
        return false;
    double v = F(readLiteral(argv[0]));
    return v >= INT_MIN && v <= INT_MAX && static_cast<int>(v) == argv[1].toInt();
}

double floorOf(double x) { return std::floor(x); }
double ceilOf(double x) { return std::ceil(x); }

double arcTangent2(double y, double x) { return std::atan2(y, x); }

// A comparison: unequal at 8 decimals, then ordered.
bool literalLess(CONSTANT* argv, unsigned)
{
    if (!argv[0].isString() || !argv[1].isString())
        return false;
    double x = readLiteral(argv[0]), y = readLiteral(argv[1]);
    return !literalEqualRounded(x, y) && x < y;
}

bool literalFabsTest(CONSTANT* argv, unsigned)
{
    return argv[0].isString() && argv[1].isString() && std::fabs(readLiteral(argv[0])) == readLiteral(argv[1]);
}

// ---- inputs ----

struct Family {
    const char* name;
    std::vector<Slot> inputs; // in slot order; the output or tested slot comes last
    Predicate output, test, literalOutput, literalTest; // a comparison has no output pattern
};

// Each family's literal paths, output and test; the library's own come from its symbols.
struct Paths {
    Predicate literalOutput, literalTest;
};
const std::map<std::string, Paths>& pathsByFamily()
{
    static const std::map<std::string, Paths> all = {
        {"addR", {literalOut2<plus>, literalTest2<plus>}},
        {"subtR", {literalOut2<minus>, literalTest2<minus>}},
        {"timesR", {literalOut2<times>, literalTest2<times>}},
        {"divR", {literalOut2<quotient, nonZeroDivisor>, literalTest2<quotient, nonZeroDivisor>}},
        {"modR", {literalOut2<remainder, nonZeroDivisor>, literalTest2<remainder, nonZeroDivisor>}},
        {"fabs", {literalOut1<absolute>, literalFabsTest}},
        {"pow", {literalCheckedOut2<power>, literalTest2<power>}},
        {"root", {literalCheckedOut2<root, nonZeroDegree>, literalTest2<root, nonZeroDegree>}},
        {"sqrt", {literalOut1<squareRoot, nonNegative>, literalTest1<squareRoot, nonNegative>}},
        {"round", {literalRoundOut, literalRoundTest}},
        {"floor", {literalIntegerOut<floorOf>, literalIntegerTest<floorOf>}},
        {"ceil", {literalIntegerOut<ceilOf>, literalIntegerTest<ceilOf>}},
        {"exp", {literalOut1<exponential>, literalTest1<exponential>}},
        {"ln", {literalOut1<ln, positive>, literalTest1<ln, positive>}},
        {"log", {literalOut2<logBase, validLog>, literalTest2<logBase, validLog>}},
        {"log2", {literalOut1<log2ByLn2, positive>, literalTest1<log2ByLn2, positive>}},
        {"log10", {literalOut1<decimalLog, positive>, literalTest1<decimalLog, positive>}},
        {"sin", {literalOut1<sine>, literalTest1<sine>}},
        {"cos", {literalOut1<cosine>, literalTest1<cosine>}},
        {"tan", {literalOut1<tangent, cosineOffZero>, literalTest1<tangent, cosineOffZero>}},
        {"asin", {literalOut1<arcSine, withinUnit>, literalTest1<arcSine, withinUnit>}},
        {"acos", {literalOut1<arcCosine, withinUnit>, literalTest1<arcCosine, withinUnit>}},
        {"atan", {literalOut1<arcTangent>, literalTest1<arcTangent>}},
        {"deg2rad", {literalOut1<deg2rad>, literalTest1<deg2rad>}},
        {"rad2deg", {literalOut1<rad2deg>, literalTest1<rad2deg>}},
        {"lessR", {nullptr, literalLess}},
        {"minR", {literalOut2<fminimum>, literalTest2<fminimum>}},
        {"atan2", {literalOut2<arcTangent2>, literalTest2<arcTangent2>}},
    };
    return all;
}

std::vector<Family> withPaths(const std::vector<Workload>& workloads)
{
    std::vector<Family> rows;
    for (const Workload& w : workloads) {
        const Paths& p = pathsByFamily().at(w.family);
        auto exported = [&w](bool output) { // a comparison has no output pattern
            const PredicateSymbol* symbol = w.comparison && output ? nullptr : findSymbol(symbolOf(w, output));
            return symbol ? symbol->predicate : nullptr;
        };
        rows.push_back({w.name, w.inputs, exported(true), exported(false), p.literalOutput, p.literalTest});
    }
    return rows;
}

const std::vector<Family>& families()
{
    static const std::vector<Family> all = withPaths(familyWorkloads());
    return all;
}

const std::vector<Family>& magnitudeRows()
{
    static const std::vector<Family> all = withPaths(textSizeWorkloads());
    return all;
}

// What is timed: the output pattern, the test pattern given the value it checks for, or the
// test pattern given another value, as most candidate tests in a rule program are.
enum class Pattern { output, test, failingTest };
const std::vector<Pattern> patterns = {Pattern::output, Pattern::test, Pattern::failingTest};
const std::vector<Pattern> magnitudePatterns = {Pattern::output, Pattern::test};
const char* patternName(Pattern p)
{
    return p == Pattern::output ? "output" : p == Pattern::test ? "test" : "failing";
}
// path: "fast" or "literal".
std::string benchmarkName(const Family& f, Pattern p, const char* path)
{
    return std::string(f.name) + "/" + patternName(p) + "/" + path;
}

// Argument vectors for one family: real texts as they circulate (mostly results of other
// predicates, with 8 decimals; some typed by rule authors, shorter). An output pattern's slot
// starts empty; a test pattern's holds the value that the output pattern writes, so that the
// test holds, as in a program that checks what it derived; a failing test's holds the value
// written for the next argument vector's inputs. A comparison's inputs are put in the order in
// which it holds, and the other way round for a failing one.
std::vector<std::vector<CONSTANT>> argumentPool(const Family& family, Pattern pattern, unsigned seed)
{
    std::mt19937_64 random(seed);
    std::vector<std::vector<CONSTANT>> pool;
    while (pool.size() < POOL + 1) {
        std::vector<CONSTANT> argv;
        for (const Input& input : drawInputs(family.inputs, random)) {
            if (input.integer)
                argv.emplace_back(input.value);
            else
                argv.emplace_back(input.text.c_str(), true);
        }
        const unsigned width = static_cast<unsigned>(argv.size() + (family.output != nullptr));
        if (family.output) {
            argv.emplace_back();
            if (!family.output(argv.data(), width))
                continue; // off the domain (tan near a pole)
            if (pattern == Pattern::output)
                argv.back() = CONSTANT();
        } else { // a comparison tests its inputs alone
            if (!family.test(argv.data(), width))
                std::swap(argv[0], argv[1]);
            if (!family.test(argv.data(), width))
                continue; // equal at 8 decimals
            if (pattern == Pattern::failingTest)
                std::swap(argv[0], argv[1]);
        }
        pool.push_back(argv);
    }
    if (pattern == Pattern::failingTest)
        for (std::size_t k = 0; k < POOL; ++k) {
            if (family.output)
                pool[k].back() = pool[k + 1].back();
            if (family.test(pool[k].data(), static_cast<unsigned>(pool[k].size())))
                std::fprintf(stderr, "%s: a failing test holds\n", family.name);
        }
    pool.pop_back();
    return pool;
}

void runPredicate(benchmark::State& state, const Family& family, Pattern pattern, Predicate predicate)
{
    auto pool = argumentPool(family, pattern, 12345);
    std::size_t i = 0;
    for (auto _ : state) {
        std::vector<CONSTANT>& argv = pool[i++ % POOL];
        benchmark::DoNotOptimize(predicate(argv.data(), static_cast<unsigned>(argv.size())));
    }
    state.SetItemsProcessed(state.iterations());
}

void registerRun(const Family& family, Pattern pattern, const char* path, Predicate predicate)
{
    auto run = [&family, pattern, predicate](benchmark::State& state) {
        runPredicate(state, family, pattern, predicate);
    };
    benchmark::RegisterBenchmark(benchmarkName(family, pattern, path).c_str(), run)->MinTime(0.05)->Repetitions(7);
}

// Every pattern of every family in turn, each thread with its own argument vectors.
void runMix(benchmark::State& state)
{
    struct Call {
        Predicate predicate;
        std::vector<std::vector<CONSTANT>> pool;
    };
    std::vector<Call> calls;
    unsigned seed = 100 + static_cast<unsigned>(state.thread_index());
    for (const Family& family : families()) {
        if (family.output)
            calls.push_back({family.output, argumentPool(family, Pattern::output, seed)});
        calls.push_back({family.test, argumentPool(family, Pattern::test, seed)});
    }
    std::size_t call = 0, i = 0;
    for (auto _ : state) {
        Call& c = calls[call];
        std::vector<CONSTANT>& argv = c.pool[i % POOL];
        benchmark::DoNotOptimize(c.predicate(argv.data(), static_cast<unsigned>(argv.size())));
        if (++call == calls.size()) {
            call = 0;
            ++i;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

// ---- the reader against std::from_chars ----

constexpr double READER_GOAL = 1.0;

// The texts that a row's calls read, POOL of them.
std::vector<std::string> readerTexts(const Family& family)
{
    std::mt19937_64 random(12345);
    std::vector<std::string> texts;
    while (texts.size() < POOL)
        texts.push_back(drawInputs({family.inputs[0]}, random)[0].text);
    return texts;
}

double readWithFromChars(const char* text)
{
    double value = 0;
    std::from_chars(text, text + std::strlen(text), value);
    return value;
}

void runRead(benchmark::State& state, const Family& family, bool ours)
{
    const std::vector<std::string> texts = readerTexts(family);
    const RealCodec codec;
    std::size_t i = 0;
    for (auto _ : state) {
        const char* text = texts[i++ % POOL].c_str();
        benchmark::DoNotOptimize(ours ? codec.read(text) : readWithFromChars(text));
    }
    state.SetItemsProcessed(state.iterations());
}

// The rows of the reader's table: the families' texts (addR's), then every text size.
const std::vector<const Family*>& readerRows()
{
    static const std::vector<const Family*> all = [] {
        std::vector<const Family*> rows = {&families().front()};
        for (const Family& family : magnitudeRows())
            rows.push_back(&family);
        return rows;
    }();
    return all;
}

std::string readerName(const Family& family, bool ours)
{
    return std::string("read/") + family.name + (ours ? "/ours" : "/from_chars");
}

// ---- the host: a long rule body ----

// A body of this many calls, each passing its result to the next through a variable of its
// own, against the same calls writing to _, which binds nothing: what the variables add to
// parsing, planning and answering must grow with the body as the calls do, not faster.
constexpr int BODY_CALLS = 40000;
constexpr double BODY_GOAL = 4.0; // a body that grew with its square would be hundreds

std::string chainBody(bool named)
{
    std::string body = named ? "addR(\"0\", \"1\", X1)" : "addR(\"0\", \"1\", _)";
    for (int k = 1; k < BODY_CALLS; ++k)
        body += named ? ", addR(X" + std::to_string(k) + ", \"1\", X" + std::to_string(k + 1) + ")"
                      : std::string(", addR(\"1\", \"1\", _)");
    return body;
}

void runBody(benchmark::State& state, bool named)
{
    static const PredicateLibrary library(MATH_R_PATH);
    const std::string line = chainBody(named);
    for (auto _ : state) {
        std::variant<Body, BodyError> body = parseBody(line);
        Outcome outcome = evaluate(std::get<Body>(body), library);
        if (!outcome.answered || outcome.text == "false") {
            state.SkipWithError(("the body was not answered: " + outcome.text).c_str());
            break;
        }
        benchmark::DoNotOptimize(outcome.text.data());
    }
}

// ---- formulas: evalR against the chain of predicates ----

// The length of a vector in one evalR call, against the chain that computes it a link at a time,
// timesR(X, X, A), timesR(Y, Y, B), addR(B, A, C), sqrt(C, R), each link writing its text. B and
// C lie where the next link reads them; A is handed on to addR in one of two ways, as engines
// do: copied, as a bound argument is passed, or moved, its text neither copied nor freed until
// the chain is done. evalR's own arguments are taken as they lie.
constexpr double CHAIN_GOAL = 0.5;
// A formula read on every call costs in proportion to its length: one of 200 characters at
// most 10 times one of 20.
constexpr double LENGTH_GOAL = 1.0;

// Operands x and y for each of POOL calls: drawn as timesR's are, or all pairs of the mixed ones.
std::vector<std::vector<Input>> operandPool(bool mixed)
{
    std::vector<std::vector<Input>> pool;
    if (mixed) {
        const std::vector<std::string>& texts = mixedOperands();
        for (std::size_t k = 0; k < POOL; ++k)
            pool.push_back({{false, 0, texts[k % texts.size()]}, {false, 0, texts[k / texts.size() % texts.size()]}});
        return pool;
    }
    std::mt19937_64 random(12345);
    while (pool.size() < POOL)
        pool.push_back(drawInputs({{-100, 100}, {-100, 100}}, random));
    return pool;
}

void runFormula(benchmark::State& state, const std::string& formula, bool mixed)
{
    std::vector<std::vector<CONSTANT>> calls;
    for (const std::vector<Input>& xy : operandPool(mixed))
        calls.push_back({CONSTANT(formula.c_str(), true), CONSTANT(xy[0].text.c_str(), true),
                         CONSTANT(xy[1].text.c_str(), true), CONSTANT()});
    std::size_t i = 0;
    for (auto _ : state) {
        std::vector<CONSTANT>& argv = calls[i++ % POOL];
        benchmark::DoNotOptimize(evalR_iiio(argv.data(), 4));
    }
    state.SetItemsProcessed(state.iterations());
}

// Puts the term `from` into `to`, which holds no text, as an engine that moves terms does: the
// record itself, leaving `from` a NullConst without releasing the text that `to` now owns.
void moveTerm(CONSTANT& from, CONSTANT& to)
{
    std::memcpy(static_cast<void*>(&to), static_cast<const void*>(&from), sizeof to);
    new (&from) CONSTANT();
}

void runChain(benchmark::State& state, bool moved)
{
    struct Chain {
        CONSTANT xxA[3];    // timesR(X, X, A)
        CONSTANT yyBACR[6]; // timesR(Y, Y, B), then addR(B, A, C) and sqrt(C, R) over the same array
    };
    std::vector<Chain> chains(POOL);
    std::vector<std::vector<Input>> pool = operandPool(moved);
    for (std::size_t k = 0; k < POOL; ++k) {
        chains[k].xxA[0] = chains[k].xxA[1] = CONSTANT(pool[k][0].text.c_str(), true);
        chains[k].yyBACR[0] = chains[k].yyBACR[1] = CONSTANT(pool[k][1].text.c_str(), true);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        Chain& c = chains[i++ % POOL];
        bool held = timesR_iio(c.xxA, 3) && timesR_iio(c.yyBACR, 3);
        if (moved)
            moveTerm(c.xxA[2], c.yyBACR[3]);
        else
            c.yyBACR[3] = c.xxA[2];
        held = held && addR_iio(c.yyBACR + 2, 3) && sqrt_io(c.yyBACR + 4, 2);
        benchmark::DoNotOptimize(held);
        if (moved) // the chain is done: each text it wrote is released, once
            for (int k = 2; k < 6; ++k) { // B, A, C and R
                c.yyBACR[k].~CONSTANT();
                new (&c.yyBACR[k]) CONSTANT();
            }
    }
    state.SetItemsProcessed(state.iterations());
}

// ---- the summary: ratios and goals ----

// Keeps the median of each benchmark's repetitions, which other work on the machine disturbs
// least, and prints only that line of each.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    explicit SummaryReporter(OutputOptions options) : ConsoleReporter(options) {}

    std::map<std::string, double> nanoseconds; // CPU time per call, by benchmark name
    std::map<int64_t, double> mixRate;         // calls per second, by thread count

    void ReportRuns(const std::vector<Run>& runs) override
    {
        std::vector<Run> medians;
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
                continue;
            medians.push_back(run);
            std::string name = run.run_name.function_name;
            if (name == "mix")
                mixRate[run.threads] = run.counters.at("items_per_second");
            else if (name.rfind("body", 0) == 0)
                nanoseconds[name] = run.GetAdjustedRealTime() * 1e6; // reported in ms
            else
                nanoseconds[name] = run.GetAdjustedCPUTime();
        }
        if (!medians.empty())
            ConsoleReporter::ReportRuns(medians);
    }
};

// The rows timed, with the patterns of each and the goals of their ratios to the literal path:
// for every row, and for the median of a pattern's rows (none where 0).
struct Table {
    const char* title; // of the first column
    int width;         // of the first column
    const std::vector<Family>& rows;
    const std::vector<Pattern>& patterns;
    double outputGoal, testGoal;
    double outputMedianGoal, testMedianGoal;
};

const std::vector<Table>& tables()
{
    static const std::vector<Table> all = {{"family", 8, families(), patterns, 0.40, 0.40, 0.15, 0.28},
                                           {"addR texts", 19, magnitudeRows(), magnitudePatterns, 0.20, 0.35, 0, 0}};
    return all;
}

constexpr double THREAD_GOAL = 1.8;

// Prints a goal's line end: the goal, and whether it was missed; returns 1 when it was.
int printGoal(double ratio, double goal)
{
    bool met = ratio <= goal;
    std::printf(" %4s%.2f%s\n", "<=", goal, met ? "" : "  MISSED");
    return !met;
}

// Prints one line per row and pattern of a table, then the medians; returns the number of goals missed.
int printTable(const SummaryReporter& reporter, const Table& table)
{
    int missed = 0;
    std::printf("\n%-*s %-8s %10s %12s %7s %7s\n", table.width, table.title, "pattern", "fast ns", "literal ns",
                "ratio", "goal");
    std::map<Pattern, std::vector<double>> ratios;
    for (const Family& family : table.rows)
        for (Pattern pattern : table.patterns) {
            auto fast = reporter.nanoseconds.find(benchmarkName(family, pattern, "fast"));
            auto literal = reporter.nanoseconds.find(benchmarkName(family, pattern, "literal"));
            if (fast == reporter.nanoseconds.end() || literal == reporter.nanoseconds.end())
                continue; // filtered out
            double ratio = fast->second / literal->second;
            ratios[pattern].push_back(ratio);
            std::printf("%-*s %-8s %10.1f %12.1f %7.2f", table.width, family.name, patternName(pattern), fast->second,
                        literal->second, ratio);
            missed += printGoal(ratio, pattern == Pattern::output ? table.outputGoal : table.testGoal);
        }
    for (const auto& [pattern, values] : ratios) {
        double goal = pattern == Pattern::output ? table.outputMedianGoal : table.testMedianGoal;
        if (goal == 0)
            continue;
        std::printf("%-*s %-8s %10s %12s %7.2f", table.width, "median", patternName(pattern), "", "", median(values));
        missed += printGoal(median(values), goal);
    }
    return missed;
}

// The reader against from_chars; every text size has a goal. Returns the number of goals missed.
int printReaderTable(const SummaryReporter& reporter)
{
    int missed = 0;
    std::printf("\n%-19s %10s %14s %7s %7s\n", "read texts", "ours ns", "from_chars ns", "ratio", "goal");
    const std::vector<const Family*>& rows = readerRows();
    for (const Family* family : rows) {
        auto ours = reporter.nanoseconds.find(readerName(*family, true));
        auto theirs = reporter.nanoseconds.find(readerName(*family, false));
        if (ours == reporter.nanoseconds.end() || theirs == reporter.nanoseconds.end())
            continue; // filtered out
        double ratio = ours->second / theirs->second;
        std::printf("%-19s %10.1f %14.1f %7.2f", family == rows.front() ? "family" : family->name, ours->second,
                    theirs->second, ratio);
        if (family == rows.front())
            std::printf("\n");
        else
            missed += printGoal(ratio, READER_GOAL);
    }
    return missed;
}

// Prints the formulas' lines; returns the number of goals missed.
int printFormulas(const SummaryReporter& reporter)
{
    auto time = [&reporter](const char* name) {
        auto found = reporter.nanoseconds.find(name);
        return found == reporter.nanoseconds.end() ? 0.0 : found->second;
    };
    int missed = 0;
    std::printf("\nevalR_iiio(\"%s\", X, Y, R) against the chain timesR_iio, timesR_iio, addR_iio, sqrt_io:\n",
                VECTOR_LENGTH);
    for (bool moved : {false, true}) {
        double formula = time(moved ? "formula/vector,mixed" : "formula/vector");
        double chain = time(moved ? "formula/chain,moved" : "formula/chain");
        if (formula > 0 && chain > 0) {
            double ratio = formula / chain;
            bool met = ratio <= CHAIN_GOAL;
            missed += !met;
            std::printf("  %-32s %6.1f ns, chain %6.1f ns: %.2f %s%.2f%s\n",
                        moved ? "mixed operands, A moved" : "operands as timesR's, A copied", formula, chain, ratio,
                        "<=", CHAIN_GOAL, met ? "" : "  MISSED");
        }
    }
    double shortTime = time("formula/short"), longTime = time("formula/long");
    if (shortTime > 0 && longTime > 0) {
        const std::size_t shortLength = std::strlen(SHORT_FORMULA), longLength = longFormula().size();
        double ratio = (longTime / double(longLength)) / (shortTime / double(shortLength));
        bool met = ratio <= LENGTH_GOAL;
        missed += !met;
        std::printf("evalR_iiio of %zu characters %.1f ns (%.2f a character), of %zu characters %.1f ns (%.2f a "
                    "character): %.2f %s%.2f%s\n",
                    shortLength, shortTime, shortTime / double(shortLength), longLength, longTime,
                    longTime / double(longLength), ratio, "<=", LENGTH_GOAL, met ? "" : "  MISSED");
    }
    return missed;
}

// Prints every table and the threads' scaling; returns the number of goals missed.
int printSummary(const SummaryReporter& reporter)
{
    int missed = 0;
    for (const Table& table : tables())
        missed += printTable(reporter, table);
    missed += printReaderTable(reporter);
    missed += printFormulas(reporter);
    auto one = reporter.mixRate.find(1), two = reporter.mixRate.find(2);
    if (one != reporter.mixRate.end() && two != reporter.mixRate.end()) {
        double scaling = two->second / one->second;
        bool met = scaling >= THREAD_GOAL;
        missed += !met;
        std::printf("\nmix of all patterns: 1 thread %.2f M calls/s, 2 threads %.2f M calls/s, %.2fx %s%.1f%s\n",
                    one->second / 1e6, two->second / 1e6, scaling, ">=", THREAD_GOAL, met ? "" : "  MISSED");
    }
    auto named = reporter.nanoseconds.find("body/chain"), anonymous = reporter.nanoseconds.find("body/anonymous");
    if (named != reporter.nanoseconds.end() && anonymous != reporter.nanoseconds.end()) {
        double ratio = named->second / anonymous->second;
        bool met = ratio <= BODY_GOAL;
        missed += !met;
        std::printf("\nhost body of %d calls: chained through variables %.1f ms, with _ %.1f ms, %.2fx %s%.1f%s\n",
                    BODY_CALLS, named->second / 1e6, anonymous->second / 1e6, ratio, "<=", BODY_GOAL,
                    met ? "" : "  MISSED");
    }
    std::printf(missed ? "\n%d goal(s) missed\n" : "\nall goals met\n", missed);
    return missed;
}

} // namespace

int main(int argc, char** argv)
{
    // Each family's literal run sits next to its fast run, so both see the same machine.
    for (const Table& table : tables())
        for (const Family& family : table.rows)
            for (Pattern pattern : table.patterns) {
                bool output = pattern == Pattern::output;
                if (output && !family.output)
                    continue;
                registerRun(family, pattern, "literal", output ? family.literalOutput : family.literalTest);
                registerRun(family, pattern, "fast", output ? family.output : family.test);
            }
    for (const Family* family : readerRows())
        for (bool ours : {false, true})
            benchmark::RegisterBenchmark(readerName(*family, ours).c_str(), runRead, std::cref(*family), ours)
                ->MinTime(0.05)
                ->Repetitions(7);
    for (bool named : {true, false})
        benchmark::RegisterBenchmark(named ? "body/chain" : "body/anonymous", runBody, named)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Repetitions(5);
    struct FormulaRun {
        const char* name;
        std::string formula;
        bool mixed;
    };
    static const FormulaRun formulas[] = {{"formula/vector", VECTOR_LENGTH, false},
                                          {"formula/vector,mixed", VECTOR_LENGTH, true},
                                          {"formula/short", SHORT_FORMULA, false},
                                          {"formula/long", longFormula(), false}};
    for (const FormulaRun& run : formulas)
        benchmark::RegisterBenchmark(run.name, runFormula, std::cref(run.formula), run.mixed)
            ->MinTime(0.05)
            ->Repetitions(7);
    for (bool moved : {false, true})
        benchmark::RegisterBenchmark(moved ? "formula/chain,moved" : "formula/chain", runChain, moved)
            ->MinTime(0.05)
            ->Repetitions(7);
    benchmark::RegisterBenchmark("mix", runMix)->Threads(1)->Threads(2)->UseRealTime()->MinTime(0.3)->Repetitions(7);

    // Repetitions of all benchmarks in random order, so that a burst of other work on the
    // machine falls on fast and literal runs alike; the command line may still turn it off.
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> args(argv, argv + argc);
    args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    SummaryReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Color
                                                   : benchmark::ConsoleReporter::OO_None);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return printSummary(reporter) == 0 ? 0 : 1;
}
