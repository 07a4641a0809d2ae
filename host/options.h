// The command line: which plug-in, and where the calls come from.
#ifndef HOST_OPTIONS_H
#define HOST_OPTIONS_H

#include <optional>
#include <string>
#include <vector>

struct Options {
    std::optional<std::string> library; // --lib
    std::optional<std::string> file;    // -f
    bool list = false;                  // --list
    bool paging = true;                 // off with --no-pager
    std::vector<std::string> calls;
};

// Returns -1 when the options are usable, else the exit status, after --help or --version has
// been answered or the problem said.
int readOptions(int argc, char** argv, Options& options);

#endif
