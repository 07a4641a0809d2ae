#include "line_reader.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iostream>

namespace {

volatile std::sig_atomic_t interrupted = 0;

void noteInterrupt(int) { interrupted = 1; }

class PlainReader : public LineReader {
public:
    PlainReader(int fd, const char* prompt, bool terminal) : LineReader(prompt), fd_(fd)
    {
        if (terminal)
            catcher_ = std::make_unique<InterruptCatcher>();
    }

    Read next(std::string& line) override
    {
        bool prompted = false;
        for (;;) {
            std::size_t end = pending_.find('\n', scanned_);
            if (end != std::string::npos) {
                line.assign(pending_, 0, end);
                pending_.erase(0, end + 1);
                scanned_ = 0;
                return Read::Line;
            }
            scanned_ = pending_.size(); // a long line is searched once, not again at every read
            if (prompt_ && !prompted) {
                std::cout << prompt_ << std::flush;
                prompted = true;
            }
            if (catcher_ && !catcher_->waitForInput(fd_)) {
                pending_.clear();
                scanned_ = 0;
                endTypedLine();
                return Read::Interrupted;
            }
            char buffer[4096];
            ssize_t count = read(fd_, buffer, sizeof buffer);
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0)
                return Read::Failed;
            if (count == 0 && pending_.empty())
                return Read::End;
            if (count == 0 || (catcher_ && buffer[count - 1] != '\n')) {
                // The end of the input, or Ctrl-D after some text on a terminal: the text so
                // far is a line, whose answer starts on a line of its own.
                pending_.append(buffer, static_cast<std::size_t>(count));
                if (catcher_)
                    endTypedLine();
                line.swap(pending_);
                pending_.clear();
                scanned_ = 0;
                return Read::Line;
            }
            pending_.append(buffer, static_cast<std::size_t>(count));
        }
    }

private:
    // Ctrl-C and Ctrl-D leave the cursor after the text typed: what follows starts a new line
    // there, but never adds a line to answers that go elsewhere.
    void endTypedLine()
    {
        if (prompt_)
            std::cout << '\n';
    }

    int fd_;
    std::unique_ptr<InterruptCatcher> catcher_; // only at a terminal
    std::string pending_;                       // read but not yet a line
    std::size_t scanned_ = 0;                   // bytes of pending_ known to hold no line end
};

} // namespace

InterruptCatcher::InterruptCatcher()
{
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    sigprocmask(SIG_BLOCK, &interrupt, &previousMask_);
    struct sigaction action {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousAction_);
}

InterruptCatcher::~InterruptCatcher()
{
    // Unblocked first, a Ctrl-C still pending only sets the flag.
    sigprocmask(SIG_SETMASK, &previousMask_, nullptr);
    sigaction(SIGINT, &previousAction_, nullptr);
}

bool InterruptCatcher::waitForInput(int fd)
{
    sigset_t waiting = previousMask_;
    sigdelset(&waiting, SIGINT);
    for (;;) {
        if (interrupted) {
            interrupted = 0;
            return false;
        }
        pollfd ready{fd, POLLIN, 0};
        if (ppoll(&ready, 1, nullptr, &waiting) >= 0 || errno != EINTR)
            return true;
    }
}

std::unique_ptr<LineReader> plainReader(int fd, const char* prompt, bool terminal)
{
    return std::make_unique<PlainReader>(fd, prompt, terminal);
}
