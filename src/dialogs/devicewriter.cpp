#include "dialogs/devicewriter.h"
#include "words/linkwords.h"

#include "dialogs/commandrun.h"
#include "dialogs/differencesdialog.h"
#include "dialogs/exchangeprogress.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "link/devicecommands.h"
#include "link/exchangeengine.h"
#include "model/devicedocument.h"
#include "model/operator.h"
#include "platform/devicehistory.h"

namespace {

// The window side of the write path's questions and progress: the write runs on the engine's
// thread, and each of them is shown on the windows' thread while it waits.
WriteHooks WindowHooks(WindowContext& context, ExchangeProgress* progress, Operator& op) {
    WriteHooks hooks;
    hooks.op = &op;
    hooks.keepBackup = DeviceHistory::BackupKeeper(context.Engine());
    hooks.writeWithoutBackup = [&op](const std::string& why) {
        return op.Ask({why + "\n\nЗаписать в прибор без резервной копии?",
                       "Резервная копия прибора",
                       MsgIcon::Question,
                       {MsgButton::Yes, MsgButton::No},
                       MsgButton::No}) == MsgButton::Yes;
    };
    hooks.confirmChanges =
        OnWindowsThread<bool, const std::string&, const std::vector<std::string>&>(
            context,
            [&context](const std::string& target, const std::vector<std::string>& changes) {
                return ConfirmChanges(
                    context, U(target) + U("\nИзменения (прибор → данные программы):"), changes);
            });
    if (progress) {
        progress->Begin(U("Резервная копия"));
        hooks.progress = OnWindowsThread<void, int, int, const std::string&>(
            context, [progress](int done, int total, const std::string& step) {
                progress->Share(done, total, U(step));
            });
    }
    return hooks;
}

// What the write path's report leaves to say after the write.
void TellAfterWrite(WindowContext& context, const DeviceWriteReport& report) {
    ExchangeEngine& engine = context.Engine();
    if (report.end == WriteEnd::Failed) {
        ReportError(engine, report.device, report.code, WriteOutcomeText(report));
    } else if (report.end == WriteEnd::Done && report.readBackCode != 0) {
        ReportError(engine, report.device, report.readBackCode);
        context.Op().Tell("Запись не проверена: прибор не удалось прочитать.\n"
                          "Данные остаются отмеченными как измененные.",
                          "Проверка записи", MsgIcon::Warning);
    } else if (report.end == WriteEnd::AlreadyThere) {
        context.Op().Tell("Прибор уже содержит эти данные", "Подтверждение", MsgIcon::Information);
    } else if (report.end == WriteEnd::Done && !report.differences.empty()) {
        ShowDifferences(context,
                        U("Прибор хранит не то, что было записано (записано → прочитано).\n"
                          "Данные остаются отмеченными как измененные."),
                        report.differences);
    }
    context.ShowOutcome(WriteOutcomeLine(report));
}

DeviceWriteReport Finish(WindowContext& context, ExchangeProgress* progress, int deviceBefore,
                         const DeviceWriteReport& report) {
    if (progress)
        progress->End();
    // The network image or block 99 carries the new bus number: the main window must address
    // the device there.
    if (report.device != deviceBefore)
        context.ShowDeviceNumber(report.device);
    TellAfterWrite(context, report);
    return report;
}

// "2 модуля и сетевые блоки", "сетевые блоки", "номер прибора 7": what a write wrote.
QString WrittenText(const DeviceWriteReport& report) {
    int modules = 0;
    bool network = false;
    for (const BlockReport& b : report.blocks) {
        if (b.state != BlockState::Written)
            continue;
        if (b.block == DeviceBlock::Network)
            network = true;
        else
            ++modules;
    }
    if (modules == 0)
        return network ? U("сетевые блоки") : U("ничего");
    return ModulesText(modules) + (network ? U(" и сетевые блоки") : QString());
}

} // namespace

WriteRequest WindowWriteRequest(WindowContext& context, const WriteScope& scope,
                                bool initialPause) {
    WriteRequest request;
    request.scope = scope;
    request.accessLevel = context.Access().level;
    request.verify = context.VerifyWrites();
    request.showChanges = context.Settings().showChanges;
    request.initialPause = initialPause;
    return request;
}

namespace {

// Runs a write of the one write path as the operator's command.
DeviceWriteReport RunWrite(WindowContext& context, ExchangeProgress* progress,
                           const std::function<DeviceWriteReport(ExchangeEngine&, DeviceDocument&,
                                                                 const WriteHooks&)>& write) {
    WindowsThreadOperator op(context, context.Op());
    const WriteHooks hooks = WindowHooks(context, progress, op);
    const int deviceBefore = context.Document().modules.BusNumber;
    DeviceWriteReport report;
    report.device = deviceBefore;
    report.deviceBefore = deviceBefore;
    if (!RunDocumentCommand(context, [&](ExchangeEngine& engine, DeviceDocument& doc) {
            report = write(engine, doc, hooks);
        }))
        report.end = WriteEnd::Refused;
    return Finish(context, progress, deviceBefore, report);
}

} // namespace

DeviceWriteReport WriteFromWindow(WindowContext& context, ExchangeProgress* progress,
                                  const WriteScope& scope, bool initialPause) {
    const WriteRequest request = WindowWriteRequest(context, scope, initialPause);
    return RunWrite(context, progress,
                    [&](ExchangeEngine& engine, DeviceDocument& doc, const WriteHooks& hooks) {
                        return WriteToDevice(engine, doc, request, hooks);
                    });
}

DeviceWriteReport ChangeBusNumberFromWindow(WindowContext& context, ExchangeProgress* progress,
                                            int newNumber) {
    const WriteRequest request = WindowWriteRequest(context, WriteScope::BusNumber());
    return RunWrite(context, progress,
                    [&](ExchangeEngine& engine, DeviceDocument& doc, const WriteHooks& hooks) {
                        return ChangeBusNumber(engine, doc, newNumber, request, hooks);
                    });
}

QString WriteOutcomeLine(const DeviceWriteReport& report) {
    const int device = report.device + 1;
    const bool busNumber =
        !report.blocks.empty() && report.blocks.front().block == DeviceBlock::BusAddress;
    switch (report.end) {
    case WriteEnd::Done:
        if (busNumber)
            return U("Номер прибора изменен: %1 → %2").arg(report.deviceBefore + 1).arg(device);
        if (report.readBackCode != 0)
            return U("Запись в прибор %1 не подтверждена чтением").arg(device);
        if (!report.differences.empty())
            return U("Прибор %1 хранит не то, что было записано").arg(device);
        return U("Записано в прибор %1: ").arg(device) + WrittenText(report);
    case WriteEnd::Failed:
        return busNumber ? U("Номер прибора не изменен")
                         : U("Запись в прибор %1 не завершена").arg(device);
    case WriteEnd::AlreadyThere:
        return U("Прибор %1 уже содержит эти данные").arg(device);
    case WriteEnd::Cancelled:
        return U("Запись в прибор %1 отменена: ничего не записано").arg(device);
    case WriteEnd::Refused:
    case WriteEnd::NoBackup:
        break;
    }
    return U("Запись в прибор %1 не начата").arg(device);
}

QString ModulesText(int count) {
    const int tens = count % 100;
    const int ones = count % 10;
    const char* word = "модулей";
    if (tens < 11 || tens > 14) {
        if (ones == 1)
            word = "модуль";
        else if (ones >= 2 && ones <= 4)
            word = "модуля";
    }
    return QString::number(count) + U(" ") + U(word);
}
