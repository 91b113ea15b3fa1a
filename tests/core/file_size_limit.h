#pragma once

#include <csignal>
#include <sys/resource.h>

// Caps the size of any file this process writes while it lives, so that a write fails half-way
// with "File too large", even for root. Such a write also raises SIGXFSZ, whose default action
// ends the process: code under test must hold it back itself. Where other code writes files
// meanwhile (Qt's file dialog saves its settings), `othersWriteToo` ignores the signal instead.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes, bool othersWriteToo = false)
    {
        if (othersWriteToo)
            previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        if (previousHandler != SIG_ERR)
            std::signal(SIGXFSZ, previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved{};
    void (*previousHandler)(int) = SIG_ERR;
};
