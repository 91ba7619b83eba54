#include "support/testline.h"

#include "emuserver/ptyserver.h"
#include "emuserver/tcpserver.h"

#include <cstdlib>

TestLine TestLineKind() {
    const char* kind = std::getenv("LUM_TEST_LINE");
    const std::string text = kind ? kind : "";
    if (text == "tcp")
        return TestLine::RtuOverTcp;
    if (text == "mbtcp")
        return TestLine::ModbusTcp;
    return TestLine::Pty;
}

std::unique_ptr<emu::LineServer> MakeTestServer(emu::Device& device) {
    std::unique_ptr<emu::LineServer> server;
    switch (TestLineKind()) {
    case TestLine::Pty:
        server = std::make_unique<emu::PtyServer>();
        break;
    case TestLine::RtuOverTcp:
        server = std::make_unique<emu::TcpServer>(emu::TcpServer::Framing::RtuOverTcp);
        break;
    case TestLine::ModbusTcp:
        server = std::make_unique<emu::TcpServer>(emu::TcpServer::Framing::ModbusTcp);
        break;
    }
    server->AddDevice(device);
    return server;
}

std::vector<std::string> EmulatorLineOptions() {
    switch (TestLineKind()) {
    case TestLine::RtuOverTcp:
        return {"--tcp", "127.0.0.1:0"};
    case TestLine::ModbusTcp:
        return {"--mbtcp", "127.0.0.1:0"};
    case TestLine::Pty:
        break;
    }
    return {};
}
