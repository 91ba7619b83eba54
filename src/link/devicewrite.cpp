#include "link/devicewrite.h"

#include "link/devicecommands.h"
#include "link/deviceimageread.h"
#include "link/exchangeengine.h"
#include "model/devicecompare.h"
#include "model/devicedocument.h"
#include "model/moduleconfig.h"
#include "model/operator.h"

#include <algorithm>
#include <cstring>

namespace {

const char* const kWarning = "Предупреждение";

// The request count and the step text, for the progress of the whole command.
class Steps {
public:
    Steps(const WriteHooks& hooks, int total) : hooks_(hooks), total_(std::max(total, 1)) {}
    void Show(const std::string& step) {
        step_ = step;
        Tell();
    }
    void Done() {
        done_ = std::min(done_ + 1, total_);
        Tell();
    }
    void Busy(const std::string& block, int busyMs) {
        step_ = block + ": прибор занят, ожидание записи — " + std::to_string(busyMs / 1000) + " с";
        Tell();
    }
    void Finish() {
        done_ = total_;
        Tell();
    }

private:
    void Tell() {
        if (hooks_.progress)
            hooks_.progress(done_, total_, step_);
    }
    const WriteHooks& hooks_;
    int total_;
    int done_ = 0;
    std::string step_;
};

void Tell(Operator* op, const std::string& text, const char* caption = kWarning) {
    if (op)
        op->Tell(text, caption, MsgIcon::Warning);
}

void Tell(const WriteHooks& hooks, const std::string& text, const char* caption = kWarning) {
    Tell(hooks.op, text, caption);
}

} // namespace

bool CheckWrite(const DeviceDocument& doc, const WriteRequest& request, Operator* op) {
    // Basic access may not write the configuration or a module's program; the network blocks
    // stay open to it.
    if (request.accessLevel != 1 && (request.scope.config || request.scope.modules != 0)) {
        Tell(op, "Ваш уровень доступа не позволяет\nпроизводить вывод в СОМ-порт");
        return false;
    }
    if (request.scope.config && doc.modules.GetModuleCount() == 0) {
        Tell(op, "Kонфигурация не задана");
        return false;
    }
    for (int m = 0; m < DeviceImage::Groups; ++m) {
        if (request.scope.HasModule(m) && !doc.ModuleKnown(m)) {
            Tell(op, "Программа модуля " + std::to_string(m + 1) +
                         " не прочитана из прибора: чтение прервалось.\n"
                         "В прибор ничего не передано. Прочитайте прибор заново (F9) "
                         "или откройте файл конфигурации.");
            return false;
        }
    }
    if (request.scope.network && !doc.NetworkKnown()) {
        Tell(op, "Сетевые блоки не прочитаны из прибора: чтение прервалось.\n"
                 "В прибор ничего не передано. Прочитайте прибор заново (F9) "
                 "или откройте файл конфигурации.");
        return false;
    }
    return true;
}

namespace {

// The device's fitted modules against the document's: the same count, types and positions.
bool SameModules(const DeviceImage& device, const DeviceDocument& doc, const WriteRequest& request,
                 const WriteHooks& hooks) {
    ModuleConfig held;
    std::array<uint8_t, ModuleConfig::ConfigSize> bytes{};
    std::ranges::copy(device.Config(), bytes.begin());
    held.PutConfig(bytes);
    if (held.GetModuleCount() != doc.modules.GetModuleCount()) {
        Tell(hooks, "Количество модулей в приборе\nне соответствует количеству модулей " +
                        request.modulesShownIn);
        return false;
    }
    for (int k = 0; k < held.GetModuleCount(); ++k) {
        if (held.ModuleType[k] != doc.modules.ModuleType[k] ||
            held.ModuleAddress[k] != doc.modules.ModuleAddress[k]) {
            Tell(hooks, "Передаваемая конфигурация\nне соответствует конфигурации прибора",
                 "Подтверждение");
            return false;
        }
    }
    return true;
}

std::vector<uint8_t> BlockData(DeviceDocument& doc, int block) {
    if (block == DeviceBlock::BusAddress)
        return {uint8_t(DeviceBlock::BusAddress), doc.modules.GetNewBusNumber()};
    return block == DeviceBlock::Network ? doc.network.WriteData()
                                         : doc.program.ModuleWriteData(block - 1);
}

// What the device is known to hold after a confirmed block: the document learns it, so that
// giving up later edits returns to it and what it holds is no unsaved work.
void DeviceHolds(DeviceDocument& doc, int block, const DeviceImage& held) {
    if (block == DeviceBlock::Network)
        doc.DeviceHoldsNetwork(held.Network());
    else
        doc.DeviceHoldsModule(block - 1, held.Group(block - 1));
}

bool AskWithoutBackup(const WriteHooks& hooks, const std::string& why) {
    return hooks.writeWithoutBackup && hooks.writeWithoutBackup(why);
}

} // namespace

bool DeviceWriteReport::AnySent() const {
    return std::ranges::any_of(blocks,
                               [](const BlockReport& b) { return b.state != BlockState::NotSent; });
}

bool DeviceWriteReport::AllWritten() const {
    return std::ranges::all_of(blocks,
                               [](const BlockReport& b) { return b.state == BlockState::Written; });
}

int DeviceWriteReport::Count(BlockState state) const {
    return int(
        std::ranges::count_if(blocks, [state](const BlockReport& b) { return b.state == state; }));
}

std::string BlockName(int block) {
    if (block == DeviceBlock::BusAddress)
        return "Номер прибора";
    return block == DeviceBlock::Network ? "Сетевые блоки" : "Модуль " + std::to_string(block);
}

const char* BlockStateName(BlockState state) {
    switch (state) {
    case BlockState::NotSent:
        return "не отправлен";
    case BlockState::SentNotConfirmed:
        return "отправлен, не подтвержден";
    case BlockState::Written:
        return "записан";
    case BlockState::ReadBackDifferent:
        return "прочитан иначе";
    case BlockState::NotVerified:
        return "передан и подтвержден, но не проверен чтением";
    }
    return "";
}

namespace {

// "Прибор 1, порт /dev/ttyUSB0, 9600 8N2": where a write goes.
std::string TargetText(const ExchangeEngine& engine, int device) {
    return "Прибор " + std::to_string(device + 1) + ", порт " + engine.PortName + ", " +
           engine.Speed + " 8" + engine.Parity + engine.StopBits;
}

// Data taken from one device go into another only when the operator says so; a file names no
// device, so its data go where the operator sends them.
bool OtherDeviceAgreed(const DeviceDocument& doc, int device, const WriteHooks& hooks) {
    const DocumentOrigin& origin = doc.Origin();
    const bool named =
        origin.kind == DocumentOrigin::Kind::Device || origin.kind == DocumentOrigin::Kind::Backup;
    if (!named || origin.device < 0 || origin.device == device)
        return true;
    return hooks.op &&
           hooks.op->Ask({"Данные сняты с прибора " + std::to_string(origin.device + 1) +
                              ", запись пойдет в прибор " + std::to_string(device + 1) +
                              ". Записать?",
                          "Подтвердите передачу данных",
                          MsgIcon::Question,
                          {MsgButton::Yes, MsgButton::No},
                          MsgButton::No}) == MsgButton::Yes;
}

// A module's records alone carry no configuration check: a device whose modules are not the
// document's takes them only when the operator says so. The network image is no module's.
bool OtherModulesAgreed(const DeviceImage& held, const DeviceDocument& doc, int device,
                        const WriteRequest& request, const WriteHooks& hooks) {
    const std::string ours = doc.modules.GetModificationCode();
    if (request.scope.config || request.scope.modules == 0 || held.ModificationCode() == ours)
        return true;
    return hooks.op && hooks.op->Ask({"В приборе " + std::to_string(device + 1) +
                                          " модули ЛУМ-08-" + held.ModificationCode() +
                                          ", а данные сняты с ЛУМ-08-" + ours + ". Записать?",
                                      "Подтвердите передачу данных",
                                      MsgIcon::Question,
                                      {MsgButton::Yes, MsgButton::No},
                                      MsgButton::No}) == MsgButton::Yes;
}

void Fail(DeviceWriteReport& report, int code) {
    report.end = WriteEnd::Failed;
    report.code = code;
}

// Reads what the device holds before writing (its configuration at least), keeps the back-up
// and asks what must be asked. false ends the write with the report's end set.
bool BeforeWriting(ExchangeEngine& engine, DeviceDocument& doc, const WriteRequest& request,
                   const WriteHooks& hooks, DeviceWriteReport& report, Steps& steps) {
    const int device = report.device;
    const DeviceImage& wanted = report.wanted;
    const bool readRecords = request.backup || request.showChanges;
    const bool readConfig = readRecords || request.scope.config;
    DeviceImage held;
    int code = ResultCode::Ok;
    if (readConfig) {
        steps.Show(request.backup ? "Резервная копия" : "Конфигурация");
        code = ReadDeviceConfig(engine, device, held);
        steps.Done();
        if (code == ResultCode::Ok && request.scope.config &&
            !SameModules(held, doc, request, hooks))
            return false;
        if (code == ResultCode::Ok && readRecords)
            code = ReadDeviceRecords(engine, device, held, [&] { steps.Done(); });
    }
    if (code == ResultCode::Stopped || (code != ResultCode::Ok && !request.backup)) {
        Fail(report, code);
        return false;
    }
    if (code != ResultCode::Ok) {
        report.backupCode = code;
        const std::string why =
            "Не удалось прочитать прибор для резервной копии:\n" + engine.ErrorText(device, code);
        if (!AskWithoutBackup(hooks, why)) {
            report.end = WriteEnd::NoBackup;
            return false;
        }
        // The modules were never compared: without that no whole-device write starts.
        if (request.scope.config) {
            code = ReadDeviceConfig(engine, device, held);
            if (code != ResultCode::Ok) {
                Fail(report, code);
                return false;
            }
            if (!SameModules(held, doc, request, hooks))
                return false;
        }
        return true;
    }
    if (!readRecords)
        return true;
    report.before = held;
    if (!OtherModulesAgreed(held, doc, device, request, hooks)) {
        report.end = WriteEnd::Cancelled;
        return false;
    }
    const bool moves = request.scope.network && doc.modules.GetNewBusNumber() != device;
    const bool same = SameInScope(held, wanted, request.scope);
    if (same && !moves) {
        for (const BlockReport& b : report.blocks)
            DeviceHolds(doc, b.block, held);
        // Told by whoever asked for the write, from the report.
        report.end = WriteEnd::AlreadyThere;
        return false;
    }
    if (request.showChanges) {
        report.changes = CompareDeviceImages(held, wanted, CompareScope::Of(request.scope));
        if (moves)
            report.changes.push_back("Номер прибора: " + std::to_string(device + 1) + " → " +
                                     std::to_string(doc.modules.GetNewBusNumber() + 1));
        if (!hooks.confirmChanges ||
            !hooks.confirmChanges(TargetText(engine, device), report.changes)) {
            report.end = WriteEnd::Cancelled;
            return false;
        }
    }
    // Equal contents that only move the device to another number need no back-up.
    if (same || !request.backup)
        return true;
    std::string error;
    if (!hooks.keepBackup || !hooks.keepBackup(held, device + 1, &report.backupPath, &error)) {
        report.backupError = hooks.keepBackup ? error : "нет места для резервных копий";
        if (!AskWithoutBackup(hooks, "Не удалось сохранить резервную копию прибора:\n" +
                                         report.backupError)) {
            report.end = WriteEnd::NoBackup;
            return false;
        }
    }
    return true;
}

// The read-back after the blocks: each confirmed block is checked, and only a block found the
// same counts as held by the device.
void Verify(ExchangeEngine& engine, DeviceDocument& doc, const WriteRequest& request,
            DeviceWriteReport& report) {
    DeviceImage back = report.wanted;
    const int code = ReadBackScope(engine, report.device, request.scope, back);
    if (code != ResultCode::Ok) {
        report.readBackCode = code;
        for (BlockReport& b : report.blocks)
            b.state = BlockState::NotVerified;
        return;
    }
    report.differences = CompareDeviceImages(report.wanted, back, CompareScope::Of(request.scope));
    for (BlockReport& b : report.blocks) {
        WriteScope one;
        if (b.block == DeviceBlock::Network)
            one.network = true;
        else
            one.modules = 1u << (b.block - 1);
        const bool same = SameInScope(report.wanted, back, one);
        if (!same)
            b.state = BlockState::ReadBackDifferent;
        DeviceHolds(doc, b.block, same ? report.wanted : back);
    }
    report.verified = report.differences.empty();
    report.readBack = back;
}

} // namespace

DeviceWriteReport WriteToDevice(ExchangeEngine& engine, DeviceDocument& doc,
                                const WriteRequest& request, const WriteHooks& hooks) {
    DeviceWriteReport report;
    int device = doc.modules.BusNumber;
    report.device = device;
    report.deviceBefore = device;
    for (int m = 0; m < DeviceImage::Groups; ++m)
        if (request.scope.HasModule(m))
            report.blocks.push_back({m + 1, BlockState::NotSent});
    if (request.scope.network)
        report.blocks.push_back({DeviceBlock::Network, BlockState::NotSent});
    if (request.scope.busNumber)
        report.blocks.push_back({DeviceBlock::BusAddress, BlockState::NotSent});
    if (!CheckWrite(doc, request, hooks.op))
        return report;
    if (!request.scope.busNumber && !OtherDeviceAgreed(doc, device, hooks)) {
        report.end = WriteEnd::Cancelled;
        return report;
    }

    report.wanted = doc.Image();
    const int blocks = int(report.blocks.size());
    const bool readRecords = request.backup || request.showChanges;
    Steps steps(hooks, (readRecords || request.scope.config ? 1 : 0) +
                           (readRecords ? doc.modules.GetModuleCount() + 1 : 0) + 2 * blocks +
                           (request.verify ? blocks : 0));
    if (!request.scope.busNumber && !BeforeWriting(engine, doc, request, hooks, report, steps))
        return report;
    if (request.scope.busNumber && request.showChanges) {
        report.changes = {"Номер прибора: " + std::to_string(device + 1) + " → " +
                          std::to_string(doc.modules.GetNewBusNumber() + 1)};
        if (!hooks.confirmChanges ||
            !hooks.confirmChanges(TargetText(engine, device), report.changes)) {
            report.end = WriteEnd::Cancelled;
            return report;
        }
    }

    // The blocks, each sent, then polled until the device confirms storing it.
    int code = ResultCode::Ok;
    for (BlockReport& b : report.blocks) {
        const std::string name = BlockName(b.block);
        const std::vector<uint8_t> data = BlockData(doc, b.block);
        WriteConfirm how;
        how.initialPause = request.initialPause;
        how.busyLimitMs = request.busyLimitMs;
        if (b.block == DeviceBlock::Network || b.block == DeviceBlock::BusAddress)
            how.switchDeviceTo = doc.modules.GetNewBusNumber();
        how.onSend = [&] {
            steps.Done();
            steps.Show(name + ": подтверждение");
        };
        how.onBusy = [&](int busyMs) { steps.Busy(name, busyMs); };
        steps.Show(name + ": запись");
        const int64_t framesBefore = engine.FramesSent();
        code = WriteAndConfirm(engine, device, data.data(), int(data.size()), how);
        const bool sent = engine.FramesSent() > framesBefore;
        steps.Done();
        if (code != ResultCode::Ok) {
            b.state = sent ? BlockState::SentNotConfirmed : BlockState::NotSent;
            break;
        }
        b.state = BlockState::Written;
        // Without a read-back the confirmation is all there is to go by.
        if (!request.verify && b.block != DeviceBlock::BusAddress)
            DeviceHolds(doc, b.block, report.wanted);
    }
    // The network image or the bus number may have moved the device to its new number.
    doc.DeviceMoved(report.device, device);
    doc.modules.BusNumber = device;
    report.device = device;
    if (code != ResultCode::Ok) {
        Fail(report, code);
        return report;
    }
    if (request.verify && !request.scope.busNumber) {
        steps.Show("Проверка записи");
        Verify(engine, doc, request, report);
    }
    steps.Finish();
    report.end = WriteEnd::Done;
    return report;
}

DeviceWriteReport ChangeBusNumber(ExchangeEngine& engine, DeviceDocument& doc, int newNumber,
                                  const WriteRequest& request, const WriteHooks& hooks) {
    doc.modules.PutNewBusNumber(uint8_t(newNumber));
    WriteRequest busNumber = request;
    busNumber.scope = WriteScope::BusNumber();
    busNumber.backup = false;
    busNumber.verify = false;
    return WriteToDevice(engine, doc, busNumber, hooks);
}

std::string WriteOutcomeText(const DeviceWriteReport& report) {
    if (report.end != WriteEnd::Failed || report.blocks.empty())
        return {};
    if (report.blocks.size() == 1) {
        const BlockReport& b = report.blocks.front();
        const bool network = b.block == DeviceBlock::Network;
        const std::string name = BlockName(b.block);
        if (b.state == BlockState::SentNotConfirmed)
            return name + (network ? " переданы, но прибор не подтвердил их запись."
                                   : " передан, но прибор не подтвердил его запись.");
        return name + (network ? " в прибор не записаны." : " в прибор не записан.");
    }
    if (!report.AnySent())
        return "В прибор ничего не записано.";
    int modules = 0;
    int written = 0; // modules are written in order: 1..written
    const BlockReport* unconfirmed = nullptr;
    for (const BlockReport& b : report.blocks) {
        if (b.block == DeviceBlock::Network) {
            if (b.state == BlockState::SentNotConfirmed)
                unconfirmed = &b;
            continue;
        }
        ++modules;
        written += b.state == BlockState::Written ? 1 : 0;
        if (b.state == BlockState::SentNotConfirmed)
            unconfirmed = &b;
    }
    const std::string of = " из " + std::to_string(modules);
    std::string text;
    if (written == 1)
        text = "Записан модуль 1" + of;
    else if (written > 1)
        text = "Записаны модули 1–" + std::to_string(written) + of;
    if (unconfirmed && unconfirmed->block == DeviceBlock::Network) {
        text += "; сетевые блоки переданы, но прибор не подтвердил их запись";
    } else if (unconfirmed) {
        const std::string module = std::to_string(unconfirmed->block);
        text += text.empty() ? "Модуль " + module + of : "; модуль " + module;
        text += " передан, но прибор не подтвердил его запись";
    } else if (written == 0) {
        text = "Не записан ни один модуль" + of;
    } else if (written == modules) {
        text += ", сетевые блоки не записаны";
    }
    return text + "; прибор записан не полностью.";
}
