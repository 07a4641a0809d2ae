#include "output.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

void tell(const std::string& message)
{
    std::cout.flush(); // keep the message next to its call when both streams share a terminal
    std::string text = "extpred-host: " + message + "\n";
    for (std::size_t done = 0; done < text.size();) {
        ssize_t count = write(STDERR_FILENO, text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return; // nowhere left to say it
        done += static_cast<std::size_t>(count);
    }
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
