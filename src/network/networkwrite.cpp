#include "network/networkwrite.h"

#include "dialogs/lummain.h"
#include "dialogs/writeguard.h"
#include "link/comportclass.h"
#include "link/devicesequences.h"
#include "model/servclass.h"

int WriteNetworkWithProgress(LumMain& main, ExchangeProgress& progress) {
    TServClass& serv = main.Serv();
    BlockWrite block;
    block.scope = WriteScope::NetworkImage();
    block.name = "Сетевые блоки";
    block.notWritten = "Сетевые блоки в прибор не записаны.";
    block.unconfirmed = "Сетевые блоки переданы, но прибор не подтвердил их запись.";
    block.write = [&](const std::function<void()>& onSend) {
        const int deviceBefore = serv.NumUstr;
        const int code = WriteNetworkImage(
            main.ComPort(), {serv, main.ProgLum(), main.ProgF15(), main.Reserv()}, onSend);
        // The image carries the new bus number: the device answers there from the first send
        // on, so the main window must address it there too.
        if (serv.NumUstr != deviceBefore)
            main.ShowDeviceNumber(serv.NumUstr);
        return code;
    };
    return GuardedBlockWrite(main, progress, block);
}
