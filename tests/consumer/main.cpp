// Builds terms, calls a predicate linked from the installed package and prints what it wrote.
#include "extpred.h"

#include <iostream>

extern "C" bool addR_iio(CONSTANT* argv, unsigned int argc);

int main()
{
    CONSTANT argv[3] = {CONSTANT("\"1.5\"", true), CONSTANT("2.25", true), CONSTANT()};
    if (!addR_iio(argv, 3))
        return 1;
    std::cout << fromConstantToString(argv[2]) << "\n";
    return 0;
}
