// The terminal reader with libedit: line editing, and a history kept across sessions.
#include "line_reader.h"

#include <histedit.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

const char* const HISTORY_FILE = "/.extpred_host_history";
const int HISTORY_SIZE = 1000;

// Ctrl-D: the end on an empty line, else the end of the line as Return would.
unsigned char endOrAccept(EditLine* editor, int)
{
    const LineInfo* line = el_line(editor);
    if (line->buffer == line->lastchar)
        return CC_EOF;
    el_push(editor, "\n");
    return CC_NORM;
}

const char* promptOf(EditLine* editor)
{
    const char* prompt = nullptr;
    el_get(editor, EL_CLIENTDATA, &prompt);
    return prompt;
}

class EditingReader : public LineReader {
public:
    explicit EditingReader(const char* prompt)
    {
        editor_ = el_init("extpred-host", stdin, stdout, stderr);
        history_ = history_init();
        if (editor_ == nullptr || history_ == nullptr)
            return;
        history(history_, &event_, H_SETSIZE, HISTORY_SIZE);
        history(history_, &event_, H_SETUNIQUE, 1);
        // No writable home, no history: every save below then fails quietly.
        if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
            historyFile_ = std::string(home) + HISTORY_FILE;
            history(history_, &event_, H_LOAD, historyFile_.c_str());
        }
        el_set(editor_, EL_CLIENTDATA, prompt);
        el_set(editor_, EL_PROMPT, promptOf);
        el_set(editor_, EL_EDITOR, "emacs");
        el_set(editor_, EL_HIST, history, history_);
        el_set(editor_, EL_ADDFN, "end-or-accept", "end of input on an empty line, else accept it", endOrAccept);
        el_set(editor_, EL_BIND, "^D", "end-or-accept", nullptr);
        el_source(editor_, nullptr); // the user's ~/.editrc
    }

    ~EditingReader() override
    {
        if (history_ != nullptr && !historyFile_.empty())
            history(history_, &event_, H_SAVE, historyFile_.c_str());
        if (editor_ != nullptr)
            el_end(editor_);
        if (history_ != nullptr)
            history_end(history_);
    }
    EditingReader(const EditingReader&) = delete;
    EditingReader& operator=(const EditingReader&) = delete;

    bool usable() const { return editor_ != nullptr && history_ != nullptr; }

    Read next(std::string& line) override
    {
        catcher_.take(); // a Ctrl-C while the last answer was worked out
        int count = 0;
        const char* text = el_gets(editor_, &count);
        if (catcher_.take()) {
            std::fputs("\n", stdout);
            return Read::Interrupted;
        }
        if (text == nullptr)
            return count < 0 ? Read::Failed : Read::End;
        line.assign(text, static_cast<std::size_t>(count));
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos)
            history(history_, &event_, H_ENTER, line.c_str());
        return Read::Line;
    }

private:
    EditLine* editor_ = nullptr;
    History* history_ = nullptr;
    HistEvent event_{};
    std::string historyFile_;
    InterruptCatcher catcher_;
};

} // namespace

std::unique_ptr<LineReader> editingReader(const char* prompt)
{
    auto reader = std::make_unique<EditingReader>(prompt);
    if (!reader->usable())
        return nullptr;
    return reader;
}
