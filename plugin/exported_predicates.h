// What a plug-in offers, read from the plug-in itself, so that another plug-in lists its own.
#ifndef PLUGIN_EXPORTED_PREDICATES_H
#define PLUGIN_EXPORTED_PREDICATES_H

#include "predicate_library.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A name_pattern taken apart: addR_iio is the name addR, 3 slots, and slot 2 an output (bit k of
// `outputs` for slot k).
struct SymbolParts {
    std::string name;
    std::size_t arity = 0;
    std::uint64_t outputs = 0;
};
// False for a pattern of more slots than the mask holds (64), which no call names.
bool partsOf(const std::string& symbol, SymbolParts& parts);

// The predicate's name of a name_pattern: addR of addR_iio.
inline std::string predicateName(const std::string& symbol) { return symbol.substr(0, symbol.rfind('_')); }

// Every function that the shared object at `path` defines and exports under a name of the form
// name_pattern (a word starting with a lower-case letter, '_', then i and o letters), sorted,
// each once. Throws LoadError when the file cannot be read as one.
std::vector<std::string> exportedPredicates(const std::string& path);

// When `path` is an ELF shared object built for another machine than this program, or a file
// that is no ELF object at all: what it is, e.g. "math_R.so is a shared object for aarch64; this
// host runs x86-64", "notes.txt is not a shared object: it has no ELF header". Empty for a file
// of this machine, or one that cannot be read. Read from the file's own header, since the
// loader's message for such a file can be "No such file or directory" or "file too short".
std::string foreignFile(const std::string& path);

#endif
