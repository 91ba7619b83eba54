#pragma once
// Small helpers shared by the clock window's tests.

#include "clock/clockwindow.h"
#include "guisupport/guiharness.h"
#include "link/exchangeengine.h"
#include "link/frameobserver.h"
#include "platform/enginethread.h"

#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

inline QString U(const char* s) {
    return QString::fromUtf8(s);
}

// Where the error marker stands: overlapping the field's lower edge, 5 pixels in from its left,
// moved back inside the window where it would stick out of it.
// The marker is at the field (within a few pixels of it) and wholly inside the window.
inline bool MarksField(QWidget& window, QLineEdit* field, QWidget* marker) {
    const QRect f(field->mapTo(&window, QPoint()), field->size());
    return marker->geometry().intersects(f.adjusted(-8, -8, 8, 8)) &&
           window.rect().contains(marker->geometry());
}

// Opens the window with the main window's command; fill runs while it is on the screen.
inline void OpenClockWindow(GuiHarness& h, std::function<void(ClockWindow&)> fill) {
    h.OnModal([fill](QDialog& d) { fill(static_cast<ClockWindow&>(d)); });
    h.Main().ClockClick();
}

// Opens a window the test made itself (to fix its PC clock first, or to look at it after it
// closed) through the window's own entry point.
inline void OpenClockWindow(GuiHarness& h, ClockWindow& w, std::function<void(ClockWindow&)> fill) {
    h.OnModal([fill](QDialog& d) { fill(static_cast<ClockWindow&>(d)); });
    w.ClockClick();
}

inline std::vector<QLineEdit*> ClockFields(ClockWindow& w) {
    return {w.secondsEdit, w.minutesEdit, w.hoursEdit,  w.dayEdit,
            w.monthEdit,   w.yearEdit,    w.weekdayEdit};
}

inline QStringList FieldTexts(ClockWindow& w) {
    QStringList texts;
    for (QLineEdit* field : ClockFields(w))
        texts << field->text();
    return texts;
}

inline void SetFields(ClockWindow& w, const QStringList& texts) {
    const auto fields = ClockFields(w);
    for (size_t i = 0; i < fields.size(); ++i)
        fields[i]->setText(texts.value(int(i)));
}

// Frames written to the line with the given function code (the second byte of a frame).
inline int FramesWithFunction(const std::vector<std::vector<uint8_t>>& frames, int function) {
    int n = 0;
    for (const auto& frame : frames)
        if (frame.size() > 1 && frame[1] == function)
            ++n;
    return n;
}

// The set requests and the polls written to the scripted line.
inline int SetClockFrames(GuiHarness& h) {
    return FramesWithFunction(h.Fake().Written(), 70);
}
inline int PollFrames(GuiHarness& h) {
    return FramesWithFunction(h.Fake().Written(), 4);
}

// Seven right values: seconds .. weekday.
inline const QStringList kGood = {"30", "45", "12", "31", "12", "99", "7"};

// Runs the next step on the windows' thread each time a poll's request has gone out: what a
// step types or clicks comes while the poll waits for its reply.
class DuringPolls : public FrameObserver {
public:
    DuringPolls(GuiHarness& h, std::vector<std::function<void()>> steps)
        : h_(h), steps_(std::move(steps)) {
        // Put on the engine's thread, between two polls.
        h_.Main().Exchanges().RunAndWait([this] { h_.Main().Engine().AddObserver(this); });
    }
    ~DuringPolls() override {
        h_.Main().Exchanges().RunAndWait([this] { h_.Main().Engine().RemoveObserver(this); });
    }
    bool Done() const { return next_ == steps_.size(); }
    void OnRequest(int64_t, const uint8_t*, int, int, int function) override {
        if (function == 4 && next_ < steps_.size())
            h_.OnWindowsThread(steps_[next_++]);
    }

private:
    GuiHarness& h_;
    std::vector<std::function<void()>> steps_;
    std::atomic<size_t> next_{0};
};

// A click and keys as the system delivers them: to the window, which hands them on.
inline void ClickOn(QWidget* widget) {
    QWidget* window = widget->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                      widget->mapTo(window, widget->rect().center()));
}
inline void TypeOn(QWidget* window, const char* keys) {
    for (const char* key = keys; *key; ++key)
        QTest::keyClick(window->windowHandle(), *key);
}
