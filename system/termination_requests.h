#pragma once

#include <atomic>

// Requests from outside to end the program: SIGTERM, SIGINT and SIGHUP on POSIX systems; Ctrl-C,
// Ctrl-Break, closing the console, logoff and shutdown on Windows. The handlers only store into
// atomics and write one byte to a pipe, so they are safe whatever the program is doing.
namespace termination {

// Starts watching (once; later calls do nothing). A second request while the first is still being
// handled ends the program the system's default way, so a stop always works, unless a Hold keeps
// work that would be lost (below). On POSIX systems it also ignores SIGPIPE: writes to a reader
// that has gone fail instead.
void watch();

// 0 until a request came; then the number of the first one, as a POSIX signal number (Windows
// reports Ctrl-C as SIGINT, Ctrl-Break and the others as SIGTERM).
int requested();

// A flag the handler also sets, e.g. a player's stop flag, so a running playback stops at once.
// Null stops setting one. The flag must outlive the watch.
void alsoSet(std::atomic<bool>* flag);

// Readable once a request came (POSIX), for event loops that wait on descriptors; -1 where there
// is none or before watch().
int wakeDescriptor();

// On Windows the system ends the process as soon as the console handler returns from a close,
// logoff or shutdown event; the handler waits (a few seconds at most) until this is called, so the
// program can release what it holds first. Elsewhere it does nothing.
void cleanupFinished();

// Work that a repeated request must not cut short, such as saving a recording. While a Hold exists,
// a repeated request only hurries the end (it sets the flag and wakes the loop, as the first one
// did); once the last Hold is gone, the program ends the system's default way. Any thread.
class Hold {
public:
    Hold();
    ~Hold();
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
};

}  // namespace termination
