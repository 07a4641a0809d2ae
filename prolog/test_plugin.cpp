// A plug-in of the engine's interface other than math_R.so, for the bridge's tests: it hands
// back what it is given, breaks the rules, and has a predicate named as a built-in one.
#include "extpred.h"

#include <cstdio>
#include <new>
#include <string>

#define EXPORT extern "C" EXTPRED_API

// Writes its input into its output, whatever its kind.
EXPORT bool echo_io(CONSTANT* argv, unsigned)
{
    argv[1] = argv[0];
    return true;
}

// Writes the bytes of its text, a String's or a Symbol's, as two hexadecimal digits each: what
// the plug-in was given, byte for byte, which an echo would hand back unseen.
EXPORT bool bytes_io(CONSTANT* argv, unsigned)
{
    const char* text = argv[0].isString() ? argv[0].toString() : argv[0].isSymbol() ? argv[0].toSymbol() : nullptr;
    if (text == nullptr)
        return false;
    std::string hex;
    for (const char* c = text; *c != '\0'; ++c) {
        char digits[4];
        std::snprintf(digits, sizeof digits, hex.empty() ? "%02x" : " %02x", static_cast<unsigned char>(*c));
        hex += digits;
    }
    argv[1] = CONSTANT(hex.c_str(), true);
    return true;
}

// Holds without writing its output.
EXPORT bool lazy_o(CONSTANT*, unsigned) { return true; }

// Runs out of memory while answering.
EXPORT bool grab_o(CONSTANT*, unsigned) { throw std::bad_alloc(); }

// succ/2 is a built-in: this one adds 2.
EXPORT bool succ_io(CONSTANT* argv, unsigned)
{
    if (!argv[0].isInt())
        return false;
    argv[1] = CONSTANT(argv[0].toInt() + 2);
    return true;
}
