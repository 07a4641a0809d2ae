// The terminal reader with libedit: line editing, and a history kept across sessions.
#include "history_file.h"
#include "line_reader.h"
#include "output.h"

#include <fcntl.h>
#include <histedit.h>
#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <optional>
#include <utility>
#include <vector>

namespace {

const char* const HISTORY_FILE = "/.extpred_host_history";

// libedit decodes what is typed by the character type of the locale: in the C locale it drops
// every byte of a non-ASCII character. Lines are UTF-8 to the host, so the terminal is too.
bool typesUtf8()
{
    for (const char* name : {"", "C.UTF-8"})
        if (std::setlocale(LC_CTYPE, name) != nullptr && std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0)
            return true;
    return false;
}

// What the editor shows goes to the terminal it reads from, also when the answers go to a file.
FILE* terminalOutput()
{
    if (isatty(STDOUT_FILENO))
        return stdout;
    const char* name = ttyname(STDIN_FILENO);
    int fd = name == nullptr ? -1 : open(name, O_WRONLY | O_NOCTTY | O_CLOEXEC);
    FILE* file = fd < 0 ? nullptr : fdopen(fd, "w");
    if (file == nullptr && fd >= 0)
        close(fd);
    return file;
}

class EditingReader : public LineReader {
public:
    EditingReader(const char* prompt, std::vector<std::string> words) : LineReader(prompt), words_(std::move(words))
    {
        std::sort(words_.begin(), words_.end());
        words_.erase(std::unique(words_.begin(), words_.end()), words_.end());
        std::string locale = std::setlocale(LC_CTYPE, nullptr);
        if (!typesUtf8()) {
            std::setlocale(LC_CTYPE, locale.c_str());
            return;
        }
        locale_ = locale;
        output_ = terminalOutput();
        if (output_ == nullptr)
            return;
        editor_ = el_init("extpred-host", stdin, output_, stderr);
        history_ = newHistory(event_);
        if (editor_ == nullptr || history_ == nullptr)
            return;
        // No writable home, no history: every save then fails quietly.
        if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
            historyFile_.emplace(std::string(home) + HISTORY_FILE);
            historyFile_->load(history_);
        }
        el_set(editor_, EL_CLIENTDATA, this);
        el_set(editor_, EL_PROMPT, promptOf);
        el_set(editor_, EL_GETCFN, readCharacter);
        el_set(editor_, EL_EDITOR, "emacs");
        el_set(editor_, EL_HIST, history, history_);
        // The wide call: the narrow one copies the name and the help and never frees them.
        el_wset(editor_, EL_ADDFN, L"end-or-accept", L"end of input on an empty line, else accept it", endOrAccept);
        el_set(editor_, EL_BIND, "^D", "end-or-accept", nullptr);
        el_wset(editor_, EL_ADDFN, L"complete", L"complete the name before the cursor; again, list the candidates",
                complete);
        el_set(editor_, EL_BIND, "^I", "complete", nullptr);
        el_source(editor_, nullptr); // the user's ~/.editrc
    }

    ~EditingReader() override
    {
        if (editor_ != nullptr)
            el_end(editor_);
        if (history_ != nullptr)
            history_end(history_);
        if (output_ != nullptr && output_ != stdout)
            std::fclose(output_);
        if (!locale_.empty())
            std::setlocale(LC_CTYPE, locale_.c_str());
    }
    EditingReader(const EditingReader&) = delete;
    EditingReader& operator=(const EditingReader&) = delete;

    bool usable() const { return editor_ != nullptr && history_ != nullptr; }

    Read next(std::string& line) override
    {
        // A call recalled from the history comes back whole, its lines one by one.
        if (!recalled_.empty()) {
            std::size_t end = recalled_.find('\n');
            line = recalled_.substr(0, end);
            recalled_.erase(0, end == std::string::npos ? end : end + 1);
            return Read::Line;
        }
        interrupted_ = false;
        int count = 0;
        const char* text = el_gets(editor_, &count);
        if (interrupted_) {
            std::fputs("\n", output_);
            std::fflush(output_);
            return Read::Interrupted;
        }
        if (text == nullptr)
            return count < 0 ? Read::Failed : Read::End;
        line.assign(text, static_cast<std::size_t>(count));
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        if (std::size_t end = line.find('\n'); end != std::string::npos) {
            recalled_ = line.substr(end + 1);
            line.erase(end);
        }
        return Read::Line;
    }

    void remember(const std::string& entry) override
    {
        if (entry.find_first_not_of(" \t\n") == std::string::npos)
            return;
        history(history_, &event_, H_ENTER, entry.c_str());
        if (historyFile_)
            historyFile_->add(entry); // now, so that no way of ending the session loses it
    }

private:
    static EditingReader& of(EditLine* editor)
    {
        EditingReader* reader = nullptr;
        el_get(editor, EL_CLIENTDATA, &reader);
        return *reader;
    }

    static const char* promptOf(EditLine* editor)
    {
        const char* prompt = of(editor).prompt_;
        return prompt == nullptr ? "" : prompt;
    }

    // One character typed, as libedit reads it, but a Ctrl-C ends the wait: -1 then ends
    // el_gets with no line.
    static int readCharacter(EditLine* editor, wchar_t* character)
    {
        EditingReader& reader = of(editor);
        std::mbstate_t state{};
        for (;;) {
            if (!reader.catcher_.waitForInput(STDIN_FILENO)) {
                reader.interrupted_ = true;
                return -1;
            }
            char byte = 0;
            ssize_t count = read(STDIN_FILENO, &byte, 1);
            if (count <= 0)
                return count == 0 ? 0 : -1;
            std::size_t decoded = std::mbrtowc(character, &byte, 1, &state);
            if (decoded == static_cast<std::size_t>(-1))
                state = std::mbstate_t{}; // not UTF-8: the byte cannot be shown, so it is dropped
            else if (decoded != static_cast<std::size_t>(-2))
                return 1;
        }
    }

    // Ctrl-D: the end on an empty line, else the end of the line as Return would.
    static unsigned char endOrAccept(EditLine* editor, int)
    {
        const LineInfo* line = el_line(editor);
        if (line->buffer == line->lastchar)
            return CC_EOF;
        el_push(editor, "\n");
        return CC_NORM;
    }

    // The line and where the cursor is in it.
    static std::string stateOf(EditLine* editor)
    {
        const LineInfo* line = el_line(editor);
        return std::string(line->buffer, line->lastchar) + '\0' + std::to_string(line->cursor - line->buffer);
    }

    // Tab: the word before the cursor completed as far as its candidates agree; when that adds
    // nothing, a second Tab lists them under the line.
    static unsigned char complete(EditLine* editor, int)
    {
        EditingReader& reader = of(editor);
        const LineInfo* line = el_line(editor);
        // Inside a quoted text (an odd number of quotes before the cursor) a word is a real or a
        // formula, whose names are no predicates: sqrt("sq must stay as typed.
        if (std::count(line->buffer, line->cursor, '"') % 2 != 0)
            return CC_REFRESH_BEEP;
        const char* start = line->cursor;
        while (start > line->buffer && (std::isalnum(static_cast<unsigned char>(start[-1])) || start[-1] == '_'))
            --start;
        std::string word(start, line->cursor);
        std::vector<std::string> candidates;
        for (const std::string& each : reader.words_)
            if (each.compare(0, word.size(), word) == 0)
                candidates.push_back(each);
        if (candidates.empty())
            return CC_REFRESH_BEEP;
        std::string common = candidates.front();
        for (const std::string& each : candidates)
            common.erase(std::mismatch(common.begin(), common.end(), each.begin(), each.end()).first, common.end());
        bool again = stateOf(editor) == reader.lastCompleted_;
        if (common.size() > word.size())
            el_insertstr(editor, common.c_str() + word.size());
        reader.lastCompleted_ = stateOf(editor);
        if (common.size() > word.size())
            return CC_REFRESH;
        if (candidates.size() == 1 || !again)
            return CC_REFRESH_BEEP;
        std::string list = "\n";
        std::size_t width = terminalWidth(fileno(reader.output_)), column = 0;
        for (const std::string& each : candidates) {
            if (column > 0 && column + 2 + each.size() > width) {
                list += '\n';
                column = 0;
            }
            list += (column > 0 ? "  " : "") + each;
            column += (column > 0 ? 2 : 0) + each.size();
        }
        std::fputs((list + "\n").c_str(), reader.output_);
        std::fflush(reader.output_);
        return CC_REDISPLAY;
    }

    std::vector<std::string> words_; // to complete, sorted
    std::string lastCompleted_;      // the line and cursor after the last Tab, to tell a second one
    std::string recalled_;           // the lines of a recalled call still to give
    std::string locale_;     // to restore
    FILE* output_ = nullptr; // the terminal: stdout, or a stream of its own
    EditLine* editor_ = nullptr;
    History* history_ = nullptr;
    HistEvent event_{};
    std::optional<HistoryFile> historyFile_;
    InterruptCatcher catcher_;
    bool interrupted_ = false;
};

} // namespace

std::unique_ptr<LineReader> editingReader(const char* prompt, std::vector<std::string> words)
{
    auto reader = std::make_unique<EditingReader>(prompt, std::move(words));
    if (!reader->usable())
        return nullptr;
    return reader;
}
