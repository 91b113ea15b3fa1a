#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

#include "x_session.h"

// The real program in a process of its own, with "tamblo.record" logging on and, unless the test
// names one, a data folder of its own (so no recovered recording from elsewhere is announced).
// Killed if it still runs when the test is over.
class Tamblo {
public:
    // `changes` are added to (or, with an empty value, removed from) the test's environment.
    explicit Tamblo(const QProcessEnvironment& changes = {});
    ~Tamblo();
    Tamblo(const Tamblo&) = delete;
    Tamblo& operator=(const Tamblo&) = delete;

    // Whether standard error holds `line` so far.
    bool logged(const char* line);
    // Standard error so far (all of it once ended).
    const QByteArray& errorOutput();
    qint64 pid() const { return process.processId(); }

    QTemporaryDir dataHome;
    QProcess process;
    QByteArray log;
};

// A test that drives the real program's windows on a display through XTEST, as a person would.
class DesktopFixture : public ::testing::Test {
protected:
    DesktopFixture() = default;
    explicit DesktopFixture(const std::string& displayName) : x(displayName) {}

    // Waits for exactly one window of that title (a dialog, or a main window), focuses it and
    // returns it; 0 if none shows up.
    unsigned long awaitWindow(const std::string& title, bool dialog);
    bool awaitGone(unsigned long window, const std::string& title);
    // Types a file name into the focused file dialog and confirms it.
    void fillIn(unsigned long dialog, const std::string& title, const QString& path);

    XSession x;
};

extern const std::string kWindowTitleUtf8;
