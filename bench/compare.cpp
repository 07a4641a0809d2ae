// Two builds of math_R.so timed against each other in one process: the same calls on both, in
// alternating rounds, so that whatever else the machine is doing falls on both alike (separate
// runs on a shared machine differ by more than the changes worth measuring). `make
// bench-compare BASE=<commit>` builds both and runs this.
//
// Each build is loaded with RTLD_LOCAL and used only through its own exports: its terms are
// made, read and destroyed by its own CONSTANT members, so the two never share a symbol. This
// program links neither.
//
// usage: bench_compare BASE.so NEW.so [--rounds=N] [--ms=N] [--filter=TEXT]

#include "extpred.h" // the term record's size only: every member is called through a build's own export
#include "workload.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using Predicate = bool (*)(CONSTANT* argv, unsigned argc);

// A term's storage, made and destroyed only through the members of the build that owns it.
struct alignas(CONSTANT) Term {
    unsigned char bytes[sizeof(CONSTANT)];
};

// One loaded build and the CONSTANT members that the calls need, by their mangled names.
class Build {
public:
    explicit Build(const char* path) : path_(path), handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL))
    {
        if (!handle_)
            fail(dlerror());
        makeNull_ = member<void (*)(Term*)>("_ZN8CONSTANTC1Ev");
        makeInteger_ = member<void (*)(Term*, const int&)>("_ZN8CONSTANTC1ERKi");
        makeText_ = member<void (*)(Term*, const char*, bool)>("_ZN8CONSTANTC1EPKcb");
        destroy_ = member<void (*)(Term*)>("_ZN8CONSTANTD1Ev");
        isInteger_ = member<bool (*)(const Term*)>("_ZNK8CONSTANT5isIntEv");
        toInteger_ = member<int (*)(const Term*)>("_ZNK8CONSTANT5toIntEv");
        isText_ = member<bool (*)(const Term*)>("_ZNK8CONSTANT8isStringEv");
        toText_ = member<const char* (*)(const Term*)>("_ZNK8CONSTANT8toStringEv");
    }
    ~Build() { dlclose(handle_); }
    Build(const Build&) = delete;
    Build& operator=(const Build&) = delete;

    Predicate find(const std::string& symbol) const
    {
        return reinterpret_cast<Predicate>(dlsym(handle_, symbol.c_str()));
    }

    void make(Term* t, const Input& input) const
    {
        if (input.integer)
            makeInteger_(t, input.value);
        else
            makeText_(t, input.text.c_str(), true);
    }
    void makeNull(Term* t) const { makeNull_(t); }
    void destroy(Term* t) const { destroy_(t); }
    // A result as an input of the test pattern that checks it.
    bool read(const Term* t, Input& input) const
    {
        if (isInteger_(t)) {
            input = {true, toInteger_(t), {}};
            return true;
        }
        if (isText_(t)) {
            input = {false, 0, toText_(t)};
            return true;
        }
        return false;
    }

private:
    template <class Function>
    Function member(const char* symbol)
    {
        void* address = dlsym(handle_, symbol);
        if (!address)
            fail(("no " + std::string(symbol)).c_str());
        return reinterpret_cast<Function>(address);
    }
    [[noreturn]] void fail(const char* why) const
    {
        std::fprintf(stderr, "bench_compare: %s: %s\n", path_, why);
        std::exit(2);
    }

    const char* path_;
    void* handle_;
    void (*makeNull_)(Term*);
    void (*makeInteger_)(Term*, const int&);
    void (*makeText_)(Term*, const char*, bool);
    void (*destroy_)(Term*);
    bool (*isInteger_)(const Term*);
    int (*toInteger_)(const Term*);
    bool (*isText_)(const Term*);
    const char* (*toText_)(const Term*);
};

// POOL argument vectors of one predicate in one build's terms.
class Pool {
public:
    Pool(const Build& build, const std::vector<std::vector<Input>>& calls, bool output)
        : build_(build), width_(calls.front().size() + output), terms_(calls.size() * width_)
    {
        for (std::size_t k = 0; k < calls.size(); ++k) {
            for (std::size_t s = 0; s < calls[k].size(); ++s)
                build.make(&terms_[k * width_ + s], calls[k][s]);
            if (output)
                build.makeNull(&terms_[k * width_ + width_ - 1]);
        }
    }
    ~Pool()
    {
        for (Term& t : terms_)
            build_.destroy(&t);
    }
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;

    CONSTANT* argv(std::size_t k) { return reinterpret_cast<CONSTANT*>(&terms_[(k % POOL) * width_]); }
    unsigned width() const { return unsigned(width_); }

private:
    const Build& build_;
    std::size_t width_;
    std::vector<Term> terms_;
};

double cpuSeconds()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// CPU ns per call over `calls` calls.
double timeCalls(Predicate predicate, Pool& pool, long calls)
{
    unsigned width = pool.width();
    double start = cpuSeconds();
    unsigned held = 0;
    for (long k = 0; k < calls; ++k)
        held += predicate(pool.argv(std::size_t(k)), width);
    double seconds = cpuSeconds() - start;
    __asm__ volatile("" : : "r"(held)); // the calls' results count as used
    return seconds * 1e9 / double(calls);
}

// One symbol on one set of texts, in both builds.
struct Row {
    std::string symbol, texts;
    Predicate base, fresh;
    std::unique_ptr<Pool> basePool, newPool;
    long calls = 0;
    std::vector<double> baseNs, newNs, ratios;
};

// The POOL calls of a workload's pattern; a test pattern's last input is what the new build's
// output pattern writes, so that the test holds. Calls off the domain (tan near a pole) are
// left out. Empty when the new build lacks the output pattern. A comparison's calls are its
// inputs alone.
std::vector<std::vector<Input>> callsOf(const Build& build, const Workload& w, bool output)
{
    std::vector<std::vector<Input>> calls;
    std::mt19937_64 random(12345);
    if (w.comparison) {
        while (calls.size() < POOL)
            calls.push_back(drawInputs(w.inputs, random));
        return calls;
    }
    Predicate compute = build.find(symbolOf(w, true));
    for (int tries = 0; compute && calls.size() < POOL && tries < 100 * int(POOL); ++tries) {
        std::vector<Input> inputs = drawInputs(w.inputs, random);
        std::vector<Term> argv(inputs.size() + 1);
        for (std::size_t s = 0; s < inputs.size(); ++s)
            build.make(&argv[s], inputs[s]);
        build.makeNull(&argv.back());
        Input result;
        bool held = compute(reinterpret_cast<CONSTANT*>(argv.data()), unsigned(argv.size())) &&
                    build.read(&argv.back(), result);
        for (Term& t : argv)
            build.destroy(&t);
        if (!held)
            continue;
        if (!output)
            inputs.push_back(result);
        calls.push_back(inputs);
    }
    if (calls.size() < POOL)
        calls.clear();
    return calls;
}

struct Options {
    int rounds = 9;
    double milliseconds = 5; // per build, row and round
    std::string filter;
};

bool parseOption(const char* arg, Options& options)
{
    auto value = [arg](const char* name) -> const char* {
        std::size_t n = std::strlen(name);
        return std::strncmp(arg, name, n) == 0 ? arg + n : nullptr;
    };
    char* end = nullptr;
    if (const char* v = value("--rounds=")) {
        options.rounds = int(std::strtol(v, &end, 10));
        return *v && !*end && options.rounds > 0 && options.rounds <= 1000;
    }
    if (const char* v = value("--ms=")) {
        options.milliseconds = std::strtod(v, &end);
        return *v && !*end && options.milliseconds > 0 && options.milliseconds <= 10000;
    }
    if (const char* v = value("--filter=")) {
        options.filter = v;
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int k = 3; k < argc; ++k)
        if (!parseOption(argv[k], options)) {
            std::fprintf(stderr, "bench_compare: argument %d, %s: not --rounds=1..1000, --ms=N or --filter=TEXT\n", k,
                         argv[k]);
            return 2;
        }
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_compare BASE.so NEW.so [--rounds=N] [--ms=N] [--filter=TEXT]\n");
        return 2;
    }
    Build base(argv[1]), fresh(argv[2]);

    std::vector<Row> rows;
    auto addRows = [&](const std::vector<Workload>& workloads, bool textSizes) {
        for (const Workload& w : workloads)
            for (bool output : {true, false}) {
                if (output && w.comparison)
                    continue;
                Row row;
                row.symbol = symbolOf(w, output);
                row.texts = textSizes ? w.name : "family";
                if ((row.symbol + " " + row.texts).find(options.filter) == std::string::npos)
                    continue;
                row.base = base.find(row.symbol);
                row.fresh = fresh.find(row.symbol);
                std::vector<std::vector<Input>> calls = callsOf(fresh, w, output);
                if (!row.base || !row.fresh || calls.empty()) {
                    std::printf("%s %s: left out, %s\n", row.symbol.c_str(), row.texts.c_str(),
                                !row.base ? "not in BASE" : !row.fresh ? "not in NEW" : "no calls that hold");
                    continue;
                }
                row.basePool = std::make_unique<Pool>(base, calls, output);
                row.newPool = std::make_unique<Pool>(fresh, calls, output);
                rows.push_back(std::move(row));
            }
    };
    addRows(familyWorkloads(), false);
    addRows(textSizeWorkloads(), true);
    addRows(formulaWorkloads(), true);

    // A row times what both builds answer alike: where BASE's answer differs (another writer, another
    // guard), its time is of another path, and the row says so.
    for (Row& row : rows) {
        unsigned baseHeld = 0, newHeld = 0;
        for (std::size_t k = 0; k < POOL; ++k) {
            baseHeld += row.base(row.basePool->argv(k), row.basePool->width());
            newHeld += row.fresh(row.newPool->argv(k), row.newPool->width());
        }
        if (baseHeld != newHeld)
            std::printf("%s %s: BASE holds on %u of %zu calls, NEW on %u: the two time different paths\n",
                        row.symbol.c_str(), row.texts.c_str(), baseHeld, POOL, newHeld);
    }

    // As many calls as fill the time asked for, judged on the new build after a warm-up.
    for (Row& row : rows) {
        timeCalls(row.fresh, *row.newPool, 1000);
        double ns = timeCalls(row.fresh, *row.newPool, 10000);
        row.calls = std::max(1000L, long(options.milliseconds * 1e6 / ns));
    }
    for (int round = 0; round < options.rounds; ++round)
        for (Row& row : rows) {
            bool baseFirst = round % 2 == 0; // neither build always runs first
            double b = 0, n = 0;
            for (int turn = 0; turn < 2; ++turn)
                if ((turn == 0) == baseFirst)
                    b = timeCalls(row.base, *row.basePool, row.calls);
                else
                    n = timeCalls(row.fresh, *row.newPool, row.calls);
            row.baseNs.push_back(b);
            row.newNs.push_back(n);
            row.ratios.push_back(n / b);
        }

    std::printf("\nBASE %s\nNEW  %s\n%d rounds, CPU ns per call, medians; new/base is the median of the rounds' ratios, "
                "spread their lowest and highest\n\n",
                argv[1], argv[2], options.rounds);
    std::printf("%-12s %-20s %9s %9s %9s  %s\n", "symbol", "texts", "base ns", "new ns", "new/base", "spread");
    std::vector<double> ratios;
    int above = 0;
    for (Row& row : rows) {
        double ratio = median(row.ratios);
        ratios.push_back(ratio);
        above += ratio > 1;
        auto [low, high] = std::minmax_element(row.ratios.begin(), row.ratios.end());
        std::printf("%-12s %-20s %9.1f %9.1f %9.2f  %.2f..%.2f\n", row.symbol.c_str(), row.texts.c_str(),
                    median(row.baseNs), median(row.newNs), ratio, *low, *high);
    }
    if (!ratios.empty())
        std::printf("\n%zu rows: median new/base %.2f, %d above 1.00\n", ratios.size(), median(ratios), above);
    return 0;
}
