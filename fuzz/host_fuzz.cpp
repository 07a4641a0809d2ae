// Any bytes as a line typed to extpred-host: parsed as one call and as a rule body, planned and
// answered against the real plug-in, and a problem placed with its caret. A problem lies inside
// the line (or just after its end), its caret under a shown character, and each call of a
// body starts where its name is written. A line that waits for the next (a call going on) or
// that is a command is never one that could be answered as it stands.
#include "call_parser.h"
#include "commands.h"
#include "evaluation.h"
#include "line_display.h"
#include "predicate_library.h"
#include "report.h"

#include <cstdint>
#include <string>
#include <variant>

namespace {

// Where extpred-host shows a problem at byte `at` of the line.
void checkPlace(const std::string& line, std::size_t at)
{
    if (at > line.size())
        require("a problem at byte " + std::to_string(at) + " of a line of " + std::to_string(line.size()));
    Excerpt place = excerptAround(line, at);
    // Tabs stay tabs in both lines, so the caret's column is its offset in characters shown.
    std::size_t caret = place.caret.size() - 1, width = shownWidth(place.line);
    // Only characters of no width (combining marks) may follow the caret with nothing shown.
    bool pastTheLine = caret == width && at < line.size() && shownWidth(line.substr(at)) > 0;
    if (place.caret.back() != '^' || caret > width || pastTheLine)
        require("the caret at column " + std::to_string(caret) + " is not under the line shown, " +
                std::to_string(width) + " columns");
    if (width > 80 + 2 * 3)
        require("a problem shows " + std::to_string(width) + " columns of its line");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const PredicateLibrary library(MATH_R_PATH);
    const std::string line(reinterpret_cast<const char*>(data), size);

    std::variant<Call, CallError> call = parseCall(line);
    if (const CallError* error = std::get_if<CallError>(&call)) {
        if (error->column == 0)
            require("a call's problem at column 0");
        checkPlace(line, error->column - 1);
    }

    std::variant<Body, BodyError> parsed = parseBody(line);
    if (const BodyError* error = std::get_if<BodyError>(&parsed)) {
        if (error->call == 0 || error->call > error->calls)
            require("a problem in call " + std::to_string(error->call) + " of " + std::to_string(error->calls));
        checkPlace(line, error->at);
        return 0;
    }
    const Body& body = std::get<Body>(parsed);
    if (bodyContinues(line))
        require("a body that can be answered waits for the next line");
    // Only help(NAME) and apropos(WORD), written as calls, are commands too.
    if (Command command = commandOf(line); command.kind != Command::None && command.word.empty())
        require("a body that can be answered is taken for a command");
    for (const Call& each : body)
        if (line.compare(each.at, each.name.size(), each.name) != 0)
            require("the call " + each.name + " is said to start at byte " + std::to_string(each.at));
    Outcome outcome = evaluate(body, library);
    if (!outcome.answered && outcome.call > body.size())
        require("a problem in call " + std::to_string(outcome.call) + " of " + std::to_string(body.size()));
    if (!outcome.answered && outcome.call > 0)
        checkPlace(line, body[outcome.call - 1].at);
    return 0;
}
