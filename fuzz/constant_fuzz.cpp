// Up to four terms of any kinds: copies, assignments and the comparison laws among them.
#include "fuzz_input.h"
#include "properties.h"
#include "report.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    std::vector<CONSTANT> terms;
    while (!input.empty() && terms.size() < 4)
        terms.push_back(input.term());
    require(properties::checkTerms(terms));
    return 0;
}
