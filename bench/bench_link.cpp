// Line timing of the exchange engine against the device emulator over a pseudo-terminal, on both
// serial roads (the port's descriptor directly, and QSerialPort's own reads and writes):
//  1. reading a whole six-module device and writing it back on the bare pseudo-terminal,
//     against the pauses the line's rules impose (targets: 1.10 and 1.05 times);
//  2. the engine's CPU time during those commands (target: under 10 % of the wall time);
//  3. the same commands on a paced line (bytes at 9600 and at 115200 baud, 8N2, a 2 ms
//     turnaround), against the line's physical limit worked out from the frames that went over
//     it (target: 1.03 times);
//  4. a function-4 transaction with a 1 ms transmit delay, against libmodbus'
//     modbus_read_input_registers on the same emulator (target, direct road: the engine's time
//     beyond its mandated 1 ms no more than libmodbus' whole time, medians). libmodbus'
//     requests are spaced by the same 1 ms, outside its timing. The processor time of the
//     calling thread per transaction, the system's included (target, direct road: at most
//     twice libmodbus', medians); the emulator's thread does not count.
//  5. the same function-4 transaction with the bus monitor's recorder attached, against none,
//     in alternating blocks (target: median ratio at most 1.02);
//  6. the check after a whole-device write (reading back the module blocks and the image) and
//     the back-up before it (a whole-device read kept as a file), each against the pauses of a
//     whole-device read (target: 1.10 times, the read's own target).
// Prints every figure for both roads side by side; exits with 1 when a target is missed.
//
// bench_link profile direct|qserialport|libmodbus|pty N [BAUD] runs only N function-4
// transactions of one kind, for strace, perf and callgrind; with BAUD on a line paced at that
// speed; pty is the bare pseudo-terminal round trip without emulator or engine. The engine's
// transactions are ReadClock, libmodbus' modbus_read_input_registers: callgrind's
// --toggle-collect on them counts the master's side alone (scripts/bench.sh does).

#include "emu/device.h"
#include "emuserver/ptyserver.h"
#include "linecount.h"
#include "link/devicecommands.h"
#include "link/deviceimageread.h"
#include "link/exchangeengine.h"
#include "link/framerecorder.h"
#include "link/steadylineclock.h"
#include "platform/devicehistory.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <modbus.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

bool failed = false;

// One figure on both roads; the target applies to the roads it names.
void Report(const char* what, double direct, double portable, double target, bool portableToo) {
    const bool okDirect = direct <= target;
    const bool okPortable = !portableToo || portable <= target;
    failed = failed || !okDirect || !okPortable;
    std::printf("%-46s %9.3f %11.3f   <= %.3f%s %s\n", what, direct, portable, target,
                portableToo ? "" : " (direct)", okDirect && okPortable ? "ok" : "MISSED");
}

struct Figures {
    double wallMs = 0;
    double cpuMs = 0;
    LineCounts counts;
};

// The engine on one road, with the line counted.
struct Road {
    explicit Road(SerialPath path) : line(path), port(line, clock) {}
    CountingLine line;
    SteadyLineClock clock;
    ExchangeEngine port;
};

// F9 of the main window: configuration, six module blocks, the network image.
Figures ReadDevice(Road& road) {
    std::vector<uint8_t> data;
    road.line.Take();
    const double cpu0 = ThreadCpuMs();
    const auto t0 = Clock::now();
    int code = ReadConfiguration(road.port, 0, data);
    for (int block = 1; block <= 6 && code == 0; ++block)
        code = ReadBlock(road.port, 0, block, data);
    if (code == 0)
        code = ReadBlock(road.port, 0, 17, data);
    const Figures f{Ms(Clock::now() - t0), ThreadCpuMs() - cpu0, road.line.Take()};
    if (code != 0) {
        std::printf("read failed with code %d\n", code);
        failed = true;
    }
    return f;
}

// F10: the configuration check, then six module blocks and the image, each confirmed.
Figures WriteDevice(Road& road) {
    std::vector<uint8_t> data;
    road.line.Take();
    const double cpu0 = ThreadCpuMs();
    const auto t0 = Clock::now();
    int device = 0;
    int code = ReadConfiguration(road.port, device, data);
    std::vector<uint8_t> block(19, 0x20);
    for (int b = 1; b <= 6 && code == 0; ++b) {
        block[0] = uint8_t(b);
        code = WriteAndConfirm(road.port, device, block.data(), int(block.size()));
    }
    std::vector<uint8_t> image(82, 0);
    image[0] = 17;
    WriteConfirm how;
    how.switchDeviceTo = 0;
    if (code == 0)
        code = WriteAndConfirm(road.port, device, image.data(), int(image.size()), how);
    const Figures f{Ms(Clock::now() - t0), ThreadCpuMs() - cpu0, road.line.Take()};
    if (code != 0) {
        std::printf("write failed with code %d\n", code);
        failed = true;
    }
    return f;
}

bool Open(Road& road, const std::string& port, int baud) {
    road.port.PortName = port;
    road.port.Speed = std::to_string(baud);
    road.port.SetDelayTx(25);
    if (road.port.ApplyPortSettings() == 0)
        return true;
    std::printf("cannot open %s\n", port.c_str());
    return false;
}

// Medians of a figure over the rounds, for reading and for writing.
struct Pair {
    double read = 0;
    double write = 0;
};

// Whole-device commands on the bare pseudo-terminal: time over the imposed pauses, CPU share.
bool BarePty(Road& road, emu::PtyServer& server, int rounds, Pair* imposed, Pair* cpu) {
    server.SetPacing({});
    if (!Open(road, server.SlavePath(), 9600))
        return false;
    const double readImposed = 8 * 25.0;
    const double writeImposed = 25.0 + 7 * (50.0 + 25.0 + 300.0 + 25.0);
    std::vector<double> rw, ww, rc, wc;
    for (int r = 0; r < rounds; ++r) {
        const Figures rf = ReadDevice(road);
        const Figures wf = WriteDevice(road);
        rw.push_back(rf.wallMs / readImposed);
        ww.push_back(wf.wallMs / writeImposed);
        rc.push_back(rf.cpuMs / rf.wallMs);
        wc.push_back(wf.cpuMs / wf.wallMs);
    }
    *imposed = {Median(rw), Median(ww)};
    *cpu = {Median(rc), Median(wc)};
    road.port.ClosePort();
    return true;
}

// Whole-device commands on a paced line at `baud`: time over the line's physical limit. With
// LUM_BENCH_ECHO=1 the emulator plays an adapter that hears itself (the engine finds it by
// itself): the echo comes while the request goes out, so the limit is the same.
bool PacedLine(Road& road, emu::PtyServer& server, int baud, int rounds, Pair* ratio) {
    constexpr int kTurnaroundMs = 2;
    const char* echo = std::getenv("LUM_BENCH_ECHO");
    server.SetPacing({true, 0, kTurnaroundMs, echo && std::string(echo) == "1"});
    if (!Open(road, server.SlavePath(), baud))
        return false;
    const LineTiming timing{baud, 11, road.port.GetDelayTx(), kTurnaroundMs};
    std::vector<double> rr, wr;
    double readLimit = 0, writeLimit = 0;
    for (int r = 0; r < rounds; ++r) {
        Figures rf = ReadDevice(road);
        Figures wf = WriteDevice(road);
        if (road.port.EchoInUse()) {
            // The echo comes back while the request goes out: no line time of its own.
            rf.counts.bytesIn -= rf.counts.bytesOut;
            wf.counts.bytesIn -= wf.counts.bytesOut;
        }
        readLimit = LineLimitMs(rf.counts, timing);
        writeLimit = LineLimitMs(wf.counts, timing);
        rr.push_back(rf.wallMs / readLimit);
        wr.push_back(wf.wallMs / writeLimit);
    }
    std::printf("  %-12s %6d baud: line limit read %.1f ms, write %.1f ms%s\n",
                road.line.Path() == SerialPath::Direct ? "direct" : "QSerialPort", baud, readLimit,
                writeLimit, road.port.EchoFound() == 1 ? " (echo)" : "");
    *ratio = {Median(rr), Median(wr)};
    road.port.ClosePort();
    server.SetPacing({});
    return true;
}

// One block of function-4 transactions on the engine; false when one failed.
// Where one transaction's time went: the engine's own work beyond its 1 ms (before the request
// went out and after the reply came in), and from the request to the reply.
struct Split {
    std::vector<double> own, wait;
};

// cpu, when given, receives each transaction's processor time in milliseconds.
bool EngineClockBlock(Road& road, const std::string& port, int count, std::vector<double>& out,
                      int baud = 9600, Split* split = nullptr, std::vector<double>* cpu = nullptr) {
    if (!Open(road, port, baud))
        return false;
    road.port.SetDelayTx(1);
    DeviceClock clock{};
    for (int i = 0; i < count; ++i) {
        const double cpu0 = cpu ? ThreadCpuMs() : 0;
        const auto t0 = Clock::now();
        const int code = ReadClock(road.port, 0, clock);
        const auto t1 = Clock::now();
        if (cpu)
            cpu->push_back(ThreadCpuMs() - cpu0);
        out.push_back(Ms(t1 - t0) - 1.0);
        if (split) {
            split->own.push_back(Ms(road.line.WriteStarted() - t0) - 1.0 +
                                 Ms(t1 - road.line.ReplyIn()));
            split->wait.push_back(Ms(road.line.ReplyIn() - road.line.WriteStarted()));
        }
        if (code != 0) {
            std::printf("clock read failed with code %d\n", code);
            return false;
        }
    }
    road.port.ClosePort();
    return true;
}

// cpu, when given, receives each transaction's processor time; spaced, the same with the 1 ms
// before it, which the engine's transaction holds (a sleep costs the processor some tens of
// microseconds on a virtual machine, whatever its length).
bool LibmodbusClockBlock(Road& spacer, const std::string& port, int count, std::vector<double>& out,
                         std::vector<double>* cpu = nullptr,
                         std::vector<double>* spaced = nullptr) {
    modbus_t* ctx = modbus_new_rtu(port.c_str(), 9600, 'N', 8, 2);
    if (!ctx || modbus_set_slave(ctx, 1) != 0 || modbus_connect(ctx) != 0) {
        std::printf("libmodbus cannot connect\n");
        return false;
    }
    uint16_t regs[7];
    bool ok = true;
    for (int i = 0; i < count && ok; ++i) {
        // The same 1 ms between requests as the engine's transmit delay, outside the timing,
        // so that both meet the line and the emulator in the same state.
        const double before = spaced ? ThreadCpuMs() : 0;
        spacer.port.Pause(1);
        const double cpu0 = cpu ? ThreadCpuMs() : 0;
        const auto t0 = Clock::now();
        ok = modbus_read_input_registers(ctx, 1000, 7, regs) == 7;
        const auto t1 = Clock::now();
        const double cpu1 = cpu || spaced ? ThreadCpuMs() : 0;
        if (cpu)
            cpu->push_back(cpu1 - cpu0);
        if (spaced)
            spaced->push_back(cpu1 - before);
        out.push_back(Ms(t1 - t0));
    }
    if (!ok)
        std::printf("libmodbus read failed\n");
    modbus_close(ctx);
    modbus_free(ctx);
    return ok;
}

} // namespace

// The floor the pseudo-terminal itself sets: 8 bytes out and 19 back through a thread that only
// echoes, no emulator and no engine. Medians in milliseconds.
double PtyRoundTrip(int count) {
    int master = -1, slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return -1;
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    std::thread echo([master, count] {
        uint8_t buf[64] = {};
        for (int i = 0; i < count; ++i) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 1000) <= 0 || ::read(master, buf, sizeof buf) <= 0 ||
                ::write(master, buf, 19) != 19)
                return;
        }
    });
    std::vector<double> times;
    const uint8_t request[8] = {1, 4, 3, 0xE8, 0, 7, 0x31, 0xB8};
    uint8_t reply[64];
    for (int i = 0; i < count; ++i) {
        const auto t0 = Clock::now();
        if (::write(slave, request, sizeof request) != sizeof request)
            break;
        int got = 0;
        while (got < 19) {
            pollfd p{slave, POLLIN, 0};
            const ssize_t n = ::poll(&p, 1, 1000) > 0 ? ::read(slave, reply, sizeof reply) : -1;
            if (n <= 0)
                break;
            got += int(n);
        }
        times.push_back(Ms(Clock::now() - t0));
    }
    echo.join();
    ::close(slave);
    ::close(master);
    return Median(times);
}

// N function-4 transactions of one kind and nothing else.
int Profile(const std::string& kind, int count, int baud, bool paced, const std::string& portName) {
    Road direct(SerialPath::Direct);
    Road portable(SerialPath::Portable);
    if (kind == "pty") {
        std::printf("pty: %d round trips, median %.1f us\n", count, PtyRoundTrip(count) * 1000);
        return 0;
    }
    // The bench's own clock reads on the line stay out of what a profile counts.
    direct.line.SetTimed(false);
    portable.line.SetTimed(false);
    std::vector<double> times;
    const bool ok = kind == "libmodbus" ? LibmodbusClockBlock(direct, portName, count, times)
                    : kind == "qserialport"
                        ? EngineClockBlock(portable, portName, count, times, baud)
                        : EngineClockBlock(direct, portName, count, times, baud);
    // on a paced line: 8 request and 19 reply bytes of 11 bits, and the 2 ms turnaround
    const double lineMs = paced ? 27 * 11 * 1000.0 / baud + 2 : 0;
    std::printf("%s: %d transactions, median %.1f us%s\n", kind.c_str(), count,
                (Median(times) - lineMs) * 1000,
                kind == "libmodbus" ? ""
                : paced             ? " beyond the 1 ms and the line"
                                    : " beyond the 1 ms");
    return ok ? 0 : 1;
}

// 6: what a guarded write adds, on the bare pseudo-terminal.
void GuardCosts(ExchangeEngine& port, int rounds, double readImposed) {
    QTemporaryDir history; // never the operator's own history
    DeviceImage wanted;
    if (ReadDeviceImage(port, 0, wanted) != 0) {
        std::printf("device image read failed\n");
        failed = true;
        return;
    }
    wanted.PutGroup(0, std::vector<uint8_t>(18, 0x55)); // differs: the back-up is kept
    const WriteScope scope = WriteScope::WholeDevice(wanted.ModuleCount());
    std::vector<double> backup, verify;
    for (int r = 0; r < std::max(rounds, 1); ++r) {
        auto t0 = Clock::now();
        // What the write path does first: the whole device read, then kept in the history.
        DeviceImage held;
        QString path, error;
        const bool kept = ReadDeviceImage(port, 0, held) == 0 &&
                          DeviceHistory::Save(held, 1, &path, &error, history.path());
        backup.push_back(Ms(Clock::now() - t0));
        DeviceImage back = wanted;
        t0 = Clock::now();
        const int code = ReadBackScope(port, 0, scope, back);
        verify.push_back(Ms(Clock::now() - t0));
        if (!kept || code != 0) {
            std::printf("back-up or read-back failed\n");
            failed = true;
        }
    }
    std::printf("back-up before write: median %.2f ms; check after write: median %.2f ms\n",
                Median(backup), Median(verify));
    Report("back-up cost / whole read's imposed pauses", Median(backup) / readImposed,
           Median(backup) / readImposed, 1.10, false);
    Report("verify cost / whole read's imposed pauses", Median(verify) / readImposed,
           Median(verify) / readImposed, 1.10, false);
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool profile = argc > 3 && std::string(argv[1]) == "profile";
    const int rounds = argc > 1 && !profile ? std::max(1, std::atoi(argv[1])) : 5;
    const int transactions = argc > 2 && !profile ? std::max(300, std::atoi(argv[2])) : 1000;

    emu::Device device;
    std::vector<emu::ModuleSlot> six;
    for (int s = 0; s < 6; ++s)
        six.push_back({s, s % 2 ? 2 : 1});
    device.SetModules(six);
    device.SetBusyAfterWrite(0);
    emu::PtyServer server(device);
    std::string error;
    if (!server.Start(&error)) {
        std::printf("emulator: %s\n", error.c_str());
        return 2;
    }
    const std::string portName = server.SlavePath();
    if (profile) {
        const int baud = argc > 4 ? std::atoi(argv[4]) : 0;
        if (baud > 0)
            server.SetPacing({true, 0, 2});
        return Profile(argv[2], std::max(1, std::atoi(argv[3])), baud > 0 ? baud : 9600, baud > 0,
                       portName);
    }
    std::printf("emulator on %s, %d rounds, %d transactions\n", portName.c_str(), rounds,
                transactions);

    Road direct(SerialPath::Direct);
    Road portable(SerialPath::Portable);
    Pair imposed[2], cpu[2], slow[2], fast[2];
    Road* roads[2] = {&direct, &portable};
    for (int i = 0; i < 2; ++i) {
        if (!BarePty(*roads[i], server, rounds, &imposed[i], &cpu[i]) ||
            !PacedLine(*roads[i], server, 9600, rounds, &slow[i]) ||
            !PacedLine(*roads[i], server, 115200, rounds, &fast[i]))
            return 2;
    }

    // Function 4 with a 1 ms transmit delay on both roads and libmodbus, in alternating
    // blocks so that all three meet the same load of the machine.
    std::vector<double> pauses;
    for (int i = 0; i < 200; ++i) {
        const auto t0 = Clock::now();
        direct.port.Pause(1);
        pauses.push_back(Ms(Clock::now() - t0) - 1.0);
    }
    std::vector<double> engine[2], lib, floor, engineCpu[2], libCpu, libSpacedCpu;
    Split split[2];
    constexpr int kBlock = 100;
    for (int done = 0; done < transactions; done += kBlock) {
        floor.push_back(PtyRoundTrip(kBlock));
        for (int i = 0; i < 2; ++i)
            if (!EngineClockBlock(*roads[i], portName, kBlock, engine[i], 9600, &split[i],
                                  &engineCpu[i]))
                return 1;
        if (!LibmodbusClockBlock(direct, portName, kBlock, lib, &libCpu, &libSpacedCpu))
            return 1;
    }

    // 5: the monitor's recorder attached against none, whole transactions, alternating blocks.
    FrameRecorder recorder;
    std::vector<double> bare, observed;
    for (int done = 0; done < transactions; done += kBlock) {
        for (int observe = 0; observe < 2; ++observe) {
            if (observe)
                direct.port.AddObserver(&recorder);
            std::vector<double>& into = observe ? observed : bare;
            const bool ok = EngineClockBlock(direct, portName, kBlock, into);
            direct.port.RemoveObserver(&recorder);
            if (!ok)
                return 1;
        }
    }
    server.SetPacing({});
    if (!Open(direct, portName, 9600))
        return 2;
    GuardCosts(direct.port, rounds, 8 * 25.0);
    direct.port.ClosePort();
    server.Stop();

    std::printf("Pause(1) overshoot median %.1f us\n", Median(pauses) * 1000);
    std::printf("function 4: engine beyond its 1 ms median %.1f us (direct), %.1f us "
                "(QSerialPort); libmodbus median %.1f us\n",
                Median(engine[0]) * 1000, Median(engine[1]) * 1000, Median(lib) * 1000);
    std::printf("  bare pseudo-terminal round trip (an echo thread, no emulator) %.1f us\n",
                Median(floor) * 1000);
    for (int i = 0; i < 2; ++i)
        std::printf("  %-11s the engine's own part %.1f us, request to reply %.1f us\n",
                    i == 0 ? "direct" : "QSerialPort", Median(split[i].own) * 1000,
                    Median(split[i].wait) * 1000);
    std::printf("function 4: processor time per transaction, engine %.1f us (direct), %.1f us "
                "(QSerialPort); libmodbus %.1f us, %.1f us with the 1 ms before it (medians)\n",
                Median(engineCpu[0]) * 1000, Median(engineCpu[1]) * 1000, Median(libCpu) * 1000,
                Median(libSpacedCpu) * 1000);
    std::printf("\n%-46s %9s %11s   target\n", "figure (medians)", "direct", "QSerialPort");
    Report("read time / imposed pauses, bare pty", imposed[0].read, imposed[1].read, 1.10, true);
    Report("write time / imposed pauses, bare pty", imposed[0].write, imposed[1].write, 1.05, true);
    Report("engine CPU / wall time, read", cpu[0].read, cpu[1].read, 0.10, true);
    Report("engine CPU / wall time, write", cpu[0].write, cpu[1].write, 0.10, true);
    Report("read time / line limit, 9600 8N2", slow[0].read, slow[1].read, 1.03, true);
    Report("write time / line limit, 9600 8N2", slow[0].write, slow[1].write, 1.03, true);
    Report("read time / line limit, 115200 8N2", fast[0].read, fast[1].read, 1.03, true);
    Report("write time / line limit, 115200 8N2", fast[0].write, fast[1].write, 1.03, true);
    Report("function 4: engine beyond 1 ms / libmodbus", Median(engine[0]) / Median(lib),
           Median(engine[1]) / Median(lib), 1.0, false);
    Report("function 4: engine CPU / libmodbus CPU", Median(engineCpu[0]) / Median(libCpu),
           Median(engineCpu[1]) / Median(libCpu), 2.0, false);
    // The blocks record the time beyond the 1 ms delay; the ratio is of whole transactions.
    const double bareMs = Median(bare) + 1.0;
    const double observedMs = Median(observed) + 1.0;
    std::printf("function 4 transaction: median %.1f us bare, %.1f us with the recorder "
                "(%lld records)\n",
                bareMs * 1000, observedMs * 1000, static_cast<long long>(recorder.EndSerial()));
    Report("function 4 with the monitor's recorder / without", observedMs / bareMs,
           observedMs / bareMs, 1.02, false);
    return failed ? 1 : 0;
}
