// The main window's commands that look at a device without changing the program's data:
// comparing the device with the data, and the device history kept before writes.

#include "app/obr_lum08.h"

#include "app/historywindow.h"
#include "dialogs/difflist.h"
#include "dialogs/uitext.h"
#include "link/devicehistory.h"
#include "link/deviceimageread.h"
#include "link/obrnastr.h"
#include "model/devicecompare.h"

#include <QAction>
#include <QMenu>

void TForm1::CreateVerifyActions(QMenu* file) {
    AVerify = new QAction(U("Сверить с прибором"), this);
    AHistory = new QAction(U("История прибора"), this);
    connect(AVerify, &QAction::triggered, this, [this] { VerifyClick(); });
    connect(AHistory, &QAction::triggered, this, [this] { HistoryClick(); });
    file->addSeparator();
    file->addAction(AVerify);
    file->addAction(AHistory);
}

void TForm1::VerifyClick() {
    DeviceImage device;
    const int code = ReadDeviceImage(*ComPort1, ServClass->NumUstr, device);
    if (code != ResultCode::Ok) {
        ComPort1->ReportError(ServClass->NumUstr, code);
        return;
    }
    const DeviceImage program = DeviceImage::FromModel(*ServClass, *ProgLumClass, *ProgF15Class);
    const auto lines = CompareDeviceImages(program, device);
    if (lines.empty()) {
        op_->Tell("Прибор совпадает с данными программы", "Сверка с прибором",
                  MsgIcon::Information);
        return;
    }
    ShowDifferences(*this, U("Различия (данные программы → прибор):"), lines);
}

void TForm1::HistoryClick() {
    THistory window(*this, DeviceHistory::Folder(), this);
    if (showModal(window) != mr::Ok)
        return;
    const QString chosen = window.ChosenFile();
    if (chosen.isEmpty())
        return;
    // Opened like any configuration file: file mode, and F10 writes it back. Unsaved file
    // edits are asked for first, as before any other opening.
    if (KeepFileEdits())
        OpenConfigFile(chosen);
}

bool TForm1::VerifyWrites() const {
    return !windows_.FormNastr || windows_.FormNastr->VerifyWrite();
}
