#include "ui/run_ending.h"

#include <QSocketNotifier>
#include <QTimer>

#include "system/abrupt_end.h"
#include "system/termination_requests.h"
#include "ui/qtamblo.h"

namespace {

// Where requests do not wake a descriptor, they are looked for this often.
constexpr int kPollIntervalMs = 20;

QtMessageHandler g_toolkitMessages = nullptr;

// The toolkit's warning just before it ends the process over a broken display connection is
// followed by the program's own line, which says the same and where a recording went; the
// warning becomes that line's cause instead of a second line.
void passMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.contains(QLatin1String("connection broke"))) {
        abruptEnd::noteCause(message.toStdString());
        return;
    }
    g_toolkitMessages(type, context, message);
}

}  // namespace

RunEnding::RunEnding(QTamblo& window) : window(window)
{
    termination::alsoSet(&window.playbackStopFlag());
    abruptEnd::setRescue([&window] { return window.rescueUnsavedCapture(); });
    g_toolkitMessages = qInstallMessageHandler(passMessage);

    const int wake = termination::wakeDescriptor();
    if (wake >= 0) {
        auto* notifier = new QSocketNotifier(wake, QSocketNotifier::Read, this);
        // One request ends the run; a second one ends the process at once, without asking here.
        connect(notifier, &QSocketNotifier::activated, this, [this, notifier] {
            notifier->setEnabled(false);
            onRequest();
        });
    } else {
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [this, poll] {
            if (termination::requested() != 0) {
                poll->stop();
                onRequest();
            }
        });
        poll->start(kPollIntervalMs);
    }
}

RunEnding::~RunEnding()
{
    qInstallMessageHandler(g_toolkitMessages);
    abruptEnd::setRescue({});
    termination::alsoSet(nullptr);
}

void RunEnding::onRequest()
{
    window.endRun();
}
