// The exchange engine and the device command set fed arbitrary replies: every request the
// program sends (17, 68 for blocks 1..6 and 17, 69, 14, 4, 70) alone and inside the device
// sequences the windows call. Every outcome must be a result code, the reply buffer is a heap
// block of exactly 260 bytes so that any overrun is seen, and the model stays within its limits.

#include "fuzzline.h"

#include "link/devicecommands.h"
#include "link/devicesequences.h"
#include "link/devicewrite.h"
#include "link/exchangeengine.h"
#include "model/devicedocument.h"
#include "model/operator.h"
#include "words/linkwords.h"

#include <memory>

namespace {

struct Model {
    DeviceDocument doc;
    ModuleConfig& serv = doc.modules;
    InputProgram& lum = doc.program;
    NetworkBlocks& f15 = doc.network;
};

// A write through the one write path, without the back-up (it would touch the disk).
int Write(ExchangeEngine& port, Model& m, Operator& op, const WriteScope& scope) {
    WriteRequest request;
    request.scope = scope;
    request.accessLevel = 1;
    request.backup = false;
    WriteHooks hooks;
    hooks.op = &op;
    const DeviceWriteReport report = WriteToDevice(port, m.doc, request, hooks);
    FUZZ_CHECK(report.end != WriteEnd::Done || report.AllWritten() || !report.differences.empty() ||
               (report.readBackCode != 0 && report.Count(BlockState::NotVerified) > 0));
    return report.end == WriteEnd::Failed ? report.code : 0;
}

bool IsResultCode(int code) {
    return (code >= 0 && code <= 255) || code == ResultCode::PortNotOpen ||
           code == ResultCode::PortFailure || code == ResultCode::BusyTooLong;
}

void CheckModel(const Model& m) {
    FUZZ_CHECK(m.serv.GetModuleCount() >= 0 && m.serv.GetModuleCount() <= 6);
    FUZZ_CHECK(m.lum.GetModuleWriteLength() == InputProgram::ModuleWriteLengthMax);
    FUZZ_CHECK(m.f15.GetWriteLength() >= 1 && m.f15.GetWriteLength() <= NetworkBlocks::ImageSize);
    for (int k = 0; k < 6; ++k)
        FUZZ_CHECK(m.serv.ModuleAddress[k] >= 0 && m.serv.ModuleAddress[k] < 16);
}

int RawExchange(ExchangeEngine& port, FuzzedDataProvider& in) {
    static const int kFunctions[] = {17, 68, 69, 14, 4, 70};
    const int function = in.PickValueInArray(kFunctions);
    const int count = in.ConsumeIntegralInRange<int>(0, 90);
    std::vector<uint8_t> data = in.ConsumeBytes<uint8_t>(size_t(count));
    auto reply = std::make_unique<uint8_t[]>(ExchangeEngine::ReplyBufferSize);
    const int code =
        port.Exchange(in.ConsumeIntegralInRange<int>(0, 30), function, int(data.size()),
                      data.empty() ? nullptr : data.data(), reply.get());
    FUZZ_CHECK(port.ReplyLength <= ExchangeEngine::ReplyBufferSize);
    if (function == 70)
        FUZZ_CHECK(code == 0 || code == ResultCode::PortFailure);
    if (code == 0 && function != 70)
        FUZZ_CHECK(ExchangeEngine::Crc16(port.ReplyLength, reply.get()) == 0);
    return code;
}

int Command(ExchangeEngine& port, FuzzedDataProvider& in, Model& m, Operator& op) {
    const int device = in.ConsumeIntegralInRange<int>(0, 30);
    std::vector<uint8_t> data;
    switch (in.ConsumeIntegralInRange<int>(0, 13)) {
    case 0: {
        const int code = ReadConfiguration(port, device, data);
        FUZZ_CHECK(code != 0 || data.size() >= size_t(ReplySize::Config));
        return code;
    }
    case 1: {
        const int block = in.PickValueInArray({1, 2, 3, 4, 5, 6, 17});
        const int code = ReadBlock(port, device, block, data);
        FUZZ_CHECK(code != 0 || data.size() >= size_t(block == 17 ? 82 : 19));
        return code;
    }
    case 2: {
        DeviceClock clock{};
        return ReadClock(port, device, clock);
    }
    case 3:
        return SetClockBroadcast(port, DeviceClock{1, 2, 3, 4, 5, 6, 7});
    case 4:
        return Poll(port, device);
    case 5: {
        int d = device;
        const std::vector<uint8_t> block = m.lum.ModuleWriteData(in.ConsumeIntegralInRange(0, 5));
        return WriteAndConfirm(port, d, block.data(), int(block.size()));
    }
    case 6:
        return ReadWholeDevice(port, m.doc, in.ConsumeIntegralInRange<int>(0, 30), {});
    case 7:
        return Write(port, m, op, WriteScope::WholeDevice(m.serv.GetModuleCount()));
    case 8:
        return ReadModule(port, m.doc, in.ConsumeIntegralInRange<int>(1, 6));
    case 9:
        return Write(port, m, op, WriteScope::Module(in.ConsumeIntegralInRange(0, 5)));
    case 10:
        m.serv.PutNewBusNumber(in.ConsumeIntegralInRange<uint8_t>(0, 30));
        return Write(port, m, op, WriteScope::NetworkImage());
    case 11: {
        WriteRequest request;
        const DeviceWriteReport report =
            ChangeBusNumber(port, m.doc, in.ConsumeIntegralInRange<int>(0, 30), request, {});
        return report.end == WriteEnd::Failed ? report.code : 0;
    }
    default:
        return RawExchange(port, in);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider in(bytes, size);
    FuzzLine line(in);
    InstantClock clock;
    SilentOperator op;
    ExchangeEngine port(line, clock);
    port.SetOperator(&op);
    port.PortName = FuzzLine::PortName;
    if (port.ApplyPortSettings() != 0)
        __builtin_trap();
    port.SetHeaderRepeats(in.ConsumeIntegralInRange<int>(1, 5));
    port.SetBodyRepeats(in.ConsumeIntegralInRange<int>(1, 10));
    port.SetDelayTx(0);
    Model m;
    // A few commands in a row on one engine, as an operator would give them.
    for (int i = 0; i < 4 && in.remaining_bytes() > 0; ++i) {
        const int code = Command(port, in, m, op);
        FUZZ_CHECK(IsResultCode(code) || code == -1);
        CheckModel(m);
        if (code > 0)
            ReportError(port, m.serv.BusNumber, code);
        if (!port.IsOpen() && port.ApplyPortSettings() != 0)
            __builtin_trap();
    }
    return 0;
}
