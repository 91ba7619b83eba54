#pragma once
// "Настройка параметров обмена": the pause before every transmission and, in controls that stay
// hidden, the pause before receiving and the two repeat counts of the engine; the network's
// round trip to a gateway far away (0 at start: a gateway nearby behaves as a serial line); and
// the adapter: whether it echoes the requests, who switches its driver to send (itself or the
// program with RTS), and its latency timer, which the line scan waits for.

#include "dialogs/lumdialog.h"
#include "link/exchangeengine.h"

class QCheckBox;
class WindowContext;
struct WindowSession;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class ExchangeEngine;

// What the dialog hands back after OK.
struct ExchangeTiming {
    int headerRepeats = 5;
    int bodyRepeats = 10;
    int delayTx = 25;
    int delayRx = 25;
    int roundTripMs = 0;
    bool verifyWrites = true; // "Проверять запись чтением"
    EchoMode echo = EchoMode::Auto;
    TransmitControl transmit = TransmitControl::Auto;
    int latencyMs = 16;
    bool showChanges = false; // "Показывать изменения перед записью"
};

class ExchangeTimingDialog : public LumDialog {
    Q_OBJECT
public:
    // Shows the engine's settings and the session's write settings.
    ExchangeTimingDialog(const ExchangeEngine& engine, const WindowSession& session,
                         QWidget* parent = nullptr);

    // The values shown now; the caller takes them only after OK.
    ExchangeTiming Chosen() const;
    // Shows the dialog over parent and, after OK, puts its values into the engine and the
    // session: the one way "Настройка обмена" is opened.
    static void Run(WindowContext& main, QWidget* parent);

    QLabel* firstByteLabel = nullptr;
    QSpinBox* firstByteWait = nullptr; // with its up/down arrows (UpDown1); typing is not possible
    QLabel* nextByteLabel = nullptr;
    QSpinBox* nextByteWait = nullptr;
    QLabel* repeatsLabel = nullptr;
    QComboBox* repeatsBox = nullptr;
    QLabel* bodyRepeatsLabel = nullptr;
    QComboBox* bodyRepeatsBox = nullptr;
    QLabel* roundTripLabel = nullptr;
    QSpinBox* roundTripWait = nullptr; // ms, added to the wait for a reply through a gateway
    QCheckBox* verifyCheck = nullptr;
    QComboBox* echoBox = nullptr;     // "Эхо адаптера": авто, есть, нет
    QComboBox* transmitBox = nullptr; // "Управление передачей": авто, RTS
    QSpinBox* latencyWait = nullptr;  // "Задержка адаптера, мс"
    QCheckBox* showChangesCheck = nullptr;
    QPushButton* OK = nullptr;
};
