#include "link/deviceimageread.h"

#include "link/comportclass.h"
#include "link/devicecommands.h"

#include <span>
#include <vector>

namespace {

void Call(const std::function<void()>& f) {
    if (f)
        f();
}

// Module m (0..5): the reply's data are the module number and the 18 record bytes.
int ReadGroup(TComPortClass& port, int device, int m, DeviceImage& image) {
    std::vector<uint8_t> data;
    const int code = ReadBlock(port, device, m + 1, data);
    if (code != ResultCode::Ok)
        return code;
    image.PutGroup(m, std::span<const uint8_t>(data).subspan(1));
    return ResultCode::Ok;
}

int ReadNetwork(TComPortClass& port, int device, DeviceImage& image) {
    std::vector<uint8_t> data;
    const int code = ReadBlock(port, device, DeviceBlock::Network, data);
    if (code == ResultCode::Ok)
        image.PutNetwork(data);
    return code;
}

} // namespace

int ReadDeviceImage(TComPortClass& port, int device, DeviceImage& image,
                    const std::function<void()>& step) {
    image = DeviceImage();
    image.SetHasLabels(false);
    image.PutNumUstrZ(uint8_t(device));
    Call(step);
    std::vector<uint8_t> config;
    int code = ReadConfiguration(port, device, config);
    // Another length is not a configuration: the rest would be read against a wrong module list.
    if (code == ResultCode::Ok && config.size() != size_t(DeviceImage::ConfigSize))
        code = ResultCode::ReceiveError;
    if (code != ResultCode::Ok)
        return code;
    image.PutConfig(config);
    for (int m = 0; m < image.KolMod(); ++m) {
        Call(step);
        code = ReadGroup(port, device, m, image);
        if (code != ResultCode::Ok)
            return code;
    }
    Call(step);
    return ReadNetwork(port, device, image);
}

int ReadBackScope(TComPortClass& port, int device, const WriteScope& scope, DeviceImage& image) {
    for (int m = 0; m < DeviceImage::Groups; ++m) {
        if (!scope.HasModule(m))
            continue;
        const int code = ReadGroup(port, device, m, image);
        if (code != ResultCode::Ok)
            return code;
    }
    return scope.network ? ReadNetwork(port, device, image) : ResultCode::Ok;
}
