// extpred-host: a stand-in for the rule engine. It loads the plug-in, answers calls written as
// the engine writes atoms, and shows a host author how the library is driven.
//
// The host links math_R for CONSTANT and the text utilities and dlopens the plug-in only for
// the predicates. That is how the engine itself works: the term value and the text
// utilities are the interface it shares with every plug-in, so a term the host builds and a
// term a plug-in writes use one implementation (and one allocator), whichever library --lib
// names. Taking the class from the dlopened file instead would mean calling mangled C++
// constructors through dlsym.
#include "call_parser.h"
#include "evaluation.h"
#include "predicate_library.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace {

const char* const PROGRAM = "extpred-host";
const char* const USAGE = "usage: extpred-host [--lib PATH] [-f FILE] [CALL ...]";

enum ExitStatus { ALL_ANSWERED = 0, SOME_CALL_FAILED = 1, UNUSABLE = 2 };

// Calls longer than this do not push every answer of a transcript further right.
const std::size_t WIDEST_ALIGNED_CALL = 44;

const char* const HELP = R"(

Loads the plug-in (by default math_R.so beside this program or in its ../lib) and
answers each CALL. Without CALL it reads calls from FILE, or from standard input,
one per line; blank lines and lines starting with % are skipped.

A call is written as the engine writes an atom: "..." is a real (a String term),
42 an Integer, a name starting with a capital letter or _ a variable, any other
name a Symbol. Variables are the outputs: addR("1", X, "3") calls addR_ioi.

examples:
  extpred-host 'sqrt("2", X)'                 X = "1.41421356"
  extpred-host 'addR("0.1", "0.2", "0.3")'     true
  extpred-host 'floor("-2.5", K)'             K = -3
  extpred-host -f examples/tour.calls

options:
  --lib PATH  the plug-in to load (a bare file name is taken from the current folder)
  -f FILE     read calls from FILE
  --help      show this text

exit status: 0 every call was answered (true or false), 1 some call was malformed or
named no predicate, 2 bad usage, a plug-in that cannot be loaded, or calls that cannot
be read or answers that cannot be written.
)";

int usageError(const std::string& message)
{
    std::cerr << PROGRAM << ": " << message << "\n" << USAGE << "  (see --help)\n";
    return UNUSABLE;
}

// A file or stream that fails, with the system's reason.
int streamError(const std::string& what)
{
    std::cerr << PROGRAM << ": " << what << ": " << std::strerror(errno) << "\n";
    return UNUSABLE;
}

// Answers that never reached their reader (a full disk, a closed pipe) are no answers.
int written(int status)
{
    return std::cout.flush() ? status : streamError("cannot write the answers");
}

struct Options {
    std::string library;
    std::optional<std::string> file; // -f
    std::vector<std::string> calls;
};

bool isBlankOrComment(const std::string& line)
{
    std::size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '%';
}

std::string withoutLineEnd(std::string line)
{
    std::size_t end = line.find_last_not_of(" \t\r");
    line.erase(end == std::string::npos ? 0 : end + 1);
    return line;
}

// Answers calls against one library and remembers whether any of them went wrong.
class Session {
public:
    explicit Session(const PredicateLibrary& library) : library_(library) {}

    // The answer, or nothing after the problem went to standard error.
    std::optional<std::string> answer(const std::string& text, const std::string& where)
    {
        std::variant<Call, CallError> parsed = parseCall(text);
        if (const CallError* error = std::get_if<CallError>(&parsed)) {
            std::string caret;
            for (std::size_t k = 0; k + 1 < error->column; ++k)
                caret += k < text.size() && text[k] == '\t' ? '\t' : ' ';
            report(where + ", character " + std::to_string(error->column) + ": " + error->message + "\n    " +
                   text + "\n    " + caret + "^");
            return std::nullopt;
        }
        Outcome outcome = evaluate(std::get<Call>(parsed), library_);
        if (!outcome.answered) {
            report(where + ": " + outcome.text);
            return std::nullopt;
        }
        return outcome.text;
    }

    int status() const { return failed_ ? SOME_CALL_FAILED : ALL_ANSWERED; }

private:
    void report(const std::string& message)
    {
        failed_ = true;
        std::cout.flush(); // keep the message next to its call when both streams share a terminal
        std::cerr << PROGRAM << ": " << message << std::endl;
    }

    const PredicateLibrary& library_;
    bool failed_ = false;
};

int answerArguments(Session& session, const std::vector<std::string>& calls)
{
    for (std::size_t k = 0; k < calls.size(); ++k)
        if (auto answer = session.answer(calls[k], "argument " + std::to_string(k + 1)))
            std::cout << *answer << "\n";
    return session.status();
}

// A script of calls: every answer follows its call in one column, and comments and blank
// lines stay, so the output reads as the script with its answers filled in.
int answerTranscript(Session& session, std::istream& in, const std::string& source)
{
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(withoutLineEnd(line));
    if (in.bad()) // not the end of the text but a failed read, as of a directory
        return streamError("cannot read " + source);

    std::size_t width = 0;
    for (const std::string& line : lines)
        if (!isBlankOrComment(line))
            width = std::max(width, std::min(line.size(), WIDEST_ALIGNED_CALL));

    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::string& line = lines[k];
        if (isBlankOrComment(line))
            std::cout << line << "\n";
        else if (auto answer = session.answer(line, source + " line " + std::to_string(k + 1)))
            std::cout << line << std::string(width - std::min(width, line.size()), ' ') << "  " << *answer << "\n";
    }
    return session.status();
}

int answerInteractively(Session& session)
{
    std::string line;
    for (std::size_t number = 1;; ++number) {
        std::cout << "?- " << std::flush;
        if (!std::getline(std::cin, line))
            break;
        line = withoutLineEnd(line);
        if (isBlankOrComment(line))
            continue;
        if (auto answer = session.answer(line, "line " + std::to_string(number)))
            std::cout << *answer << std::endl;
    }
    std::cout << "\n";
    return session.status();
}

// Returns -1 when the options are usable, else the exit status.
int readOptions(int argc, char** argv, Options& options)
{
    bool optionsEnded = false;
    for (int k = 1; k < argc; ++k) {
        std::string argument = argv[k];
        if (optionsEnded || argument.empty() || argument[0] != '-') {
            options.calls.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            std::cout << USAGE << HELP;
            return ALL_ANSWERED;
        } else if (argument == "--lib" || argument == "-f") {
            if (k + 1 == argc)
                return usageError(argument + " needs a value");
            if (argument == "-f")
                options.file = argv[++k];
            else
                options.library = argv[++k];
        } else if (argument.rfind("--lib=", 0) == 0) {
            options.library = argument.substr(6);
        } else {
            return usageError("unknown option " + argument);
        }
    }
    if (options.file && !options.calls.empty())
        return usageError("give calls either with -f or as arguments, not both");
    return -1;
}

int answerCalls(Session& session, const Options& options)
{
    if (!options.calls.empty())
        return answerArguments(session, options.calls);
    if (options.file) {
        std::ifstream file(*options.file);
        if (!file)
            return streamError("cannot read " + *options.file);
        return answerTranscript(session, file, *options.file);
    }
    if (isatty(STDIN_FILENO))
        return answerInteractively(session);
    return answerTranscript(session, std::cin, "standard input");
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    int status = readOptions(argc, argv, options);
    if (status >= 0)
        return written(status);
    try {
        PredicateLibrary library(options.library.empty() ? defaultLibraryPath() : options.library);
        Session session(library);
        return written(answerCalls(session, options));
    } catch (const LoadError& error) {
        std::cerr << PROGRAM << ": cannot load the plug-in: " << error.what() << "\n";
        return UNUSABLE;
    }
}
