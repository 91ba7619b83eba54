#include "dialogs/devicewriter.h"

#include "dialogs/differencesdialog.h"
#include "dialogs/exchangeprogress.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "link/exchangeengine.h"
#include "model/devicedocument.h"
#include "model/operator.h"
#include "platform/devicehistory.h"

WriteRequest WindowWriteRequest(WindowContext& context, const WriteScope& scope,
                                bool initialPause) {
    WriteRequest request;
    request.scope = scope;
    request.accessLevel = context.Document().program.AccessLevel;
    request.verify = context.VerifyWrites();
    request.initialPause = initialPause;
    return request;
}

DeviceWriteReport WriteFromWindow(WindowContext& context, ExchangeProgress* progress,
                                  const WriteScope& scope, bool initialPause) {
    DeviceDocument& doc = context.Document();
    ExchangeEngine& engine = context.Engine();
    Operator& op = context.Op();
    const WriteRequest request = WindowWriteRequest(context, scope, initialPause);
    WriteHooks hooks;
    hooks.op = &op;
    hooks.keepBackup = DeviceHistory::BackupKeeper(engine);
    hooks.writeWithoutBackup = [&op](const std::string& why) {
        return op.Ask({why + "\n\nЗаписать в прибор без резервной копии?",
                       "Резервная копия прибора",
                       MsgIcon::Question,
                       {MsgButton::Yes, MsgButton::No},
                       MsgButton::No}) == MsgButton::Yes;
    };
    if (progress) {
        progress->Begin(U("Резервная копия"));
        hooks.progress = [progress](int done, int total, const std::string& step) {
            progress->Share(done, total, U(step));
        };
    }
    const int deviceBefore = doc.modules.BusNumber;
    const DeviceWriteReport report = WriteToDevice(engine, doc, request, hooks);
    if (progress)
        progress->End();
    // The network image carries the new bus number: the main window must address it there.
    if (report.device != deviceBefore)
        context.ShowDeviceNumber(report.device);

    if (report.end == WriteEnd::Failed) {
        engine.ReportError(report.device, report.code, WriteOutcomeText(report));
    } else if (report.end == WriteEnd::Done && report.readBackCode != 0) {
        engine.ReportError(report.device, report.readBackCode);
        op.Tell("Запись не проверена: прибор не удалось прочитать.\n"
                "Данные остаются отмеченными как измененные.",
                "Проверка записи", MsgIcon::Warning);
    } else if (report.end == WriteEnd::Done && !report.differences.empty()) {
        ShowDifferences(context,
                        U("Прибор хранит не то, что было записано (записано → прочитано).\n"
                          "Данные остаются отмеченными как измененные."),
                        report.differences);
    }
    return report;
}
