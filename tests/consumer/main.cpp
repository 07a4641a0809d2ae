// A host that links the installed plug-in and calls a predicate and myRound by name.
#include "math_R.h"

#include <iostream>

int main()
{
    CONSTANT argv[3] = {CONSTANT("\"1.5\"", true), CONSTANT("2.25", true), CONSTANT()};
    if (!addR_iio(argv, 3))
        return 1;
    std::cout << fromConstantToString(argv[2]) << " " << myRound(2.675, 2) << "\n";
    return 0;
}
