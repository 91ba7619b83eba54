// What the main window tells the operator while and after a command talks to the device: the
// progress bar with the step under way and the engine's repeats, the "Стоп" button, and the
// result line of the status bar.

#include "app/mainwindow.h"

#include "dialogs/exchangeprogress.h"
#include "dialogs/uitext.h"
#include "platform/enginethread.h"

#include <QStatusBar>

QWidget* MainWindow::CreateProgressRow() {
    progress_ = new ExchangeProgress(*this, this);
    progressBar = progress_->Bar();
    stopButton = progress_->StopButton();
    // The repeats show on the bar of whichever window's command runs.
    exchanges_->SetRepeatHook([](int code, int attempt, int limit) {
        if (ExchangeProgress* progress = ExchangeProgress::Active())
            progress->ShowRepeat(code, attempt, limit);
    });
    statusBar()->setSizeGripEnabled(false);
    return progress_;
}

void MainWindow::BeginExchange(const QString& step) {
    commandTimer_.start();
    statusBar()->clearMessage();
    progress_->Begin(step);
}

void MainWindow::ShowShare(int done, int total, const QString& step) {
    progress_->Share(done, total, step);
}

void MainWindow::EndExchange() {
    progress_->End();
}

void MainWindow::ShowOutcome(const QString& text) {
    // Another window's write is timed by nobody: its outcome alone.
    if (commandTimer_.isValid())
        ShowDone(text);
    else
        statusBar()->showMessage(text);
}

void MainWindow::ShowDone(const QString& what) {
    const double seconds = double(commandTimer_.elapsed()) / 1000.0;
    statusBar()->showMessage(what + U(", ") + QString::number(seconds, 'f', 1).replace('.', ',') +
                             U(" с"));
    commandTimer_.invalidate();
}
