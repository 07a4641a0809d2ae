#include "line_reader.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iostream>

namespace {

volatile std::sig_atomic_t interrupted = 0;

void noteInterrupt(int) { interrupted = 1; }

class PlainReader : public LineReader {
public:
    PlainReader(int fd, const char* prompt, bool terminal) : fd_(fd), prompt_(prompt)
    {
        if (terminal)
            catcher_ = std::make_unique<InterruptCatcher>();
    }

    Read next(std::string& line) override
    {
        bool prompted = false;
        for (;;) {
            std::size_t end = pending_.find('\n');
            if (end != std::string::npos) {
                line.assign(pending_, 0, end);
                pending_.erase(0, end + 1);
                return Read::Line;
            }
            if (catcher_ && catcher_->take()) {
                pending_.clear();
                std::cout << '\n';
                return Read::Interrupted;
            }
            if (prompt_ && !prompted) {
                std::cout << prompt_ << std::flush;
                prompted = true;
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
                    std::cout << '\n';
                line.swap(pending_);
                pending_.clear();
                return Read::Line;
            }
            pending_.append(buffer, static_cast<std::size_t>(count));
        }
    }

private:
    int fd_;
    const char* prompt_;
    std::unique_ptr<InterruptCatcher> catcher_; // only at a terminal
    std::string pending_;                       // read but not yet a line
};

} // namespace

InterruptCatcher::InterruptCatcher()
{
    struct sigaction action {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
}

InterruptCatcher::~InterruptCatcher() { sigaction(SIGINT, &previous_, nullptr); }

bool InterruptCatcher::take()
{
    bool taken = interrupted != 0;
    interrupted = 0;
    return taken;
}

std::unique_ptr<LineReader> plainReader(int fd, const char* prompt, bool terminal)
{
    return std::make_unique<PlainReader>(fd, prompt, terminal);
}
