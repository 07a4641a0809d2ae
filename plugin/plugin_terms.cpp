#include "plugin_terms.h"

#include <string>

namespace {

// The member exported under `symbol` (by the plug-in or by a library it takes CONSTANT from,
// as its own predicates would find it).
template <class Function>
void resolve(const PredicateLibrary& library, Function& function, const char* symbol, const char* member)
{
    void* address = library.symbol(symbol);
    if (address == nullptr)
        throw LoadError(std::string("it does not export CONSTANT's member ") + member + " (" + symbol + ")");
    function = reinterpret_cast<Function>(address);
}

} // namespace

TermMembers::TermMembers(const PredicateLibrary& library)
{
    resolve(library, makeNull, "_ZN8CONSTANTC1Ev", "CONSTANT()");
    resolve(library, makeInteger, "_ZN8CONSTANTC1ERKi", "CONSTANT(const int&)");
    resolve(library, makeText, "_ZN8CONSTANTC1EPKcb", "CONSTANT(const char*, bool)");
    resolve(library, destroy, "_ZN8CONSTANTD1Ev", "~CONSTANT()");
    resolve(library, type, "_ZNK8CONSTANT7getTypeEv", "getType()");
    resolve(library, toInt, "_ZNK8CONSTANT5toIntEv", "toInt()");
    resolve(library, toString, "_ZNK8CONSTANT8toStringEv", "toString()");
    resolve(library, toSymbol, "_ZNK8CONSTANT8toSymbolEv", "toSymbol()");
}

Slots::Slots(const TermMembers& members, std::size_t count) : members_(members), storage_(inline_)
{
    if (count > INLINE_SLOTS) {
        heap_.reset(new unsigned char[count * sizeof(CONSTANT)]);
        storage_ = heap_.get();
    }
}

Slots::~Slots()
{
    for (std::size_t k = 0; k < made_; ++k)
        members_.destroy(at(k));
}

void Slots::addText(const char* text, std::size_t length, bool stringKind)
{
    if (length < 2 || text[0] != '"' || text[length - 1] != '"') {
        members_.makeText(next(), text, stringKind);
    } else {
        std::string quoted;
        quoted.reserve(length + 2);
        quoted.append(1, '"').append(text, length).append(1, '"');
        members_.makeText(next(), quoted.c_str(), stringKind);
    }
    ++made_;
}
