#include "network/networkwrite.h"

#include "dialogs/exchangeprogress.h"
#include "dialogs/lummain.h"
#include "dialogs/uitext.h"
#include "dialogs/writeguard.h"
#include "link/comportclass.h"
#include "link/devicesequences.h"
#include "model/operator.h"
#include "model/servclass.h"

int WriteNetworkWithProgress(LumMain& main, ExchangeProgress& progress) {
    WriteGuard guard(main, WriteScope::NetworkImage());
    // The back-up, the send and its first poll, the read-back.
    progress.Begin(U("Резервная копия"), guard.Requests() + 2);
    if (!guard.Start()) {
        progress.End();
        return guard.AlreadyThere() ? ResultCode::Ok : -1;
    }
    progress.Step(U("Сетевые блоки: запись"));
    TServClass& serv = main.Serv();
    const int deviceBefore = serv.NumUstr;
    bool sent = false;
    const int code = WriteNetworkImage(
        main.ComPort(), {serv, main.ProgLum(), main.ProgF15(), main.Reserv()}, [&progress, &sent] {
            sent = true;
            progress.Step(U("Сетевые блоки: подтверждение"));
        });
    // The image carries the new bus number: the device answers there from the first send on,
    // so the main window must address it there too.
    if (serv.NumUstr != deviceBefore)
        main.ShowDeviceNumber(serv.NumUstr);
    if (code == ResultCode::Ok) {
        progress.Step(U("Проверка записи"));
        guard.Finish();
    }
    progress.End();
    if (code != ResultCode::Ok)
        ReportBlockWriteFailure(main, code, sent, "Сетевые блоки в прибор не записаны.",
                                "Сетевые блоки переданы, но прибор не подтвердил их запись.");
    return code;
}
