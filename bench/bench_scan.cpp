// The scan of a line (lum08-cli scan) against the emulator on a paced line behind a USB adapter's
// latency timer (16 ms): 4 speeds x 31 bus numbers, devices at 1, 5, 30 and 31 listening at
// 19200 baud. Checks that exactly those devices are found, at each probe wait given, and prints
// the scan's time against what it cannot avoid: per probe the transmit pause, the request's frame
// time and the probe's wait (twice for a silent number), per device found its reply's frame time,
// per speed the last pause.
// Median of the rounds; target 1.2. Exits with 1 when a target is missed or a device is wrong.
//
// bench_scan [ROUNDS] [PROBE-MS...]   (defaults: 3 rounds, probe waits 20 and 50 ms)

#include "emu/device.h"
#include "emuserver/ptyserver.h"
#include "link/exchangeengine.h"
#include "link/steadylineclock.h"
#include "platform/busscan.h"
#include "platform/portline.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLatencyMs = 16;
constexpr int kDeviceSpeed = 19200;
const std::vector<int> kSpeeds = {9600, 19200, 57600, 115200};
const std::set<int> kAddresses = {1, 5, 30, 31};
constexpr int kRequestBytes = 4;
constexpr int kReplyBytes = 22; // 17 configuration bytes, header and CRC

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Bit time as the emulator paces it: start, 8 data bits, 2 stop bits, no parity.
double FrameMs(int bytes, int baud) {
    return bytes * 11 * 1000.0 / baud;
}

// One whole scan; its wall time, or a negative number when it went wrong.
double Scan(ExchangeEngine& port, PortLine& line, const std::string& path, int probeMs,
            double* unavoidable) {
    std::set<int> found;
    *unavoidable = 0;
    const auto t0 = Clock::now();
    for (int speed : kSpeeds) {
        port.PortName = path;
        port.Speed = std::to_string(speed);
        if (port.ApplyPortSettings() != 0)
            return -1;
        BusScan scan(port, line, probeMs);
        for (int n = 1; n <= 31; ++n)
            if (scan.Probe(n) != ResultCode::Ok)
                return -1;
        if (scan.Finish() != ResultCode::Ok)
            return -1;
        for (const auto& [address, finding] : scan.Findings()) {
            if (speed != kDeviceSpeed || finding.verdict != ProbeVerdict::Found)
                return -1;
            found.insert(address);
        }
        // A silent number is asked twice.
        const int probes =
            31 * BusScan::SilentAttempts -
            (speed == kDeviceSpeed ? int(kAddresses.size()) : 0) * (BusScan::SilentAttempts - 1);
        *unavoidable += probes * (port.GetDelayTx() + FrameMs(kRequestBytes, speed) + probeMs) +
                        port.GetDelayTx();
    }
    const double wall = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    port.ClosePort();
    *unavoidable += double(kAddresses.size()) * FrameMs(kReplyBytes, kDeviceSpeed);
    if (found != kAddresses) {
        std::printf("found %zu devices, not the %zu there\n", found.size(), kAddresses.size());
        return -1;
    }
    return wall;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::vector<int> probes;
    for (int i = 2; i < argc; ++i)
        probes.push_back(std::atoi(argv[i]));
    if (probes.empty())
        probes = {BusScan::MinProbeMs, 50};

    std::vector<emu::Device> devices(kAddresses.size());
    emu::PtyServer server;
    size_t k = 0;
    for (int address : kAddresses) {
        devices[k].SetAddress(address);
        server.AddDevice(devices[k++]);
    }
    server.SetLineSpeed(kDeviceSpeed);
    server.SetPacing({true, kLatencyMs, -1});
    std::string error;
    if (!server.Start(&error)) {
        std::printf("emulator: %s\n", error.c_str());
        return 1;
    }
    PortLine line;
    SteadyLineClock clock;
    ExchangeEngine port(line, clock);

    bool failed = false;
    std::printf("scan, 4 speeds x 31 bus numbers, paced, adapter latency %d ms, median of %d\n",
                kLatencyMs, rounds);
    for (int probeMs : probes) {
        std::vector<double> walls, ratios;
        double unavoidable = 0;
        for (int r = 0; r < rounds; ++r) {
            const double wall = Scan(port, line, server.SlavePath(), probeMs, &unavoidable);
            if (wall < 0) {
                std::printf("probe %d ms: the scan went wrong\n", probeMs);
                failed = true;
                break;
            }
            walls.push_back(wall);
            ratios.push_back(wall / unavoidable);
        }
        if (walls.empty())
            continue;
        const double ratio = Median(ratios);
        const bool ok = ratio <= 1.2;
        failed = failed || !ok;
        std::printf("probe %4d ms: %7.0f ms, unavoidable %7.0f ms, ratio %.3f   <= 1.200 %s\n",
                    probeMs, Median(walls), unavoidable, ratio, ok ? "ok" : "MISSED");
    }
    server.Stop();
    return failed ? 1 : 0;
}
