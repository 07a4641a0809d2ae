#include "history_file.h"

#include "output.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int HISTORY_SIZE = 1000;
const char MARK[] = "_HiStOrY_V2_\n"; // libedit's first line of a history file

} // namespace

History* newHistory(HistEvent& event)
{
    History* lines = history_init();
    if (lines != nullptr) {
        history(lines, &event, H_SETSIZE, HISTORY_SIZE);
        history(lines, &event, H_SETUNIQUE, 1);
    }
    return lines;
}

HistoryFile::HistoryFile(const std::string& path) : path_(path)
{
    // A history file linked from elsewhere stays a link: the new file replaces its target.
    if (char* target = realpath(path.c_str(), nullptr)) {
        path_ = target;
        std::free(target);
    }
}

void HistoryFile::giveUp(const std::string& reason)
{
    if (!usable_)
        return;
    usable_ = false;
    tell(path_ + " " + reason + ": it is left as it is, and this session keeps its history in memory only");
}

bool HistoryFile::holdsHistory(int fd, const std::string& reason)
{
    char start[sizeof MARK - 1];
    ssize_t count = pread(fd, start, sizeof start, 0);
    if (count == 0 || (count == static_cast<ssize_t>(sizeof start) && std::memcmp(start, MARK, sizeof start) == 0))
        return true;
    giveUp(count < 0 ? "cannot be read (" + std::string(std::strerror(errno)) + ")" : reason);
    return false;
}

void HistoryFile::load(History* lines)
{
    int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) // none yet is an empty history
            giveUp("cannot be read (" + std::string(std::strerror(errno)) + ")");
        return;
    }
    HistEvent event;
    if (holdsHistory(fd, "is no history file of extpred-host's"))
        history(lines, &event, H_LOAD, path_.c_str());
    close(fd);
}

// The file, opened (made when there is none) and locked against the other sessions; -1 when it
// cannot be (no writable home: no history, as ever). A session that waited may find the
// file renamed over meanwhile: it locks the new one instead.
int HistoryFile::lock()
{
    for (;;) {
        int fd = open(path_.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return -1;
        if (flock(fd, LOCK_EX) != 0) {
            bool interrupted = errno == EINTR;
            close(fd);
            if (interrupted)
                continue;
            return -1;
        }
        struct stat locked {}, now {};
        if (fstat(fd, &locked) != 0 || (stat(path_.c_str(), &now) != 0 && errno != ENOENT)) {
            close(fd);
            return -1;
        }
        if (locked.st_dev == now.st_dev && locked.st_ino == now.st_ino)
            return fd;
        close(fd); // renamed over or removed meanwhile: the file there now is the one to lock
    }
}

// The file as it is now and the line (at most HISTORY_SIZE lines in all) go to a new file
// beside it, which is then renamed over it: however the program ends, the file is the old one
// or the new one, never half of either. The lock keeps another session from renaming its own
// copy over between the reading and the renaming, which would drop this line.
void HistoryFile::add(const std::string& line)
{
    if (!usable_)
        return;
    int locked = lock();
    if (locked < 0)
        return;
    if (!holdsHistory(locked, "no longer holds history")) {
        close(locked);
        return;
    }
    // A history not read whole (out of memory) is not written back: that would drop its lines.
    // libedit fails to load an empty file, which has no lines to lose: the line goes in alone.
    HistEvent event;
    History* lines = newHistory(event);
    struct stat now {};
    bool empty = fstat(locked, &now) == 0 && now.st_size == 0;
    bool loaded = lines != nullptr && (empty || history(lines, &event, H_LOAD, path_.c_str()) >= 0);
    std::string temporary = path_ + ".XXXXXX";
    int fd = loaded ? mkstemp(temporary.data()) : -1;
    if (fd < 0) {
        if (lines != nullptr)
            history_end(lines);
        close(locked);
        return;
    }
    history(lines, &event, H_ENTER, line.c_str());
    FILE* file = fdopen(fd, "w");
    bool saved = file != nullptr && history(lines, &event, H_SAVE_FP, file) >= 0;
    history_end(lines);
    saved = file != nullptr && std::fflush(file) == 0 && fsync(fd) == 0 && saved;
    if (file != nullptr)
        saved = std::fclose(file) == 0 && saved;
    else
        close(fd);
    if (!saved || std::rename(temporary.c_str(), path_.c_str()) != 0)
        unlink(temporary.c_str());
    close(locked);
}
