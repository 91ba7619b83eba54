#include "app/selftest.h"

#include "app/mainwindow.h"
#include "app/passworddialog.h"
#include "app/startup.h"
#include "dialogs/session.h"
#include "link/exchangeengine.h"
#include "model/moduleconfig.h"
#include "model/passwordfile.h"
#include "port/builtinemulator.h"
#include "port/portdialog.h"
#include "version/version.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include <cstdio>
#include <exception>

namespace {

// Keeps every message instead of showing it, and answers as an operator who declines, so that
// nothing waits for a person and nothing is written to a device.
class RecordingOperator : public Operator {
public:
    MsgButton Ask(const OperatorMessage& message) override {
        shown.push_back(message);
        for (MsgButton b : {MsgButton::Cancel, MsgButton::No, MsgButton::Ok})
            for (MsgButton offered : message.buttons)
                if (offered == b)
                    return b;
        return MsgButton::Cancel;
    }
    std::vector<OperatorMessage> shown;
};

struct SelfTestRun {
    RecordingOperator op;
    QStringList problems;
    bool passwordAsked = false;

    // The windows the check goes through; any other one is a fault of the check's path.
    int Modal(QDialog& dialog) {
        if (qobject_cast<PasswordDialog*>(&dialog)) {
            passwordAsked = true; // an empty password: view only, the device cannot be written
            return Password::Accepted;
        }
        if (auto* port = qobject_cast<PortDialog*>(&dialog)) {
            dialog.show(); // showing fills the port list
            port->ChoosePort(PortDialog::BuiltInEntry());
            port->CloseWith(mr::Ok);
            dialog.hide();
            return dialog.result();
        }
        problems << QString::fromUtf8("неожиданное окно «%1»").arg(dialog.windowTitle());
        return mr::Cancel;
    }

    void Check(MainWindow& main) {
        main.show();
        QCoreApplication::processEvents(); // the start-up password prompt
        if (!passwordAsked)
            problems << QString::fromUtf8("при запуске не был запрошен пароль");
        main.PortSettingsClick();
        if (!main.Engine().IsOpen()) {
            problems << QString::fromUtf8("порт встроенного эмулятора не открылся");
            return;
        }
        main.ReadDeviceClick();
        QCoreApplication::processEvents();
        if (main.Modules().GetModuleCount() != 2 || !main.inputsTableButton->isEnabled())
            problems << QString::fromUtf8("конфигурация прибора не прочитана");
    }
};

} // namespace

int RunSelfTest(LumApplication& app) {
    if (!BuiltInEmulator::Available()) {
        std::fprintf(stderr, "Самопроверка недоступна: встроенному эмулятору прибора нужен "
                             "псевдотерминал, а в этой системе его нет.\n");
        return 2;
    }
    SelfTestRun run;
    app.SetErrorDisplay([&run](const QString& text) { run.problems << text; });
    try {
        Session session(nullptr, &run.op);
        MainWindow main(session);
        main.SetModalHook([&run](QDialog& d) { return run.Modal(d); });
        run.Check(main);
        for (const OperatorMessage& m : run.op.shown)
            run.problems << QString::fromStdString(m.caption + ": " + m.text);
        if (run.problems.isEmpty())
            std::printf("Самопроверка %s пройдена: встроенный эмулятор прочитан, модули: %s, %s, "
                        "исполнение %s\n",
                        LumVersionLine("lum08").c_str(),
                        main.moduleTypeLabels[0]->text().toUtf8().constData(),
                        main.moduleTypeLabels[1]->text().toUtf8().constData(),
                        main.modificationEdit->text().toUtf8().constData());
        main.close();
    } catch (const std::exception& e) {
        run.problems << QString::fromLocal8Bit(e.what());
    }
    for (const QString& p : run.problems)
        std::fprintf(stderr, "Самопроверка не пройдена: %s\n", p.toUtf8().constData());
    return run.problems.isEmpty() ? 0 : 1;
}
