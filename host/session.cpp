#include "session.h"

#include "call_parser.h"
#include "evaluation.h"
#include "habits.h"
#include "line_display.h"
#include "output.h"
#include "predicate_hints.h"
#include "predicate_reference.h"

#include <unistd.h>

#include <variant>

namespace {

// "standard input line 2, call 2, character 5": where a problem is, without the parts that say
// nothing (a name of none, a call of a body of one). `part` names a call of the body.
std::string placeOf(const std::string& name, const char* part, std::size_t call, std::size_t calls,
                    std::size_t character = 0)
{
    std::string place = name;
    if (calls > 1 && call > 0)
        place += (place.empty() ? "" : ", ") + std::string(part) + " " + std::to_string(call);
    if (character > 0)
        place += (place.empty() ? "" : ", ") + std::string("character ") + std::to_string(character);
    return place;
}

std::string placed(const std::string& place, const std::string& message)
{
    return place.empty() ? message : place + ": " + message;
}

// The answer broken after the comma between two bindings wherever the next would go past
// `width` columns, never inside one: a quoted value is read whole. A binding wider than the
// terminal stands on a line of its own, which the terminal breaks.
std::string fitted(const std::string& text, const std::vector<std::size_t>& starts, std::size_t width)
{
    std::string lines;
    std::size_t line = 0; // where the line under way starts in `text`
    for (std::size_t k = 0; k <= starts.size(); ++k) {
        std::size_t end = k < starts.size() ? starts[k] - 1 : text.size(); // after its comma
        std::size_t next = k + 1 < starts.size() ? starts[k + 1] - 1 : text.size();
        if (k < starts.size() && shownWidth(text.substr(line, next - line)) > width) {
            lines += text.substr(line, end - line) + "\n";
            line = end + 1;
        }
    }
    return lines + text.substr(line);
}

} // namespace

std::string cleaned(std::string line, std::size_t number)
{
    if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0)
        line.erase(0, 3);
    std::size_t end = line.find_last_not_of(" \t\r");
    line.erase(end == std::string::npos ? 0 : end + 1);
    return line;
}

std::optional<std::string> Session::answer(const CallInLines& call, const std::string& source)
{
    return answerText(call.text(), [&](std::size_t at) {
        CallInLines::Place place = call.placeOf(at);
        return Spot{source + (source.empty() ? "" : " ") + "line " + std::to_string(place.line), place.text, place.at};
    }, Voice{});
}

std::optional<std::string> Session::answerTyped(const CallInLines& call, std::size_t width)
{
    bool several = call.lastLine() > call.firstLine();
    return answerText(call.text(), [&](std::size_t at) {
        CallInLines::Place place = call.placeOf(at);
        return Spot{several ? "line " + std::to_string(place.line) + " of the call" : "", place.text, place.at};
    }, Voice{true, false, "call", width});
}

std::optional<std::string> Session::answer(const std::string& call, const std::string& name, const char* part)
{
    return answerText(call, [&](std::size_t at) { return Spot{name, call, at}; }, Voice{true, true, part});
}

int Session::status() const { return failed_ ? SOME_CALL_FAILED : ALL_ANSWERED; }

std::optional<std::string> Session::answerText(const std::string& text, const std::function<Spot(std::size_t)>& spotOf,
                                              Voice voice)
{
    std::variant<Body, BodyError> parsed = parseBody(text);
    if (const BodyError* error = std::get_if<BodyError>(&parsed)) {
        Spot spot = spotOf(error->at);
        std::string hint = error->misfit ? misfitHint(rowsOf(library_), *error->misfit)
                                         : habitHint(text.substr(error->begin, error->end - error->begin),
                                                     error->at - error->begin);
        report(placed(placeOf(spot.name, voice.part, error->call, error->calls, characterNumber(spot.line, spot.at)),
                      hint.empty() ? error->message : hint),
               spot.line, spot.at, voice);
        return std::nullopt;
    }
    const Body& body = std::get<Body>(parsed);
    Outcome outcome = evaluate(body, library_, !voice.named); // at the prompt, the list is a command away
    if (!outcome.answered) {
        // In a body the caret shows which call; a single call needs none, and is named by
        // where it starts.
        bool several = body.size() > 1 && outcome.call > 0;
        Spot spot = spotOf(several ? body[outcome.call - 1].at : 0);
        report(placed(placeOf(spot.name, voice.part, outcome.call, body.size()), outcome.text), spot.line,
               several ? std::optional(spot.at) : std::nullopt, voice);
        return std::nullopt;
    }
    std::string where = voice.placeHints ? spotOf(0).name : "";
    for (const auto& [call, note] : outcome.notes)
        tell(placed(placeOf(where, voice.part, call, body.size()), note), voice.named);
    if (!outcome.why.empty()) {
        tell(placed(placeOf(voice.placeHints ? spotOf(0).name : "", voice.part, outcome.call, body.size()), outcome.why),
             voice.named);
    }
    return voice.width == 0 ? outcome.text : fitted(outcome.text, outcome.bindings, voice.width);
}

void Session::report(const std::string& message, const std::string& line, std::optional<std::size_t> at, Voice voice)
{
    failed_ = true;
    tell(at ? message + quotedPlace(line, *at) : message, voice.named);
}
