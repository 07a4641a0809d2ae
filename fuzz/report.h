// A broken property stops the run with what broke, so that libFuzzer keeps the input and a
// replay names the fault.
#ifndef FUZZ_REPORT_H
#define FUZZ_REPORT_H

#include <cstdio>
#include <cstdlib>
#include <string>

inline void require(const std::string& fault)
{
    if (fault.empty())
        return;
    std::fprintf(stderr, "property broken: %s\n", fault.c_str());
    std::abort();
}

#endif
