#pragma once
// While an exchange runs the windows keep painting, but the only input the program takes is
// the operator's stop: Esc, a stop button, a window's close. Everything else typed or clicked
// meanwhile is dropped, never replayed once the exchange is over.

#include <QObject>
#include <QPointer>
#include <vector>

class QComboBox;
class QWidget;
class ExchangeEngine;

class ExchangeInputGuard : public QObject {
public:
    // Watches the whole application for as long as it lives.
    explicit ExchangeInputGuard(ExchangeEngine& port, QObject* parent = nullptr);
    ~ExchangeInputGuard() override;

    // A click on this widget during an exchange stops it (a "Стоп" button, a window's Cancel).
    void AddStopWidget(QWidget* widget);
    // The engine's idle hook: paints, takes the stop, drops all other input.
    void Idle();
    // What the last stop came from: a stop widget, a window being closed, or nothing (Esc).
    QObject* LastStopSource() const { return lastStopSource_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsStopWidget(QObject* watched) const;

    ExchangeEngine& port_;
    std::vector<QPointer<QWidget>> stopWidgets_;
    QPointer<QObject> lastStopSource_;
};

// Over a combo box whose choice goes to the device, the mouse wheel, arrow keys and typed
// letters choose nothing: only a click on an item of its open list, or Enter there, does.
void RequireExplicitChoice(QComboBox* box);
