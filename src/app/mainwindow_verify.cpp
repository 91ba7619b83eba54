// The main window's commands that look at a device without changing the program's data:
// comparing the device with the data, and the device history kept before writes.

#include "app/mainwindow.h"
#include "words/linkwords.h"

#include "app/historywindow.h"
#include "dialogs/commandrun.h"
#include "dialogs/differencesdialog.h"
#include "dialogs/documentgate.h"
#include "dialogs/uitext.h"
#include "link/deviceimageread.h"
#include "model/devicecompare.h"
#include "platform/devicehistory.h"

#include <QAction>
#include <QMenu>

void MainWindow::CreateVerifyActions(QMenu* file) {
    verifyAction = new QAction(U("Сверить с прибором"), this);
    historyAction = new QAction(U("История прибора"), this);
    connect(verifyAction, &QAction::triggered, this, [this] { VerifyClick(); });
    connect(historyAction, &QAction::triggered, this, [this] { HistoryClick(); });
    file->addSeparator();
    file->addAction(verifyAction);
    file->addAction(historyAction);
}

void MainWindow::VerifyClick() {
    DeviceImage device;
    const int bus = document_->modules.BusNumber;
    // Stays so when the command could not start.
    int code = ResultCode::Stopped;
    RunCommand(*this, [&](ExchangeEngine& engine) { code = ReadDeviceImage(engine, bus, device); });
    if (code != ResultCode::Ok) {
        ReportError(*engine_, document_->modules.BusNumber, code);
        return;
    }
    const DeviceImage program = document_->Image();
    const auto lines = CompareDeviceImages(program, device);
    if (lines.empty()) {
        op_->Tell("Прибор совпадает с данными программы", "Сверка с прибором",
                  MsgIcon::Information);
        return;
    }
    ShowDifferences(*this, U("Различия (данные программы → прибор):"), lines);
}

void MainWindow::HistoryClick() {
    HistoryWindow window(*this, DeviceHistory::Folder(), this);
    if (showModal(window) != mr::Ok)
        return;
    const QString chosen = window.ChosenFile();
    if (chosen.isEmpty())
        return;
    // Opened like any configuration file: file mode, and F10 writes it back (asking first when
    // the device shown is not the one it was read from). Unsaved work is asked for first, as
    // before any other opening.
    if (MayDropDocument(*this))
        OpenConfigFile(chosen, DeviceHistory::DeviceOf(chosen));
}

bool MainWindow::VerifyWrites() const {
    return session_.verifyWrites;
}
