#include "network/networkwrite.h"

#include "dialogs/devicewriter.h"
#include "link/exchangeengine.h"

int WriteNetworkWithProgress(WindowContext& main, ExchangeProgress& progress) {
    // The network windows start straight away, without the pause before the first send.
    const DeviceWriteReport report =
        WriteFromWindow(main, &progress, WriteScope::NetworkImage(), false);
    switch (report.end) {
    case WriteEnd::Done:
    case WriteEnd::AlreadyThere:
        return ResultCode::Ok;
    case WriteEnd::Failed:
        return report.code;
    case WriteEnd::Refused:
    case WriteEnd::NoBackup:
    case WriteEnd::Cancelled:
        break;
    }
    return -1;
}
