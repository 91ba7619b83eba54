#include "network/networkwrite.h"

#include "dialogs/windowcontext.h"
#include "dialogs/writeguard.h"
#include "link/devicesequences.h"
#include "link/exchangeengine.h"
#include "model/moduleconfig.h"

int WriteNetworkWithProgress(WindowContext& main, ExchangeProgress& progress) {
    ModuleConfig& serv = main.Modules();
    BlockWrite block;
    block.scope = WriteScope::NetworkImage();
    block.name = "Сетевые блоки";
    block.notWritten = "Сетевые блоки в прибор не записаны.";
    block.unconfirmed = "Сетевые блоки переданы, но прибор не подтвердил их запись.";
    block.write = [&](const std::function<void()>& onSend) {
        const int deviceBefore = serv.BusNumber;
        const int code = WriteNetworkImage(
            main.Engine(), {serv, main.Program(), main.Network(), main.Reserve()}, onSend);
        // The image carries the new bus number: the device answers there from the first send
        // on, so the main window must address it there too.
        if (serv.BusNumber != deviceBefore)
            main.ShowDeviceNumber(serv.BusNumber);
        return code;
    };
    return GuardedBlockWrite(main, progress, block);
}
