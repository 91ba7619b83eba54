#pragma once
// The kind of line the emulator-backed tests run on: a pseudo-terminal by default, or a gateway
// on loopback when the environment variable LUM_TEST_LINE says tcp or mbtcp. The same tests then
// run once more over each gateway (ctest's *_tcp and *_mbtcp entries) without a copy of them.

#include "emu/device.h"
#include "emuserver/lineserver.h"

#include <memory>
#include <string>
#include <vector>

enum class TestLine { Pty, RtuOverTcp, ModbusTcp };

TestLine TestLineKind();
// A server of the device on that kind of line, not opened yet.
std::unique_ptr<emu::LineServer> MakeTestServer(emu::Device& device);
// lum08-emu's options for that kind of line (none for a pseudo-terminal).
std::vector<std::string> EmulatorLineOptions();
