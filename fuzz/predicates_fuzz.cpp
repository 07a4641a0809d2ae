// Any predicate with any slots: first byte picks the symbol, then one term per slot (the
// output slot's term is the host's previous content). Every real text read is also checked
// against the C library's reading and writing of it.
#include "fuzz_input.h"
#include "properties.h"
#include "report.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const PredicateSymbol& symbol = predicateSymbols[input.byte() % predicateCount];
    std::vector<CONSTANT> slots;
    for (unsigned k = 0; k < symbol.arity(); ++k)
        slots.push_back(input.term());

    require(properties::checkPredicateCall(symbol, slots).fault);
    for (unsigned k = 0; k < slots.size(); ++k)
        if (static_cast<int>(k) != symbol.outputSlot() && slots[k].isString())
            require(properties::checkRealCodec(slots[k].toString()));
    return 0;
}
