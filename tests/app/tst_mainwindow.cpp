// The main window at start-up, the password, the port and timing dialogs, the device numbers.

#include "app/passworddialog.h"
#include "guisupport/guiharness.h"
#include "platform/qtserialline.h"
#include "port/portdialog.h"
#include "port/timingdialog.h"
#include "version/version.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString U(const char* s) {
    return QString::fromUtf8(s);
}

// Runs the start-up password prompt with the given entries, one per showing of the dialog.
void EnterPasswords(GuiHarness& h, const QStringList& entries) {
    for (const QString& entry : entries)
        h.OnModal([entry](QDialog& d) {
            auto& dialog = static_cast<PasswordDialog&>(d);
            Part<QLineEdit>(dialog, "passwordEdit")->setText(entry);
            QTest::keyClick(Part<QLineEdit>(dialog, "passwordEdit"), Qt::Key_Return);
        });
}

void WritePasswordFile(const QByteArray& bytes) {
    QFile f(PasswordDialog::PasswordFilePath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString oldDir_;

private slots:
    void initTestCase() {
        oldDir_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_.path()));
    }
    void cleanupTestCase() { QDir::setCurrent(oldDir_); }
    void init() { QFile::remove(PasswordDialog::PasswordFilePath()); }

    void startUpState() {
        GuiHarness h;
        MainWindow& m = h.Main();
        QCOMPARE(m.windowTitle(), U("Программатор ЛУМ - 08"));
        QCOMPARE(m.deviceNumberBox->currentText(), QString("1"));
        QCOMPARE(m.newNumberBox->currentText(), QString("1"));
        QCOMPARE(m.deviceNumberBox->count(), 31);
        QCOMPARE(m.Modules().BusNumber, 0);
        QCOMPARE(int(m.Modules().NewBusNumber), 0);
        QCOMPARE(m.modificationEdit->text(), QString("00000000"));
        QVERIFY(!m.modificationEdit->isEnabled());
        for (int r = 0; r < 6; ++r) {
            QCOMPARE(m.moduleAddressLabels[r]->text(), QString::number(r));
            QVERIFY(m.moduleTypeLabels[r]->text().isEmpty());
            QVERIFY(!m.programButtons[r]->isEnabled());
        }
        for (QPushButton* b : {m.testButton, m.clockButton, m.inputsTableButton,
                               m.networkSettingsButton, m.f15BlocksButton})
            QVERIFY2(!b->isEnabled(), qPrintable(b->text()));
        QVERIFY(m.fileLabel->isHidden());
        QVERIFY(m.progressBar->isHidden());
        QCOMPARE(m.writeAction->shortcut(), QKeySequence(Qt::Key_F10));
        QCOMPARE(m.readAction->shortcut(), QKeySequence(Qt::Key_F9));
        QCOMPARE(m.passwordAction->shortcut(), QKeySequence(Qt::Key_F8));
        QCOMPARE(m.openAction->shortcut(), QKeySequence(Qt::Key_F3));
        QCOMPARE(m.saveAction->shortcut(), QKeySequence(Qt::Key_F2));
        QCOMPARE(m.saveAction->toolTip(), U("Сохранить схему"));
        QVERIFY(m.moduleTypeLabels[6]->isHidden() && m.programButtons[7]->isHidden());
    }

    void builtInPasswordWithoutFile_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("level");
        QTest::newRow("built-in") << "9461" << 1;
        QTest::newRow("empty") << "" << 0;
    }
    void builtInPasswordWithoutFile() {
        QFETCH(QString, entry);
        QFETCH(int, level);
        GuiHarness h;
        EnterPasswords(h, {entry});
        h.Main().AskPassword();
        QCOMPARE(h.Main().Access().level, level);
        QVERIFY(h.Op().Shown().empty());
    }

    void wrongPasswordAsksRetryOrCancel() {
        GuiHarness h;
        h.Main().show();
        QApplication::processEvents(); // the prompt of the first showing
        EnterPasswords(h, {"1234", "9461"});
        h.Op().Answer(MsgButton::Retry);
        h.Main().AskPassword();
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QCOMPARE(h.Op().Shown()[0].text, std::string("Введенный пароль неверен"));
        QCOMPARE(h.Op().Shown()[0].buttons,
                 (std::vector<MsgButton>{MsgButton::Retry, MsgButton::Cancel}));
        QCOMPARE(h.Main().Access().level, 1);

        EnterPasswords(h, {"1"});
        h.Op().Answer(MsgButton::Cancel);
        h.Main().AskPassword();
        QCOMPARE(h.Main().Access().level, 0);
        QVERIFY(!h.Main().isVisible()); // Cancel ends the program
    }

    // Enter on an empty field at start-up gives basic access; "Пароль" → "Ввести пароль …"
    // raises it for the rest of the run with the same dialog: a wrong entry is told as at
    // start-up and leaves the level (Отмена does not end the program here), an empty one changes
    // nothing, the right one opens full access and says so.
    void passwordMenuRaisesAccess() {
        GuiHarness h;
        EnterPasswords(h, {""});
        h.Main().show();
        QTRY_COMPARE(h.ModalTitles().size(), 1);
        QCOMPARE(h.Main().Access().level, 0);
        QMenu* menu = nullptr;
        for (QAction* title : h.Main().menuBar()->actions())
            if (title->text().remove('&').trimmed() == U("Пароль"))
                menu = title->menu();
        QVERIFY(menu);
        QAction* enter = nullptr;
        for (QAction* item : menu->actions())
            if (item->text().remove('&') == U("Ввести пароль …"))
                enter = item;
        QVERIFY(enter && enter->isEnabled());

        EnterPasswords(h, {"1234"});
        h.Op().Answer(MsgButton::Cancel);
        enter->trigger();
        QCOMPARE(h.Op().LastText(), std::string("Введенный пароль неверен"));
        QCOMPARE(h.Main().Access().level, 0);
        QVERIFY(h.Main().isVisible());

        EnterPasswords(h, {""});
        enter->trigger();
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QCOMPARE(h.Main().Access().level, 0);

        EnterPasswords(h, {"1", "9461"});
        h.Op().Answer(MsgButton::Retry);
        enter->trigger();
        QCOMPARE(h.Main().Access().level, 1);
        QCOMPARE(h.Op().LastText(), std::string("Полный доступ открыт до конца работы программы"));
        QCOMPARE(h.ModalTitles().size(), 5);
    }

    void passwordFileReplacesBuiltIn() {
        WritePasswordFile(QByteArray("\x39\x30", 2)); // 0x3039 = 12345
        GuiHarness h;
        EnterPasswords(h, {"12345"});
        h.Main().AskPassword();
        QCOMPARE(h.Main().Access().level, 1);

        EnterPasswords(h, {"9461"});
        h.Op().Answer(MsgButton::Cancel);
        h.Main().AskPassword();
        QVERIFY(h.Op().Saw("Введенный пароль неверен"));
        QCOMPARE(h.Main().Access().level, 0);

        EnterPasswords(h, {"012345"}); // five characters at most: "01234"
        h.Op().Answer(MsgButton::Cancel);
        h.Main().AskPassword();
        QCOMPARE(h.Main().Access().level, 0);
    }

    void shortPasswordFileCountsAsUnreadable() {
        WritePasswordFile(QByteArray("\x07", 1));
        GuiHarness h;
        EnterPasswords(h, {"9461"});
        h.Main().AskPassword();
        QCOMPARE(h.Main().Access().level, 1);
    }

    void passwordKeyFilterEmptiesField() {
        GuiHarness h;
        PasswordDialog dialog(h.Main(), &h.Main());
        auto* passwordEdit = Part<QLineEdit>(dialog, "passwordEdit");
        dialog.show();
        passwordEdit->setText("12");
        QTest::keyClick(passwordEdit, Qt::Key_A);
        QVERIFY(h.Op().Saw("Пароль - цифровой"));
        QVERIFY(passwordEdit->text().isEmpty());
        QTest::keyClick(passwordEdit, Qt::Key_5);
        QCOMPARE(passwordEdit->text(), QString("5"));
        dialog.hide();
    }

    void passwordChangeStoresLittleEndian() {
        GuiHarness h;
        h.GrantAccess(1);
        h.Op().Answer(MsgButton::Yes);
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<PasswordDialog&>(d);
            QVERIFY(Part<QLabel>(dialog, "promptLabel")->isVisible());
            Part<QLineEdit>(dialog, "passwordEdit")->setText("513");
            QTest::keyClick(Part<QLineEdit>(dialog, "passwordEdit"), Qt::Key_Return);
        });
        h.Main().ChangePasswordClick();
        QFile f(PasswordDialog::PasswordFilePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("\x01\x02", 2));
        QVERIFY(h.Op().Saw("Пароль заменен!"));
        QCOMPARE(h.Main().Access().passwordChange, 0);
    }

    void passwordChangeRefusals() {
        GuiHarness h;
        h.GrantAccess(1);
        h.Op().Answer(MsgButton::Yes);
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<PasswordDialog&>(d);
            Part<QLineEdit>(dialog, "passwordEdit")->setText("65536");
            QTest::keyClick(Part<QLineEdit>(dialog, "passwordEdit"), Qt::Key_Return);
        });
        h.Main().ChangePasswordClick();
        QVERIFY(h.Op().Saw("Введите число не более 65535"));
        QVERIFY(h.Op().Saw("Пароль не заменен"));
        QVERIFY(!QFile::exists(PasswordDialog::PasswordFilePath()));

        h.GrantAccess(0);
        h.Op().Clear();
        h.Main().ChangePasswordClick();
        QCOMPARE(h.Op().LastText(), std::string("Ваш уровень доступа не позволяет\nменять пароль"));
        QCOMPARE(h.ModalTitles().count(), 1); // the dialog was not shown again
    }

    void portDialogFirstShowingAndEvenTwoStopBits() {
        GuiHarness h;
        ExchangeEngine& port = h.Main().Engine();
        QVERIFY(port.IsOpen());
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<PortDialog&>(d);
            auto* portBox = Part<QComboBox>(dialog, "portBox");
            QCOMPARE(Part<QComboBox>(dialog, "speedBox")->currentText(), QString("9600"));
            QCOMPARE(Part<QComboBox>(dialog, "parityBox")->currentText(), U("нет"));
            QCOMPARE(Part<QComboBox>(dialog, "stopBitsBox")->currentText(), QString("2"));
            QCOMPARE(portBox->currentIndex(), 0);
            QCOMPARE(portBox->itemText(portBox->count() - 1), PortDialog::BuiltInEntry());
            Part<QComboBox>(dialog, "parityBox")->setCurrentIndex(2);
            Click(Part<QPushButton>(dialog, "OK"));
        });
        h.Op().Answer(MsgButton::Retry);
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<PortDialog&>(d);
            QCOMPARE(Part<QComboBox>(dialog, "parityBox")->currentText(),
                     U("нет")); // the refused choice was not kept
            dialog.close();     // Cancel
        });
        h.Main().PortSettingsClick();
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QCOMPARE(h.Op().Shown()[0].text, std::string("Ошибочные данные "));
        // The port was closed by the first showing, so Cancel at the second leaves it closed.
        QVERIFY(!port.IsOpen());
        QCOMPARE(port.Parity, std::string("N"));
    }

    void portDialogCancelReopensAnOpenPort() {
        GuiHarness h;
        ExchangeEngine& port = h.Main().Engine();
        h.OnModal([&port](QDialog& d) {
            QVERIFY(!port.IsOpen()); // showing the dialog closes the port
            d.close();
        });
        h.Main().PortSettingsClick();
        QVERIFY(port.IsOpen());
        QVERIFY(h.Op().Shown().empty());
    }

    void portDialogAppliesTheChoice() {
        GuiHarness h;
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<PortDialog&>(d);
            auto* portBox = Part<QComboBox>(dialog, "portBox");
            Part<QComboBox>(dialog, "speedBox")->setCurrentIndex(2);
            Part<QComboBox>(dialog, "parityBox")->setCurrentIndex(2);
            Part<QComboBox>(dialog, "stopBitsBox")->setCurrentIndex(0);
            portBox->addItem(FakeLine::PortName);
            portBox->setCurrentIndex(portBox->count() - 1);
            Click(Part<QPushButton>(dialog, "OK"));
        });
        h.Main().PortSettingsClick();
        ExchangeEngine& port = h.Main().Engine();
        QCOMPARE(port.Speed, std::string("57600"));
        QCOMPARE(port.Parity, std::string("E"));
        QCOMPARE(port.StopBits, std::string("1"));
        QCOMPARE(port.PortName, std::string(FakeLine::PortName));
        QVERIFY(port.IsOpen());
        // The next showing starts from the choice just made.
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<PortDialog&>(d);
            QCOMPARE(Part<QComboBox>(dialog, "speedBox")->currentText(), QString("57600"));
            QCOMPARE(Part<QComboBox>(dialog, "portBox")->currentIndex(), 0);
            d.close();
        });
        h.Main().PortSettingsClick();
    }

    void portThatCannotOpenReports132() {
        GuiHarness h;
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<PortDialog&>(d);
            auto* portBox = Part<QComboBox>(dialog, "portBox");
            portBox->addItem("/nonexistent/ttyXYZ");
            portBox->setCurrentIndex(portBox->count() - 1);
            Click(Part<QPushButton>(dialog, "OK"));
        });
        h.Main().PortSettingsClick();
        QCOMPARE(h.Op().LastText(), std::string(" невозможно открыть последовательный порт \n"
                                                "/nonexistent/ttyXYZ: порт не найден"));
        QVERIFY(!h.Main().Engine().IsOpen());
    }

    // A serial port's entry tells what the port is; the engine gets the port's own name. A path
    // the operator types is handed over as it stands, and the engine decides whether it is a
    // port.
    void portEntryAndTypedPath_data() {
        QTest::addColumn<QString>("typed"); // empty: the described entry is chosen
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("opens");
        QTest::newRow("described entry") << "" << FakeLine::PortName << true;
        QTest::newRow("typed link, accepted") << "/dev/serial/by-id/usb-FTDI_A1"
                                              << "/dev/serial/by-id/usb-FTDI_A1" << true;
        QTest::newRow("typed, no port") << " /nonexistent/ttyXYZ "
                                        << "/nonexistent/ttyXYZ" << false;
    }
    void portEntryAndTypedPath() {
        QFETCH(QString, typed);
        QFETCH(QString, name);
        QFETCH(bool, opens);
        GuiHarness h;
        h.Fake().AcceptPortName("/dev/serial/by-id/usb-FTDI_A1");
        QCOMPARE(PortDialog::PortEntry("ttyUSB0", "FT232R USB UART", "FTDI"),
                 U("ttyUSB0 — FT232R USB UART (FTDI)"));
        QCOMPARE(PortDialog::PortEntry("ttyS0", "", ""), QString("ttyS0"));
        h.OnModal([&](QDialog& d) {
            auto& dialog = static_cast<PortDialog&>(d);
            auto* portBox = Part<QComboBox>(dialog, "portBox");
            QVERIFY(portBox->isEditable());
            portBox->insertItem(
                0, PortDialog::PortEntry(FakeLine::PortName, "FT232R USB UART", "FTDI"),
                FakeLine::PortName);
            portBox->setCurrentIndex(0);
            if (!typed.isEmpty())
                portBox->setEditText(typed);
            Click(Part<QPushButton>(dialog, "OK"));
        });
        h.Main().PortSettingsClick();
        QCOMPARE(QString::fromStdString(h.Main().Engine().PortName), name);
        QCOMPARE(h.Main().Engine().IsOpen(), opens);
        QCOMPARE(h.Op().Shown().empty(), opens);
    }

    void timingDialogCancelRestores() {
        GuiHarness h;
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<ExchangeTimingDialog&>(d);
            QCOMPARE(dialog.firstByteWait->value(), 25);
            QVERIFY(dialog.nextByteWait->isHidden() && dialog.repeatsBox->isHidden());
            dialog.firstByteWait->setValue(40);
            dialog.close();
        });
        h.Main().ExchangeTimingClick();
        QCOMPARE(h.Main().Engine().GetDelayTx(), 25);
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<ExchangeTimingDialog&>(d);
            QCOMPARE(dialog.firstByteWait->value(), 25);
            dialog.firstByteWait->setValue(1000); // the arrows stop at 100
            QCOMPARE(dialog.firstByteWait->value(), 100);
            Click(dialog.OK);
        });
        h.Main().ExchangeTimingClick();
        QCOMPARE(h.Main().Engine().GetDelayTx(), 100);
        QCOMPARE(h.Main().Engine().GetHeaderRepeats(), 5);
    }

    void busNumberChangeOverPseudoTerminal() {
        GuiHarness h(GuiHarness::Line::Pty);
        h.Device().SetAddress(3);
        h.Device().SetBusyAfterWrite(1);
        MainWindow& m = h.Main();
        m.deviceNumberBox->setCurrentIndex(2);
        m.DeviceNumberChanged();
        QCOMPARE(m.Modules().BusNumber, 2);
        m.newNumberBox->setCurrentIndex(6);
        m.NewNumberChanged();
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        QCOMPARE(h.Device().Address(), 7);
        QCOMPARE(m.deviceNumberBox->currentText(), QString("7"));
        QCOMPARE(m.Modules().BusNumber, 6);
        const auto log = h.Device().RequestLog();
        QVERIFY(log.size() >= 3);
        QCOMPARE(int(log[0].address), 3);
        QCOMPARE(int(log[0].function), 69);
        QCOMPARE(log[0].data, (std::vector<uint8_t>{99, 6}));
        for (size_t i = 1; i < log.size(); ++i) {
            QCOMPARE(int(log[i].address), 7);
            QCOMPARE(int(log[i].function), 14);
        }
    }

    void helpMenuComesLastAndAboutNamesTheBuild() {
        GuiHarness h;
        const QList<QAction*> menus = h.Main().menuBar()->actions();
        QCOMPARE(menus.last()->text().remove('&'), U("Справка"));
        QCOMPARE(menus.last()->menu()->actions().value(0), h.Main().guideAction);
        QCOMPARE(menus.last()->menu()->actions().last(), h.Main().aboutAction);
        h.Main().aboutAction->trigger();
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        const OperatorMessage& about = h.Op().Shown()[0];
        QCOMPARE(about.caption, std::string("О программе"));
        for (const std::string& part :
             {std::string("Версия: ") + LumVersion(), std::string("Дата сборки: ") + LumBuildDate(),
              std::string("Обмен с COM-портом: ") + QtSerialLine::TransferPathName()})
            QVERIFY2(about.text.find(part) != std::string::npos, about.text.c_str());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
