// What a plug-in offers, read from the plug-in itself, so that another plug-in lists its own.
#ifndef PLUGIN_EXPORTED_PREDICATES_H
#define PLUGIN_EXPORTED_PREDICATES_H

#include "predicate_library.h"

#include <string>
#include <vector>

// Every function that the shared object at `path` defines and exports under a name of the form
// name_pattern (a word starting with a lower-case letter, '_', then i and o letters), sorted,
// each once. Throws LoadError when the file cannot be read as one.
std::vector<std::string> exportedPredicates(const std::string& path);

#endif
