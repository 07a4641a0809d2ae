// Lines of calls from standard input: read plainly, or edited at a terminal.
#ifndef HOST_LINE_READER_H
#define HOST_LINE_READER_H

#include <csignal>
#include <memory>
#include <string>
#include <vector>

enum class Read {
    Line,        // a line, without its end
    Interrupted, // Ctrl-C abandoned the line being typed
    End,         // no more lines
    Failed,      // errno says why
};

class LineReader {
public:
    explicit LineReader(const char* prompt) : prompt_(prompt) {}
    virtual ~LineReader() = default;
    virtual Read next(std::string& line) = 0;

    // What the lines from now on are prompted with, such as another prompt while a call goes
    // on over several lines; null for none.
    void setPrompt(const char* prompt) { prompt_ = prompt; }

    // Keeps `entry` in the history, if this reader has one: a line, or a call's lines joined
    // by line ends, recalled whole as they were typed.
    virtual void remember(const std::string& entry) { (void)entry; }

protected:
    const char* prompt_;
};

// For the terminal readers, while one lives: Ctrl-C no longer ends the program but cuts short
// a wait for input. SIGINT stays blocked outside that wait, so none is missed between a look at
// the flag and the wait.
class InterruptCatcher {
public:
    InterruptCatcher();
    ~InterruptCatcher();
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

    // Waits until `fd` has something to read (or an end or error that a read will report);
    // false when Ctrl-C came first, or came while nobody waited.
    bool waitForInput(int fd);

private:
    struct sigaction previousAction_ {};
    sigset_t previousMask_{};
};

// Lines of `fd` as they come, so a program that writes a line is answered before it writes the
// next. On a terminal Ctrl-C abandons the line typed so far and Ctrl-D after some text ends the
// line there; `prompt`, unless null, goes to standard output before each line (null when
// standard output is not that terminal).
std::unique_ptr<LineReader> plainReader(int fd, const char* prompt, bool terminal);

// Line editing and history on the terminal of standard input, with the same Ctrl-C and Ctrl-D;
// `prompt` as for plainReader. Each entry remembered goes to the history file at once. Tab
// completes the word before the cursor from `words`, and a second Tab lists the candidates.
// Null when this build has no line editor or the terminal cannot be set up.
std::unique_ptr<LineReader> editingReader(const char* prompt, std::vector<std::string> words);

#endif
