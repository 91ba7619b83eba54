#pragma once
// Device sequences: the multi-request reads of the program as plain functions over the engine,
// the device document and a progress callback. The windows call them and show the result; a
// non-zero code is for ExchangeEngine::ReportError on the device the sequence leaves in
// doc.modules.BusNumber. Writes, the bus-number change among them, go through the one write path
// (link/devicewrite.h).

#include "link/devicecommands.h"

#include <functional>
#include <string>

class DeviceDocument;
class ExchangeEngine;

// The share of a command's requests done so far, and the step now under way ("Модуль 3 из 6").
using ShareProgress = std::function<void(int done, int total, const std::string& step)>;

// What the whole-device read tells its window as it goes.
struct ReadProgress {
    std::function<void()> step;        // one step of the progress bar
    std::function<void()> configTaken; // the configuration is in: show the module table
    ShareProgress share;
};

// Reads the configuration, every fitted module's records and the network image of device
// doc.modules.BusNumber into the document. newBusNumber is the new-number choice the window shows
// after the configuration. Returns 0, or the code of the request that failed: what came before
// it stays in the document, and the blocks not read are not known. After the configuration the
// document's origin is the device and its baseline what was read.
int ReadWholeDevice(ExchangeEngine& port, DeviceDocument& doc, int newBusNumber,
                    const ReadProgress& progress);

// Reads module m's (1..6) records into the document; they are then known and in the baseline.
int ReadModule(ExchangeEngine& port, DeviceDocument& doc, int m);

// The clock of the whole line set (function 70 to the broadcast address: no device answers it),
// then the clock of `device` read back, the only proof that the setting was taken.
struct ClockSetting {
    int sendCode = 0;   // the broadcast's; not 0: nothing left the PC and nothing was read
    int readCode = 0;   // the read-back's
    DeviceClock read{}; // the device's clock as read back
    bool taken = false; // read back and within the time the read took of what was set
};
ClockSetting SetClockAndReadBack(ExchangeEngine& port, int device, const DeviceClock& clock);
