#include "modal_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QTest>

ModalDriver::ModalDriver()
{
    connect(&timer, &QTimer::timeout, this, &ModalDriver::poll);
    timer.start(10);
}

ModalDriver& ModalDriver::then(Step step)
{
    steps.push_back(std::move(step));
    return *this;
}

void ModalDriver::poll()
{
    // A step may run an event loop of its own; the dialog it works on is still the active one then.
    if (stepRunning)
        return;
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog || !dialog->isVisible())
        return;
    if (steps.empty()) {
        unexpected << dialog->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(dialog))
            unexpected.back() += QStringLiteral(": ") + box->text();
        dialog->close();
        return;
    }
    Step step = std::move(steps.front());
    steps.pop_front();
    stepRunning = true;
    step(dialog);
    stepRunning = false;
}

namespace {

void record(QFileDialog* dialog, FileDialogSeen* seen)
{
    if (!seen)
        return;
    seen->shown = true;
    seen->caption = dialog->windowTitle();
    seen->nameFilters = dialog->nameFilters();
    seen->saving = dialog->acceptMode() == QFileDialog::AcceptSave;
    seen->directory = dialog->directory().absolutePath();
    seen->selectedFiles = dialog->selectedFiles();
}

}  // namespace

ModalDriver::Step chooseFile(const QString& path, FileDialogSeen* seen)
{
    return [path, seen](QWidget* widget) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        if (!dialog) {
            widget->close();
            return;
        }
        record(dialog, seen);
        // selectFile leaves the name field alone while the field has the focus.
        if (QWidget* focused = dialog->focusWidget())
            focused->clearFocus();
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();  // public in QDialog, overridden by QFileDialog
    };
}

ModalDriver::Step cancelFileDialog(FileDialogSeen* seen)
{
    return [seen](QWidget* widget) {
        if (auto* dialog = qobject_cast<QFileDialog*>(widget))
            record(dialog, seen);
        widget->close();
    };
}

ModalDriver::Step answerBox(QMessageBox::StandardButton button, BoxSeen* seen)
{
    return [button, seen](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (!box) {
            widget->close();
            return;
        }
        if (seen) {
            seen->shown = true;
            seen->title = box->windowTitle();
            seen->text = box->text();
            seen->icon = box->icon();
            seen->buttons = box->standardButtons();
            for (QAbstractButton* each : box->buttons())
                seen->buttonTexts << each->text();
            seen->parentVisible = box->parentWidget() && box->parentWidget()->isVisible();
        }
        if (QAbstractButton* answer = box->button(button))
            answer->click();
        else
            box->close();
    };
}

bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QTest::qWait(5);
    return done();
}
