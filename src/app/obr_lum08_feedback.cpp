// What the main window tells the operator while and after a command talks to the device: the
// progress bar with the step under way and the engine's repeats, the "Стоп" button, and the
// result line of the status bar.

#include "app/obr_lum08.h"

#include "dialogs/exchangeguard.h"
#include "dialogs/uitext.h"
#include "link/comportclass.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

namespace {

QString RepeatCause(int code) {
    switch (code) {
    case ResultCode::NoAnswer:
        return U("нет ответа");
    case ResultCode::Timeout:
        return U("неполный ответ");
    case ResultCode::Checksum:
        return U("ошибка контрольной суммы");
    default:
        return U("ошибка приема");
    }
}

} // namespace

QWidget* TForm1::CreateProgressRow() {
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    ProgressBar1 = new QProgressBar(row);
    ProgressBar1->setTextVisible(true);
    ButStop = new QPushButton(U("Стоп"), row);
    ButStop->setToolTip(U("Прервать обмен (Esc)"));
    // The click is taken by the input guard while the exchange runs.
    ButStop->setFocusPolicy(Qt::NoFocus);
    h->addWidget(ProgressBar1, 1);
    h->addWidget(ButStop);
    ProgressBar1->hide();
    ButStop->hide();

    inputGuard_ = new ExchangeInputGuard(*ComPort1, this);
    inputGuard_->AddStopWidget(ButStop);
    ComPort1->SetIdleHook([guard = inputGuard_] { guard->Idle(); });
    ComPort1->SetRepeatHook([this](int code, int attempt, int limit) {
        if (ProgressBar1->isVisible())
            ProgressBar1->setFormat(stepText_ + U(" — ") + RepeatCause(code) +
                                    U(", повтор %1 из %2").arg(attempt).arg(limit));
    });
    statusBar()->setSizeGripEnabled(false);
    return row;
}

void TForm1::BeginExchange(const QString& step) {
    ComPort1->ClearStop();
    commandTimer_.start();
    statusBar()->clearMessage();
    ShowShare(0, 1, step);
    ProgressBar1->show();
    ButStop->show();
}

void TForm1::ShowShare(int done, int total, const QString& step) {
    stepText_ = step;
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(total > 0 ? 100 * done / total : 0);
    ProgressBar1->setFormat(step + U(" — %p%"));
}

void TForm1::EndExchange() {
    ProgressBar1->hide();
    ButStop->hide();
    ComPort1->ClearStop();
}

void TForm1::ShowDone(const QString& what) {
    const double seconds = double(commandTimer_.elapsed()) / 1000.0;
    statusBar()->showMessage(what + U(", ") + QString::number(seconds, 'f', 1).replace('.', ',') +
                             U(" с"));
}

QString TForm1::ModulesText(int count) {
    const int tens = count % 100;
    const int ones = count % 10;
    const char* word = "модулей";
    if (tens < 11 || tens > 14) {
        if (ones == 1)
            word = "модуль";
        else if (ones >= 2 && ones <= 4)
            word = "модуля";
    }
    return QString::number(count) + U(" ") + U(word);
}
