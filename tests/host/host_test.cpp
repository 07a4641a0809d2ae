// extpred-host end to end, through its binary: answers, transcripts, every error path and
// its exit status.
#include "formula.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <link.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct HostRun {
    int status;
    std::string out;
    std::string err;
};

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The columns of a line at a terminal: a UTF-8 character a column, as every sign the host writes takes.
long columnsOf(const std::string& line)
{
    return std::count_if(line.begin(), line.end(), [](char c) { return (c & 0xC0) != 0x80; });
}

std::string temporaryFile(const std::string& content)
{
    std::string path = ::testing::TempDir() + "host_test_XXXXXX";
    int fd = mkstemp(path.data());
    EXPECT_GE(fd, 0);
    EXPECT_EQ(write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    close(fd);
    return path;
}

// The host copied into bin/ of an empty folder, as a user may copy it: no plug-in beside it nor
// in the folder's lib/.
struct CopiedHost {
    std::string folder = ::testing::TempDir() + "host_test_XXXXXX";
    std::string path;

    CopiedHost()
    {
        EXPECT_NE(mkdtemp(folder.data()), nullptr);
        std::filesystem::create_directory(folder + "/bin");
        path = folder + "/bin/extpred-host";
        std::filesystem::copy_file(HOST_PATH, path);
    }
    ~CopiedHost() { std::filesystem::remove_all(folder); }
};

// A cross build cannot spawn the host itself: it runs it through its emulator, whose command
// comes as words separated by spaces.
std::vector<std::string> launcherWords()
{
    std::vector<std::string> words;
#ifdef HOST_LAUNCHER
    std::istringstream launcher(HOST_LAUNCHER);
    for (std::string word; launcher >> word;)
        words.push_back(word);
#endif
    return words;
}

// The host's command line: through the emulator of a cross build.
std::vector<char*> hostArgv(std::vector<std::string>& launcher, const std::vector<std::string>& arguments,
                            const char* host = HOST_PATH)
{
    std::vector<char*> argv;
    for (std::string& word : launcher)
        argv.push_back(word.data());
    argv.push_back(const_cast<char*>(host));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// Runs the host with `arguments`, feeding `input` on standard input (a file, so not a terminal).
// Standard output goes to `output` when one is given, else to a file that is read back.
HostRun runHost(const std::vector<std::string>& arguments, const std::string& input = "",
                const std::string& output = "", const std::string& host = HOST_PATH)
{
    std::string in = temporaryFile(input), out = output.empty() ? temporaryFile("") : output;
    std::string err = temporaryFile("");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_TRUNC, 0);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_TRUNC, 0);

    std::vector<std::string> launcher = launcherWords();
    std::vector<char*> argv = hostArgv(launcher, arguments, host.c_str());

    pid_t pid = 0;
    HostRun run{-1, "", ""};
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.err = readFile(err);
    for (const std::string& path : {in, err})
        unlink(path.c_str());
    if (output.empty()) {
        run.out = readFile(out);
        unlink(out.c_str());
    }
    return run;
}

struct HostCase {
    std::vector<std::string> arguments;
    int status;
    std::string out;
    std::string err = "";   // a part of standard error; empty: nothing at all
    std::string input = "";  // standard input
    std::string output = ""; // where standard output goes; empty: a file read back as out
    std::string host = HOST_PATH;
};

void expectRun(const HostCase& c)
{
    std::string call;
    for (const std::string& argument : c.arguments)
        call += " '" + argument + "'";
    HostRun run = runHost(c.arguments, c.input, c.output, c.host);
    EXPECT_EQ(run.status, c.status) << call << "\n" << run.err;
    EXPECT_EQ(run.out, c.out) << call;
    if (c.err.empty())
        EXPECT_EQ(run.err, "") << call;
    else
        EXPECT_NE(run.err.find(c.err), std::string::npos) << call << "\nstandard error:\n" << run.err;
}

TEST(Host, AnswersCallsGivenAsArguments)
{
    CopiedHost copied;
    const HostCase cases[] = {
        {{"sqrt(\"2\", X)"}, 0, "X = \"1.41421356\"\n"},
        {{"addR(\"0.1\", \"0.2\", \"0.3\")", "subtR(\"5\", \"2\", \"4\")"}, 0, "true\nfalse\n"},
        {{"floor(\"-2.5\", K)"}, 0, "K = -3\n"},
        {{"round(\"1234.5\", -2, Z)", "round(\"2.5\", +0, _)"}, 0, "Z = \"1200.00000000\"\ntrue\n"},
        // Wrong kinds of term are answers too: the predicate fails, and a line says which
        // argument was of a kind that its slot never takes (none for the Integer slots).
        {{"sqrt(4, X)", "divR(\"1\", \"0\", Z)", "floor(abc, K)", "evalR(sqrt, R)"}, 0, "false\nfalse\nfalse\nfalse\n",
         "extpred-host: call 1: argument 1 of sqrt is the Integer 4; a real is written in double quotes: \"4\"\n"
         "extpred-host: call 3: argument 1 of floor is the Symbol abc; a real is written in double quotes\n"
         "extpred-host: call 4: argument 1 of evalR is the Symbol sqrt; a formula is written in double quotes\n"},
        {{"round(\"2.5\", \"0\", R)", "floor(\"2.9\", 3)", "sqrt(\"2\", x)", "round(\"2.5\", d, R)"}, 0,
         "false\nfalse\nfalse\nfalse\n",
         "round is the String \"0\"; D is a whole number, written without quotes, as in 0\n"
         "extpred-host: call 3: argument 2 of sqrt is the Symbol x; a variable starts with a capital letter or _\n"
         "extpred-host: call 4: argument 2 of round is the Symbol d; D is a whole number, as in 2\n"},
        {{"--lib", MATH_R_PATH, "exp(\"1\", E)"}, 0, "E = \"2.71828183\"\n"},
        {{"--lib=" MATH_R_PATH, "--", "exp(\"0\", \"1\")"}, 0, "true\n"},
        // The plug-in is only loaded, never linked: --lib rescues a host that has none at hand.
        {{"--lib", MATH_R_PATH, "sqrt(\"2\", X)"}, 0, "X = \"1.41421356\"\n", "", "", "", copied.path},
        // A line end from a file pasted into an argument is dropped as it is from lines.
        {{"sqrt(\"4\", X)\r"}, 0, "X = \"2.00000000\"\n"},
        // Rule bodies: a variable bound by an earlier call is an input of the later ones,
        // carrying the term written (a String, or the Integer of floor); each is reported once.
        {{"timesR(\"2\", \"2\", R2), timesR(R2, \"3.14159265\", A)"}, 0, "R2 = \"4.00000000\", A = \"12.56637060\"\n"},
        {{"?- floor(\"2.5\", K), round(\"3.14159\", K, Z), addR(Z, Z, W) ."},
         0, "K = 2, Z = \"3.14000000\", W = \"6.28000000\"\n"},
        // Each _ is a fresh variable: were they one, the second call would test sqrt 9 = 2.
        {{"sqrt(\"4\", _), sqrt(\"9\", _)"}, 0, "true\n"},
        // As at a Prolog toplevel: a variable may start with any capital, and one that starts
        // with _ is bound but not shown.
        {{"sqrt(\"4\", _R), addR(_R, \"1\", Résultat)"}, 0, "Résultat = \"3.00000000\"\n"},
        // What the README's table says of a name; a word in no name or description finds them.
        {{"help(sqrt).", "apropos angle"}, 0,
         "sqrt_ii(X, R): tests R = √X; fails when X < 0 or nan\n    sqrt(\"2\", \"1.41421356\") → true\n"
         "sqrt_io(X, R): writes R = √X; fails when X < 0 or nan\n    sqrt(\"2\", R) → R = \"1.41421356\"\n"
         "deg2rad  degrees converted to radians\nrad2deg  radians converted to degrees\n"
         "atan2    the angle of the point (X, Y), from Y and X\n"},
        // By meaning: the words people search by, names that hold them first, and never a name
        // that a paragraph about something else stands beside.
        {{"apropos power", "apropos product", "apropos square  root", "apropos natural", "apropos log",
          "apropos percent"},
         0,
         "pow  X to the power Y\ntimesR  the product of two reals\nsqrt  the square root\nln  the natural logarithm\n"
         "log    the logarithm of X to base B\nlog2   the base-2 logarithm\nlog10  the base-10 logarithm\n"
         "ln     the natural logarithm\nevalR  the value of a formula of up to four reals\n"},
        // Each word on its own, every one somewhere, by its stem or its sign; what names the
        // word (its name, its search words) before what only mentions it.
        {{"apropos greater or equal", "apropos log base 2", "apropos powers", "apropos %", "apropos integer"}, 0,
         "greaterEqR  whether X is greater than or equal to Y\nlog2  the base-2 logarithm\npow  X to the power Y\n"
         "modR  the remainder of a division, truncated toward zero\n"
         "floor  the largest whole number not above X, as an Integer\n"
         "ceil   the smallest whole number not below X, as an Integer\n"
         "evalR  the value of a formula of up to four reals\nround  X rounded to D decimals, D an Integer\n"},
        // A command with more words than it takes says its form, never parsed as a call; help
        // on a command describes it.
        {{"help sqrt extra", "help(halt)", "apropos", "list all"}, 0,
         "help takes one name or none: help sqrt\n"
         "halt, quit or exit: the end of the session, as Ctrl-D on an empty line.\n"
         "apropos takes a word or a few: apropos square root\nlist takes nothing more: list\n"},
        {{"halt now", "sqrt(\"4\", X)"}, 0, "halt takes nothing more: halt\nX = \"2.00000000\"\n"},
        {{"help sqrt_io"}, 0, "sqrt_io(X, R): writes R = √X; fails when X < 0 or nan\n    sqrt(\"2\", R) → R = \"1.41421356\"\n"},
        {{"help sqrt_oi"}, 0, "no predicate sqrt_oi; sqrt has:\nsqrt_ii(X, R): tests R = √X; fails when X < 0 or nan\n"
                              "    sqrt(\"2\", \"1.41421356\") → true\n"
                              "sqrt_io(X, R): writes R = √X; fails when X < 0 or nan\n    sqrt(\"2\", R) → R = \"1.41421356\"\n"},
        {{"--lib", MISBEHAVING_PLUGIN_PATH, "help answer_io"}, 0, "answer_io\n"},
        {{"divR(\"1\", \"0\", Z), sqrt(\"4\", X)"}, 0, "false\n"},
        // Texts that atof reads whole get no note; an empty one, read as 0, does.
        {{"addR(\" 2\", \"1e3\", X), addR(\"inf\", \"0x1p3\", Y)"}, 0, "X = \"1002.00000000\", Y = \"inf\"\n"},
        {{"sqrt(\"4\", X), addR(\"\", X, Y)"}, 0, "X = \"2.00000000\", Y = \"2.00000000\"\n",
         "extpred-host: call 1, goal 2: \"\" is read as 0: it is empty\n"},
        // A formula, whose brackets pair inside its quotes; where it fails, the host says why.
        {{"evalR(\"sqrt((x - z)^2 + (y - w)^2)\", \"1\", \"1\", \"4\", \"5\", D)"}, 0, "D = \"5.00000000\"\n"},
        {{"addR(\"1\", \"2\", X), evalR(\"1 + sqrt(x - 4)\", X, R)"}, 0, "false\n",
         "extpred-host: call 1, goal 2: evalR: sqrt at character 5 fails on a value below 0 (or NaN)\n"
         "    1 + sqrt(x - 4)\n"
         "        ^\n"},
        {{"evalR(\"2 * x +\", \"3\", R)"}, 0, "false\n", "evalR: the formula ends early, at character 8\n"},
        // An Integer operand is its value, and a formula that fails with one is told as any other.
        {{"evalR(\"x / y\", \"10\", 4, R)", "evalR(\"sqrt(x)\", -4, R)"}, 0, "R = \"2.50000000\"\nfalse\n",
         "extpred-host: call 2: evalR: sqrt at character 1 fails on a value below 0 (or NaN)\n"},
        // A formula written as another language writes it: what that is here.
        {{"evalR(\"log(x)\", \"2\", \"3\", R)"}, 0, "false\n", "log at character 1 takes 2 arguments (base, value); for one argument, ln, log2 or log10\n"},
        {{"evalR(\"atan(y, x)\", \"2\", \"3\", R)"}, 0, "false\n", "atan at character 1 takes 1 argument; atan2(y, x) takes two\n"},
        {{"evalR(\"fabs(x)\", \"2\", \"3\", R)"}, 0, "false\n", "no function fabs at character 1; the name here is abs\n"},
        {{"evalR(\"mod(x, 3)\", \"2\", \"3\", R)"}, 0, "false\n", "no function mod at character 1; the remainder is written with %, as x % 3\n"},
        {{"evalR(\"e^x\", \"2\", \"3\", R)"}, 0, "false\n", "no name e at character 1; e is exp(1), and e^x is exp(x)\n"},
        {{"evalR(\"x ** 2\", \"2\", \"3\", R)"}, 0, "false\n", "stops making sense at character 4; the power is written ^, as x ^ 2\n"},
        {{"evalR(\"x − 1\", \"2\", \"3\", R)"}, 0, "false\n", "stops making sense at character 3; − is no operator here: write -\n"},
        {{"evalR(\"x × y\", \"2\", \"3\", R)"}, 0, "false\n", "stops making sense at character 3; × is no operator here: write *\n"},
        {{"evalR(\"x ÷ 2\", \"2\", \"3\", R)"}, 0, "false\n", "stops making sense at character 3; ÷ is no operator here: write /\n"},
        {{"evalR(\"round(x)\", \"2\", \"3\", R)"}, 0, "false\n", "round at character 1 takes 2 arguments (x, decimals): round(x, 0) for a whole number\n"},
        {{"evalR(\"x * * 2\", \"2\", \"3\", R)"}, 0, "false\n", "evalR: the formula stops making sense at character 5\n"},
    };
    for (const HostCase& c : cases)
        expectRun(c);
}

// Every kind of fault that the evaluator finds in a formula, with the place it finds it, and what
// the host makes of it when the call answers false.
TEST(Host, FormulaFaultsAreToldByKindAndPlace)
{
    const std::string tooDeep = std::string(257, '(') + "1" + std::string(257, ')');
    struct FaultCase {
        std::string formula;
        std::vector<std::string> operands;
        FormulaFault fault;
        std::size_t character; // 1-based; 0 where the message points at none
        std::string message;   // how the host's message after "evalR: " starts
    };
    const FaultCase cases[] = {
        {" \t", {}, FormulaFault::Empty, 0, "the formula is empty"},
        {"1 + * 2", {}, FormulaFault::Syntax, 5, "the formula stops making sense at character 5"},
        {"2 * x +", {"3"}, FormulaFault::Syntax, 8, "the formula ends early, at character 8"},
        // The first fault, though more text follows that would fault too.
        {"%/1e", {}, FormulaFault::Syntax, 1, "the formula stops making sense at character 1"},
        {tooDeep, {}, FormulaFault::TooDeep, 258, "the formula is nested more than 256 deep at character 258"},
        {"Zx", {}, FormulaFault::UnknownName, 1, "no name Zx at character 1"},
        {"foo(1)", {}, FormulaFault::UnknownFunction, 1, "no function foo at character 1"},
        {"x + y", {"1"}, FormulaFault::MissingOperand, 5,
         "the operand y at character 5 is not given: evalR_iio gives only x"},
        {"min(1)", {}, FormulaFault::ArgumentCount, 1, "min at character 1 takes 2 arguments"},
        {"1 + sqrt(-1)", {}, FormulaFault::Refused, 5, "sqrt at character 5 fails on a value below 0 (or NaN)"},
        {"1 / 0", {}, FormulaFault::Refused, 3, "/ at character 3 fails on a divisor of 0"},
    };
    for (const FaultCase& c : cases) {
        std::vector<double> operands;
        std::string call = "evalR(\"" + c.formula + "\"";
        for (const std::string& operand : c.operands) {
            operands.push_back(std::atof(operand.c_str()));
            call += ", \"" + operand + "\"";
        }
        FormulaResult result =
            evaluateFormula(RealCodec(), c.formula.c_str(), operands.data(), static_cast<int>(operands.size()));
        EXPECT_EQ(static_cast<int>(result.fault), static_cast<int>(c.fault)) << c.formula;
        if (c.character > 0) {
            EXPECT_EQ(result.at + 1, c.character) << c.formula;
        }
        HostRun run = runHost({call + ", R)"});
        EXPECT_EQ(run.out, "false\n") << call;
        EXPECT_NE(run.err.find("evalR: " + c.message), std::string::npos) << call << "\n" << run.err;
    }
}

TEST(Host, BadCallsAreReportedAndTheOthersStillAnswered)
{
    const HostCase cases[] = {
        {{"addR(X, Y, \"1\")"}, 1, "", "call 1: no predicate addR_ooi in math_R.so"},
        {{"sqrt(\"4\", X)", "nope(\"1\")", "floor(\"-2.5\", K)"},
         1, "X = \"2.00000000\"\nK = -3\n", "call 2: no predicate nope_i in math_R.so"},
        {{"addR(\"1\", \"2\" X)"},
         1, "", "call 1, character 15: expected ',' or ')' after an argument\n"
                "    addR(\"1\", \"2\" X)\n"
                "                  ^\n"},
        {{"sqrt(1.5, X)"}, 1, "", "call 1, character 6: a real is written in double quotes"},
        {{"round(\"1\", 2147483648, X)", "sqrt(\"9\", X)"},
         1, "X = \"3.00000000\"\n", "call 1, character 12: this integer does not fit in 32 bits"},
        // The caret counts characters, not bytes: é is one.
        {{"addR(\"é\", X Y)"},
         1, "", "call 1, character 13: expected ',' or ')' after an argument\n"
                "    addR(\"é\", X Y)\n"
                "                ^\n"},
        // In a body the problem names its call, with the caret under it, even after a call
        // that fails.
        {{"divR(\"1\", \"0\", Z), sqrt(Z, X, Y)"},
         1, "", "call 1, goal 2: no predicate sqrt_ioo in math_R.so; sqrt has sqrt_ii and sqrt_io\n"
                "    divR(\"1\", \"0\", Z), sqrt(Z, X, Y)\n"
                "                       ^\n"},
        {{"sqrt(\"4\", X),\tsqrt(X Y)"},
         1, "", "call 1, goal 2, character 22: expected ',' or ')' after an argument\n"
                "    sqrt(\"4\", X),\tsqrt(X Y)\n"
                "                 \t       ^\n"},
        // Wide characters take two columns each: the caret stands under the 1.
        {{"addR(\"日本語\", 1.5, X)"},
         1, "", "call 1, character 13: a real is written in double quotes, as in \"1.5\"\n"
                "    addR(\"日本語\", 1.5, X)\n" + std::string(19, ' ') + "^\n"},
        // What the plug-in has instead: a name close to the one written, or its patterns and
        // which argument would make one of them.
        {{"sqrtt(\"2\", X)"}, 1, "", "no predicate sqrtt_io in math_R.so; the closest name is sqrt\n"},
        {{"sqrt(X, \"2\")"},
         1, "", "no predicate sqrt_oi in math_R.so; sqrt has sqrt_ii and sqrt_io: the first argument must be given\n"},
        // Another name takes as many arguments; a name of other languages is called otherwise here.
        {{"atan(\"1\", \"1\", X)", "abs(\"-1\", X)"}, 1, "",
         "no predicate atan_iio in math_R.so; atan has atan_ii and atan_io; atan2 takes three arguments\n"
         "extpred-host: call 2: no predicate abs_io in math_R.so; the name here is fabs\n"},
        // A long line shows about 80 characters around the caret, cut on both sides.
        {{"addR(\"" + std::string(100, '1') + "\" \"" + std::string(100, '2') + "\", X)"},
         1, "", "call 1, character 109: expected ',' or ')' after an argument\n"
                "    ..." + std::string(35, '1') + "\" \"" + std::string(36, '2') + "...\n" +
                std::string(44, ' ') + "^\n"},
    };
    for (const HostCase& c : cases)
        expectRun(c);
}

// Every hint, for each kind of slot and each kind of term written wrong there, and for each kind
// of name or pattern that has no predicate: followed, it gives a call that is answered, never
// one that draws the advice to go back.
TEST(Host, EveryHintFollowedGivesACallThatIsAnswered)
{
    struct Advice {
        std::string call, hint, followed, answer;
        std::string note = ""; // what the followed call still says of a text read as 0
    };
    const std::string noNumber = "is read as 0: it starts with no number";
    const Advice cases[] = {
        // A real.
        {"sqrt(4, X)", "a real is written in double quotes: \"4\"", "sqrt(\"4\", X)", "X = \"2.00000000\""},
        {"sqrt(2.25, X)", "a real is written in double quotes", "sqrt(\"2.25\", X)", "X = \"1.50000000\""},
        {"fabs(abc, \"0\")", "a real is written in double quotes", "fabs(\"abc\", \"0\")", "true", noNumber},
        {"addR(x, \"2\", Z)", "a real is written in double quotes", "addR(\"x\", \"2\", Z)", "Z = \"2.00000000\"", noNumber},
        {"floor(\"2.5\", K), sqrt(K, X)", "evalR(\"x\", K, R) makes a real of K",
         "floor(\"2.5\", K), evalR(\"x\", K, R), sqrt(R, X)", "K = 2, R = \"2.00000000\", X = \"1.41421356\""},
        // A slot that a pattern writes.
        {"sqrt(\"4\", x)", "a variable starts with a capital letter", "sqrt(\"4\", X)", "X = \"2.00000000\""},
        {"floor(\"2.5\", k)", "a variable starts with a capital letter", "floor(\"2.5\", K)", "K = 2"},
        // An operand of evalR, which takes an Integer too.
        {"evalR(\"x * 2\", abc, R)", "a real is written in double quotes", "evalR(\"x * 2\", \"abc\", R)",
         "R = \"0.00000000\"", noNumber},
        {"evalR(\"x / y\", \"10\", 2.5, R)", "a real is written in double quotes",
         "evalR(\"x / y\", \"10\", \"2.5\", R)", "R = \"4.00000000\""},
        // A formula.
        {"evalR(2, R)", "a formula is written in double quotes: \"2\"", "evalR(\"2\", R)", "R = \"2.00000000\""},
        {"evalR(1.5, R)", "a formula is written in double quotes: \"1.5\"", "evalR(\"1.5\", R)", "R = \"1.50000000\""},
        {"evalR(pi, R)", "a formula is written in double quotes", "evalR(\"pi\", R)", "R = \"3.14159265\""},
        {"floor(\"2.5\", K), evalR(K, R)", "evalR(\"x\", K, R) makes a real of K",
         "floor(\"2.5\", K), evalR(\"x\", K, R)", "K = 2, R = \"2.00000000\""},
        // An Integer: never the advice for a real, whatever was written.
        {"round(\"2.5\", 0.5, R)", "D is a whole number, written without quotes, as in 2", "round(\"2.5\", 2, R)",
         "R = \"2.50000000\""},
        {"round(\"2.5\", \"0.5\", R)", "D is a whole number, written without quotes, as in 2", "round(\"2.5\", 2, R)",
         "R = \"2.50000000\""},
        {"round(\"2.5\", 1e3, R)", "D is a whole number, written without quotes, as in 2", "round(\"2.5\", 2, R)",
         "R = \"2.50000000\""},
        {"round(\"2.5\", \"99999999999\", R)", "D is a whole number, written without quotes, as in 2",
         "round(\"2.5\", 2, R)", "R = \"2.50000000\""},
        {"round(\"2.5\", \"-1\", R)", "D is a whole number, written without quotes, as in -1", "round(\"2.5\", -1, R)",
         "R = \"0.00000000\""},
        {"round(\"2.5\", d, R)", "D is a whole number, as in 2", "round(\"2.5\", 2, R)", "R = \"2.50000000\""},
        {"floor(\"2.5\", 2.5)", "K is a whole number, written without quotes, as in 2", "floor(\"2.5\", 2)", "true"},
        {"floor(\"2.5\", 2.0)", "K is a whole number, written without quotes, as in 2", "floor(\"2.5\", 2)", "true"},
        {"ceil(\"2.5\", \"3\")", "K is a whole number, written without quotes, as in 3", "ceil(\"2.5\", 3)", "true"},
        {"addR(\"1\", \"1\", X), round(\"3.14159\", X, R)", "D is a whole number; floor(X, N) makes one of X",
         "addR(\"1\", \"1\", X), floor(X, N), round(\"3.14159\", N, R)",
         "X = \"2.00000000\", N = 2, R = \"3.14000000\""},
        // No predicate of that name or pattern.
        {"sqrt(X, \"2\")", "the first argument must be given", "sqrt(\"4\", \"2\")", "true"},
        {"round(\"2.5\", D, R)", "the second argument must be given", "round(\"2.5\", 0, R)", "R = \"3.00000000\""},
        {"abs(\"-1\", X)", "the name here is fabs", "fabs(\"-1\", X)", "X = \"1.00000000\""},
        {"sqrtt(\"2\", X)", "the closest name is sqrt", "sqrt(\"2\", X)", "X = \"1.41421356\""},
        {"atan(\"1\", \"1\", X)", "atan2 takes three arguments", "atan2(\"1\", \"1\", X)", "X = \"0.78539816\""},
        // Habits of other prompts: Prolog's arithmetic, comparisons, ; and single quotes, SQL's select.
        {"X is 1 + 2.", "arithmetic is a call of evalR here, with the formula in double quotes: evalR(\"1 + 2\", X)",
         "evalR(\"1 + 2\", X)", "X = \"3.00000000\""},
        {"X is 1 + 2;", "evalR(\"1 + 2\", X)", "evalR(\"1 + 2\", X)", "X = \"3.00000000\""},
        {"sqrt(\"2\", X), Y = X * 2 + X mod 3", "evalR(\"x * 2 + x % 3\", X, Y)",
         "sqrt(\"2\", X), evalR(\"x * 2 + x % 3\", X, Y)", "X = \"1.41421356\", Y = \"4.24264068\""},
        {"sqrt(\"2\", X), X > \"1\"", "a comparison is a call here: greaterR(X, \"1\")",
         "sqrt(\"2\", X), greaterR(X, \"1\")", "X = \"1.41421356\""},
        {"sqrt(\"2\", X), X =< 2", "lessEqR(X, \"2\")", "sqrt(\"2\", X), lessEqR(X, \"2\")", "X = \"1.41421356\""},
        {"sqrt(\"2\", X);", "end a call with . or nothing, and separate calls with , (; is no separator here): sqrt(\"2\", X)",
         "sqrt(\"2\", X)", "X = \"1.41421356\""},
        {"sqrt('2', X)", "a real is written in double quotes: \"2\"", "sqrt(\"2\", X)", "X = \"1.41421356\""},
        {"select sqrt(2);", "a call is a name and its arguments, with a variable for what it computes: sqrt(\"2\", X)",
         "sqrt(\"2\", X)", "X = \"1.41421356\""},
        // In a formula: the remainder, a product, comparisons.
        {"evalR(\"x mod 3\", \"7\", R)", "the remainder is written with %, as x % 3", "evalR(\"x % 3\", \"7\", R)",
         "R = \"1.00000000\""},
        {"evalR(\"2x\", \"7\", R)", "a number is multiplied with *, as 2 * x", "evalR(\"2 * x\", \"7\", R)",
         "R = \"14.00000000\""},
        {"evalR(\"x > 1\", \"2\", R)", ": a formula computes a value and has no comparisons: lessR, lessEqR, greaterR",
         "greaterR(\"2\", \"1\")", "true"},
        {"evalR(\"x = 1\", \"1\", R)", "evalR: a formula computes a value and has no comparisons", "equalR(\"1\", \"1\")",
         "true"},
        // round's D counts decimals: a step is rounded to with evalR.
        {"round(\"2.3\", 0.5, R)", "it counts decimals; to round to a multiple of 0.5, evalR(\"round(x * 2, 0) / 2\", X, Z)",
         "evalR(\"round(x * 2, 0) / 2\", \"2.3\", R)", "R = \"2.50000000\""},
        {"round(\"2.3\", 1e-300, R)", "to round to a multiple of 1e-300, evalR(\"round(x / 1e-300, 0) * 1e-300\", X, Z)",
         "evalR(\"round(x / 1e-300, 0) * 1e-300\", \"2.3\", R)", "R = \"2.30000000\""},
        // A quoted real that atof reads only in part: answered as read, and told why.
        {"addR(\"−1\", \"2\", X)", "\"−1\" is read as 0: − is no minus sign here; write \"-1\"",
         "addR(\"-1\", \"2\", X)", "X = \"1.00000000\""},
        {"addR(\"1,5\", \"2\", X)", "\"1,5\" is read as 1: a real's decimals follow a point; write \"1.5\"",
         "addR(\"1.5\", \"2\", X)", "X = \"3.50000000\""},
        {"evalR(\"x\", \"1,000.5\", R)", "is read as 1: a real has no thousands separators; write \"1000.5\"",
         "evalR(\"x\", \"1000.5\", R)", "R = \"1000.50000000\""},
    };
    for (const Advice& c : cases) {
        HostRun run = runHost({c.call});
        EXPECT_NE(run.err.find(c.hint), std::string::npos) << c.call << "\n" << run.err;
        expectRun({{c.followed}, 0, c.answer + "\n", c.note});
    }
}

// The plug-in copied as `name` in the test's folder, with `bytes` written over its own at `offset`.
std::string alteredPlugin(const std::string& name, std::size_t offset, const std::string& bytes)
{
    std::string content = readFile(MATH_R_PATH);
    content.replace(offset, bytes.size(), bytes);
    std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

// The machines the suite runs on, by their e_machine, as the host names them.
std::string machineName(unsigned char machine)
{
    switch (machine) {
    case 0x3E: return "x86-64";
    case 0xB7: return "aarch64";
    case 0xF3: return "riscv";
    default: return "machine " + std::to_string(machine);
    }
}

// The plug-in copied with the machine in its ELF header made RISC-V's (or, on RISC-V, x86-64's),
// as a plug-in built for another machine is; and what the host says of it.
struct ForeignPlugin {
    std::string path;
    std::string message;
};

ForeignPlugin pluginOfAnotherMachine()
{
    const unsigned char own = static_cast<unsigned char>(readFile(MATH_R_PATH).at(18)); // little-endian e_machine
    const unsigned char other = own == 0xF3 ? 0x3E : 0xF3;
    return {alteredPlugin("math_R_elsewhere.so", 18, {char(other), '\0'}),
            "math_R_elsewhere.so is a shared object for " + machineName(other) + "; this host runs " + machineName(own) + "\n"};
}

TEST(Host, UnusableSetupsExitWithTwo)
{
    CopiedHost copied;
    std::string calls = std::string(TESTS_DIR) + "/host/calls.txt";
    const ForeignPlugin elsewhere = pluginOfAnotherMachine();
    // Section headers of another size than this architecture's: the loader, which reads none,
    // takes the file, but its predicates cannot be listed.
    const std::size_t entrySize = offsetof(ElfW(Ehdr), e_shentsize);
    const std::string noEntrySize = alteredPlugin("math_R_shentsize0.so", entrySize, {'\0', '\0'});
    const std::string doubleEntrySize = alteredPlugin("math_R_shentsize2x.so", entrySize, {char(2 * sizeof(ElfW(Shdr))), '\0'});
    const HostCase cases[] = {
        // Said from the file's header, not as the loader says it ("No such file or directory").
        {{"--lib", elsewhere.path, "sqrt(\"2\", X)"}, 2, "", elsewhere.message},
        {{"--lib", noEntrySize, "sqrt(\"2\", X)"}, 2, "",
         "cannot list the predicates of " + noEntrySize + ": not a shared object of this architecture\n"},
        {{"--lib", doubleEntrySize, "--list"}, 2, "",
         "cannot list the predicates of " + doubleEntrySize + ": not a shared object of this architecture\n"},
        // A library of something else answers no call: said at once, whether calls or --list follow.
        {{"--lib", EMPTY_PLUGIN_PATH, "help sqrt"}, 2, "", "empty_plugin.so exports no predicate of the plug-in interface\n"},
        {{"--lib", EMPTY_PLUGIN_PATH, "--list"}, 2, "", "empty_plugin.so exports no predicate of the plug-in interface\n"},
        {{"--lib", "/nonexistent/math_R.so", "sqrt(\"2\", X)"},
         2, "", "cannot load the plug-in: /nonexistent/math_R.so: cannot open shared object file"},
        {{"--lib", calls, "sqrt(\"2\", X)"}, 2, "", "cannot load the plug-in: calls.txt is not a shared object"},
        {{"sqrt(\"2\", X)"},
         2, "", "cannot find math_R.so at " + copied.folder + "/bin/math_R.so nor at " + copied.folder + "/lib/",
         "", "", copied.path},
        {{"--frobnicate"}, 2, "", "unknown option --frobnicate"},
        {{"--lib"}, 2, "", "--lib needs a value"},
        {{"--lib", "", "sqrt(\"2\", X)"}, 2, "", "--lib needs a value, not an empty text"},
        {{"--lib=", "sqrt(\"2\", X)"}, 2, "", "--lib needs a value, not an empty text"},
        {{"--lib", MATH_R_PATH, "--lib=" MATH_R_PATH, "sqrt(\"2\", X)"}, 2, "", "--lib given twice"},
        {{"-f", calls, "-f", calls}, 2, "", "-f given twice"},
        {{"-f", calls, "sqrt(\"2\", X)"}, 2, "", "either with -f or as arguments"},
        {{"-f", "/nonexistent/calls"}, 2, "", "cannot read /nonexistent/calls: No such file"},
        {{"-f", TESTS_DIR}, 2, "", "cannot read " TESTS_DIR ": Is a directory"},
        {{"sqrt(\"2\", X)"}, 2, "", "cannot write the answers: No space left on device", "", "/dev/full"},
        {{"--version", "sqrt(\"2\", X)"}, 2, "", "--version takes no other arguments"},
        {{"--lib", MATH_R_PATH, "--help"}, 2, "", "--help takes no other arguments"},
        {{"--list", "sqrt(\"2\", X)"}, 2, "", "--list answers no calls"},
    };
    for (const HostCase& c : cases)
        expectRun(c);
    for (const std::string& path : {elsewhere.path, noEntrySize, doubleEntrySize})
        unlink(path.c_str());
}

TEST(Host, HelpShowsUsageWithExamples)
{
    HostRun run = runHost({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("usage: extpred-host [--lib PATH] [--no-pager] [-f FILE] [CALL ...]", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("X = \"1.41421356\""), std::string::npos);
    EXPECT_NE(run.out.find("--version"), std::string::npos);
    EXPECT_EQ(run.err, "");
    // Read at a terminal: no line wider than 80 columns.
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(columnsOf(line), 80) << line;

    HostRun version = runHost({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "extpred-host " MATH_R_VERSION "\n");
}

// The list comes from the plug-in loaded: every predicate that math_R exports, and only those
// of another plug-in.
TEST(Host, ListsThePredicatesOfThePlugin)
{
    std::istringstream exports(readFile(std::string(TESTS_DIR) + "/exports.txt"));
    std::vector<std::string> predicates;
    for (std::string line; std::getline(exports, line);)
        if (line.find_first_of(" #") == std::string::npos && line[0] >= 'a' && line[0] <= 'z' &&
            line.find_first_not_of("io", line.rfind('_') + 1) == std::string::npos)
            predicates.push_back(line + "\n");
    std::sort(predicates.begin(), predicates.end());
    std::string list;
    for (const std::string& predicate : predicates)
        list += predicate;
    expectRun({{"--list"}, 0, list});
    expectRun({{"--lib", MISBEHAVING_PLUGIN_PATH, "--list"}, 0, "answer_io\ngrab_o\nlazy_o\npair_oo\n"});
}

// sin of inf is an invalid operation, whose NaN takes its sign from the processor: negative on
// x86-64, positive on aarch64. That answer, the file's only S, is compared without its sign.
std::string withoutInvalidNanSign(std::string transcript)
{
    std::size_t answer = transcript.find("S = \"-nan\"");
    if (answer != std::string::npos)
        transcript.erase(answer + 5, 1);
    return transcript;
}

TEST(Host, CallsFileGivesItsTranscript)
{
    std::string dir = std::string(TESTS_DIR) + "/host/";
    HostRun run = runHost({"-f", dir + "calls.txt"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(withoutInvalidNanSign(run.out), readFile(dir + "calls.expected"));
    EXPECT_EQ(run.err, "extpred-host: " + dir + "calls.txt line 9: argument 2 of round is the String \"2\"; "
                       "D is a whole number, written without quotes, as in 2\n"
                       "extpred-host: " + dir + "calls.txt line 16: \"1.5abc\" is read as 1.5: what follows 1.5 is "
                       "no part of a number\n");
}

// A file's lines are shown as text whatever bytes they hold, with the answers in one column.
TEST(Host, TranscriptsShowEachLineAsText)
{
    struct TranscriptCase {
        std::string content;
        int status;
        std::string out;
        std::string err = "";
    };
    const TranscriptCase cases[] = {
        // A byte-order mark is no part of line 1; a blank line comes out empty; é is one column.
        {"\xEF\xBB\xBF% colour \x1b[31m\n  \t\nfabs(\"é\", \"0\")\nsqrt(\"4\", X)\n", 0,
         "% colour \\x1b[31m\n\nfabs(\"é\", \"0\")  true\nsqrt(\"4\", X)    X = \"2.00000000\"\n",
         "line 3: \"é\" is read as 0: it starts with no number\n"},
        // A binary file's control bytes reach no terminal.
        {"\x7f\x01\xff\n", 1, "\\x7f\\x01\\xff  error\n",
         "line 1, character 1: expected a predicate name (a word starting with a lower-case letter)\n"
         "    \\x7f\\x01\\xff\n"},
        // Every line stays, a call that cannot be answered marked in the answers' column.
        {"sqrt(\"2\", X)\nnope(X)\nsqrt(2 X)\naddR(\"1\",\"2\",Z)\n", 1,
         "sqrt(\"2\", X)     X = \"1.41421356\"\nnope(X)          error\nsqrt(2 X)        error\n"
         "addR(\"1\",\"2\",Z)  Z = \"3.00000000\"\n",
         "line 3, character 8: expected ',' or ')' after an argument"},
    };
    for (const TranscriptCase& c : cases) {
        std::string file = temporaryFile(c.content);
        expectRun({{"-f", file}, c.status, c.out, c.err});
        unlink(file.c_str());
    }
}

// A failed write ends the run with a single message, however the calls came.
TEST(Host, AnswersThatCannotBeWrittenAreReportedOnce)
{
    std::string calls = std::string(TESTS_DIR) + "/host/calls.txt";
    const std::pair<std::vector<std::string>, std::string> runs[] = {{{"-f", calls}, ""}, {{}, readFile(calls)}};
    for (const auto& [arguments, input] : runs) {
        HostRun run = runHost(arguments, input, "/dev/full");
        EXPECT_EQ(run.status, 2) << run.err;
        std::size_t first = run.err.find("cannot write the answers: No space left on device");
        EXPECT_NE(first, std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("cannot write", first + 1), std::string::npos) << run.err;
    }
}

// A program reads one line for every line: the answer, or error; an empty line for a blank or
// comment line.
TEST(Host, StandardInputGetsOneLineForEachCall)
{
    const HostCase cases[] = {
        {{}, 0, "\nX = \"1.41421356\"\n\ntrue\n", "", "% roots\nsqrt(\"2\", X)\r\n\n  fabs(\"-1\", \"1\")  \n"},
        {{}, 1, "error\nX = \"2.00000000\"\n",
         "standard input line 1, character 5: expected an argument: the call ends early", "bad(\nsqrt(\"4\", X)\n"},
        // Lines are numbered as the input has them, blank and comment lines too.
        {{}, 1, "\n\nerror\n", "standard input line 3, character 5", "% roots\n\nbad(\n"},
        {{}, 0, ""},
        // - is standard input as a transcript.
        {{"-f", "-"}, 0, "% roots\nsqrt(\"2\", X)  X = \"1.41421356\"\n", "", "% roots\nsqrt(\"2\", X)\n"},
        // A byte-order mark before the first call; the last line has no line end.
        {{}, 0, "X = \"2.00000000\"\nY = \"3.00000000\"\n", "", "\xEF\xBB\xBFsqrt(\"4\", X)\nsqrt(\"9\", Y)"},
        // A program's line never waits for the next, not even after a comma; quit ends.
        {{}, 1, "error\nY = \"2.00000000\"\n", "standard input line 1, call 2, character 19: expected a predicate name",
         "addR(\"1\", \"2\", X),\nsqrt(\"4\", Y)\nquit\nsqrt(\"9\", Z)\n"},
        // A transcript's call goes on over lines, answered beside its last; one never completed
        // gets its error at the end, numbered by the line it began on.
        {{"-f", "-"}, 1, "addR(\"1\",\n  \"2\", X)  X = \"3.00000000\"\nsqrt(\"4\",  error\n% end\n",
         "standard input line 3, character 10: expected an argument: the call ends early",
         "addR(\"1\",\n  \"2\", X)\nsqrt(\"4\",\n% end\n"},
        // A problem is placed on the line of the call that holds it, not in the lines joined.
        {{"-f", "-"}, 1, "addR(\"1\",\n  \"2\" X)   error\n",
         "standard input line 2, character 7: expected ',' or ')' after an argument\n"
         "      \"2\" X)\n"
         "          ^\n",
         "addR(\"1\",\n  \"2\" X)\n"},
        {{"-f", "-"}, 0, "halt.\n", "", "halt.\nsqrt(\"4\", X)\n"},
        // A NUL is refused where it is and shown, not cut off with what follows it.
        {{}, 1, "error\n",
         "standard input line 1, character 13: a call cannot hold a NUL byte\n"
         "    sqrt(\"4\", X)\\x00junk\n"
         "                ^\n",
         std::string("sqrt(\"4\", X)\0junk\n", 18)},
    };
    for (const HostCase& c : cases)
        expectRun(c);
}

// However long the line, what comes back is a few lines: a name or a line is quoted up to about
// 80 characters, with its length.
TEST(Host, MessagesQuoteALineAtMost)
{
    std::string arguments;
    for (int k = 0; k < 100000; ++k)
        arguments += "\"1\",";
    const std::string lines[] = {std::string(1000000, 'a') + "(X)", "addR(" + arguments + "X)",
                                 std::string(1000000, '\x01')};
    for (const std::string& line : lines) {
        std::string file = temporaryFile(line + "\n");
        for (const std::vector<std::string>& options : {std::vector<std::string>{}, {"-f", file}}) {
            HostRun run = runHost(options, line + "\n");
            EXPECT_EQ(run.status, 1);
            EXPECT_LT(run.out.size(), 200u) << run.out.substr(0, 200);
            EXPECT_LT(run.err.size(), 400u) << run.err.substr(0, 400);
            if (!options.empty()) { // the transcript's echo says how much it left out
                EXPECT_NE(run.out.find(" characters)  error\n"), std::string::npos) << run.out.substr(0, 200);
            }
        }
        unlink(file.c_str());
    }
}

TEST(Host, SurvivesAMisbehavingPlugin)
{
    const std::string lib = MISBEHAVING_PLUGIN_PATH;
    const HostCase cases[] = {
        {{"--lib", lib, "grab(X)", "answer(\"q\", A)"}, 1, "A = 42\n", "out of memory while answering grab_o"},
        {{"--lib", lib, "lazy(X)"}, 1, "", "lazy_o held but left X unbound"},
        {{"--lib", lib, "lazy(_)"}, 0, "true\n"},
        {{"--lib", lib, "pair(X, X)", "pair(X, Y)"}, 0, "false\nX = 1, Y = 2\n"},
        // Found only in a library the plug-in depends on: not one of its predicates.
        {{"--lib", lib, "addR(\"1\", \"2\", X)"}, 1, "", "no predicate addR_iio in misbehaving_plugin.so"},
    };
    for (const HostCase& c : cases)
        expectRun(c);
}

// A host that runs alongside the test, which talks to it and never waits on it for long: every
// read has a deadline, and the host is killed if it has not ended by then.
class LiveHost {
public:
    ~LiveHost()
    {
        endInput();
        if (out_ >= 0)
            close(out_);
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    void write(const std::string& text)
    {
        ASSERT_EQ(::write(in_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void endInput()
    {
        if (in_ >= 0 && in_ != out_)
            close(in_);
        in_ = -1;
    }

    // What the host writes up to and including `wanted`, or all that came by the deadline.
    std::string readUntil(const std::string& wanted)
    {
        auto deadline = std::chrono::steady_clock::now() + TIMEOUT;
        while (seen_.find(wanted) == std::string::npos && readSome(deadline))
            ;
        std::size_t end = seen_.find(wanted);
        end = end == std::string::npos ? seen_.size() : end + wanted.size();
        std::string text = seen_.substr(0, end);
        seen_.erase(0, end);
        return text;
    }

    // The exit status, or -1 when the host has not ended by the deadline.
    int status()
    {
        auto deadline = std::chrono::steady_clock::now() + TIMEOUT;
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline)
                return -1;
            // A terminal is reset only once all its output has been read.
            readSome(std::chrono::steady_clock::now() + std::chrono::milliseconds(10));
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    // Whether some output came before the deadline.
    bool readSome(std::chrono::steady_clock::time_point deadline)
    {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready{out_, POLLIN, 0};
        char buffer[256];
        ssize_t count = 0;
        if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0 ||
            (count = read(out_, buffer, sizeof buffer)) <= 0)
            return false;
        seen_.append(buffer, static_cast<std::size_t>(count));
        return true;
    }

protected:
    static constexpr std::chrono::milliseconds TIMEOUT{20000}; // generous for an emulator under load
    pid_t pid_ = -1;
    int in_ = -1;  // the host's standard input
    int out_ = -1; // its standard output
    std::string seen_;
};

// The host with its standard input and output on two pipes that stay open.
class PipedHost : public LiveHost {
public:
    PipedHost()
    {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0); // the error lines say enough
        for (int end : {in[0], in[1], out[0], out[1]})
            posix_spawn_file_actions_addclose(&actions, end);
        std::vector<std::string> launcher = launcherWords();
        std::vector<char*> argv = hostArgv(launcher, {});
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        in_ = in[1];
        out_ = out[0];
    }
};

TEST(Host, AProgramGetsEachAnswerBeforeItWritesTheNextCall)
{
    PipedHost host;
    const std::pair<const char*, const char*> exchanges[] = {
        {"sqrt(\"2\", X)\n", "X = \"1.41421356\"\n"},
        {"bad(\n", "error\n"},
        {"sqrt(\"9\", Y), sqrt(Y, Z)\n", "Y = \"3.00000000\", Z = \"1.73205081\"\n"},
        // Every line has its line, commands and comments too.
        {"% a comment\n", "\n"},
        {"help\n", "help NAME, apropos WORDS and list answer here in one line (help evalR: formulas); extpred-host "
                   "--help says the rest\n"},
        {"apropos angle\n", "deg2rad rad2deg atan2\n"},
        {"apropos square root\n", "sqrt\n"},
        {"halt now\n", "halt takes nothing more: halt\n"},
    };
    for (const auto& [call, answer] : exchanges) {
        host.write(call);
        EXPECT_EQ(host.readUntil("\n"), answer) << call;
    }
    // The longest answers are one line each too, so that the next answer is the next line.
    const std::pair<const char*, std::string> longest[] = {
        {"help evalR\n", "R = \"1628.89462678\"\n"}, {"help help\n", "what the command does.\n"}, {"list\n", " timesR_iio\n"}};
    for (const auto& [command, end] : longest) {
        host.write(command);
        std::string answer = host.readUntil("\n");
        EXPECT_EQ(answer.substr(answer.size() - std::min(answer.size(), end.size())), end) << command;
        host.write("sqrt(\"4\", X)\n");
        EXPECT_EQ(host.readUntil("\n"), "X = \"2.00000000\"\n") << command;
    }
    host.write("halt\n"); // ends as the end of input would
    EXPECT_EQ(host.status(), 1);
}

// The host on a pseudo-terminal, as a user at a keyboard meets it.
class TerminalHost : public LiveHost {
public:
    // Standard output goes to the file `answers` when one is given; the terminal is `columns`
    // wide (and 24 lines high) when that is given. An answer longer than that goes through
    // `pager`, which by default shows it as it is.
    explicit TerminalHost(const std::string& home, const std::string& answers = "", unsigned short columns = 0,
                          const std::string& pager = "cat", const std::vector<std::string>& arguments = {})
    {
        std::vector<std::string> launcher = launcherWords();
        std::vector<char*> argv = hostArgv(launcher, arguments);
        winsize size{24, columns, 0, 0};
        pid_ = forkpty(&out_, nullptr, nullptr, columns > 0 ? &size : nullptr);
        if (pid_ == 0) {
            setenv("HOME", home.c_str(), 1);
            setenv("PAGER", pager.c_str(), 1);
            setenv("LC_ALL", "C", 1); // lines are UTF-8 even so
            if (!answers.empty())
                dup2(open(answers.c_str(), O_WRONLY | O_TRUNC), 1);
            execv(argv[0], argv.data());
            _exit(127);
        }
        in_ = out_;
    }

    // What comes up to the prompt, once the host waits for a line.
    std::string prompt()
    {
        std::string text = readUntil("?- ");
        awaitEditor();
        return text;
    }

    // The line editor takes the terminal key by key only once it waits for a line (after the
    // prompt, if any); a key typed before would meet the terminal's own line editing, so this
    // waits as a person would.
    void awaitEditor()
    {
#ifdef HOST_LINE_EDITING
        auto deadline = std::chrono::steady_clock::now() + TIMEOUT;
        termios mode{};
        while (tcgetattr(out_, &mode) == 0 && (mode.c_lflag & ICANON) && std::chrono::steady_clock::now() < deadline)
            usleep(1000);
#endif
    }

    void hangUp() { kill(pid_, SIGHUP); }
};

// The file once it has `lines` lines, or as it is at the deadline.
std::string awaitLines(const std::string& path, std::size_t lines)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::string text = readFile(path);
    while (static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) < lines &&
           std::chrono::steady_clock::now() < deadline) {
        usleep(1000);
        text = readFile(path);
    }
    return text;
}

TEST(Host, AtATerminal)
{
    std::string home = ::testing::TempDir() + "host_home_XXXXXX";
    ASSERT_NE(mkdtemp(home.data()), nullptr);
    {
        TerminalHost host(home);
        EXPECT_NE(host.prompt().find("?- "), std::string::npos) << "no prompt";
        host.write("sqrt(\"2\", X)\r");
        EXPECT_NE(host.prompt().find("\nX = \"1.41421356\"\r\n"), std::string::npos);
        host.write("f(\"é\" X)\r");
        std::string problem = host.prompt();
        EXPECT_NE(problem.find("character 7: expected ',' or ')' after an argument\r\n    f(\"é\" X)"), std::string::npos)
            << problem;
        // Ctrl-C drops the line typed so far, and the lines before it of a call under way: no
        // answer, no complaint, a fresh prompt.
        host.write("divR(\"1\",\r");
        host.readUntil("|  ");
        host.awaitEditor();
        host.write("sqrt(\"9");
        host.readUntil("\"9");
        host.write("\x03");
        std::string dropped = host.prompt();
        EXPECT_EQ(dropped.find("error"), std::string::npos) << dropped;
        host.write("sqrt(\"4\", X)\r");
        EXPECT_NE(host.prompt().find("\nX = \"2.00000000\"\r\n"), std::string::npos);
        // A body over two lines, the second with a prompt of its own.
        host.write("addR(\"1\", \"2\", X),\r");
        host.readUntil("|  ");
        host.awaitEditor();
        host.write("sqrt(X, Y)\r");
        EXPECT_NE(host.prompt().find("\nX = \"3.00000000\", Y = \"1.73205081\"\r\n"), std::string::npos);
        host.write("help\r");
        EXPECT_NE(host.prompt().find("apropos WORD"), std::string::npos);
        // Problems are named by their place in the call, the only place that the person who typed
        // it can see.
        host.write("bad(X Y)\r");
        problem = host.prompt();
        EXPECT_NE(problem.find("\r\ncharacter 7: expected"), std::string::npos) << problem;
        // The list is a command away at the prompt.
        host.write("nope(X)\r");
        problem = host.prompt();
        EXPECT_NE(problem.find("list shows every predicate"), std::string::npos) << problem;
        EXPECT_EQ(problem.find("--list"), std::string::npos) << problem;
        // Ctrl-D after some text answers it on a line of its own; on an empty line it ends.
        host.write("sqrt(\"16\", X)");
        host.readUntil("X)");
        host.write("\x04");
        EXPECT_EQ(host.prompt(), "\r\nX = \"4.00000000\"\r\n?- ");
        host.write("\x04");
        EXPECT_EQ(host.status(), 0); // an orderly end, though a line was malformed
    }
#ifdef HOST_LINE_EDITING
    std::string history = readFile(home + "/.extpred_host_history");
    EXPECT_NE(history.find("sqrt(\"16\","), std::string::npos) << history;
    EXPECT_EQ(history.find("sqrt(\"9\n"), std::string::npos) << history;
    unlink((home + "/.extpred_host_history").c_str());
#endif
    // An answer longer than the screen goes through the pager, a short one and any with
    // --no-pager do not.
    for (bool paging : {true, false}) {
        TerminalHost host(home, "", 50, "sed 's/^/paged: /'", paging ? std::vector<std::string>{} : std::vector<std::string>{"--no-pager"});
        host.prompt();
        host.write("help evalR\r");
        std::string answer = host.prompt();
        EXPECT_EQ(answer.find("paged: evalR_ii(") != std::string::npos, paging) << answer;
        EXPECT_NE(answer.find("evalR_iiiiio("), std::string::npos) << answer;
        host.write("help sqrt\r");
        answer = host.prompt();
        EXPECT_EQ(answer.find("paged:"), std::string::npos) << answer;
        host.write("halt\r");
        EXPECT_EQ(host.status(), 0);
        unlink((home + "/.extpred_host_history").c_str());
    }
    rmdir(home.c_str());
}

// Answers that go to a file get neither the prompt nor the line ends that tidy the terminal, but
// one line for each call, error included; the line is still edited, with its history.
TEST(Host, AtATerminalWithTheAnswersInAFile)
{
    std::string answers = temporaryFile("");
    {
        TerminalHost host("", answers);
        // Up twice, then Return: the first call again.
        const char* lines[] = {"sqrt(\"4\", X)\r", "bad(X Y)\r", "\x1b[A\x1b[A\r", "sqrt(\"16\", X)\x04"};
        for (std::size_t k = 0; k < 4; ++k) {
            host.awaitEditor();
            host.write(lines[k]);
            awaitLines(answers, k + 1);
        }
        host.awaitEditor();
        host.write("\x04");
        EXPECT_EQ(host.status(), 0);
        EXPECT_EQ(host.readUntil("?- ").find("?- "), std::string::npos);
    }
#ifdef HOST_LINE_EDITING
    const char* recalled = "X = \"2.00000000\"\n";
#else
    const char* recalled = "error\n";
#endif
    EXPECT_EQ(readFile(answers), std::string("X = \"2.00000000\"\nerror\n") + recalled + "X = \"4.00000000\"\n");
    unlink(answers.c_str());
}

#ifdef HOST_LINE_EDITING
// Each line goes into the history as it is entered: a terminal closed under the session loses
// none, nor what another session entered meanwhile, and leaves no stray file. A history file
// that links elsewhere, as into a folder of dotfiles, stays a link.
TEST(Host, AtATerminalEachLineIsKeptWhenEntered)
{
    std::string home = ::testing::TempDir() + "host_home_XXXXXX";
    ASSERT_NE(mkdtemp(home.data()), nullptr);
    std::string folder = home + "/dotfiles", file = folder + "/history", link = home + "/.extpred_host_history";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    std::ofstream(file).close();
    ASSERT_EQ(symlink(file.c_str(), link.c_str()), 0);
    {
        TerminalHost host(home);
        host.prompt();
        for (const char* line : {"sqrt(\"2\", X)\r", "bad(X Y)\r"}) {
            host.write(line);
            host.prompt();
            if (line[0] == 's') { // a second session, begun and ended between the two lines
                TerminalHost other(home);
                other.prompt();
                other.write("ceil(\"2.5\", K)\r");
                other.prompt();
                other.hangUp();
                EXPECT_EQ(other.status(), 128 + SIGHUP);
            }
        }
        host.hangUp();
        EXPECT_EQ(host.status(), 128 + SIGHUP);
    }
    std::string history = readFile(file);
    EXPECT_NE(history.find("sqrt(\"2\","), std::string::npos) << history;
    EXPECT_NE(history.find("ceil(\"2.5\","), std::string::npos) << history;
    EXPECT_NE(history.find("bad("), std::string::npos) << history;
    struct stat linked {};
    EXPECT_TRUE(lstat(link.c_str(), &linked) == 0 && S_ISLNK(linked.st_mode)) << link << " is no longer a link";
    unlink(link.c_str());
    unlink(file.c_str());
    EXPECT_EQ(rmdir(folder.c_str()), 0) << "files left in " << folder;
    EXPECT_EQ(rmdir(home.c_str()), 0) << "files left in " << home;
}

// Two sessions that take each line at the same moment, as from panes typed into at once, keep
// every line of both; halt ends each.
TEST(Host, AtATerminalSessionsAtOnceKeepAllTheirLines)
{
    std::string home = ::testing::TempDir() + "host_home_XXXXXX";
    ASSERT_NE(mkdtemp(home.data()), nullptr);
    const int LINES = 40;
    {
        TerminalHost first(home), second(home);
        first.prompt();
        second.prompt();
        for (int k = 0; k < LINES; ++k) {
            first.write("sqrt(\"" + std::to_string(k) + "\",A)\r");
            second.write("sqrt(\"" + std::to_string(k) + "\",B)\r");
            first.prompt();
            second.prompt();
        }
        first.write("halt.\r");
        second.write("quit\r");
        EXPECT_EQ(first.status(), 0);
        EXPECT_EQ(second.status(), 0);
    }
    std::string history = readFile(home + "/.extpred_host_history");
    for (int k = 0; k < LINES; ++k)
        for (const char* variable : {"A", "B"}) {
            std::string line = "sqrt(\"" + std::to_string(k) + "\"," + variable + ")\n";
            EXPECT_NE(history.find(line), std::string::npos) << line << " lost from\n" << history;
        }
    unlink((home + "/.extpred_host_history").c_str());
    EXPECT_EQ(rmdir(home.c_str()), 0) << "files left in " << home;
}

// At a terminal of 40 columns, a message and help are broken between words to fit; Tab completes a name
// and a second Tab lists the candidates; a call typed over two lines is one history entry, which
// the next session recalls whole; Ctrl-D at a continuation prompt ends the line first, and the
// session as an unfinished call at the end of a file does.
TEST(Host, AtATerminalFindingAndRecallingCalls)
{
    std::string home = ::testing::TempDir() + "host_home_XXXXXX";
    ASSERT_NE(mkdtemp(home.data()), nullptr);
    {
        TerminalHost host(home, "", 40);
        EXPECT_NE(host.prompt().find("Type help for help; halt or Ctrl-D ends.\r\n"), std::string::npos);
        auto expectFits = [](const std::string& text) {
            for (std::size_t begin = 0, end = 0; end != std::string::npos; begin = end + 2) {
                end = text.find("\r\n", begin);
                EXPECT_LE(columnsOf(text.substr(begin, end - begin)), 40) << text;
            }
        };
        for (const char* command : {"help\r", "help fabs\r", "help evalR\r"}) {
            host.write(command);
            std::string answer = host.prompt();
            expectFits(answer.substr(0, answer.find("\r\n?- ")));
            if (command[5] != 'e')
                continue;
            // The language of formulas, with the patterns.
            for (const char* part : {"remainder", "pi.", "log(b, x)", "atan2(y, x)", "\r\n    evalR("})
                EXPECT_NE(answer.find(part), std::string::npos) << part << " not in\n" << answer;
        }
        host.write("log(\"8\", X)\r");
        std::string message = host.prompt();
        message = message.substr(message.find("no predicate"));
        message = message.substr(0, message.find("\r\n?- "));
        expectFits(message);
        for (std::size_t at; (at = message.find("\r\n    ")) != std::string::npos;)
            message.replace(at, 6, " ");
        EXPECT_EQ(message, "no predicate log_io in math_R.so; log has log_iii and log_iio; "
                           "ln, log2 and log10 take two arguments");
        // A formula under its message is cut to fit, as a call is.
        host.write("evalR(\"1 + 2 + 3 + 4 + 5 + 6 + 7 + 8 + 9 + sqrt(-1)\", R)\r");
        message = host.prompt();
        EXPECT_NE(message.find("\r\n    ... 4 + 5 + 6"), std::string::npos) << message;
        expectFits(message.substr(message.find("evalR: "), message.find("\r\n?- ") - message.find("evalR: ")));
        host.write("at\t");
        host.readUntil("an"); // the editor adds it after moving the cursor, so "atan" never comes whole
        host.write("\t");
        EXPECT_NE(host.readUntil("?- atan").find("\natan  atan2\r\n"), std::string::npos);
        host.write("2(\"1\", \"1\", A)\r");
        EXPECT_NE(host.prompt().find("A = \"0.78539816\""), std::string::npos);
        // Inside quotes a word is no predicate's name: Tab leaves sq as it is, else sqrtrt fails.
        host.write("evalR(\"sq\t");
        host.readUntil("sq");
        host.write("rt(4)\", R)\r");
        EXPECT_NE(host.prompt().find("R = \"2.00000000\""), std::string::npos);
        // An answer wider than the terminal is broken between its bindings, after the comma.
        host.write("addR(\"1\", \"2\", Alpha), addR(Alpha, \"1000000\", Beta)\r");
        EXPECT_NE(host.prompt().find("\nAlpha = \"3.00000000\",\r\nBeta = \"1000003.00000000\"\r\n"), std::string::npos);
        // list fills the width in columns: two here, 38 lines for 76 names, each within 40 columns.
        host.write("list\r");
        std::string list = host.prompt();
        list = list.substr(list.find("acos_ii"), list.find("\r\n?- ") - list.find("acos_ii"));
        expectFits(list);
        EXPECT_LE(std::count(list.begin(), list.end(), '\n'), 40) << list;
        host.write("addR(\"1\",\r");
        host.readUntil("|  ");
        host.awaitEditor();
        host.write("\"2\", X)\r");
        host.prompt();
        host.write("sqrt(\"4\",\r");
        host.readUntil("|  ");
        host.awaitEditor();
        host.write("\x04");
        std::string ended = host.readUntil("early");
        EXPECT_EQ(ended.rfind("\r\ncharacter 10: expected an argument", 0), 0u) << ended;
        EXPECT_EQ(host.status(), 1);
    }
    {
        TerminalHost host(home);
        host.prompt();
        host.write("\x1b[A\x1b[A\r"); // Up twice: the call before the unfinished one
        EXPECT_NE(host.readUntil("\"3.00000000\"").find("X = \"3.00000000\""), std::string::npos);
        host.prompt();
        host.write("halt\r");
        EXPECT_EQ(host.status(), 0);
    }
    unlink((home + "/.extpred_host_history").c_str());
    EXPECT_EQ(rmdir(home.c_str()), 0) << "files left in " << home;
}

// A history file that is no history (plain lines, as other tools write) is left as it was: the
// session says so and keeps its lines to itself.
TEST(Host, AtATerminalAHistoryOfAnotherKindIsLeftAlone)
{
    std::string home = ::testing::TempDir() + "host_home_XXXXXX";
    ASSERT_NE(mkdtemp(home.data()), nullptr);
    std::string file = home + "/.extpred_host_history", plain = "sqrt(\"2\", X)\n";
    std::ofstream(file) << plain;
    {
        TerminalHost host(home);
        EXPECT_NE(host.prompt().find("is no history file"), std::string::npos);
        for (const char* line : {"sqrt(\"4\", X)\r", "\x1b[A\r"}) { // Up recalls it all the same
            host.write(line);
            EXPECT_NE(host.readUntil("X = \"2.00000000\"").find("X = "), std::string::npos) << line;
            host.prompt();
        }
        host.write("exit\r");
        EXPECT_EQ(host.status(), 0);
    }
    EXPECT_EQ(readFile(file), plain);
    unlink(file.c_str());
    EXPECT_EQ(rmdir(home.c_str()), 0) << "files left in " << home;
}
#endif

} // namespace
