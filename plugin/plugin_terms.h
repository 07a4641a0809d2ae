// The term values of a loaded plug-in, made, read and released through the members of CONSTANT
// that the plug-in itself exports, never through a copy of the class compiled in here: a text
// that a predicate writes into a slot is then released by the code (and allocator) that made it.
#ifndef PLUGIN_PLUGIN_TERMS_H
#define PLUGIN_PLUGIN_TERMS_H

#include "predicate_library.h"

#include <cstddef>
#include <memory>

// The members as the C++ ABI calls them: `this` first, a reference as a pointer.
struct TermMembers {
    // Throws LoadError naming the first member that the library does not export.
    explicit TermMembers(const PredicateLibrary& library);

    void (*makeNull)(CONSTANT*);
    void (*makeInteger)(CONSTANT*, const int&);
    void (*makeText)(CONSTANT*, const char*, bool);
    void (*destroy)(CONSTANT*);
    CONSTANT::TYPE (*type)(const CONSTANT*);
    int (*toInt)(const CONSTANT*);
    const char* (*toString)(const CONSTANT*);
    const char* (*toSymbol)(const CONSTANT*);
};

// The argument vector of one call: storage for `count` terms, made in slot order by the add
// functions before the call, and each one made destroyed when the vector goes.
class Slots {
public:
    Slots(const TermMembers& members, std::size_t count);
    ~Slots();
    Slots(const Slots&) = delete;
    Slots& operator=(const Slots&) = delete;

    void addNull() { members_.makeNull(next()), ++made_; }
    void addInteger(int value) { members_.makeInteger(next(), value), ++made_; }
    // The term's text is exactly `text`, also when it starts and ends with a double quote, which
    // the constructor would drop: such a text is given to it inside one more pair.
    void addText(const char* text, std::size_t length, bool stringKind);

    CONSTANT* data() { return at(0); }
    CONSTANT* at(std::size_t k) { return reinterpret_cast<CONSTANT*>(storage_ + k * sizeof(CONSTANT)); }

private:
    CONSTANT* next() { return at(made_); }

    static constexpr std::size_t INLINE_SLOTS = 8;
    const TermMembers& members_;
    std::size_t made_ = 0; // slots [0, made_) hold terms
    std::unique_ptr<unsigned char[]> heap_;
    alignas(CONSTANT) unsigned char inline_[INLINE_SLOTS * sizeof(CONSTANT)];
    unsigned char* storage_;
};

#endif
