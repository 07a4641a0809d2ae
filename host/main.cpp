// extpred-host: a stand-in for the rule engine. It loads the plug-in, answers calls written as
// the engine writes atoms, and shows a host author how the library is driven.
//
// The plug-in is only loaded with dlopen, so --lib works wherever the host lies; CONSTANT and
// the text utilities are compiled in (host/CMakeLists.txt says why).
#include "call_in_lines.h"
#include "call_parser.h"
#include "commands.h"
#include "evaluation.h"
#include "line_display.h"
#include "line_reader.h"
#include "predicate_library.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace {

const char* const PROGRAM = "extpred-host";
const char* const USAGE = "usage: extpred-host [--lib PATH] [-f FILE] [CALL ...]\n"
                          "   or: extpred-host [--lib PATH] --list";
// The project's version, set once in CMakeLists.txt.
const char* const VERSION = EXTPRED_HOST_VERSION;
const char* const PROMPT = "?- ";
const char* const CONTINUATION = "|  "; // while a call goes on over several lines

enum ExitStatus { ALL_ANSWERED = 0, SOME_CALL_FAILED = 1, UNUSABLE = 2 };

// Calls longer than this do not push every answer of a transcript further right.
const std::size_t WIDEST_ALIGNED_CALL = 44;
// A transcript echoes a line up to this many columns, a line it could not answer up to a line's
// worth, as a problem quotes it; either with its length when cut.
const std::size_t WIDEST_ECHO = 1000;
const std::size_t WIDEST_BAD_ECHO = 80;

const char* const HELP = R"(

Loads the plug-in (by default math_R.so beside this program, or the installed one) and
answers each CALL. A call is written as the engine writes an atom: "..." is a real
(a String term), 42 an Integer, a name starting with a capital letter or _ a
variable, any other name a Symbol. Variables are the outputs: addR("1", X, "3")
calls addR_ioi.

A CALL (or a line) may be a rule body: calls separated by commas, answered left to
right, each variable an output of its first call and an input of the later ones;
a leading ?- and a final . are allowed. The answer gives each variable once, true
when there are none, and false when any call fails. A line may also be one of the
commands help (a short guide), halt, quit or exit (the end, as the end of input).

examples:
  $ extpred-host 'sqrt("2", X)'
  X = "1.41421356"
  $ extpred-host 'addR("0.1", "0.2", "0.3")' 'floor("-2.5", K)'
  true
  K = -3
  $ extpred-host 'timesR("2", "2", R2), timesR(R2, "3.14159265", A)'
  R2 = "4.00000000", A = "12.56637060"
  $ extpred-host --list | grep atan
  atan2_iii
  atan2_iio
  atan_ii
  atan_io
  $ extpred-host -f )" EXTPRED_HOST_TOUR R"(  # the guided tour, where the package puts it

Without CALL it reads one call (or body) a line:
  -f FILE          a transcript: each line is echoed, each answer (or error) beside
                   its call; blank lines (trailing blanks dropped) and % comments kept.
                   A line that ends with a comma or a bracket still open goes on on
                   the next one, here and at a terminal.
  a pipe or file   exactly one line out per call, written at once, never waiting for
                   the next line: the answer, or error (its reason on standard error,
                   which a program must read or redirect); blank and % lines give none.
  a terminal       line editing and history when built with libedit: each line is
                   added to ~/.extpred_host_history as it is entered, shared by the
                   sessions at once (a file there that is no such history is left
                   alone); the ?- prompt (|  while a call goes on) when the answers go
                   to the terminal too, else one line per call as for a pipe; Ctrl-C
                   drops the line typed, Ctrl-D ends.

options:
  --lib PATH  the plug-in to load (a bare file name is taken from the current folder)
  -f FILE     read calls from FILE (- for standard input)
  --list      list the predicates that the plug-in exports, one name_pattern a line
  --help      show this text
  --version   show the program's name and version

exit status: 0 every call was answered (true or false), or Ctrl-D or halt ended a
terminal session; 1 some call was malformed or named no predicate; 2 bad usage, a
plug-in that cannot be loaded or listed, or calls that cannot be read or answers that
cannot be written.
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

// Answers that never reached their reader (a full disk, a closed pipe) are no answers: the
// first failed write ends the run, with its reason.
int writeFailed() { return streamError("cannot write the answers"); }

bool put(const std::string& text, bool flush = false)
{
    std::cout << text;
    if (flush)
        std::cout.flush();
    return static_cast<bool>(std::cout);
}

// The last answers still in the buffer; a run that already failed says so only once.
int written(int status)
{
    return std::cout.flush() || status == UNUSABLE ? status : writeFailed();
}

struct Options {
    std::optional<std::string> library; // --lib
    std::optional<std::string> file;    // -f
    bool list = false;                  // --list
    std::vector<std::string> calls;
};

// The line as the parser takes it: without its end and trailing blanks, and, on the first
// line, without a byte-order mark that an editor put there (line 0: an argument, which has none).
std::string cleaned(std::string line, std::size_t number)
{
    if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0)
        line.erase(0, 3);
    std::size_t end = line.find_last_not_of(" \t\r");
    line.erase(end == std::string::npos ? 0 : end + 1);
    return line;
}

// Answers lines of calls against one library and remembers whether any of them went wrong.
class Session {
public:
    explicit Session(const PredicateLibrary& library) : library_(library) {}

    // The answer, or nothing after the problem went to standard error, named by the line it is
    // on: "line 2" after `source`, e.g. "standard input line 2".
    std::optional<std::string> answer(const CallInLines& call, const std::string& source)
    {
        return answerText(call.text(), [&](std::size_t at) {
            CallInLines::Place place = call.placeOf(at);
            return Spot{source + (source.empty() ? "" : " ") + "line " + std::to_string(place.line), place.text,
                        place.at};
        });
    }

    // The same for a call given whole, named `name` (e.g. "argument 1").
    std::optional<std::string> answer(const std::string& call, const std::string& name)
    {
        return answerText(call, [&](std::size_t at) { return Spot{name, call, at}; });
    }

    int status() const { return failed_ ? SOME_CALL_FAILED : ALL_ANSWERED; }

private:
    // Where a byte of the text answered was written: its line's name, that line, the byte in it.
    struct Spot {
        std::string name;
        std::string line;
        std::size_t at;
    };

    std::optional<std::string> answerText(const std::string& text, const std::function<Spot(std::size_t)>& spotOf)
    {
        std::variant<Body, BodyError> parsed = parseBody(text);
        if (const BodyError* error = std::get_if<BodyError>(&parsed)) {
            Spot spot = spotOf(error->at);
            report(spot.name + callOf(error->call, error->calls) + ", character " +
                       std::to_string(characterNumber(spot.line, spot.at)) + ": " + error->message,
                   spot.line, spot.at);
            return std::nullopt;
        }
        const Body& body = std::get<Body>(parsed);
        Outcome outcome = evaluate(body, library_);
        if (!outcome.answered) {
            // In a body the caret shows which call; a single call needs none, and is named by
            // where it starts.
            bool several = body.size() > 1 && outcome.call > 0;
            Spot spot = spotOf(several ? body[outcome.call - 1].at : 0);
            report(spot.name + callOf(outcome.call, body.size()) + ": " + outcome.text, spot.line,
                   several ? std::optional(spot.at) : std::nullopt);
            return std::nullopt;
        }
        return outcome.text;
    }

    static std::string callOf(std::size_t call, std::size_t calls)
    {
        return calls > 1 && call > 0 ? ", call " + std::to_string(call) : "";
    }

    void report(const std::string& message, const std::string& line, std::optional<std::size_t> at)
    {
        failed_ = true;
        std::cout.flush(); // keep the message next to its call when both streams share a terminal
        std::cerr << PROGRAM << ": " << message;
        if (at) {
            Excerpt place = excerptAround(line, *at);
            std::cerr << "\n    " << place.line << "\n    " << place.caret;
        }
        std::cerr << std::endl;
    }

    const PredicateLibrary& library_;
    bool failed_ = false;
};

int answerArguments(Session& session, const std::vector<std::string>& calls)
{
    for (std::size_t k = 0; k < calls.size(); ++k) {
        std::string call = cleaned(calls[k], 0);
        Command command = commandOf(call);
        if (command == Command::Halt)
            break;
        if (command == Command::Help) {
            if (!put(GUIDE))
                return writeFailed();
        } else if (auto answer = session.answer(call, "argument " + std::to_string(k + 1))) {
            if (!put(*answer + "\n"))
                return writeFailed();
        }
    }
    return session.status();
}

// A script of calls: every answer follows its call in one column, and comments and blank
// lines stay, so the output reads as the script with its answers filled in. A call over several
// lines is echoed as written, with its answer beside its last line.
int answerTranscript(Session& session, std::istream& in, const std::string& source)
{
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(cleaned(line, lines.size() + 1));
    if (in.bad()) // not the end of the text but a failed read, as of a directory
        return streamError("cannot read " + abridged(source));

    std::size_t width = 0;
    for (const std::string& line : lines)
        if (!isBlankOrComment(line))
            width = std::max(width, std::min(shownWidth(line), WIDEST_ALIGNED_CALL));

    // The lines of the call under way (blank and comment lines among them) wait for its answer.
    CallInLines call;
    auto answerHeld = [&](std::size_t last) {
        auto answer = session.answer(call, abridged(source));
        std::string out;
        for (std::size_t k = call.firstLine() - 1; k <= last; ++k) {
            std::string shown = abridged(lines[k], answer ? WIDEST_ECHO : WIDEST_BAD_ECHO);
            out += shown;
            if (k + 1 == call.lastLine())
                out += std::string(width - std::min(width, shownWidth(shown)) + 2, ' ') + answer.value_or("error");
            out += '\n';
        }
        call.clear();
        return put(out);
    };
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::string& line = lines[k];
        Command command = call.pending() ? Command::None : commandOf(line);
        if (command != Command::None) {
            if (!put(abridged(line, WIDEST_ECHO) + "\n" + (command == Command::Help ? GUIDE : "")))
                return writeFailed();
            if (command == Command::Halt)
                return session.status();
            continue;
        }
        if (!call.add(line, k + 1)) {
            if (!put(abridged(line, WIDEST_ECHO) + "\n"))
                return writeFailed();
            continue;
        }
        // A call that is never completed is answered at the end: its problem is that it ends early.
        if ((call.complete() || k + 1 == lines.size()) && !answerHeld(k))
            return writeFailed();
    }
    return session.status();
}

// A program writes a line and waits for its answer: exactly one line comes back for every line
// with a call, at once, even when the call cannot be answered (a line never waits for the next).
int answerProgram(Session& session)
{
    std::unique_ptr<LineReader> reader = plainReader(STDIN_FILENO, nullptr, false);
    std::string line;
    for (std::size_t number = 1;; ++number) {
        Read read = reader->next(line);
        if (read == Read::End)
            return session.status();
        if (read != Read::Line)
            return streamError("cannot read standard input");
        line = cleaned(line, number);
        if (isBlankOrComment(line))
            continue;
        Command command = commandOf(line);
        if (command == Command::Halt)
            return session.status();
        if (command == Command::Help) {
            if (!put(GUIDE, true))
                return writeFailed();
            continue;
        }
        auto answer = session.answer(line, "standard input line " + std::to_string(number));
        if (!put(answer.value_or("error") + "\n", true))
            return writeFailed();
    }
}

// Lines typed are edited and kept in the history wherever the answers go. Answers that go
// elsewhere get no prompt, and exactly one line for each call, as from a pipe.
int answerAtTerminal(Session& session)
{
    bool prompting = isatty(STDOUT_FILENO);
    std::unique_ptr<LineReader> reader = editingReader(nullptr);
    if (!reader)
        reader = plainReader(STDIN_FILENO, nullptr, true);
    CallInLines call;
    // At the terminal the reason shown is answer enough; a file of answers keeps its lines in
    // step with the calls.
    auto answered = [&]() {
        auto answer = session.answer(call, "");
        return (!answer && prompting) || put(answer.value_or("error") + "\n", true);
    };
    std::string line;
    for (std::size_t number = 1;;) {
        if (prompting)
            reader->setPrompt(call.pending() ? CONTINUATION : PROMPT);
        Read read = reader->next(line);
        if (read == Read::Interrupted) {
            call.clear(); // the unfinished call too
            continue;
        }
        if (read == Read::Failed)
            return streamError("cannot read standard input");
        if (read == Read::End)
            break;
        line = cleaned(line, number);
        Command command = call.pending() ? Command::None : commandOf(line);
        if (command == Command::Halt)
            return ALL_ANSWERED;
        if (command == Command::Help) {
            // The guide is for the person at the keyboard, not for a file of answers.
            (prompting ? std::cout : std::cerr) << GUIDE << std::flush;
            ++number; // a line typed, counted as every line with text is
            continue;
        }
        if (!call.add(line, number))
            continue;
        number = call.lastLine() + 1; // a blank line within a call is not counted
        if (call.complete()) {
            if (!answered())
                return writeFailed();
            call.clear();
        }
    }
    // A call that never ended has its problem shown, the end of input being an orderly end.
    if (call.pending() && !answered())
        return writeFailed();
    if (prompting && !put("\n")) // the shell's prompt then starts on a line of its own
        return writeFailed();
    return ALL_ANSWERED; // Ctrl-D is an orderly end: each problem was shown as it came
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
        } else if (argument == "--help" || argument == "-h" || argument == "--version") {
            if (argc > 2)
                return usageError(argument + " takes no other arguments");
            if (argument == "--version")
                std::cout << PROGRAM << " " << VERSION << "\n";
            else
                std::cout << USAGE << HELP;
            return ALL_ANSWERED;
        } else if (argument == "--list") {
            options.list = true;
        } else if (argument == "--lib" || argument == "-f" || argument.rfind("--lib=", 0) == 0) {
            std::string option = argument.substr(0, argument.find('='));
            if (option == argument && k + 1 == argc)
                return usageError(option + " needs a value");
            std::string value = option == argument ? argv[++k] : argument.substr(option.size() + 1);
            std::optional<std::string>& setting = option == "-f" ? options.file : options.library;
            if (setting)
                return usageError(option + " given twice");
            if (value.empty())
                return usageError(option + " needs a value, not an empty text");
            setting = value;
        } else {
            return usageError("unknown option " + abridged(argument));
        }
    }
    if (options.list && (options.file || !options.calls.empty()))
        return usageError("--list answers no calls");
    if (options.file && !options.calls.empty())
        return usageError("give calls either with -f or as arguments, not both");
    return -1;
}

int listPredicates(const PredicateLibrary& library)
{
    std::string list;
    try {
        for (const std::string& predicate : library.predicates())
            list += predicate + "\n";
    } catch (const LoadError& error) {
        std::cerr << PROGRAM << ": " << abridged(error.what(), 400) << "\n";
        return UNUSABLE;
    }
    return put(list) ? ALL_ANSWERED : writeFailed();
}

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
        return answerAtTerminal(session);
    return answerProgram(session);
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
        if (options.list)
            return written(listPredicates(library));
        Session session(library);
        return written(answerCalls(session, options));
    } catch (const LoadError& error) {
        std::cerr << PROGRAM << ": cannot load the plug-in: " << abridged(error.what(), 400) << "\n";
        return UNUSABLE;
    }
}
