#include "dialogs/exchangeprogress.h"

#include "dialogs/exchangeguard.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "link/exchangeengine.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace {

QPointer<ExchangeProgress> active;

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

ExchangeProgress::ExchangeProgress(WindowContext& main, QWidget* parent)
    : QWidget(parent), port_(main.Engine()) {
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(0, 0, 0, 0);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    bar_->setTextVisible(true);
    stop_ = new QPushButton(U("Стоп"), this);
    stop_->setToolTip(U("Прервать обмен (Esc)"));
    // The click is taken by the input guard while the exchange runs.
    stop_->setFocusPolicy(Qt::NoFocus);
    h->addWidget(bar_, 1);
    h->addWidget(stop_);
    bar_->hide();
    stop_->hide();
    if (ExchangeInputGuard* guard = main.InputGuard())
        guard->AddStopWidget(stop_);
}

ExchangeProgress::~ExchangeProgress() {
    if (observing_)
        port_.RemoveObserver(this);
}

ExchangeProgress* ExchangeProgress::Active() {
    return active.data();
}

void ExchangeProgress::Begin(const QString& step, int requests) {
    port_.ClearStop();
    if (active != this)
        outer_ = active;
    active = this;
    requests_ = requests;
    done_ = 0;
    if (requests_ > 0 && !observing_) {
        port_.AddObserver(this);
        observing_ = true;
    }
    bar_->setMinimumWidth(0);
    Share(0, 1, step);
    if (!running_)
        collapses_ = isHidden();
    running_ = true;
    show();
    bar_->show();
    stop_->show();
}

void ExchangeProgress::Step(const QString& step) {
    step_ = step;
    ShowText(step_ + U(" — %p%"));
}

void ExchangeProgress::Share(int done, int total, const QString& step) {
    Step(step);
    ShowValue(done, total);
}

void ExchangeProgress::ShowValue(int done, int total) {
    bar_->setValue(total > 0 ? std::clamp(100 * done / total, 0, 100) : 0);
}

void ExchangeProgress::ShowText(const QString& format) {
    bar_->setFormat(format);
    // The bar widens to its text rather than cut or wrap it (a narrow window grows meanwhile).
    QString widest = format;
    widest.replace(U("%p"), U("100"));
    bar_->setMinimumWidth(
        std::max(bar_->minimumWidth(), bar_->fontMetrics().horizontalAdvance(widest) + 24));
}

void ExchangeProgress::ShowRepeat(int code, int attempt, int limit) {
    if (bar_->isVisible())
        ShowText(step_ + U(" — ") + RepeatCause(code) +
                 U(", повтор %1 из %2").arg(attempt).arg(limit));
}

void ExchangeProgress::OnResult(int64_t, int, int code, const std::string&) {
    // A request the stop kept off the line is no progress.
    if (code == ResultCode::Stopped)
        return;
    ++done_;
    // A busy device's extra polls can outrun the count: the bar waits full.
    ShowValue(done_, requests_);
    ShowText(step_ + U(" — %p%"));
}

void ExchangeProgress::Hold(bool held) {
    bar_->setVisible(running_ && !held);
    stop_->setVisible(running_ && !held);
}

void ExchangeProgress::End() {
    if (observing_) {
        port_.RemoveObserver(this);
        observing_ = false;
    }
    bar_->hide();
    stop_->hide();
    if (collapses_)
        hide();
    running_ = false;
    port_.ClearStop();
    if (active == this)
        active = outer_;
}
