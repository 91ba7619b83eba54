// Renders the main window and its dialogs into PNG files, to look at them as a person would:
//   lum08-shots OUTDIR   (under xvfb-run, or with QT_QPA_PLATFORM=offscreen)

#include "app/configurationdialog.h"
#include "app/passworddialog.h"
#include "dialogs/commandrun.h"
#include "emu/faults.h"
#include "guisupport/guiharness.h"
#include "monitor/monitorwindow.h"
#include "network/networkwindow.h"
#include "port/portdialog.h"
#include "port/timingdialog.h"
#include "scheme/schemeeditor.h"
#include "support/testfaults.h"

#include <QApplication>
#include <QDir>
#include <QProgressBar>
#include <QTimer>

namespace {
void Save(QWidget& w, const QString& dir, const QString& name) {
    w.adjustSize();
    w.show();
    QApplication::processEvents();
    w.grab().save(QDir(dir).filePath(name + ".png"));
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString(".");
    GuiHarness h;
    h.Main().resize(760, 520);
    Save(h.Main(), dir, "main-start");
    h.ReadDevice();
    Save(h.Main(), dir, "main-read");
    PasswordDialog password(h.Main(), &h.Main());
    password.PrepareChange();
    Save(password, dir, "password-change");
    PortChoices choices;
    choices.speedPos = 1;
    PortDialog port(h.Main(), choices, &h.Main());
    Save(port, dir, "port");
    ExchangeTimingDialog timing(h.Main().Engine(), h.Main().Settings(), &h.Main());
    Save(timing, dir, "timing");
    ConfigurationDialog config(h.Main(), &h.Main());
    config.Prepare();
    Save(config, dir, "config");

    // The bus monitor in the middle of a whole-device write, and after it.
    h.Main().MonitorClick();
    MonitorWindow& monitor = *h.Main().Monitor();
    monitor.resize(1280, 520);
    bool during = false;
    bool mainDuring = false;
    h.Clock().OnSleep([&](int64_t) {
        if (!during && monitor.Model().rowCount() >= 14) {
            during = true;
            monitor.grab().save(QDir(dir).filePath("monitor-during-write.png"));
        }
        // The main window once its bar is past the first block: step, share and "Стоп".
        if (!mainDuring && h.Main().progressBar->isVisible() && h.Main().progressBar->value() > 0) {
            mainDuring = true;
            h.Main().grab().save(QDir(dir).filePath("main-during-write.png"));
        }
    });
    ApplyPortSettings(h.Main()); // the port dialog above closed it
    h.GrantAccess();
    h.Main().Program().PutDelay(0, 21); // an edit the device does not hold yet
    h.Main().WriteDeviceClick();
    h.Clock().OnSleep(nullptr);
    QApplication::processEvents();
    monitor.grab().save(QDir(dir).filePath("monitor-after-write.png"));
    h.Main().grab().save(QDir(dir).filePath("main-after-write.png"));

    // The scheme editor and the network window in the middle of their writes.
    auto grabDuring = [&](QWidget& w, QProgressBar* bar, const QString& name, const QString& text) {
        h.Clock().OnSleep([&w, bar, name, dir, text](int64_t) {
            if (bar->isVisible() && bar->value() > 0 && bar->format().contains(text))
                w.grab().save(QDir(dir).filePath(name));
        });
    };
    h.OnModal([&](QDialog& d) {
        auto& editor = static_cast<SchemeEditor&>(d);
        editor.show();
        QApplication::processEvents();
        h.Main().Program().PutDelay(8, 9);
        grabDuring(editor, editor.progressBar, "scheme-during-write.png", "повтор");
        // The block goes unanswered once: the bar tells the repeat.
        const uint64_t write = h.Device().RequestCount() + 5;
        h.Device().AddFault(SilentFrom(write, write));
        editor.WriteDeviceClick();
        h.Clock().OnSleep(nullptr);
        editor.close();
    });
    h.Main().OpenSchemeClick(2);
    h.OnModal([&](QDialog& d) {
        auto& network = static_cast<NetworkWindow&>(d);
        network.show();
        QApplication::processEvents();
        h.Main().Network().PutStartAddress(0, 7); // an edit the device does not hold yet
        grabDuring(network, network.progressBar, "network-during-write.png", "запись");
        network.WriteBlocksClick();
        h.Clock().OnSleep(nullptr);
        network.close();
    });
    h.Main().F15BlocksClick();
    return 0;
}
