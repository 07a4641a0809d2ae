#include "pager.h"

#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>

bool needsPager(const std::string& text)
{
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_row == 0)
        return false;
    return std::count(text.begin(), text.end(), '\n') >= size.ws_row - 1;
}

bool throughPager(const std::string& text)
{
    const char* pager = std::getenv("PAGER");
    if (pager != nullptr && *pager == '\0')
        return false;
    int ends[2];
    if (pipe(ends) != 0)
        return false;
    // Ctrl-C is the pager's while it runs, and a pager that quits early must not end the host
    // with SIGPIPE; the host's own handling of both is back once it is done.
    struct sigaction ignore {}, previousPipe {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previousPipe);
    sigset_t all, previousMask;
    sigemptyset(&all);
    sigaddset(&all, SIGINT);
    sigprocmask(SIG_BLOCK, &all, &previousMask);
    pid_t child = fork();
    if (child == 0) {
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        signal(SIGPIPE, SIG_DFL);
        dup2(ends[0], STDIN_FILENO);
        close(ends[0]);
        close(ends[1]);
        execl("/bin/sh", "sh", "-c", pager != nullptr ? pager : "less -FRX", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ends[0]);
    bool shown = child > 0;
    for (std::size_t done = 0; shown && done < text.size();) {
        ssize_t count = write(ends[1], text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break; // the pager quit before the end: what it showed is enough
        done += static_cast<std::size_t>(count);
    }
    close(ends[1]);
    int status = 0;
    while (shown && waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // A Ctrl-C typed in the pager was the pager's, not a line dropped at the next prompt.
    sigset_t pending;
    int caught = 0;
    if (sigpending(&pending) == 0 && sigismember(&pending, SIGINT))
        sigwait(&all, &caught);
    sigprocmask(SIG_SETMASK, &previousMask, nullptr);
    sigaction(SIGPIPE, &previousPipe, nullptr);
    // The shell's 127: no such pager.
    return shown && !(WIFEXITED(status) && WEXITSTATUS(status) == 127);
}
