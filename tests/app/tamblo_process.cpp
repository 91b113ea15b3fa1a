#include "tamblo_process.h"

#include <QTest>

#include <algorithm>

#include "modal_driver.h"

const std::string kWindowTitleUtf8 = "Norrel鼠标自动点击器1008";

Tamblo::Tamblo(const QProcessEnvironment& changes)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_LOGGING_RULES", "tamblo.record.info=true");
    environment.insert("XDG_DATA_HOME", dataHome.path());
    // The test display is an X11 desktop, whatever desktop runs the tests.
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("XDG_SESSION_TYPE");
    for (const QString& name : changes.keys()) {
        if (changes.value(name).isEmpty())
            environment.remove(name);
        else
            environment.insert(name, changes.value(name));
    }
    process.setProcessEnvironment(environment);
    process.setProgram(QStringLiteral(TAMBLO_EXECUTABLE));
    process.start();
}

Tamblo::~Tamblo()
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(3000);
    }
}

bool Tamblo::logged(const char* line)
{
    return errorOutput().contains(line);
}

const QByteArray& Tamblo::errorOutput()
{
    log += process.readAllStandardError();
    return log;
}

unsigned long DesktopFixture::awaitWindow(const std::string& title, bool dialog)
{
    unsigned long found = 0;
    waitFor(
        [&] {
            const auto windows = x.windowsTitled(title, dialog);
            found = windows.size() == 1 ? windows.front() : 0;
            return found != 0;
        },
        10000);
    if (found) {
        x.focus(found);
        QTest::qWait(150);
    }
    return found;
}

bool DesktopFixture::awaitGone(unsigned long window, const std::string& title)
{
    return waitFor([&] {
        const auto windows = x.windowsTitled(title, true);
        return std::find(windows.begin(), windows.end(), window) == windows.end();
    });
}

void DesktopFixture::fillIn(unsigned long dialog, const std::string& title, const QString& path)
{
    x.typeText(path.toStdString());
    QTest::qWait(200);
    // A completion list may take the first Return.
    for (int attempt = 0; attempt < 3; ++attempt) {
        x.tapKey("Return");
        if (awaitGone(dialog, title))
            break;
    }
}
