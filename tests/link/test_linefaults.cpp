// Line faults end to end: every device sequence the windows call, on the real serial line over a
// pseudo-terminal, against the emulated device misbehaving from a given request of the command
// on. Each scenario checks the code and the operator's message, that the program goes on (no
// request to close the main window), what the model and the device hold afterwards, and that
// the same command then succeeds on a healthy line.

#include "test_linefaults.h"

#include "link/devicecommands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using emu::FaultKind;

struct Scenario {
    const char* name;
    Sequence sequence;
    FaultKind kind;
    int value;         // exception code, bytes kept, CRC bytes spoilt
    double rate;       // CrcRate
    int from;          // the fault starts at this request of the command (1 = its first)
    int busy;          // polls answered busy after every write
    int headerRepeats; // the engine's repeat counts for the scenario
    int bodyRepeats;
    int code;  // expected result: 0 or the code reported
    int sends; // blocks sent (function 69) from the fault's first request on; -1: not
               // counted (the engine's own repeats send the frame again as well)
};

constexpr int kNewNumber = 4; // the bus-number change moves the device to number 5

// Expected texts, written out from the message table rather than taken from the engine.
std::string Expected(int device, const std::string& port, int code) {
    const std::string who = "устройство " + std::to_string(device + 1) + " " + port;
    switch (code) {
    case 129:
        return who + " тайм-аут приема данных";
    case 130:
        return who + " не отвечает на запрос";
    case 131:
        return who + " ошибка контрольной суммы";
    case 2:
        return who + " ошибка обмена 02";
    case 7:
        return who + " ошибка обмена 07";
    default:
        return {};
    }
}

// Request numbers, counted by the device: the read is 17, 68 x2, 68 block 17; the whole write
// is 17, then 69 and 14 for module 1, module 2 and the image; the single writes are 69 and 14.
// The main window's read and write under CRC errors run for as long as asked in the soak.
const Scenario kScenarios[] = {
    // The device goes silent mid-command.
    {"ReadSilent", Sequence::ReadWhole, FaultKind::Silent, 0, 1, 3, 0, 1, 1, 130, -1},
    {"WriteSilent", Sequence::WriteWhole, FaultKind::Silent, 0, 1, 3, 0, 1, 1, 130, 0},
    {"ModuleSilent", Sequence::WriteModule, FaultKind::Silent, 0, 1, 2, 0, 1, 1, 130, 0},
    {"NetworkSilent", Sequence::WriteNetwork, FaultKind::Silent, 0, 1, 2, 0, 1, 1, 130, 0},
    {"BusSilent", Sequence::ChangeBus, FaultKind::Silent, 0, 1, 2, 0, 1, 1, 130, 0},
    // Only part of a frame comes: two bytes of every answer (a header cut short) ...
    {"ReadPartial", Sequence::ReadWhole, FaultKind::Partial, 2, 1, 2, 0, 1, 1, 129, -1},
    {"WritePartial", Sequence::WriteWhole, FaultKind::Partial, 2, 1, 4, 0, 1, 1, 129, -1},
    {"ModulePartial", Sequence::WriteModule, FaultKind::Partial, 2, 1, 1, 0, 1, 1, 129, -1},
    {"NetworkPartial", Sequence::WriteNetwork, FaultKind::Partial, 2, 1, 2, 0, 1, 1, 129, -1},
    {"BusPartial", Sequence::ChangeBus, FaultKind::Partial, 2, 1, 2, 0, 1, 1, 129, -1},
    // ... or a good header and ten bytes of a block (a body cut short).
    {"ReadPartialBody", Sequence::ReadWhole, FaultKind::Partial, 10, 1, 4, 0, 1, 2, 129, -1},
    // Every CRC spoilt.
    {"ReadBadCrc", Sequence::ReadWhole, FaultKind::BadCrc, 3, 1, 2, 0, 1, 2, 131, -1},
    {"WriteBadCrc", Sequence::WriteWhole, FaultKind::BadCrc, 1, 1, 2, 0, 2, 1, 131, 2},
    {"ModuleBadCrc", Sequence::WriteModule, FaultKind::BadCrc, 2, 1, 1, 0, 1, 1, 131, -1},
    {"NetworkBadCrc", Sequence::WriteNetwork, FaultKind::BadCrc, 3, 1, 1, 0, 1, 1, 131, -1},
    {"BusBadCrc", Sequence::ChangeBus, FaultKind::BadCrc, 3, 1, 2, 0, 1, 1, 131, -1},
    // CRCs spoilt at a rate: the engine's repeats and the write's resends get it through.
    {"ReadCrcRate", Sequence::ReadWhole, FaultKind::CrcRate, 0, 0.35, 1, 0, 5, 10, 0, -1},
    {"WriteCrcRate", Sequence::WriteWhole, FaultKind::CrcRate, 0, 0.35, 1, 1, 5, 10, 0, -1},
    {"ModuleCrcRate", Sequence::WriteModule, FaultKind::CrcRate, 0, 0.35, 1, 1, 5, 10, 0, -1},
    {"NetworkCrcRate", Sequence::WriteNetwork, FaultKind::CrcRate, 0, 0.35, 1, 1, 5, 10, 0, -1},
    {"BusCrcRate", Sequence::ChangeBus, FaultKind::CrcRate, 0, 0.35, 1, 1, 5, 10, 0, -1},
    // Busy for many polls: waited out, one send per block.
    {"WriteBusy", Sequence::WriteWhole, FaultKind::Silent, 0, 1, 0, 2, 5, 10, 0, 3},
    {"ModuleBusy", Sequence::WriteModule, FaultKind::Silent, 0, 1, 0, 10, 5, 10, 0, 1},
    {"NetworkBusy", Sequence::WriteNetwork, FaultKind::Silent, 0, 1, 0, 4, 5, 10, 0, 1},
    {"BusBusy", Sequence::ChangeBus, FaultKind::Silent, 0, 1, 0, 4, 5, 10, 0, 1},
    // Exception 2 is resent up to the budget; 7 ends the write at once.
    {"ReadException2", Sequence::ReadWhole, FaultKind::Exception, 2, 1, 2, 0, 5, 10, 2, -1},
    {"WriteException2", Sequence::WriteWhole, FaultKind::Exception, 2, 1, 2, 0, 2, 1, 2, 2},
    {"ModuleException2", Sequence::WriteModule, FaultKind::Exception, 2, 1, 1, 0, 2, 1, 2, 2},
    {"NetworkException2", Sequence::WriteNetwork, FaultKind::Exception, 2, 1, 1, 0, 2, 1, 2, 2},
    {"BusException2", Sequence::ChangeBus, FaultKind::Exception, 2, 1, 2, 0, 2, 1, 2, 1},
    {"ReadException7", Sequence::ReadWhole, FaultKind::Exception, 7, 1, 1, 0, 5, 10, 7, -1},
    {"WriteException7", Sequence::WriteWhole, FaultKind::Exception, 7, 1, 4, 0, 5, 10, 7, 1},
    {"ModuleException7", Sequence::WriteModule, FaultKind::Exception, 7, 1, 1, 0, 5, 10, 7, 1},
    {"NetworkException7", Sequence::WriteNetwork, FaultKind::Exception, 7, 1, 1, 0, 5, 10, 7, 1},
    {"BusException7", Sequence::ChangeBus, FaultKind::Exception, 7, 1, 2, 0, 5, 10, 7, 0},
    // The port vanishes mid-command.
    {"ReadPortGone", Sequence::ReadWhole, FaultKind::Hangup, 0, 1, 2, 0, 5, 10, 257, -1},
    {"WritePortGone", Sequence::WriteWhole, FaultKind::Hangup, 0, 1, 4, 0, 5, 10, 257, 1},
    {"ModulePortGone", Sequence::WriteModule, FaultKind::Hangup, 0, 1, 1, 0, 5, 10, 257, 1},
    {"NetworkPortGone", Sequence::WriteNetwork, FaultKind::Hangup, 0, 1, 2, 0, 5, 10, 257, 0},
    {"BusPortGone", Sequence::ChangeBus, FaultKind::Hangup, 0, 1, 2, 0, 5, 10, 257, 0},
};

// Behind a Modbus TCP gateway a reply spoilt on the device's own line (cut short, a wrong CRC)
// never reaches the program: the gateway answers for the device that it did not respond, and the
// engine takes that as no answer.
int ExpectedCode(const Scenario& s) {
    const bool spoilt = s.kind == FaultKind::Partial || s.kind == FaultKind::BadCrc;
    return TestLineKind() == TestLine::ModbusTcp && spoilt && s.code != 0 ? ResultCode::NoAnswer
                                                                          : s.code;
}

class LineFaults : public ::testing::TestWithParam<Scenario> {
protected:
    void SetUp() override {
        emu::Device::Records r{};
        for (size_t i = 0; i < r.size(); ++i)
            r[i] = uint8_t(0x80 + i);
        rig.device.SetModuleRecords(2, r);
        emu::Device::Image image{};
        for (size_t i = 0; i < image.size(); ++i)
            image[i] = uint8_t(0x11 * i);
        rig.device.SetImage(image);
        rig.device.SetBusyAfterWrite(0);
        rig.device.SeedFaults(5);
        if (GetParam().sequence != Sequence::ReadWhole) {
            // The windows write what was read and then edited.
            ASSERT_EQ(rig.Run(Sequence::ReadWhole), 0) << rig.op.LastText();
            rig.EditModel(0x40);
        }
    }

    // Sends of function 69 the device took since request `after`.
    int Sends(uint64_t after) const {
        int n = 0;
        for (const auto& r : rig.device.RequestLog())
            n += r.number > after && r.function == 69;
        return n;
    }

    void ExpectModelMatchesDevice(Sequence s) {
        switch (s) {
        case Sequence::ReadWhole:
        case Sequence::WriteWhole:
            EXPECT_TRUE(rig.DeviceEqualsModel());
            break;
        case Sequence::WriteModule: {
            const auto r = rig.device.GetModuleRecords(2);
            EXPECT_EQ(std::memcmp(r.data(), rig.inputProgram.Records + 18, 18), 0);
            EXPECT_FALSE(rig.doc.ModuleChanged(1));
            break;
        }
        case Sequence::WriteNetwork: {
            const auto image = rig.device.GetImage();
            EXPECT_EQ(std::memcmp(image.data() + 1, rig.f15.Image + 1, 81), 0);
            EXPECT_FALSE(rig.doc.NetworkChanged());
            break;
        }
        case Sequence::ChangeBus:
            EXPECT_EQ(rig.device.Address(), rig.moduleConfig.BusNumber + 1);
            break;
        }
    }

    LineFaultRig rig;
};

TEST_P(LineFaults, ReportedThenAHealthyLineWorks) {
    Scenario s = GetParam();
    s.code = ExpectedCode(s);
    const uint64_t before = rig.device.RequestCount();
    if (s.from > 0) {
        emu::Fault fault;
        fault.kind = s.kind;
        fault.value = s.value;
        fault.rate = s.rate;
        fault.from = before + uint64_t(s.from);
        rig.device.AddFault(fault);
    }
    rig.device.SetBusyAfterWrite(s.busy);
    rig.port.SetHeaderRepeats(s.headerRepeats);
    rig.port.SetBodyRepeats(s.bodyRepeats);
    rig.op.Clear();

    const int code = rig.Run(s.sequence, 2, kNewNumber);
    EXPECT_EQ(code, s.code);
    if (s.sends >= 0) {
        EXPECT_EQ(Sends(before + uint64_t(s.from > 0 ? s.from - 1 : 0)), s.sends);
    }
    const int shownDevice = rig.moduleConfig.BusNumber;
    // What the operator saw, for the reliability figures (--gtest_output=xml).
    RecordProperty("code", code);
    RecordProperty("message", rig.op.Shown().empty() ? "" : rig.op.Shown()[0].text);
    RecordProperty("requests", int(rig.device.RequestCount() - before));
    if (s.code == 0) {
        EXPECT_TRUE(rig.op.Shown().empty()) << rig.op.LastText();
        ExpectModelMatchesDevice(s.sequence);
        if (s.kind == FaultKind::CrcRate) { // some answers were spoilt and asked again
            EXPECT_GT(rig.device.RequestCount() - before,
                      uint64_t(s.sequence == Sequence::ReadWhole    ? 4
                               : s.sequence == Sequence::WriteWhole ? 7
                                                                    : 2));
        }
    } else {
        ASSERT_EQ(rig.op.Shown().size(), 1u);
        const OperatorMessage& m = rig.op.Shown()[0];
        if (s.code == ResultCode::PortFailure) {
            EXPECT_EQ(m.text.rfind(PortFailureStart(rig.port.PortName), 0), 0u) << m.text;
            EXPECT_NE(m.text.find(PortFailureAdvice(rig.port.PortName)), std::string::npos)
                << m.text;
            EXPECT_EQ(m.caption, "Ошибка");
            EXPECT_EQ(m.icon, MsgIcon::Error);
            EXPECT_FALSE(rig.port.IsOpen());
        } else {
            EXPECT_EQ(m.text, Expected(shownDevice, rig.port.PortName, s.code));
            EXPECT_EQ(m.caption, "Предупреждение");
            EXPECT_EQ(m.icon, MsgIcon::Warning);
        }
        // A failed write does not pass for a stored one.
        if (s.sequence == Sequence::WriteModule) {
            EXPECT_TRUE(rig.doc.ModuleChanged(1));
        }
        if (s.sequence == Sequence::WriteNetwork) {
            EXPECT_TRUE(rig.doc.NetworkChanged());
        }
    }

    if (s.code == 0)
        return; // nothing to recover from
    // The same command on a healthy line, after the port was set up again if it vanished.
    rig.device.ClearFaults();
    rig.device.SetBusyAfterWrite(0);
    rig.port.SetHeaderRepeats(5);
    rig.port.SetBodyRepeats(10);
    if (!rig.port.IsOpen())
        rig.Plug();
    rig.op.Clear();
    const int later = rig.Run(s.sequence, 2, kNewNumber + 1);
    EXPECT_EQ(later, 0) << rig.op.LastText();
    RecordProperty("later", later);
    EXPECT_TRUE(rig.op.Shown().empty()) << rig.op.LastText();
    ExpectModelMatchesDevice(s.sequence);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, LineFaults, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
