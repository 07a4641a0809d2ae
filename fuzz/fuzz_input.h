// Turns the fuzzer's bytes into choices, numbers, texts and terms. Running out of bytes gives
// zeros and empty texts, so every input decodes to something.
#ifndef FUZZ_FUZZ_INPUT_H
#define FUZZ_FUZZ_INPUT_H

#include "extpred.h"

#include <cstddef>
#include <cstdint>
#include <string>

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return size_ == 0; }

    std::uint8_t byte()
    {
        if (size_ == 0)
            return 0;
        --size_;
        return *data_++;
    }

    std::int32_t integer()
    {
        std::uint32_t bits = 0;
        for (int k = 0; k < 4; ++k)
            bits = bits << 8 | byte();
        return static_cast<std::int32_t>(bits);
    }

    // A length byte, then that many bytes; the length 255 takes everything that is left, so
    // texts of any size can be reached.
    std::string text()
    {
        std::size_t length = byte();
        if (length == 255 || length > size_)
            length = size_;
        std::string result(reinterpret_cast<const char*>(data_), length);
        data_ += length;
        size_ -= length;
        return result;
    }

    // Every byte that is left.
    std::string rest()
    {
        std::string result(reinterpret_cast<const char*>(data_), size_);
        data_ += size_;
        size_ = 0;
        return result;
    }

    // Mostly String terms, as predicates read them, but every kind turns up.
    CONSTANT term()
    {
        switch (byte() % 8) {
        case 5: return CONSTANT(integer());
        case 6: return CONSTANT(text().c_str(), false);
        case 7: return CONSTANT();
        default: return CONSTANT(text().c_str(), true);
        }
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

#endif
