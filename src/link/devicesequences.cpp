#include "link/devicesequences.h"

#include "link/devicecommands.h"
#include "link/exchangeengine.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "model/networkblocks.h"
#include "model/operator.h"
#include "model/reservecopies.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

void Call(const std::function<void()>& f) {
    if (f)
        f();
}

void Share(const ShareProgress& share, int done, int total, const std::string& step) {
    if (share)
        share(done, total, step);
}

std::string ModuleStep(int k, int total) {
    return "Модуль " + std::to_string(k) + " из " + std::to_string(total);
}

const char* const kNetworkStep = "Сетевые блоки";

// The reply frame as the loaders expect it: address, function, byte count, data.
std::vector<uint8_t> AsReply(int device, int function, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> reply;
    reply.reserve(data.size() + 3);
    reply.push_back(uint8_t(device + 1));
    reply.push_back(uint8_t(function));
    reply.push_back(uint8_t(data.size()));
    reply.insert(reply.end(), data.begin(), data.end());
    return reply;
}

// Function 17 into the model. A configuration of another length is not taken: the command
// ends with a receive error rather than going on with the old one.
int ReadConfigInto(ExchangeEngine& port, ModuleConfig& serv) {
    std::vector<uint8_t> config;
    const int code = ReadConfiguration(port, serv.BusNumber, config);
    if (code != ResultCode::Ok)
        return code;
    const auto reply = AsReply(serv.BusNumber, DeviceCommand::ReadConfig, config);
    if (!serv.PutConfigReply(DeviceCommand::ReadConfig, reply.data(), int(reply.size())))
        return ResultCode::ReceiveError;
    return ResultCode::Ok;
}

int ReadModuleRecords(ExchangeEngine& port, DeviceModel& model, int m) {
    std::vector<uint8_t> data;
    const int code = ReadBlock(port, model.serv.BusNumber, m, data);
    if (code != ResultCode::Ok)
        return code;
    const auto reply = AsReply(model.serv.BusNumber, DeviceCommand::ReadBlock, data);
    const int taken = model.lum.PutModuleReply(reply.data(), int(reply.size()));
    if (taken != ResultCode::Ok)
        return taken;
    model.lum.ModuleBufferToRecords(m - 1);
    model.lum.PutModuleWriteLength(int(data.size()));
    return ResultCode::Ok;
}

// The (module code, slot position) pairs of a modification code shown on screen.
std::vector<std::pair<int, int>> ExpectedModules(const std::string& modifCode) {
    std::vector<std::pair<int, int>> list;
    for (int p = 0; p < 16 && p < int(modifCode.size()) && list.size() < 6; ++p) {
        const char c = modifCode[size_t(p)];
        const int code = c >= '0' && c <= '9' ? c - '0' : 0;
        if (code != 0)
            list.emplace_back(code, p);
    }
    return list;
}

void RestoreConfig(ModuleConfig& serv, const uint8_t (&config)[17], int kolMod,
                   const std::vector<std::pair<int, int>>& expected) {
    std::memcpy(serv.Config, config, sizeof config);
    serv.ModuleCount = kolMod;
    for (int k = 0; k < 6; ++k) {
        const bool listed = k < int(expected.size());
        serv.ModuleType[k] = listed ? expected[size_t(k)].first : 0;
        serv.ModuleAddress[k] = listed ? expected[size_t(k)].second : 0;
    }
}

bool DeviceMatches(const ModuleConfig& serv, const std::vector<std::pair<int, int>>& expected) {
    for (int k = 0; k < 6; ++k) {
        const bool listed = k < int(expected.size());
        const int tip = k < serv.GetModuleCount() ? serv.ModuleType[k] : 0;
        const int adr = k < serv.GetModuleCount() ? serv.ModuleAddress[k] : 0;
        if (tip != (listed ? expected[size_t(k)].first : 0) ||
            adr != (listed ? expected[size_t(k)].second : 0))
            return false;
    }
    return true;
}

} // namespace

int ChangeBusNumber(ExchangeEngine& port, ModuleConfig& serv, int newNumber,
                    const std::function<void()>& onSwitch) {
    serv.PutNewBusNumber(uint8_t(newNumber));
    const uint8_t data[2] = {uint8_t(DeviceBlock::BusAddress), uint8_t(newNumber)};
    WriteConfirm how;
    how.switchDeviceTo = newNumber;
    how.onSend = onSwitch;
    return WriteAndConfirm(port, serv.BusNumber, data, 2, how);
}

int ReadWholeDevice(ExchangeEngine& port, DeviceModel model, int numUstrZ,
                    const ReadProgress& progress) {
    ModuleConfig& serv = model.serv;
    Call(progress.step);
    Share(progress.share, 0, 3, "Конфигурация");
    int code = ReadConfigInto(port, serv);
    if (code != ResultCode::Ok)
        return code;
    // The configuration, every fitted module and the network image: one request each.
    const int total = serv.GetModuleCount() + 2;
    serv.ClearInputIds();
    serv.ClearLabels();
    serv.MakeInputIds();
    for (int i = 0; i < 36; ++i)
        for (int j = 0; j < 11; ++j)
            model.reserv.InputIdsCopy[i][j] = serv.InputId[i][j];
    serv.PutNewBusNumber(uint8_t(numUstrZ));
    // Until each module is read, its records are another configuration's.
    std::fill(std::begin(model.lum.RecordsKnown), std::end(model.lum.RecordsKnown), false);
    Call(progress.step);
    Call(progress.configTaken);

    for (int k = 0; k < serv.GetModuleCount(); ++k) {
        Call(progress.step);
        Share(progress.share, k + 1, total, ModuleStep(k + 1, serv.GetModuleCount()));
        code = ReadModuleRecords(port, model, k + 1);
        if (code != ResultCode::Ok)
            return code;
        model.lum.RecordsKnown[k] = true;
    }
    std::memcpy(model.reserv.RecordsCopy, model.lum.Records, sizeof model.lum.Records);

    std::vector<uint8_t> image;
    Share(progress.share, total - 1, total, kNetworkStep);
    code = ReadBlock(port, serv.BusNumber, DeviceBlock::Network, image);
    if (code != ResultCode::Ok)
        return code;
    const auto imageReply = AsReply(serv.BusNumber, DeviceCommand::ReadBlock, image);
    model.f15.LoadReply(DeviceCommand::ReadBlock, imageReply.data(), int(imageReply.size()));
    std::memcpy(model.reserv.NetworkCopy, model.f15.Image, sizeof model.f15.Image);
    Call(progress.step);
    Share(progress.share, total, total, kNetworkStep);
    return ResultCode::Ok;
}

int WriteWholeDevice(ExchangeEngine& port, DeviceModel model, Operator& op,
                     const std::string& modifCode, const std::function<void()>& started,
                     const std::function<void()>& onSend, WriteReport* report,
                     const ShareProgress& share) {
    ModuleConfig& serv = model.serv;
    if (model.lum.AccessLevel != 1) {
        op.Tell("Ваш уровень доступа не позволяет\nпроизводить вывод в СОМ-порт", "Предупреждение",
                MsgIcon::Warning);
        return -1;
    }
    const auto expected = ExpectedModules(modifCode);
    const int kolModShown = serv.GetModuleCount();
    uint8_t savedConfig[17];
    std::memcpy(savedConfig, serv.Config, sizeof savedConfig);
    if (expected.empty()) {
        op.Tell("Kонфигурация не задана", "Предупреждение", MsgIcon::Warning);
        return -1;
    }
    for (int k = 0; k < kolModShown; ++k) {
        if (!model.lum.RecordsKnown[k]) {
            op.Tell("Программа модуля " + std::to_string(k + 1) +
                        " не прочитана из прибора: чтение прервалось.\n"
                        "В прибор ничего не передано. Прочитайте прибор заново (F9) "
                        "или откройте файл конфигурации.",
                    "Предупреждение", MsgIcon::Warning);
            return -1;
        }
    }
    // Unless the device's configuration is taken, the check below would compare the screen
    // with itself and write to a device it never verified.
    int code = ReadConfigInto(port, serv);
    if (code != ResultCode::Ok)
        return code;
    if (serv.GetModuleCount() != kolModShown) {
        op.Tell("Количество модулей в приборе\nне соответствует количеству модулей на экране",
                "Предупреждение", MsgIcon::Warning);
        RestoreConfig(serv, savedConfig, kolModShown, expected);
        return -1;
    }
    if (!DeviceMatches(serv, expected)) {
        op.Tell("Передаваемая конфигурация\nне соответствует конфигурации прибора", "Подтверждение",
                MsgIcon::Warning);
        RestoreConfig(serv, savedConfig, kolModShown, expected);
        return -1;
    }

    model.lum.SchemeChanged = 0;
    Call(started);
    WriteReport done;
    done.modulesTotal = serv.GetModuleCount();
    WriteConfirm how;
    how.onSend = onSend;
    const int total = done.modulesTotal + 1;
    for (int k = 0; k < serv.GetModuleCount() && code == ResultCode::Ok; ++k) {
        Share(share, k, total, ModuleStep(k + 1, done.modulesTotal));
        const std::vector<uint8_t> data = model.lum.ModuleWriteData(k);
        code = WriteAndConfirm(port, serv.BusNumber, data.data(), int(data.size()), how);
        if (code == ResultCode::Ok)
            ++done.modulesWritten;
    }
    if (code == ResultCode::Ok) {
        Share(share, total - 1, total, kNetworkStep);
        const std::vector<uint8_t> image = model.f15.WriteData();
        how.switchDeviceTo = serv.GetNewBusNumber();
        code = WriteAndConfirm(port, serv.BusNumber, image.data(), int(image.size()), how);
        done.networkWritten = code == ResultCode::Ok;
        if (done.networkWritten)
            Share(share, total, total, kNetworkStep);
    }
    if (report)
        *report = done;
    return code;
}

std::string PartialWriteText(const WriteReport& report) {
    const std::string of = " из " + std::to_string(report.modulesTotal);
    std::string text;
    if (report.modulesWritten == 0)
        text = "Не записан ни один модуль" + of;
    else if (report.modulesWritten == 1)
        text = "Записан модуль 1" + of;
    else
        text = "Записаны модули 1–" + std::to_string(report.modulesWritten) + of;
    if (report.modulesWritten == report.modulesTotal)
        text += ", сетевые блоки не записаны";
    return text + "; прибор записан не полностью.";
}

int ReadModule(ExchangeEngine& port, DeviceModel model, int m) {
    const int code = ReadModuleRecords(port, model, m);
    if (code != ResultCode::Ok)
        return code;
    model.lum.RecordsKnown[m - 1] = true;
    const int base = 18 * (m - 1);
    std::memcpy(model.reserv.RecordsCopy + base, model.lum.Records + base, 18);
    return ResultCode::Ok;
}

int WriteModule(ExchangeEngine& port, DeviceModel model, int m,
                const std::function<void()>& onSend) {
    const std::vector<uint8_t> data = model.lum.ModuleWriteData(m - 1);
    WriteConfirm how;
    how.onSend = onSend;
    const int code =
        WriteAndConfirm(port, model.serv.BusNumber, data.data(), int(data.size()), how);
    if (code == ResultCode::Ok)
        std::memcpy(model.reserv.RecordsCopy, model.lum.Records, sizeof model.lum.Records);
    return code;
}

int WriteNetworkImage(ExchangeEngine& port, DeviceModel model,
                      const std::function<void()>& onSend) {
    const std::vector<uint8_t> image = model.f15.WriteData();
    WriteConfirm how;
    how.initialPause = false;
    how.switchDeviceTo = model.serv.GetNewBusNumber();
    how.onSend = onSend;
    const int code =
        WriteAndConfirm(port, model.serv.BusNumber, image.data(), int(image.size()), how);
    if (code == ResultCode::Ok) {
        std::memcpy(model.reserv.NetworkCopy, model.f15.Image, sizeof model.f15.Image);
        model.f15.Unchanged = true;
    }
    return code;
}
