// Switching the RS-485 driver with RTS: which means a port offers decides the mode, and the
// order of the calls around every request.

#include "enginefixture.h"
#include "link/transmitswitch.h"

namespace {

using Calls = std::vector<std::string>;

struct SwitchCase {
    const char* name;
    TransmitControl control;
    bool kernelMode, rts; // what the port can do
    bool opens;
    Calls calls; // opening, one exchange, closing
};

class TransmitSweep : public EngineTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(TransmitSweep, CallsInOrder) {
    const SwitchCase c = GetParam();
    // The switch wraps the fake's writes as the real port wraps its own.
    class SwitchedLine : public FakeLine {
    public:
        using FakeLine::FakeLine;
        bool open(const LineSettings& s) override {
            return FakeLine::open(s) && (sw.Start(*this, s.transmit) || (FakeLine::close(), false));
        }
        bool close() override {
            sw.Stop(*this);
            return FakeLine::close();
        }
        std::string openFailureText() const override { return sw.Refusal(); }
        int write(const uint8_t* b, int n) override {
            return sw.Write(*this, [&] { return FakeLine::write(b, n); });
        }
        TransmitSwitch sw;
    } switched{clock};
    switched.SetDirectionMeans(c.kernelMode, c.rts);
    switched.SetResponder([](const Bytes&) { return TestFrame::WithCrc({0x01, 0x0E}); });
    ExchangeEngine engine{switched, clock};
    engine.PortName = FakeLine::PortName;
    engine.Transmit = c.control;
    ASSERT_EQ(engine.ApplyPortSettings(), c.opens ? 0 : -1);
    if (c.opens) {
        EXPECT_EQ(engine.Exchange(0, 14, 0, nullptr, reply), 0);
        engine.ClosePort();
    } else {
        EXPECT_EQ(engine.OpenFailureText(), TransmitSwitch::RefusalText);
    }
    EXPECT_EQ(switched.DirectionCalls(), c.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Ports, TransmitSweep,
    ::testing::Values(
        SwitchCase{"AdapterSwitches", TransmitControl::Auto, true, true, true, {"write"}},
        SwitchCase{"KernelMode",
                   TransmitControl::Rts,
                   true,
                   true,
                   true,
                   {"rs485 on", "write", "rs485 off"}},
        SwitchCase{"RtsByHand",
                   TransmitControl::Rts,
                   false,
                   true,
                   true,
                   {"rs485 on", "rts 0", "rts 1", "write", "drain", "rts 0", "rts 0"}},
        SwitchCase{"Refused", TransmitControl::Rts, false, false, false, {"rs485 on", "rts 0"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
