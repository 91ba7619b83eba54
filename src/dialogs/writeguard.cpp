#include "dialogs/writeguard.h"

#include "dialogs/differencesdialog.h"
#include "dialogs/exchangeprogress.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "link/deviceimageread.h"
#include "link/exchangeengine.h"
#include "model/devicecompare.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "model/networkblocks.h"
#include "model/operator.h"
#include "model/reservecopies.h"
#include "platform/devicehistory.h"

#include <algorithm>

namespace {
const char* const kCaption = "Резервная копия прибора";

bool RecordsKnown(const InputProgram& lum, int kolMod) {
    for (int m = 0; m < kolMod && m < DeviceImage::Groups; ++m)
        if (!lum.RecordsKnown[m])
            return false;
    return true;
}
} // namespace

WriteGuard::WriteGuard(WindowContext& main, const WriteScope& scope) : main_(main), scope_(scope) {}

bool WriteGuard::Start() {
    ModuleConfig& serv = main_.Modules();
    InputProgram& lum = main_.Program();
    wanted_ = DeviceImage::FromModel(serv, lum, main_.Network());
    // A whole-device write its own checks refuse (access level, no configuration, records not
    // known) needs no back-up: it sends nothing.
    if (scope_.config && (lum.AccessLevel != 1 || serv.GetModuleCount() == 0 ||
                          !RecordsKnown(lum, serv.GetModuleCount())))
        return true;
    const bool moves = scope_.network && serv.GetNewBusNumber() != serv.BusNumber;
    const BackupResult r =
        BackUpBeforeWrite(main_.Engine(), serv.BusNumber, wanted_, scope_, moves);
    switch (r.step) {
    case BackupStep::Write:
    case BackupStep::ConfigDiffers: // the write's own check refuses it
        return true;
    case BackupStep::AlreadyThere:
        alreadyThere_ = true;
        MarkWritten(&r.device, true);
        main_.Op().Tell("Прибор уже содержит эти данные", "Подтверждение", MsgIcon::Information);
        return false;
    case BackupStep::ReadFailed:
    case BackupStep::SaveFailed:
        break;
    }
    // The operator stopped the exchange: the command ends here, with nothing written.
    if (r.step == BackupStep::ReadFailed && r.code == ResultCode::Stopped) {
        main_.Engine().ReportError(serv.BusNumber, r.code, "В прибор ничего не записано.");
        return false;
    }
    const std::string why =
        r.step == BackupStep::ReadFailed
            ? "Не удалось прочитать прибор для резервной копии:\n" +
                  main_.Engine().MessageFor(serv.BusNumber, r.code).text
            : "Не удалось сохранить резервную копию прибора:\n" + r.error.toStdString();
    return main_.Op().Ask({why + "\n\nЗаписать в прибор без резервной копии?",
                           kCaption,
                           MsgIcon::Question,
                           {MsgButton::Yes, MsgButton::No},
                           MsgButton::No}) == MsgButton::Yes;
}

int WriteGuard::Requests() const {
    // The back-up: the configuration, every fitted module and the network image.
    int count = main_.Modules().GetModuleCount() + 2;
    if (main_.VerifyWrites()) {
        for (int m = 0; m < DeviceImage::Groups; ++m)
            count += scope_.HasModule(m) ? 1 : 0;
        count += scope_.network ? 1 : 0;
    }
    return count;
}

bool WriteGuard::Finish() {
    if (!main_.VerifyWrites())
        return true;
    ModuleConfig& serv = main_.Modules();
    DeviceImage device = wanted_;
    const int code = ReadBackScope(main_.Engine(), serv.BusNumber, scope_, device);
    if (code != ResultCode::Ok) {
        main_.Engine().ReportError(serv.BusNumber, code);
        MarkWritten(nullptr, false);
        main_.Op().Tell("Запись не проверена: прибор не удалось прочитать.\n"
                        "Данные остаются отмеченными как измененные.",
                        "Проверка записи", MsgIcon::Warning);
        return false;
    }
    const auto lines = CompareDeviceImages(wanted_, device, CompareScope::Of(scope_));
    if (lines.empty())
        return true;
    MarkWritten(&device, false);
    ShowDifferences(main_,
                    U("Прибор хранит не то, что было записано (записано → прочитано).\n"
                      "Данные остаются отмеченными как измененные."),
                    lines);
    return false;
}

void WriteGuard::MarkWritten(const DeviceImage* device, bool written) {
    ReserveCopies& reserv = main_.Reserve();
    // The reserve copies say what the device holds, so that discarding edits returns to it.
    for (int m = 0; device && m < DeviceImage::Groups; ++m)
        if (scope_.HasModule(m))
            std::ranges::copy(device->Group(m), reserv.RecordsCopy + DeviceImage::GroupSize * m);
    if (device && scope_.network)
        std::ranges::copy(device->Network().subspan(1), reserv.NetworkCopy + 1);
    // Written: as after a confirmed write. Not kept: the data stay marked as changed.
    if (scope_.modules != 0)
        main_.Program().SchemeChanged = written ? 0 : 1;
    if (scope_.network)
        main_.Network().Unchanged = written;
}

int GuardedBlockWrite(WindowContext& main, ExchangeProgress& progress, const BlockWrite& block) {
    WriteGuard guard(main, block.scope);
    // The back-up, the send and its first poll, the read-back.
    progress.Begin(U("Резервная копия"), guard.Requests() + 2);
    if (!guard.Start()) {
        progress.End();
        return guard.AlreadyThere() ? ResultCode::Ok : -1;
    }
    const QString name = QString::fromStdString(block.name);
    progress.Step(name + U(": запись"));
    bool sent = false;
    const int code = block.write([&] {
        sent = true;
        progress.Step(name + U(": подтверждение"));
    });
    if (code == ResultCode::Ok) {
        progress.Step(U("Проверка записи"));
        guard.Finish();
    }
    progress.End();
    if (code != ResultCode::Ok)
        main.Engine().ReportError(main.Modules().BusNumber, code,
                                  sent ? block.unconfirmed : block.notWritten);
    return code;
}
