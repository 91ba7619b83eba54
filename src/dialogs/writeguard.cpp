#include "dialogs/writeguard.h"

#include "dialogs/difflist.h"
#include "dialogs/exchangeprogress.h"
#include "dialogs/lummain.h"
#include "dialogs/uitext.h"
#include "link/comportclass.h"
#include "link/devicehistory.h"
#include "link/deviceimageread.h"
#include "model/devicecompare.h"
#include "model/operator.h"
#include "model/progf15class.h"
#include "model/proglumclass.h"
#include "model/reservblocks.h"
#include "model/servclass.h"

#include <algorithm>

namespace {
const char* const kCaption = "Резервная копия прибора";

bool RecordsKnown(const TProgLumClass& lum, int kolMod) {
    for (int m = 0; m < kolMod && m < DeviceImage::Groups; ++m)
        if (!lum.RecKnown[m])
            return false;
    return true;
}
} // namespace

WriteGuard::WriteGuard(LumMain& main, const WriteScope& scope) : main_(main), scope_(scope) {}

bool WriteGuard::Start() {
    TServClass& serv = main_.Serv();
    TProgLumClass& lum = main_.ProgLum();
    wanted_ = DeviceImage::FromModel(serv, lum, main_.ProgF15());
    // A whole-device write its own checks refuse (access level, no configuration, records not
    // known) needs no back-up: it sends nothing.
    if (scope_.config &&
        (lum.Dostup != 1 || serv.GetKolMod() == 0 || !RecordsKnown(lum, serv.GetKolMod())))
        return true;
    const bool moves = scope_.network && serv.GetNumUstrZ() != serv.NumUstr;
    const BackupResult r = BackUpBeforeWrite(main_.ComPort(), serv.NumUstr, wanted_, scope_, moves);
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
        main_.ComPort().ReportError(serv.NumUstr, r.code, "В прибор ничего не записано.");
        return false;
    }
    const std::string why =
        r.step == BackupStep::ReadFailed
            ? "Не удалось прочитать прибор для резервной копии:\n" +
                  main_.ComPort().MessageFor(serv.NumUstr, r.code).text
            : "Не удалось сохранить резервную копию прибора:\n" + r.error.toStdString();
    return main_.Op().Ask({why + "\n\nЗаписать в прибор без резервной копии?",
                           kCaption,
                           MsgIcon::Question,
                           {MsgButton::Yes, MsgButton::No},
                           MsgButton::No}) == MsgButton::Yes;
}

int WriteGuard::Requests() const {
    // The back-up: the configuration, every fitted module and the network image.
    int count = main_.Serv().GetKolMod() + 2;
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
    TServClass& serv = main_.Serv();
    DeviceImage device = wanted_;
    const int code = ReadBackScope(main_.ComPort(), serv.NumUstr, scope_, device);
    if (code != ResultCode::Ok) {
        main_.ComPort().ReportError(serv.NumUstr, code);
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
    TReservBlocksClass& reserv = main_.Reserv();
    // The reserve copies say what the device holds, so that discarding edits returns to it.
    for (int m = 0; device && m < DeviceImage::Groups; ++m)
        if (scope_.HasModule(m))
            std::ranges::copy(device->Group(m), reserv.ReservRecVh + DeviceImage::GroupSize * m);
    if (device && scope_.network)
        std::ranges::copy(device->Network().subspan(1), reserv.ReservF15 + 1);
    // Written: as after a confirmed write. Not kept: the data stay marked as changed.
    if (scope_.modules != 0)
        main_.ProgLum().FlagScheme = written ? 0 : 1;
    if (scope_.network)
        main_.ProgF15().FlagNoChange = written;
}

int GuardedBlockWrite(LumMain& main, ExchangeProgress& progress, const BlockWrite& block) {
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
        main.ComPort().ReportError(main.Serv().NumUstr, code,
                                   sent ? block.unconfirmed : block.notWritten);
    return code;
}
