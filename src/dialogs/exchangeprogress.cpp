#include "dialogs/exchangeprogress.h"

#include "dialogs/commandrun.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "link/exchangeengine.h"
#include "platform/enginethread.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
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

// A wait is told in tenths, so that the text moves at every turn: from half a second without
// a word from the command on, or when the command repeats the same text for almost a second
// (a busy device's polls tell its wait in whole seconds).
constexpr int64_t kQuietMs = 500;
constexpr int64_t kStillMs = 900;

// ", ожидание 1,3 с": how long nothing has moved.
QString WaitText(int64_t ms) {
    return U(", ожидание %1,%2 с").arg(ms / 1000).arg(ms / 100 % 10);
}

} // namespace

ExchangeProgress::ExchangeProgress(WindowContext& main, QWidget* parent)
    : QWidget(parent), port_(main.Engine()), exchanges_(main.Exchanges()) {
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(0, 0, 0, 0);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    bar_->setTextVisible(true);
    bar_->installEventFilter(this);
    stop_ = new QPushButton(U("Стоп"), this);
    stop_->setToolTip(U("Прервать обмен (Esc)"));
    // Clicked, it must not take the focus from the field the operator was in.
    stop_->setFocusPolicy(Qt::NoFocus);
    connect(stop_, &QPushButton::clicked, this, [this] { port_.RequestStop(); });
    KeepLiveDuringCommands(stop_);
    KeepLiveDuringCommands(bar_);
    ticks_ = new QTimer(this);
    ticks_->setInterval(100);
    connect(ticks_, &QTimer::timeout, this, [this] { Tick(); });
    h->addWidget(bar_, 1);
    h->addWidget(stop_);
    // Between commands the row keeps its place, so that nothing moves when a command starts.
    for (QWidget* w : {static_cast<QWidget*>(bar_), static_cast<QWidget*>(stop_)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    bar_->hide();
    stop_->hide();
}

ExchangeProgress::~ExchangeProgress() {
    if (observing_)
        exchanges_.RemoveObserver(this);
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
        exchanges_.AddObserver(this);
        observing_ = true;
    }
    format_.clear();
    Share(0, 1, step);
    if (!running_)
        collapses_ = isHidden();
    running_ = true;
    show();
    bar_->show();
    stop_->show();
    ticks_->start();
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
    const int64_t now = port_.NowMs();
    toldMs_ = now;
    // The same text again is a sign of life, not a change: the time waited goes on.
    if (format == format_)
        return;
    changedMs_ = now;
    format_ = format;
    shownWait_ = 0;
    SetBarText(format);
}

void ExchangeProgress::SetBarText(const QString& format) {
    barText_ = format;
    // The whole text, without the share the bar itself shows.
    bar_->setToolTip(QString(format).remove(U(" — %p%")));
    bar_->setFormat(Fitted(format));
}

QString ExchangeProgress::Fitted(const QString& format) const {
    // The window keeps its size while a command runs: a text longer than the bar is shortened
    // (the whole of it is the bar's tooltip), the percentage always kept.
    const QFontMetrics fm = bar_->fontMetrics();
    const int room = bar_->contentsRect().width() - 2 * fm.averageCharWidth();
    auto width = [&fm](QString text) { return fm.horizontalAdvance(text.replace(U("%p"), "100")); };
    if (!bar_->isVisible() || room <= 0 || width(format) <= room)
        return format;
    const qsizetype at = format.indexOf(U("%p%"));
    if (at < 0)
        return fm.elidedText(format, Qt::ElideRight, room);
    const QString head = format.left(at);
    const QString tail = format.mid(at + 3);
    const int percent = width(U("%p%"));
    const int tailRoom = std::min(width(tail), (room - percent) / 2);
    return fm.elidedText(head, Qt::ElideRight, room - percent - tailRoom) + U("%p%") +
           fm.elidedText(tail, Qt::ElideRight, tailRoom);
}

bool ExchangeProgress::eventFilter(QObject* watched, QEvent* event) {
    if (watched == bar_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        bar_->setFormat(Fitted(barText_));
    return QWidget::eventFilter(watched, event);
}

void ExchangeProgress::ShowRepeat(int code, int attempt, int limit) {
    if (bar_->isVisible())
        ShowText(step_ + U(" — ") + RepeatCause(code) +
                 U(", повтор %1 из %2").arg(attempt).arg(limit));
}

void ExchangeProgress::Tick() {
    if (!running_)
        return;
    const int64_t now = port_.NowMs();
    const int64_t waited = now - changedMs_;
    if ((now - toldMs_ < kQuietMs && waited < kStillMs) || waited / 100 == shownWait_)
        return;
    shownWait_ = waited / 100;
    SetBarText(format_ + WaitText(waited));
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
        exchanges_.RemoveObserver(this);
        observing_ = false;
    }
    ticks_->stop();
    bar_->hide();
    stop_->hide();
    if (collapses_)
        hide();
    running_ = false;
    port_.ClearStop();
    if (active == this)
        active = outer_;
}
