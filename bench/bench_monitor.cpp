// What the bus monitor costs while it is on the screen: the real main window with the clock
// window polling the device ten times a second (lum08-emu on a pseudo-terminal, the default
// 25 ms transmit pause), the monitor open, in alternating blocks hidden and visible. Prints
// the program's CPU time against the wall time for both (the emulator is a process of its own
// and is not counted) and the visible case's share of a core; target: at most 3 %. Exits with
// 1 when the target is missed.
//
// bench_monitor [SECONDS-PER-BLOCK] [BLOCKS]   (defaults: 6 s, 3 blocks of each)
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise (xcb under Xvfb counts
// the program's side of the painting too).

#include "app/mainwindow.h"
#include "app/passworddialog.h"
#include "app/startup.h"
#include "clock/clockwindow.h"
#include "dialogs/commandrun.h"
#include "dialogs/session.h"
#include "link/exchangeengine.h"
#include "model/passwordfile.h"
#include "monitor/monitorwindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs the program's event loop for the given time; the CPU share it took.
double Block(int seconds) {
    const double cpu0 = CpuSeconds();
    const auto t0 = Clock::now();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    return (CpuSeconds() - cpu0) / wall;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 6;
    const int blocks = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    QProcess emulator;
    emulator.start(QCoreApplication::applicationDirPath() + "/lum08-emu",
                   {"--no-register", "--quit-on-eof"});
    if (!emulator.waitForReadyRead(5000)) {
        std::fprintf(stderr, "lum08-emu did not start\n");
        return 2;
    }
    const QByteArray port = emulator.readLine().trimmed();

    SilentOperator op;
    auto engine = std::make_unique<ExchangeEngine>();
    engine->PortName = port.toStdString();
    Session session(std::move(engine), &op);
    MainWindow main(session);
    // The start-up password prompt is taken as answered; no other dialog opens.
    main.SetModalHook(
        [](QDialog& d) { return qobject_cast<PasswordDialog*>(&d) ? int(Password::Accepted) : 0; });
    if (ApplyPortSettings(main) != 0) {
        std::fprintf(stderr, "the port %s did not open\n", port.constData());
        return 2;
    }
    main.show();
    // The clock window polls for as long as it is shown.
    ClockWindow clock(main, &main);
    clock.show();
    main.MonitorClick();
    MonitorWindow& monitor = *main.Monitor();
    Block(1); // settle

    std::vector<double> hidden, visible;
    const int64_t before = monitor.Recorder().EndSerial();
    for (int b = 0; b < blocks; ++b) {
        monitor.hide();
        hidden.push_back(Block(seconds));
        monitor.MonitorClick();
        visible.push_back(Block(seconds));
    }
    const int64_t records = monitor.Recorder().EndSerial() - before;
    clock.hide();
    emulator.closeWriteChannel();
    emulator.waitForFinished(3000);

    const double wall = 2.0 * blocks * seconds;
    std::printf("clock poll on %s (%s): %lld records in %.0f s, %.1f transactions a second\n",
                port.constData(), qPrintable(QApplication::platformName()),
                static_cast<long long>(records), wall, double(records) / 3.0 / wall);
    std::printf("program CPU / wall time, monitor hidden:  %.2f %% (median of %d blocks of %d s)\n",
                Median(hidden) * 100, blocks, seconds);
    std::printf("program CPU / wall time, monitor visible: %.2f %%\n", Median(visible) * 100);
    const double target = 0.03;
    const bool ok = Median(visible) <= target;
    std::printf("monitor visible, share of a core: %.2f %% (target %.0f %%) %s\n",
                Median(visible) * 100, target * 100, ok ? "ok" : "MISSED");
    return ok ? 0 : 1;
}
