// "Обзор линии": the devices found on a port, and the chosen one's line settings and number
// taken into the main window.

#include "app/mainwindow.h"
#include "dialogs/commandrun.h"
#include "words/linkwords.h"

#include "dialogs/uitext.h"
#include "link/exchangeengine.h"
#include "model/moduleconfig.h"
#include "port/linescandialog.h"
#include "port/portdialog.h"

#include <QStatusBar>

void MainWindow::LineScanClick() {
    LineScanDialog dialog(*this, this);
    if (showModal(dialog) != mr::Ok)
        return;
    const LineScanDialog::Choice& chosen = dialog.Chosen();
    ExchangeEngine& port = *engine_;
    port.PortName = chosen.port.toStdString();
    port.Speed = std::to_string(chosen.speed);
    port.Parity = std::string(1, chosen.parity);
    port.StopBits = std::to_string(chosen.stopBits);
    // The port settings show the same line when they are opened next.
    portChoices_->speedPos = PortDialog::SpeedPosition(chosen.speed);
    portChoices_->parityPos = chosen.parity == 'O' ? 1 : chosen.parity == 'E' ? 2 : 0;
    portChoices_->stopBitsPos = chosen.stopBits == 1 ? 0 : 1;
    document_->modules.BusNumber = chosen.device - 1;
    ShowDeviceNumber(chosen.device - 1);
    if (::ApplyPortSettings(*this) == -1) {
        ReportError(port, document_->modules.BusNumber, ResultCode::PortCannotOpen);
        return;
    }
    statusBar()->showMessage(
        U("Прибор %1: порт %2, %3 бит/с").arg(chosen.device).arg(chosen.port).arg(chosen.speed));
}
