#include "link/deviceimageread.h"

#include "link/devicecommands.h"
#include "link/exchangeengine.h"

#include <span>
#include <vector>

namespace {

void Call(const std::function<void()>& f) {
    if (f)
        f();
}

// Module m (0..5): the reply's data are the module number and the 18 record bytes.
int ReadGroup(ExchangeEngine& port, int device, int m, DeviceImage& image) {
    std::vector<uint8_t> data;
    const int code = ReadBlock(port, device, m + 1, data);
    if (code != ResultCode::Ok)
        return code;
    image.PutGroup(m, std::span<const uint8_t>(data).subspan(1));
    return ResultCode::Ok;
}

int ReadNetwork(ExchangeEngine& port, int device, DeviceImage& image) {
    std::vector<uint8_t> data;
    const int code = ReadBlock(port, device, DeviceBlock::Network, data);
    if (code == ResultCode::Ok)
        image.PutNetwork(data);
    return code;
}

} // namespace

int ReadDeviceConfig(ExchangeEngine& port, int device, DeviceImage& image) {
    image = DeviceImage();
    image.SetHasLabels(false);
    image.PutNewBusNumber(uint8_t(device));
    std::vector<uint8_t> config;
    int code = ReadConfiguration(port, device, config);
    // Another length is not a configuration: the rest would be read against a wrong module list.
    if (code == ResultCode::Ok && config.size() != size_t(DeviceImage::ConfigSize))
        code = ResultCode::ReceiveError;
    if (code == ResultCode::Ok)
        image.PutConfig(config);
    return code;
}

int ReadDeviceRecords(ExchangeEngine& port, int device, DeviceImage& image,
                      const std::function<void()>& step) {
    for (int m = 0; m < image.ModuleCount(); ++m) {
        Call(step);
        const int code = ReadGroup(port, device, m, image);
        if (code != ResultCode::Ok)
            return code;
    }
    Call(step);
    return ReadNetwork(port, device, image);
}

int ReadDeviceImage(ExchangeEngine& port, int device, DeviceImage& image,
                    const std::function<void()>& step) {
    Call(step);
    const int code = ReadDeviceConfig(port, device, image);
    return code != ResultCode::Ok ? code : ReadDeviceRecords(port, device, image, step);
}

int ReadBackScope(ExchangeEngine& port, int device, const WriteScope& scope, DeviceImage& image) {
    for (int m = 0; m < DeviceImage::Groups; ++m) {
        if (!scope.HasModule(m))
            continue;
        const int code = ReadGroup(port, device, m, image);
        if (code != ResultCode::Ok)
            return code;
    }
    return scope.network ? ReadNetwork(port, device, image) : ResultCode::Ok;
}
