// The binary interface as a host meets it: exactly the listed dynamic symbols, and the term
// record laid out as a host written in C declares it.
#include "predicates.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <new>
#include <sstream>
#include <type_traits>

namespace {

// Symbol name -> size in bytes for data, empty for code.
using SymbolTable = std::map<std::string, std::string>;

bool isData(char type) { return std::strchr("BbDdGgRrSsVv", type) != nullptr; }

// The dynamic symbols that the library defines, as `nm -D --defined-only -S` lists them:
// "address [size] type name".
SymbolTable definedSymbols(const char* library)
{
    SymbolTable table;
    std::string command = std::string("nm -D --defined-only -S '") + library + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return table;
    }
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string word; fields >> word;)
            words.push_back(word);
        if (words.size() < 3)
            continue;
        const std::string& name = words.back();
        char type = words[words.size() - 2][0];
        std::string size;
        if (isData(type) && words.size() == 4)
            size = std::to_string(std::stoull(words[1], nullptr, 16));
        table[name] = size;
    }
    EXPECT_EQ(pclose(pipe), 0) << command;
    return table;
}

SymbolTable listedSymbols(const char* path)
{
    SymbolTable table;
    std::ifstream file(path);
    EXPECT_TRUE(file) << "cannot read " << path;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string name, size;
        fields >> name >> size;
        table[name] = size;
    }
    return table;
}

TEST(Exports, TheLibraryDefinesExactlyTheListedSymbols)
{
    SymbolTable defined = definedSymbols(MATH_R_PATH), listed = listedSymbols(EXPORTS_LIST);
    ASSERT_FALSE(defined.empty());
    for (const auto& [name, size] : defined) {
        auto entry = listed.find(name);
        if (entry == listed.end()) {
            ADD_FAILURE() << "exported but not listed in tests/exports.txt: " << name;
        } else if (!entry->second.empty()) {
            EXPECT_EQ(size, entry->second) << "size of " << name;
        }
    }
    for (const auto& entry : listed)
        EXPECT_TRUE(defined.count(entry.first)) << "listed but not exported: " << entry.first;
}

// The list itself must cover the interface: every predicate and the data table with its size.
TEST(Exports, TheListNamesEveryPredicate)
{
    SymbolTable listed = listedSymbols(EXPORTS_LIST);
    for (const PredicateSymbol& symbol : predicateSymbols)
        EXPECT_TRUE(listed.count(symbol.name)) << symbol.name;
    EXPECT_EQ(listed["StartEndSymbols"], "8");
    EXPECT_EQ(listed.size(), 54u + 22u + 1u + 26u + 7u); // predicates, additions, myRound, CONSTANT, text utilities
}

// The record as a C host declares it: a 32-bit kind, then a pointer-sized payload.
struct HostTerm {
    std::int32_t kind;
    union {
        const char* text;
        std::int32_t integer;
    } data;
};

HostTerm asHost(const CONSTANT& term)
{
    HostTerm host;
    std::memcpy(&host, &term, sizeof host);
    return host;
}

TEST(Layout, RecordMatchesTheHostDeclaration)
{
    static_assert(std::is_standard_layout<CONSTANT>::value, "a plain record");
    static_assert(sizeof(CONSTANT) == sizeof(HostTerm) && alignof(CONSTANT) == alignof(HostTerm), "same record");
    static_assert(sizeof(CONSTANT) == 16 && alignof(CONSTANT) == 8, "LP64");
    static_assert(sizeof(CONSTANT::TYPE) == 4, "a 32-bit kind");
    static_assert(std::is_same<std::underlying_type<CONSTANT::TYPE>::type, std::int32_t>::value, "signed");
    static_assert(offsetof(HostTerm, data) == 8, "payload after the padded kind");
    static_assert(CONSTANT::Integer == 0 && CONSTANT::Symbol == 1 && CONSTANT::String == 2 &&
                      CONSTANT::NullConst == 3,
                  "terms of different kinds order by these values");

    HostTerm number = asHost(CONSTANT(-5));
    EXPECT_EQ(number.kind, 0);
    EXPECT_EQ(number.data.integer, -5);

    CONSTANT none;
    HostTerm noneHost = asHost(none);
    EXPECT_EQ(noneHost.kind, 3);
    EXPECT_EQ(noneHost.data.text, nullptr) << "a NullConst keeps a zero data word";

    CONSTANT text("\"abc\"", true), name("n", false);
    EXPECT_EQ(asHost(text).kind, 2);
    EXPECT_EQ(asHost(text).data.text, text.toString());
    EXPECT_EQ(asHost(name).kind, 1);
    EXPECT_EQ(asHost(name).data.text, name.toSymbol());
}

// A host reads the result of a predicate straight out of its own array of records.
TEST(Layout, HostReadsResultsFromItsArray)
{
    CONSTANT argv[3] = {real("1.5"), real("2.25"), integer(9)};
    ASSERT_TRUE(addR_iio(argv, 3));
    HostTerm result = asHost(argv[2]);
    EXPECT_EQ(result.kind, 2);
    EXPECT_STREQ(result.data.text, "3.75000000");

    CONSTANT floorArgv[2] = {real("-2.5"), null()};
    ASSERT_TRUE(floor_io(floorArgv, 2));
    EXPECT_EQ(asHost(floorArgv[1]).kind, 0);
    EXPECT_EQ(asHost(floorArgv[1]).data.integer, -3);
}

// An Integer written over a String leaves no byte of the old text pointer behind: the record
// is the one CONSTANT(value) makes, all 16 bytes, so a host may compare or hash it as memory.
TEST(Layout, IntegerResultIsTheRecordOfItsValue)
{
    // Zeroed storage, so that the padding after the kind is zero in both.
    alignas(CONSTANT) unsigned char slots[2 * sizeof(CONSTANT)] = {}, expected[sizeof(CONSTANT)] = {};
    CONSTANT* argv = new (slots) CONSTANT(real("-2.5"));
    new (slots + sizeof(CONSTANT)) CONSTANT(real("a text whose pointer fills the payload word"));
    new (expected) CONSTANT(-3);
    ASSERT_TRUE(floor_io(argv, 2));
    EXPECT_EQ(std::memcmp(&argv[1], expected, sizeof(CONSTANT)), 0);
    argv[0].~CONSTANT();
    argv[1].~CONSTANT();

    // The constructor itself clears the whole payload word, whatever the storage held before.
    alignas(CONSTANT) unsigned char dirty[sizeof(CONSTANT)];
    std::memset(dirty, 0xA5, sizeof dirty);
    __asm__ volatile("" : : "r"(dirty) : "memory"); // the bytes are really there when it runs
    new (dirty) CONSTANT(-3);
    EXPECT_EQ(std::memcmp(dirty + offsetof(HostTerm, data), expected + offsetof(HostTerm, data), sizeof(void*)), 0);
}

} // namespace
