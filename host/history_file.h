// The history file that every session of one user shares (libedit's format): lines entered at
// once in several sessions are all kept, and a file that holds no such history is never touched.
#ifndef HOST_HISTORY_FILE_H
#define HOST_HISTORY_FILE_H

#include <histedit.h>

#include <string>

// An empty history that keeps the last 1,000 lines, a line repeated at once kept once; null when
// none can be made.
History* newHistory(HistEvent& event);

class HistoryFile {
public:
    // `path` may be a link, as into a folder of dotfiles: the file it names is the one kept.
    explicit HistoryFile(const std::string& path);

    // Loads the file into `lines`. A file that exists but cannot be read as history is said
    // so on standard error, once, and the session keeps its lines in memory only.
    void load(History* lines);

    // Adds `line` to the file as it is now, which another session may have added to since.
    void add(const std::string& line);

private:
    // Whether the file behind `fd` is history: empty, or starting with libedit's mark. If not,
    // the session gives the file up, saying why: `reason`, or why it cannot be read.
    bool holdsHistory(int fd, const std::string& reason);
    void giveUp(const std::string& reason);
    int lock();

    std::string path_;
    bool usable_ = true;
};

#endif
