#pragma once

#include <QObject>

class QTamblo;

// Connects the window to the ways the program can be ended from outside. A termination request
// (SIGTERM, SIGINT, SIGHUP; a console close, logoff or shutdown on Windows) stops a running
// playback at once and then ends the run on the window thread; an abrupt end (a lost display, a
// library calling exit) first keeps the unsaved capture. Made after the window and destroyed
// before it, around the window's event loop; main catches unplanned exits for the whole run.
class RunEnding : public QObject {
    Q_OBJECT

public:
    // termination::watch() must have been called.
    explicit RunEnding(QTamblo& window);
    ~RunEnding() override;

private:
    void onRequest();

    QTamblo& window;
};
