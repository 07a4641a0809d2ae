// Internal to the library: writes a result straight into a term.
#ifndef TERM_WRITER_H
#define TERM_WRITER_H

#include "extpred.h"

#include <cstddef>

struct TermWriter {
    // Makes `term` a String term holding a copy of the `length` bytes of `text`, as assigning
    // CONSTANT(text, true) would for a text without enclosing quotes, but with one allocation.
    // The copy is made before the old text is released, so a failed allocation changes nothing.
    static void setString(CONSTANT& term, const char* text, std::size_t length);
    // Makes `term` a String term that owns `text`, a terminated text in an array from new[].
    static void adoptString(CONSTANT& term, char* text);
    // Makes `term` an Integer term holding `value`, as assigning CONSTANT(value) would, without
    // the temporary, whose construction and destruction cost a good part of a call (make bench,
    // floor output).
    static void setInteger(CONSTANT& term, int value);

private:
    // Releases the text that `term` owns, if any, before its payload is overwritten.
    static void releaseText(CONSTANT& term);
};

#endif
