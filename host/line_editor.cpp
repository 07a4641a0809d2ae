// The terminal reader with libedit: line editing, and a history kept across sessions.
#include "history_file.h"
#include "line_reader.h"

#include <fcntl.h>
#include <histedit.h>
#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <optional>

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
    explicit EditingReader(const char* prompt) : LineReader(prompt)
    {
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
        if (line.find_first_not_of(" \t") != std::string::npos) {
            history(history_, &event_, H_ENTER, line.c_str());
            if (historyFile_)
                historyFile_->add(line); // now, so that no way of ending the session loses it
        }
        return Read::Line;
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

std::unique_ptr<LineReader> editingReader(const char* prompt)
{
    auto reader = std::make_unique<EditingReader>(prompt);
    if (!reader->usable())
        return nullptr;
    return reader;
}
