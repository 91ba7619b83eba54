// The main window's commands for the port, the exchange settings, the device number and
// closing; the other windows' commands hand over to those windows.

#include "app/mainwindow.h"
#include "dialogs/commandrun.h"
#include "words/linkwords.h"

#include "app/guidewindow.h"

#include "clock/clockwindow.h"
#include "dialogs/devicewriter.h"
#include "dialogs/documentgate.h"
#include "dialogs/questions.h"
#include "dialogs/uitext.h"
#include "link/devicewrite.h"
#include "link/exchangeengine.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "monitor/monitorwindow.h"
#include "network/networkwindow.h"
#include "port/portdialog.h"
#include "port/timingdialog.h"
#include "report/inputstable.h"
#include "scheme/schemeeditor.h"

#include <QCloseEvent>
#include <QComboBox>

void MainWindow::PortSettingsClick() {
    PortDialog dialog(*this, *portChoices_, this);
    for (;;) {
        const int r = showModal(dialog);
        if (r == mr::Ok)
            break;
        if (r != mr::Abort)
            return;
        const MsgButton again = op_->Ask({"Ошибочные данные ",
                                          "Ошибка",
                                          MsgIcon::Error,
                                          {MsgButton::Retry, MsgButton::Cancel},
                                          MsgButton::Retry});
        if (again != MsgButton::Retry)
            return;
    }
    PortSettings chosen = dialog.Chosen();
    if (chosen.builtIn)
        chosen.portName = portChoices_->StartEmulator();
    ExchangeEngine& port = *engine_;
    port.Parity = chosen.parity;
    port.Speed = chosen.speed;
    port.StopBits = chosen.stopBits;
    port.PortName = chosen.portName;
    if (::ApplyPortSettings(*this) == -1)
        ReportError(port, document_->modules.BusNumber, ResultCode::PortCannotOpen);
}

void MainWindow::ExchangeTimingClick() {
    ExchangeTimingDialog::Run(*this, this);
}

void MainWindow::DeviceNumberChanged() {
    const int chosen = deviceNumberBox->currentText().toInt();
    if (chosen != document_->modules.BusNumber + 1)
        document_->modules.BusNumber = chosen - 1;
}

void MainWindow::NewNumberChanged() {
    const int n = newNumberBox->currentText().toInt();
    const int from = document_->modules.BusNumber + 1;
    BeginExchange(U("Смена номера %1 → %2").arg(from).arg(n));
    ChangeBusNumberFromWindow(*this, progress_, n - 1);
    EndExchange();
}

void MainWindow::ClockClick() {
    ClockWindow window(*this, this);
    window.ClockClick();
}
void MainWindow::InputsTableClick() {
    InputsTableWindow table(*this, this);
    inputsTable_ = &table;
    table.FillAndShow();
}
void MainWindow::NetworkSettingsClick() {
    NetworkWindow window(*this, this);
    networkWindow_ = &window;
    window.NetworkSettingsClick();
}
void MainWindow::F15BlocksClick() {
    NetworkWindow window(*this, this);
    networkWindow_ = &window;
    window.F15BlocksClick();
}

bool MainWindow::CanCloseMainWindow() {
    const bool unsaved = document_->HasUnsavedWork();
    if (!MayDropDocument(*this))
        return false;
    if (document_->IsFileMode()) {
        if (unsaved && access_.level == 1 &&
            Questions::Transfer(*op_, "Данные были изменены. Передать в прибор?",
                                "Подтвердите передачу данных", false) == MsgButton::Yes)
            WriteDeviceClick();
        ::ClosePort(*this);
    }
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!CanCloseMainWindow()) {
        event->ignore();
        return;
    }
    event->accept();
    // A window of its own, not the main window's child: it goes with it all the same.
    if (monitor_)
        monitor_->hide();
    if (guide_)
        guide_->close();
}

void MainWindow::MonitorClick() {
    if (!monitor_)
        monitor_ = std::make_unique<MonitorWindow>(*this);
    monitor_->MonitorClick();
}
