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
