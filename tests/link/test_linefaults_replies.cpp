// Replies that pass the CRC but are not what the program asked for, inside the device
// sequences: the sequence ends with a receive error and the model keeps what it had, instead of
// going on as if the reply had been taken.

#include "enginefixture.h"

#include "emu/device.h"
#include "link/devicesequences.h"
#include "link/devicewrite.h"
#include "model/devicedocument.h"
#include "words/linkwords.h"

#include <cstring>

namespace {

// The configuration reply with another byte count than the 17 of the protocol, padded with
// zeros or cut; everything else comes from the emulated device.
class OddConfiguration : public EngineTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        // The model as read before from another device: one "МЛВ" in slot 2, labels, records.
        const uint8_t config[17] = {1, 0, 0, 1};
        moduleConfig.PutConfig(config);
        moduleConfig.MakeInputIds();
        moduleConfig.PutDefaultLabel(0);
        std::memset(inputProgram.Records, 0x33, sizeof inputProgram.Records);
        std::memcpy(configBefore, moduleConfig.Config, sizeof configBefore);
        line.SetResponder([this](const Bytes& request) {
            if (request.size() == 4 && request[1] == 17) {
                Bytes data = {2, 1, 0, 0, 2};
                data.resize(size_t(GetParam()), 0);
                return TestFrame::Normal(request[0], 17, data);
            }
            return device.Handle(request);
        });
    }

    void ExpectModelAsBefore() {
        EXPECT_EQ(std::memcmp(moduleConfig.Config, configBefore, sizeof configBefore), 0);
        EXPECT_EQ(moduleConfig.GetModuleCount(), 1);
        EXPECT_EQ(moduleConfig.ModuleAddress[0], 2);
        EXPECT_EQ(moduleConfig.GetInputId(0), "DI_1_1    ");
        EXPECT_EQ(moduleConfig.GetLabel(0), "\xc4\xe8\xf1\xea\xf0.\xf1\xe8\xe3\xed.001");
        EXPECT_EQ(inputProgram.Records[0], 0x33);
    }

    emu::Device device;
    DeviceDocument doc;
    ModuleConfig& moduleConfig = doc.modules;
    InputProgram& inputProgram = doc.program;
    uint8_t configBefore[17] = {};
};

TEST_P(OddConfiguration, ReadEndsWithReceiveErrorAndKeepsTheModel) {
    EXPECT_EQ(ReadWholeDevice(port, doc, 0, {}), ResultCode::ReceiveError);
    ExpectModelAsBefore();
    ASSERT_EQ(line.Written().size(), 1u); // the configuration request, nothing after it
    ReportError(port, moduleConfig.BusNumber, ResultCode::ReceiveError);
    EXPECT_EQ(op.LastText(), "устройство 1 FAKE ошибка приема данных ");
}

TEST_P(OddConfiguration, WriteSendsNothing) {
    doc.SetConfigKnown(true);
    for (int m = 0; m < 6; ++m)
        doc.SetModuleKnown(m, true);
    doc.SetNetworkKnown(true);
    WriteRequest request;
    request.scope = WriteScope::WholeDevice(moduleConfig.GetModuleCount());
    request.accessLevel = 1;
    request.backup = false;
    WriteHooks hooks;
    hooks.op = &op;
    const DeviceWriteReport report = WriteToDevice(port, doc, request, hooks);
    EXPECT_EQ(report.end, WriteEnd::Failed);
    EXPECT_EQ(report.code, ResultCode::ReceiveError);
    ExpectModelAsBefore();
    for (const Bytes& frame : line.Written())
        EXPECT_NE(frame[1], 69);
    EXPECT_TRUE(op.Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(ByteCounts, OddConfiguration, ::testing::Values(16, 18, 40, 255));

} // namespace
