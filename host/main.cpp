// extpred-host: a stand-in for the rule engine. It loads the plug-in, answers calls written as
// the engine writes atoms, and shows a host author how the library is driven.
//
// The plug-in is only loaded with dlopen, so --lib works wherever the host lies; CONSTANT and
// the text utilities are compiled in (host/CMakeLists.txt says why).
#include "arguments.h"
#include "commands.h"
#include "line_display.h"
#include "options.h"
#include "output.h"
#include "pipe.h"
#include "predicate_library.h"
#include "session.h"
#include "terminal.h"
#include "transcript.h"

#include <unistd.h>

#include <fstream>
#include <iostream>

namespace {

int answerCalls(Session& session, const Options& options)
{
    if (!options.calls.empty())
        return answerArguments(session, options.calls);
    if (options.file == "-")
        return answerTranscript(session, std::cin, "standard input");
    if (options.file) {
        std::ifstream file(*options.file, std::ios::binary);
        if (!file)
            return streamError("cannot read " + abridged(*options.file));
        return answerTranscript(session, file, *options.file);
    }
    if (isatty(STDIN_FILENO))
        return answerAtTerminal(session, options.paging);
    return answerPipe(session);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    int status = readOptions(argc, argv, options);
    if (status >= 0)
        return written(status);
    try {
        PredicateLibrary library(options.library ? *options.library : defaultLibraryPath());
        expectPredicates(library);
        if (options.list)
            return written(listPredicates(library));
        Session session(library);
        return written(answerCalls(session, options));
    } catch (const LoadError& error) {
        tell("cannot load the plug-in: " + abridged(error.what(), 400));
        return UNUSABLE;
    }
}
