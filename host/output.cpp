#include "output.h"

#include "line_display.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

void tell(const std::string& message, bool named)
{
    std::cout.flush();   // keep the message next to its call when both streams share a terminal
    int failure = errno; // of a write that failed (that one, or before), which the caller may report
    std::size_t end = message.find('\n');
    std::string text = wrapped((named ? "extpred-host: " : "") + message.substr(0, end), terminalWidth(STDERR_FILENO), 4, true) +
                       (end == std::string::npos ? "" : message.substr(end)) + "\n";
    for (std::size_t done = 0; done < text.size();) {
        ssize_t count = write(STDERR_FILENO, text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break; // nowhere left to say it
        done += static_cast<std::size_t>(count);
    }
    errno = failure;
}

std::size_t terminalWidth(int fd)
{
    if (!isatty(fd))
        return 0;
    winsize size{};
    return ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

std::string quotedPlace(const std::string& line, std::size_t at)
{
    std::size_t width = terminalWidth(STDERR_FILENO);
    Excerpt place = excerptAround(line, at, width == 0 ? 80 : std::max<std::size_t>(width, 24) - 4);
    return "\n    " + place.line + "\n    " + place.caret;
}

int streamError(const std::string& what)
{
    tell(what + ": " + std::strerror(errno));
    return UNUSABLE;
}

int writeFailed() { return streamError("cannot write the answers"); }

bool put(const std::string& text, bool flush)
{
    std::cout << text;
    if (flush)
        std::cout.flush();
    return static_cast<bool>(std::cout);
}

int written(int status)
{
    return std::cout.flush() || status == UNUSABLE ? status : writeFailed();
}
