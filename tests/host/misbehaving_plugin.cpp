// A plug-in that breaks the rules, to show that the host survives it.
#include "extpred.h"

#include <new>

#define EXPORT extern "C" EXTPRED_API

// Runs out of memory while answering.
EXPORT bool grab_o(CONSTANT*, unsigned) { throw std::bad_alloc(); }

// Claims success without writing its output slot.
EXPORT bool lazy_o(CONSTANT*, unsigned) { return true; }

// Writes an Integer, as floor and ceil do.
EXPORT bool answer_io(CONSTANT* argv, unsigned)
{
    argv[1] = CONSTANT(42);
    return true;
}

// Writes two different terms, so one variable in both slots cannot hold.
EXPORT bool pair_oo(CONSTANT* argv, unsigned)
{
    argv[0] = CONSTANT(1);
    argv[1] = CONSTANT(2);
    return true;
}
