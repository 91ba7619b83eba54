// The emulator process itself dies in the middle of a write: killed outright while the program
// waits for its answer, or dropping its line at a given request (it then ends). The write ends
// with the port failure and its message, nothing asks the program to close, and a new emulator
// on a new port then takes the same write. Behind a gateway the connection alone may drop.

#include "test_linefaults.h"

#include "link/devicesequences.h"
#include "link/devicewrite.h"
#include "link/exchangeengine.h"
#include "model/devicedocument.h"
#include "support/emuprocess.h"
#include "support/qtcoreapp.h"
#include "support/scriptedoperator.h"
#include "support/testline.h"
#include "words/linkwords.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace {

class EmulatorDies : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureCoreApplication();
        port.SetOperator(&op);
        std::string error;
        ASSERT_TRUE(emu.Start({"--busy", "0"}, &error)) << error;
        Connect(emu);
        ASSERT_EQ(ReadWholeDevice(port, doc, 0, {}), 0);
        for (int i = 0; i < 108; ++i)
            inputProgram.Records[i] = uint8_t(0x21 + 5 * i);
    }

    void Connect(EmuProcess& process) {
        port.PortName = process.Port();
        ASSERT_EQ(port.ApplyPortSettings(), 0);
        port.SetDelayTx(1);
    }

    // The module write through the one write path, without the back-up and the read-back: a
    // failure goes to the operator.
    int WriteSecondModule() {
        WriteRequest request;
        request.scope = WriteScope::Module(1);
        request.accessLevel = 1;
        request.backup = false;
        request.verify = false;
        const DeviceWriteReport report = WriteToDevice(port, doc, request, {});
        const int code = report.end == WriteEnd::Failed ? report.code : 0;
        if (code != 0)
            ReportError(port, moduleConfig.BusNumber, code);
        return code;
    }

    void ExpectPortFailureTold(const std::string& portName) {
        ASSERT_EQ(op.Shown().size(), 1u);
        const OperatorMessage& m = op.Shown()[0];
        EXPECT_EQ(m.text.rfind(PortFailureStart(portName), 0), 0u) << m.text;
        EXPECT_NE(m.text.find(PortFailureAdvice(portName)), std::string::npos);
        EXPECT_EQ(m.caption, "Ошибка");
        EXPECT_FALSE(port.IsOpen());
        // Records the device never confirmed stay changed.
        EXPECT_TRUE(doc.ModuleChanged(1));
    }

    // A new emulator, the port set to it, and the same write.
    void HealthyLineTakesTheWrite() {
        EmuProcess fresh;
        std::string error;
        ASSERT_TRUE(fresh.Start({"--busy", "1"}, &error)) << error;
        Connect(fresh);
        op.Clear();
        EXPECT_EQ(WriteSecondModule(), 0) << op.LastText();
        EXPECT_TRUE(op.Shown().empty());
        const auto dump = fresh.Dump();
        ASSERT_TRUE(dump.has_value());
        EXPECT_EQ(std::memcmp(dump->blocks[1].data(), inputProgram.Records + 18, 18), 0);
        EXPECT_FALSE(doc.ModuleChanged(1));
        port.ClosePort();
    }

    EmuProcess emu;
    ScriptedOperator op;
    ExchangeEngine port;
    DeviceDocument doc;
    ModuleConfig& moduleConfig = doc.modules;
    InputProgram& inputProgram = doc.program;
};

TEST_F(EmulatorDies, KilledWhileTheProgramWaitsForItsAnswer) {
    // The block is taken, then the poll is not answered: the program waits 1.3 s for it, and
    // the emulator is killed in that wait.
    ASSERT_TRUE(emu.Command("fault silent from +2 fn 14"));
    port.SetHeaderRepeats(1);
    const std::string portName = port.PortName;
    std::thread killer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(900));
        emu.Kill();
    });
    const auto start = std::chrono::steady_clock::now();
    const int code = WriteSecondModule();
    killer.join();
    EXPECT_EQ(code, ResultCode::PortFailure);
    // Ended by the vanished port, not by the read time-out.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1600));
    ExpectPortFailureTold(portName);
    port.SetHeaderRepeats(5);
    HealthyLineTakesTheWrite();
}

TEST_F(EmulatorDies, DropsItsLineAtTheBlockWrite) {
    ASSERT_TRUE(emu.Command("fault hangup from +1"));
    const std::string portName = port.PortName;
    EXPECT_EQ(WriteSecondModule(), ResultCode::PortFailure);
    ExpectPortFailureTold(portName);
    // The emulator ends on its own, with the status of a dropped line.
    for (int i = 0; i < 100 && emu.Running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(emu.Running());
    EXPECT_EQ(emu.ExitStatus(), 3);
    HealthyLineTakesTheWrite();
}

TEST_F(EmulatorDies, ADroppedConnectionIsAPortFailureAndTheGatewayTakesTheNextOne) {
    ASSERT_TRUE(emu.Command("fault drop from +1"));
    const std::string portName = port.PortName;
    EXPECT_EQ(WriteSecondModule(), ResultCode::PortFailure);
    ExpectPortFailureTold(portName);
    if (TestLineKind() == TestLine::Pty) {
        // A terminal has no connection of its own: the whole line goes, as with a hangup.
        for (int i = 0; i < 100 && emu.Running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(emu.ExitStatus(), 3);
        return;
    }
    // The gateway lives on: the operator chooses the same port again and the write goes through.
    EXPECT_TRUE(emu.Running());
    ASSERT_TRUE(emu.Command("fault none"));
    Connect(emu);
    op.Clear();
    EXPECT_EQ(WriteSecondModule(), 0) << op.LastText();
    const auto dump = emu.Dump();
    ASSERT_TRUE(dump.has_value());
    EXPECT_EQ(std::memcmp(dump->blocks[1].data(), inputProgram.Records + 18, 18), 0);
}

} // namespace
