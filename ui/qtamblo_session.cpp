// The window's part in the program's run: coming to the front for a second start, ending when
// asked to from outside, and keeping a capture that would otherwise be lost.
#include <QAction>
#include <QCoreApplication>
#include <QMessageBox>

#include <algorithm>
#include <cstdio>

#include "capture/recovery.h"
#include "system/recovery_folder.h"
#include "system/termination_requests.h"
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

void QTamblo::prepareToEnd()
{
    ending = true;
    player.stopRequested = true;
    const std::string sentence = rescueUnsavedCapture();
    if (!sentence.empty())
        std::fprintf(stderr, "tamblo: %s\n", sentence.c_str());
}

void QTamblo::endRun()
{
    prepareToEnd();
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

void QTamblo::keepCancelledCapture(const std::vector<InputEvent>& capture)
{
    // Pointer samples alone are taken on their own; without a press, a release or a key there is
    // nothing the user did to keep.
    const bool acted = std::any_of(capture.begin(), capture.end(),
                                   [](const InputEvent& event) { return !isKind(event, EventKind::MousePos); });
    if (!acted)
        return;
    std::string sentence;
    std::string path;
    const bool kept = recovery::save(*this, capture, recoveryFolder(), sentence, &path);
    savePending = false;
    if (kept)
        QMessageBox::information(this, translatedTitle(),
                                 tr("录制未保存，已存入：") + QLatin1Char('\n') + QString::fromUtf8(path.c_str()),
                                 QMessageBox::Ok, QMessageBox::NoButton);
    else
        QMessageBox::warning(this, translatedTitle(),
                             tr("录制未保存，也无法存入恢复文件夹：") + QLatin1Char('\n') + QString::fromStdString(sentence),
                             QMessageBox::Ok, QMessageBox::NoButton);
}

bool QTamblo::isEnding() const
{
    // A request that arrived while a playback held the window thread has not reached endRun yet.
    return ending || termination::requested() != 0;
}
