#pragma once
// The bus monitor's counts per device, for commissioning a line: requests put on the line
// (repeats included, as the device counts them), whole answers, time-outs, checksum errors,
// exceptions and the response time from the end of a request to its answer. Kept from the
// program's start; plain C++, no Qt. And the monitor's frames as CSV, one row per frame.

#include "link/framerecorder.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct DeviceCounts {
    int64_t requests = 0;
    int64_t answers = 0;    // whole replies with a right CRC, exceptions included
    int64_t timeouts = 0;   // nothing came, or a reply stopped short
    int64_t crcErrors = 0;  // whole replies with a wrong CRC
    int64_t exceptions = 0; // of the answers, the device's exceptions
    int64_t minMicros = 0;  // response time of the answers
    int64_t maxMicros = 0;
    int64_t sumMicros = 0;
};

class LineCounts : public FrameObserver {
public:
    // By bus number 1..31 (0: the broadcast address).
    const std::map<int, DeviceCounts>& Devices() const { return devices_; }
    void Clear() { devices_.clear(); }

    // "Прибор 1: запросов 120, ответов 110, тайм-аутов 5, ошибок CRC 5, исключений 0,
    // ответ мин/сред/макс 9/12/40 мс", a line per device.
    std::vector<std::string> Lines() const;

    void OnRequest(int64_t at, const uint8_t* frame, int length, int device, int function) override;
    void OnReply(int64_t at, const uint8_t* bytes, int length, ReplyCheck check) override;
    void OnTimeout(int64_t at, int64_t waited) override;

private:
    std::map<int, DeviceCounts> devices_;
    int current_ = -1; // bus number of the request under way
    int64_t sentAt_ = 0;
};

// The recorded frames as CSV for a spreadsheet: a header, then one row per request, reply and
// time-out (results are not frames): date, time, milliseconds since the first row, device,
// direction, function, bytes, check, response time in ms. Fields are separated by semicolons
// (what a spreadsheet set to Russian takes), decimals with a comma.
std::string FramesCsv(const FrameRecorder& recorder, const std::vector<int64_t>& serials);
