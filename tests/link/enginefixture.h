#pragma once
// An engine on the scripted line and the virtual clock, with its port opened and a scripted
// operator that records every message.

#include "link/exchangeengine.h"
#include "support/fakeline.h"
#include "support/scriptedoperator.h"
#include "support/testframes.h"
#include "support/virtualclock.h"
#include "words/linkwords.h"

#include <gtest/gtest.h>

using Bytes = std::vector<uint8_t>;

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        port.SetOperator(&op);
        UseLinkWords(port);
        port.PortName = FakeLine::PortName;
        ASSERT_EQ(port.ApplyPortSettings(), 0);
        line.ClearRecords();
    }

    // One transaction with the reply buffer of this fixture.
    int Run(int device, int function, const Bytes& data = {}) {
        return port.Exchange(device, function, static_cast<int>(data.size()),
                             data.empty() ? nullptr : data.data(), reply);
    }
    Bytes ReplyBytes(int n) const { return Bytes(reply, reply + n); }

    VirtualClock clock;
    FakeLine line{clock};
    ScriptedOperator op;
    ExchangeEngine port{line, clock};
    uint8_t reply[ExchangeEngine::ReplyBufferSize] = {};
};
