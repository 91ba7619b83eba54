#include "link/devicesequences.h"

#include "link/devicecommands.h"
#include "link/exchangeengine.h"
#include "model/devicedocument.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "model/networkblocks.h"

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

// Seconds of a clock reading on one count (days from a fixed day, as the calendar has them);
// the weekday plays no part.
int64_t ClockSeconds(const DeviceClock& c) {
    const int64_t y = 2000 + c[5] - (c[4] <= 2 ? 1 : 0);
    const int64_t m = c[4];
    const int64_t era = y / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + c[3] - 1;
    const int64_t days = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return ((days * 24 + c[2]) * 60 + c[1]) * 60 + c[0];
}

// Function 17 into the document. A configuration of another length is not taken: the command
// ends with a receive error rather than going on with the old one.
int ReadConfigInto(ExchangeEngine& port, ModuleConfig& moduleConfig) {
    std::vector<uint8_t> config;
    const int code = ReadConfiguration(port, moduleConfig.BusNumber, config);
    if (code != ResultCode::Ok)
        return code;
    if (config.size() != size_t(ModuleConfig::ConfigSize))
        return ResultCode::ReceiveError;
    moduleConfig.PutConfig(std::span<const uint8_t, ModuleConfig::ConfigSize>(
        config.data(), ModuleConfig::ConfigSize));
    return ResultCode::Ok;
}

// Module m (1..6): the reply's data are the module number and the 18 record bytes.
int ReadModuleRecords(ExchangeEngine& port, DeviceDocument& doc, int m) {
    std::vector<uint8_t> data;
    const int code = ReadBlock(port, doc.modules.BusNumber, m, data);
    if (code != ResultCode::Ok)
        return code;
    if (data.size() < size_t(InputProgram::ModuleWriteLengthMin))
        return ResultCode::ReceiveError;
    doc.program.PutModuleBuffer(std::span<const uint8_t, InputProgram::GroupSize>(
        data.data() + 1, InputProgram::GroupSize));
    doc.program.ModuleBufferToRecords(m - 1);
    doc.program.PutModuleWriteLength(int(data.size()));
    doc.ModuleRead(m - 1);
    return ResultCode::Ok;
}

} // namespace

int ReadWholeDevice(ExchangeEngine& port, DeviceDocument& doc, int newBusNumber,
                    const ReadProgress& progress) {
    ModuleConfig& moduleConfig = doc.modules;
    Call(progress.step);
    Share(progress.share, 0, 3, "Конфигурация");
    int code = ReadConfigInto(port, moduleConfig);
    if (code != ResultCode::Ok)
        return code;
    // The configuration, every fitted module and the network image: one request each.
    const int total = moduleConfig.GetModuleCount() + 2;
    moduleConfig.ClearInputIds();
    moduleConfig.ClearLabels();
    moduleConfig.MakeInputIds();
    moduleConfig.PutNewBusNumber(uint8_t(newBusNumber));
    // Until each block is read, it holds another configuration's data.
    doc.SetConfigKnown(false);
    doc.SetConfigKnown(true);
    doc.StartFromDevice(
        DocumentOrigin::Device(moduleConfig.BusNumber, port.PortName,
                               port.Speed + " " + port.Parity + " " + port.StopBits));
    Call(progress.step);
    Call(progress.configTaken);

    for (int k = 0; k < moduleConfig.GetModuleCount(); ++k) {
        Call(progress.step);
        Share(progress.share, k + 1, total, ModuleStep(k + 1, moduleConfig.GetModuleCount()));
        code = ReadModuleRecords(port, doc, k + 1);
        if (code != ResultCode::Ok)
            return code;
    }

    std::vector<uint8_t> image;
    Share(progress.share, total - 1, total, kNetworkStep);
    code = ReadBlock(port, moduleConfig.BusNumber, DeviceBlock::Network, image);
    if (code != ResultCode::Ok)
        return code;
    doc.network.LoadImage(image);
    doc.NetworkRead();
    Call(progress.step);
    Share(progress.share, total, total, kNetworkStep);
    return ResultCode::Ok;
}

int ReadModule(ExchangeEngine& port, DeviceDocument& doc, int m) {
    return ReadModuleRecords(port, doc, m);
}

ClockSetting SetClockAndReadBack(ExchangeEngine& port, int device, const DeviceClock& clock) {
    ClockSetting result;
    const int64_t sentMs = port.NowMs();
    result.sendCode = SetClockBroadcast(port, clock);
    if (result.sendCode != ResultCode::Ok)
        return result;
    result.readCode = ReadClock(port, device, result.read);
    if (result.readCode != ResultCode::Ok)
        return result;
    // The device's clock ran on while the read went (repeats included); a second either way
    // is the rounding of both readings.
    const int64_t ranS = (port.NowMs() - sentMs + 999) / 1000;
    const int64_t ahead = ClockSeconds(result.read) - ClockSeconds(clock);
    result.taken = ahead >= -1 && ahead <= ranS + 1;
    return result;
}
