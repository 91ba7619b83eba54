#include "network/networkwrite.h"

#include "dialogs/lummain.h"
#include "dialogs/writeguard.h"
#include "link/comportclass.h"
#include "link/devicesequences.h"
#include "model/servclass.h"

#include <QProgressBar>
#include <algorithm>

namespace {
constexpr int Full = 100;
} // namespace

int WriteNetworkWithProgress(LumMain& main, QProgressBar* bar, int step) {
    WriteGuard guard(main, WriteScope::NetworkImage());
    if (!guard.Start())
        return guard.AlreadyThere() ? ResultCode::Ok : -1;
    bar->setRange(0, Full);
    bar->setValue(0);
    bar->show();
    TServClass& serv = main.Serv();
    const int deviceBefore = serv.NumUstr;
    const int code = WriteNetworkImage(
        main.ComPort(), {serv, main.ProgLum(), main.ProgF15(), main.Reserv()}, [bar, step] {
            bar->setValue(std::min(Full, bar->value() + step));
            bar->repaint();
        });
    // The image carries the new bus number: the device answers there from the first send on,
    // so the main window must address it there too.
    if (serv.NumUstr != deviceBefore)
        main.ShowDeviceNumber(serv.NumUstr);
    if (code != ResultCode::Ok)
        main.ComPort().ReportError(serv.NumUstr, code);
    bar->hide();
    if (code == ResultCode::Ok)
        guard.Finish();
    return code;
}
