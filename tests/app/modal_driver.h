#pragma once

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>

#include "qt_printers.h"

class QFileDialog;

// What a message box showed when it was answered.
struct BoxSeen {
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QStringList buttonTexts;
    bool parentVisible = false;  // whether the box's parent window was visible at that moment
};

// What a file dialog showed when it was answered.
struct FileDialogSeen {
    bool shown = false;
    QString caption;
    QStringList nameFilters;
    bool saving = false;
    QString directory;          // the folder the dialog opened in
    QStringList selectedFiles;  // what it offered before it was answered
};

// Answers the modal dialogs that the code under test opens, one step per dialog, in order. It polls
// from a timer, which keeps running inside the dialogs' own event loops. A dialog that appears with
// no step left is rejected and listed in `unexpected`.
class ModalDriver : public QObject {
public:
    using Step = std::function<void(QWidget* dialog)>;

    ModalDriver();
    ModalDriver& then(Step step);
    bool allStepsUsed() const { return steps.empty(); }
    QStringList unexpected;

private:
    void poll();

    QTimer timer;
    std::deque<Step> steps;
    bool stepRunning = false;
};

// Steps.
ModalDriver::Step chooseFile(const QString& path, FileDialogSeen* seen = nullptr);
ModalDriver::Step cancelFileDialog(FileDialogSeen* seen = nullptr);
ModalDriver::Step answerBox(QMessageBox::StandardButton button, BoxSeen* seen = nullptr);

// Runs the event loop until `done` holds or `timeoutMs` passes; returns `done()`.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000);
