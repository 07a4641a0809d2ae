// A host that loads the installed plug-in at run time, as the engine does, and finds a
// predicate by its name.
#include "math_R.h"

#include <dlfcn.h>
#include <iostream>

int main()
{
    void* plugin = dlopen("math_R.so", RTLD_NOW | RTLD_LOCAL);
    if (!plugin) {
        std::cerr << dlerror() << "\n";
        return 1;
    }
    auto sqrtIo = reinterpret_cast<PREDICATE>(dlsym(plugin, "sqrt_io"));
    if (!sqrtIo) {
        std::cerr << dlerror() << "\n";
        return 1;
    }
    CONSTANT argv[2] = {CONSTANT("\"2\"", true), CONSTANT()};
    if (!sqrtIo(argv, 2))
        return 1;
    std::cout << fromConstantToString(argv[1]) << "\n";
    dlclose(plugin);
    return 0;
}
