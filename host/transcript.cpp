#include "transcript.h"

#include "commands.h"
#include "line_display.h"
#include "output.h"

#include <algorithm>
#include <vector>

namespace {

// Calls longer than this do not push every answer of a transcript further right.
const std::size_t WIDEST_ALIGNED_CALL = 44;
// A transcript echoes a line up to this many columns, a line it could not answer up to a line's
// worth, as a problem quotes it; either with its length when cut.
const std::size_t WIDEST_ECHO = 1000;
const std::size_t WIDEST_BAD_ECHO = 80;

} // namespace

// A call over several lines is echoed as written, with its answer beside its last line.
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
        Command command = call.pending() ? Command{} : commandOf(line);
        if (command.kind != Command::None) {
            if (!put(abridged(line, WIDEST_ECHO) + "\n" + commandAnswer(command, session.library(), false)))
                return writeFailed();
            if (command.kind == Command::Halt)
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
