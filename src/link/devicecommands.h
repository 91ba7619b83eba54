#pragma once
// The device's command set over the exchange engine: one function per request the program
// sends, and the write-and-confirm sequence that every block write goes through.
// All return the engine's result code (0 on success); none shows a message: the caller passes
// a failure to ExchangeEngine::ReportError.

#include "link/exchangeengine.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace DeviceCommand {
constexpr int ReadInputRegisters = 4;
constexpr int Poll = 14;
constexpr int ReadConfig = 17;
constexpr int ReadBlock = 68;
constexpr int WriteBlock = 69;
constexpr int SetClock = 70;
} // namespace DeviceCommand

namespace DeviceBlock {
constexpr int FirstModule = 1;
constexpr int LastModule = 6;
constexpr int Network = 17;
constexpr int BusAddress = 99;
} // namespace DeviceBlock

// Smallest byte counts of the replies the program takes apart. A shorter reply that passes the
// CRC is not what was asked for; it ends the command with 128 rather than leaving the caller
// to read bytes that never came.
namespace ReplySize {
constexpr int Config = 17;
constexpr int ModuleBlock = 19; // module number and 18 record bytes
constexpr int NetworkBlock = 82;
constexpr int Clock = 14; // seven registers, high byte first
} // namespace ReplySize

constexpr int ClockBytes = 7; // seconds, minutes, hours, day, month, year, weekday
using DeviceClock = std::array<uint8_t, ClockBytes>;

// Function 17: the module configuration. data receives the reply's data bytes (its byte count
// of them, at least 17): number of modules, then the module code of slot positions 0..15.
int ReadConfiguration(ExchangeEngine& port, int device, std::vector<uint8_t>& data);

// Function 68: block 1..6 (module number and 18 record bytes; the count is ModuleWriteLength) or
// block 17 (the 82 bytes of the network image, first byte 17). data receives the reply's data
// bytes.
int ReadBlock(ExchangeEngine& port, int device, int block, std::vector<uint8_t>& data);

// Function 69: data[0] is the block number, then the block data. Of the reply only an
// exception counts (the block was not taken); writes are confirmed with Poll (see
// WriteAndConfirm).
int WriteBlock(ExchangeEngine& port, int device, const uint8_t* data, int count);

// Function 14: 0 once the device has stored the last block, 6 while it is still writing.
int Poll(ExchangeEngine& port, int device);

// Function 4 on input registers 1000..1006: the device clock, the low byte of each register.
int ReadClock(ExchangeEngine& port, int device, DeviceClock& clock);

// Function 70 to the broadcast address: sets the clocks of all devices; nothing comes back.
int SetClockBroadcast(ExchangeEngine& port, const DeviceClock& clock);

// How a block write starts and what goes along with it.
struct WriteConfirm {
    // The 50 ms pause before the first send (the main window and the scheme editor); the
    // network windows start straight away.
    bool initialPause = true;
    // Blocks 99 and 17 carry the device's new bus number (0-based): from each send on, the
    // device answers there. -1 keeps the device.
    int switchDeviceTo = -1;
    // Called after each send (a progress step).
    std::function<void()> onSend;
    // Called at each "busy" answer with the time the device has been busy so far.
    std::function<void(int busyMs)> onBusy;
    // A device still busy after this long ends the write with BusyTooLong.
    int busyLimitMs = 30000;
};

// Codes on which a write is given up at once, without sending the block again.
bool IsFinalWriteCode(int code);

// Sends the block (data[0] = block number) with function 69 and polls with 14 until the device
// has stored it: 6 is waited out every 200 ms up to how.busyLimitMs, a final code ends at once, any
// other failure costs 200 ms and one of GetHeaderRepeats() sends. An exception answer to the send
// itself means the block was not taken: 7 ends the write, 6 is waited out by polling, and the
// block goes again. device is updated when the device takes a block that moves it to a new
// address. Returns 0 or the last code.
int WriteAndConfirm(ExchangeEngine& port, int& device, const uint8_t* data, int count,
                    const WriteConfirm& how = {});
