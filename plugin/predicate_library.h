// The plug-in as the engine meets it: loaded at run time, predicates found by symbol name.
#ifndef PLUGIN_PREDICATE_LIBRARY_H
#define PLUGIN_PREDICATE_LIBRARY_H

#include "math_R.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// The calling convention of every plug-in's predicates, as math_R.h declares it.
using Predicate = PREDICATE;

struct LoadError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class PredicateLibrary {
public:
    // Throws LoadError with the loader's message. A bare file name means the file in the
    // current directory, not a search of the loader's paths.
    explicit PredicateLibrary(const std::string& path);
    ~PredicateLibrary();
    PredicateLibrary(const PredicateLibrary&) = delete;
    PredicateLibrary& operator=(const PredicateLibrary&) = delete;

    // The predicate exported under `symbol` by this library itself (not by one of the
    // libraries it depends on), or null.
    Predicate find(const std::string& symbol) const;

    // Whatever `symbol` names for this library, as its own code would bind it: its own
    // definition, else that of a library it depends on; null when there is none.
    void* symbol(const std::string& symbol) const;

    // The file name, for messages.
    const std::string& name() const { return name_; }

    // The name_pattern of every predicate that the plug-in exports and find() finds, sorted, as
    // its file lists them (read at the first call). Throws LoadError when the file cannot be read.
    const std::vector<std::string>& predicates() const;

private:
    void* handle_;
    std::string file_; // as opened
    mutable std::optional<std::vector<std::string>> predicates_;
    std::string loadedAs_;
    std::string name_;
};

// Throws LoadError unless `library` exports a predicate: a library of something else (libm) or
// a plug-in built with its symbols hidden would answer no call, and is better refused at once.
void expectPredicates(const PredicateLibrary& library);

// math_R.so beside this executable, else in the library folder relative to it where
// `make install` puts it. Throws LoadError naming the places looked at.
std::string defaultLibraryPath();

// The file that the system's loader opens for the plain `name` (LD_LIBRARY_PATH, its cache, its
// folders); empty when it finds none.
std::string loaderFinds(const std::string& name);

// `folders`, each relative to the folder of the shared object that holds `code` (a function of
// the caller's own); none when it cannot tell where that lies.
std::vector<std::string> foldersNear(const void* code, const std::vector<std::string>& folders);

// math_R.so in the first of `folders` (each relative to the folder of the shared object that
// holds `code`, a function of the caller's own) that has one, else the one that the system's
// loader finds by name. Throws LoadError naming the places looked at.
std::string libraryNear(const void* code, const std::vector<std::string>& folders);

#endif
