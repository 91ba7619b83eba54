// Renders the main window and its dialogs into PNG files, to look at them as a person would:
//   lum08-shots OUTDIR   (under xvfb-run, or with QT_QPA_PLATFORM=offscreen)

#include "app/obrconfig.h"
#include "app/obrpar_mb.h"
#include "emu/faults.h"
#include "guisupport/guiharness.h"
#include "link/obrnastr.h"
#include "link/obrport.h"
#include "monitor/obrmonitor.h"
#include "network/prog_lnet.h"
#include "scheme/prog_diskr.h"
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
    TFPSW& parol = *h.W().FPSW;
    parol.PrepareChange();
    Save(parol, dir, "password-change");
    h.W().FormPort->SkorPos = 1;
    Save(*h.W().FormPort, dir, "port");
    Save(*h.W().FormNastr, dir, "timing");
    h.W().Config->Prepare();
    Save(*h.W().Config, dir, "config");

    // The bus monitor in the middle of a whole-device write, and after it.
    h.Main().AMonitorExecute();
    TFormMonitor& monitor = *h.Main().Monitor();
    monitor.resize(1280, 520);
    bool during = false;
    bool mainDuring = false;
    h.Clock().OnSleep([&](int64_t) {
        if (!during && monitor.Model().rowCount() >= 14) {
            during = true;
            monitor.grab().save(QDir(dir).filePath("monitor-during-write.png"));
        }
        // The main window once its bar is past the first block: step, share and "Стоп".
        if (!mainDuring && h.Main().ProgressBar1->isVisible() &&
            h.Main().ProgressBar1->value() > 0) {
            mainDuring = true;
            h.Main().grab().save(QDir(dir).filePath("main-during-write.png"));
        }
    });
    h.Main().ComPort().ApplyPortSettings(); // the port dialog above closed it
    h.GrantAccess();
    h.Main().ProgLum().PutZader(0, 21); // an edit the device does not hold yet
    h.Main().OutPortClick();
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
        auto& editor = static_cast<TFormPrgD&>(d);
        editor.show();
        QApplication::processEvents();
        h.Main().ProgLum().PutZader(8, 9);
        h.Main().ProgLum().FlagScheme = 1;
        grabDuring(editor, editor.ProgressBar1, "scheme-during-write.png", "повтор");
        // The block goes unanswered once: the bar tells the repeat.
        const uint64_t write = h.Device().RequestCount() + 5;
        h.Device().AddFault(SilentFrom(write, write));
        editor.OutPortClick();
        h.Clock().OnSleep(nullptr);
        editor.close();
    });
    h.Main().ButProgDiskrClick(2);
    h.OnModal([&](QDialog& d) {
        auto& network = static_cast<TFormLNet&>(d);
        network.show();
        QApplication::processEvents();
        h.Main().ProgF15().PutAdrBegDat(0, 7); // an edit the device does not hold yet
        h.Main().ProgF15().FlagNoChange = false;
        grabDuring(network, network.ProgressBar1, "network-during-write.png", "запись");
        network.Save15Click();
        h.Clock().OnSleep(nullptr);
        network.close();
    });
    h.Main().LocNet15Click();
    return 0;
}
