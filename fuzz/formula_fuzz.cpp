// Any bytes as an evalR formula, with up to four operand texts: the first byte says how many
// operands, each is a length-prefixed text, and the rest is the formula (the dictionary steers
// the fuzzer to the language's tokens). Every pattern keeps the predicates' contract, and the
// library fails exactly where the evaluator that the host compiles in finds a fault, and
// otherwise writes the evaluator's value.
#include "formula.h"
#include "fuzz_input.h"
#include "properties.h"
#include "report.h"

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const int count = input.byte() % (FORMULA_OPERANDS + 1);
    std::string operands[FORMULA_OPERANDS];
    for (int k = 0; k < count; ++k)
        operands[k] = input.text();
    const std::string formula = input.rest();

    const std::string pattern = std::string(std::size_t(count) + 1, 'i');
    const PredicateSymbol* output = findSymbol("evalR_" + pattern + "o");
    const PredicateSymbol* test = findSymbol("evalR_" + pattern + "i");
    std::vector<CONSTANT> slots = {CONSTANT(formula.c_str(), true)};
    for (int k = 0; k < count; ++k)
        slots.emplace_back(operands[k].c_str(), true);
    slots.emplace_back();
    properties::CallCheck computed = properties::checkPredicateCall(*output, slots);
    require(computed.fault);
    slots.back() = CONSTANT("0", true);
    require(properties::checkPredicateCall(*test, slots).fault);

    // The host's copy of the evaluator, on the texts as the terms hold them.
    const RealCodec codec;
    double values[FORMULA_OPERANDS];
    for (int k = 0; k < count; ++k)
        values[k] = codec.read(slots[std::size_t(k) + 1].toString());
    FormulaResult result = evaluateFormula(codec, slots[0].toString(), values, count);
    const bool held = computed.answer != "false";
    if (held != (result.fault == FormulaFault::None))
        require("evalR_" + pattern + "o answered " + computed.answer + " but the evaluator finds fault " +
                std::to_string(int(result.fault)) + " in '" + formula.substr(0, 200) + "'");
    if (result.fault != FormulaFault::None && result.at > std::strlen(slots[0].toString()))
        require("a fault placed past the end of '" + formula.substr(0, 200) + "'");
    if (held) {
        char text[400];
        codec.write(text, sizeof text, result.value);
        if (computed.answer != "true String '" + std::string(text) + "'")
            require("evalR_" + pattern + "o wrote " + computed.answer + ", the evaluator gives " + text);
    }
    return 0;
}
