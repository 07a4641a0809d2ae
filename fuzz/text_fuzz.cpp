// parseStringTerm and nElementsOf on any text, zero bytes included.
#include "properties.h"
#include "report.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    require(properties::checkElements(std::string(reinterpret_cast<const char*>(data), size)));
    return 0;
}
