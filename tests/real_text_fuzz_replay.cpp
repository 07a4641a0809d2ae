// The fuzz target's check on a fixed stream of bytes, so that every test run covers it without
// libFuzzer; a mismatch prints the input and aborts.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

TEST(RealTextFuzzReplay, ArbitraryBytesReadAndWriteAsTheCLibraryDoes)
{
    std::mt19937_64 random(314159);
    // Mostly number-like bytes, so that texts reach deep into the readers, with any byte mixed in.
    const char likely[] = "0123456789012345678901234567890123456789..--+eEe xXpPinfatyINFNAN(),";
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 200000; ++i) {
        bytes.resize(random() % 40);
        for (std::uint8_t& byte : bytes)
            byte = random() % 8 == 0 ? std::uint8_t(random()) : std::uint8_t(likely[random() % (sizeof likely - 1)]);
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size()); // aborts on a mismatch
    }
}

} // namespace
