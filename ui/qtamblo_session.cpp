// The window's part in the program's run: coming to the front for a second start, ending when
// asked to from outside, and keeping a capture that would otherwise be lost.
#include <QAction>
#include <QCoreApplication>

#include <cstdio>

#include "capture/recovery.h"
#include "platform/recovery_folder.h"
#include "platform/termination_requests.h"
#include "ui/qtamblo.h"

void QTamblo::bringToFront()
{
    restoreAction->activate(QAction::Trigger);
    raise();
    activateWindow();
}

std::string QTamblo::rescueUnsavedCapture()
{
    if (!hasUnsavedCapture() || rescued.exchange(true))
        return {};
    std::string sentence;
    recovery::save(*this, copyEventsWhileEnding(), recoveryFolder(), sentence);
    return sentence;
}

void QTamblo::endRun()
{
    ending = true;
    player.stopRequested = true;
    const std::string sentence = rescueUnsavedCapture();
    if (!sentence.empty())
        std::fprintf(stderr, "tamblo: %s\n", sentence.c_str());
    recording = false;
    holdRequestsWhileUnsaved();
    QCoreApplication::quit();
}

void QTamblo::holdRequestsWhileUnsaved()
{
    if (!hasUnsavedCapture())
        unsavedHold.reset();
    else if (!unsavedHold)
        unsavedHold.emplace();
}

bool QTamblo::isEnding() const
{
    // A request that arrived while a playback held the window thread has not reached endRun yet.
    return ending || termination::requested() != 0;
}
