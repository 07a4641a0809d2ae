// A plug-in of the engine's interface other than math_R.so, for the bridge's tests: it hands
// back what it is given, breaks the rules, and has a predicate named as a built-in one.
#include "extpred.h"

#include <new>

#define EXPORT extern "C" EXTPRED_API

// Writes its input into its output, whatever its kind.
EXPORT bool echo_io(CONSTANT* argv, unsigned)
{
    argv[1] = argv[0];
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
