#pragma once
// A device sequence on the real serial path: the engine with its QSerialPort line on a
// pseudo-terminal (or its gateway line on loopback, support/testline.h), the emulated device
// behind it with its fault injection, a scripted operator
// and the model the windows hand to the sequences. The operator's messages come from the
// engine's ReportError, as in the windows.

#include "emu/device.h"
#include "emuserver/lineserver.h"
#include "link/devicesequences.h"
#include "link/devicewrite.h"
#include "link/exchangeengine.h"
#include "link/gatewayaddress.h"
#include "model/devicedocument.h"
#include "support/qtcoreapp.h"
#include "support/scriptedoperator.h"
#include "support/testline.h"
#include "words/linkwords.h"

#include <memory>
#include <stdexcept>
#include <string>

enum class Sequence { ReadWhole, WriteWhole, WriteModule, WriteNetwork, ChangeBus };

class LineFaultRig {
public:
    LineFaultRig() {
        EnsureCoreApplication();
        port.SetOperator(&op);
        Plug();
        // The document came from this device: what a write leaves there is its baseline.
        doc.SetOrigin(DocumentOrigin::Device(0, port.PortName, "9600 N 2"));
    }
    ~LineFaultRig() {
        port.ClosePort();
        if (server)
            server->Stop();
    }

    // A fresh pseudo-terminal (or gateway) for the same device, and the port set to it: what
    // the operator does after the port vanished.
    void Plug() {
        if (server)
            server->Stop();
        server = MakeTestServer(device);
        std::string error;
        if (!server->Start(&error))
            throw std::runtime_error("emulator: " + error);
        port.PortName = server->PortName();
        if (port.ApplyPortSettings() != 0)
            throw std::runtime_error("the pseudo-terminal did not open");
        port.SetDelayTx(1);
    }

    // A write through the one write path, as a window makes it, without the back-up and the
    // read-back around it: the exchange code, -1 for a refusal.
    int Write(const WriteScope& scope, bool initialPause = true) {
        WriteRequest request;
        request.scope = scope;
        request.accessLevel = 1;
        request.backup = false;
        request.verify = false;
        request.initialPause = initialPause;
        WriteHooks hooks;
        hooks.op = &op;
        lastWrite = WriteToDevice(port, doc, request, hooks);
        return lastWrite.end == WriteEnd::Failed ? lastWrite.code
               : lastWrite.end == WriteEnd::Done ? 0
                                                 : -1;
    }

    // Runs the sequence as its window does: a non-zero code goes to ReportError.
    int Run(Sequence s, int module = 2, int newNumber = 4) {
        int code = 0;
        switch (s) {
        case Sequence::ReadWhole:
            code = ReadWholeDevice(port, doc, moduleConfig.BusNumber, {});
            break;
        case Sequence::WriteWhole:
            code = Write(WriteScope::WholeDevice(moduleConfig.GetModuleCount()));
            break;
        case Sequence::WriteModule:
            code = Write(WriteScope::Module(module - 1));
            break;
        case Sequence::WriteNetwork:
            code = Write(WriteScope::NetworkImage(), false);
            break;
        case Sequence::ChangeBus: {
            WriteRequest request;
            request.accessLevel = 1;
            WriteHooks hooks;
            hooks.op = &op;
            lastWrite = ChangeBusNumber(port, doc, newNumber, request, hooks);
            code = lastWrite.end == WriteEnd::Failed ? lastWrite.code : 0;
            break;
        }
        }
        if (code > 0)
            ReportError(port, moduleConfig.BusNumber, code);
        return code;
    }

    // Model edits that a write must carry to the device.
    void EditModel(uint8_t seed) {
        for (int i = 0; i < 108; ++i)
            inputProgram.Records[i] = uint8_t(seed + 7 * i);
        for (int i = 1; i < 82; ++i)
            f15.Image[i] = uint8_t(seed ^ (3 * i));
        f15.PutWriteLength(82);
        doc.SetConfigKnown(true);
        for (int m = 0; m < 6; ++m)
            doc.SetModuleKnown(m, true);
        doc.SetNetworkKnown(true);
    }

    // Whether the device holds what the model says: the fitted modules' records and the image.
    bool DeviceEqualsModel() const {
        const auto config = device.GetConfig();
        for (int i = 0; i < 17; ++i)
            if (config[size_t(i)] != moduleConfig.Config[i])
                return false;
        for (int k = 0; k < moduleConfig.GetModuleCount(); ++k) {
            const auto r = device.GetModuleRecords(k + 1);
            for (int i = 0; i < 18; ++i)
                if (r[size_t(i)] != inputProgram.Records[18 * k + i])
                    return false;
        }
        const auto image = device.GetImage();
        for (int i = 1; i < 82; ++i)
            if (image[size_t(i)] != f15.Image[i])
                return false;
        return true;
    }

    emu::Device device;
    std::unique_ptr<emu::LineServer> server;
    ScriptedOperator op;
    ExchangeEngine port; // the real line and the real clock
    DeviceDocument doc;
    ModuleConfig& moduleConfig = doc.modules;
    InputProgram& inputProgram = doc.program;
    NetworkBlocks& f15 = doc.network;
    DeviceWriteReport lastWrite;
};

// The start and the advice of the message for a port that failed: a gateway is named as one.
inline std::string PortFailureStart(const std::string& port) {
    return (IsGatewayName(port) ? "Сбой соединения со шлюзом " : "Сбой COM-порта ") + port +
           " при чтении или записи";
}
inline std::string PortFailureAdvice(const std::string& port) {
    return IsGatewayName(port) ? ". Проверьте шлюз и сеть и заново настройте порт."
                               : ". Проверьте оборудование и заново настройте порт.";
}
