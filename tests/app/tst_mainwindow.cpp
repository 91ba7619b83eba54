// The main window at start-up, the password, the port and timing dialogs, the device numbers.

#include "app/obrpar_mb.h"
#include "guisupport/guiharness.h"
#include "link/obrnastr.h"
#include "link/obrport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
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
            auto& dialog = static_cast<TFPSW&>(d);
            dialog.Edit1->setText(entry);
            QTest::keyClick(dialog.Edit1, Qt::Key_Return);
        });
}

void WritePasswordFile(const QByteArray& bytes) {
    QFile f(TFPSW::PasswordFilePath());
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
    void init() { QFile::remove(TFPSW::PasswordFilePath()); }

    void startUpState() {
        GuiHarness h;
        TForm1& m = h.Main();
        QCOMPARE(m.windowTitle(), U("Программатор ЛУМ - 08"));
        QCOMPARE(m.CBoxUstr->currentText(), QString("1"));
        QCOMPARE(m.CBoxUstrZ->currentText(), QString("1"));
        QCOMPARE(m.CBoxUstr->count(), 31);
        QCOMPARE(m.Serv().NumUstr, 0);
        QCOMPARE(int(m.Serv().NumUstrZ), 0);
        QCOMPARE(m.EditModif->text(), QString("00000000"));
        QVERIFY(!m.EditModif->isEnabled());
        for (int r = 0; r < 6; ++r) {
            QCOMPARE(m.AdrM[r]->text(), QString::number(r));
            QVERIFY(m.M[r]->text().isEmpty());
            QVERIFY(!m.Prg[r]->isEnabled());
        }
        for (QPushButton* b : {m.ButTest, m.ButTimeDate, m.InformBut, m.LocNetObm, m.LocNet15})
            QVERIFY2(!b->isEnabled(), qPrintable(b->text()));
        QVERIFY(m.LabelFile->isHidden());
        QVERIFY(m.ProgressBar1->isHidden());
        QCOMPARE(m.AOutPort->shortcut(), QKeySequence(Qt::Key_F10));
        QCOMPARE(m.AInPort->shortcut(), QKeySequence(Qt::Key_F9));
        QCOMPARE(m.AParol->shortcut(), QKeySequence(Qt::Key_F8));
        QCOMPARE(m.AOpenFile->shortcut(), QKeySequence(Qt::Key_F3));
        QCOMPARE(m.ASaveFile->shortcut(), QKeySequence(Qt::Key_F2));
        QCOMPARE(m.ASaveFile->toolTip(), U("Сохранить схему"));
        QVERIFY(m.M[6]->isHidden() && m.Prg[7]->isHidden());
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
        h.Main().FormShow();
        QCOMPARE(h.Main().ProgLum().Dostup, level);
        QVERIFY(h.Op().Shown().empty());
    }

    void wrongPasswordAsksRetryOrCancel() {
        GuiHarness h;
        h.Main().show();
        QApplication::processEvents(); // the prompt of the first showing
        EnterPasswords(h, {"1234", "9461"});
        h.Op().Answer(MsgButton::Retry);
        h.Main().FormShow();
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QCOMPARE(h.Op().Shown()[0].text, std::string("Введенный пароль неверен"));
        QCOMPARE(h.Op().Shown()[0].buttons,
                 (std::vector<MsgButton>{MsgButton::Retry, MsgButton::Cancel}));
        QCOMPARE(h.Main().ProgLum().Dostup, 1);

        EnterPasswords(h, {"1"});
        h.Op().Answer(MsgButton::Cancel);
        h.Main().FormShow();
        QCOMPARE(h.Main().ProgLum().Dostup, 0);
        QVERIFY(!h.Main().isVisible()); // Cancel ends the program
    }

    void passwordFileReplacesBuiltIn() {
        WritePasswordFile(QByteArray("\x39\x30", 2)); // 0x3039 = 12345
        GuiHarness h;
        EnterPasswords(h, {"12345"});
        h.Main().FormShow();
        QCOMPARE(h.Main().ProgLum().Dostup, 1);

        EnterPasswords(h, {"9461"});
        h.Op().Answer(MsgButton::Cancel);
        h.Main().FormShow();
        QVERIFY(h.Op().Saw("Введенный пароль неверен"));
        QCOMPARE(h.Main().ProgLum().Dostup, 0);

        EnterPasswords(h, {"012345"}); // five characters at most: "01234"
        h.Op().Answer(MsgButton::Cancel);
        h.Main().FormShow();
        QCOMPARE(h.Main().ProgLum().Dostup, 0);
    }

    void shortPasswordFileCountsAsUnreadable() {
        WritePasswordFile(QByteArray("\x07", 1));
        GuiHarness h;
        EnterPasswords(h, {"9461"});
        h.Main().FormShow();
        QCOMPARE(h.Main().ProgLum().Dostup, 1);
    }

    void passwordKeyFilterEmptiesField() {
        GuiHarness h;
        TFPSW& dialog = *h.W().FPSW;
        dialog.show();
        dialog.Edit1->setText("12");
        QTest::keyClick(dialog.Edit1, Qt::Key_A);
        QVERIFY(h.Op().Saw("Пароль - цифровой"));
        QVERIFY(dialog.Edit1->text().isEmpty());
        QTest::keyClick(dialog.Edit1, Qt::Key_5);
        QCOMPARE(dialog.Edit1->text(), QString("5"));
        dialog.hide();
    }

    void passwordChangeStoresLittleEndian() {
        GuiHarness h;
        h.GrantAccess(1);
        h.Op().Answer(MsgButton::Yes);
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<TFPSW&>(d);
            QVERIFY(dialog.Label1->isVisible());
            dialog.Edit1->setText("513");
            QTest::keyClick(dialog.Edit1, Qt::Key_Return);
        });
        h.Main().N1ParolClick();
        QFile f(TFPSW::PasswordFilePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("\x01\x02", 2));
        QVERIFY(h.Op().Saw("Пароль заменен!"));
        QCOMPARE(h.Main().ProgLum().FlagParol, 0);
    }

    void passwordChangeRefusals() {
        GuiHarness h;
        h.GrantAccess(1);
        h.Op().Answer(MsgButton::Yes);
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<TFPSW&>(d);
            dialog.Edit1->setText("65536");
            QTest::keyClick(dialog.Edit1, Qt::Key_Return);
        });
        h.Main().N1ParolClick();
        QVERIFY(h.Op().Saw("Введите число не более 65535"));
        QVERIFY(h.Op().Saw("Пароль не заменен"));
        QVERIFY(!QFile::exists(TFPSW::PasswordFilePath()));

        h.GrantAccess(0);
        h.Op().Clear();
        h.Main().N1ParolClick();
        QCOMPARE(h.Op().LastText(), std::string("Ваш уровень доступа не позволяет\nменять пароль"));
        QCOMPARE(h.ModalTitles().count(), 1); // the dialog was not shown again
    }

    void portDialogFirstShowingAndEvenTwoStopBits() {
        GuiHarness h;
        TComPortClass& port = h.Main().ComPort();
        QVERIFY(port.IsOpen());
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<TFormPort&>(d);
            QCOMPARE(dialog.Skor->currentText(), QString("9600"));
            QCOMPARE(dialog.Parit->currentText(), U("нет"));
            QCOMPARE(dialog.StBit->currentText(), QString("2"));
            QCOMPARE(dialog.CBoxPort->currentIndex(), 0);
            QCOMPARE(dialog.CBoxPort->itemText(dialog.CBoxPort->count() - 1),
                     TFormPort::BuiltInEntry());
            dialog.Parit->setCurrentIndex(2);
            Click(dialog.OK);
        });
        h.Op().Answer(MsgButton::Retry);
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<TFormPort&>(d);
            QCOMPARE(dialog.Parit->currentText(), U("нет")); // the refused choice was not kept
            dialog.close();                                  // Cancel
        });
        h.Main().APortExecute();
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QCOMPARE(h.Op().Shown()[0].text, std::string("Ошибочные данные "));
        // The port was closed by the first showing, so Cancel at the second leaves it closed.
        QVERIFY(!port.IsOpen());
        QCOMPARE(port.Parity, std::string("N"));
    }

    void portDialogCancelReopensAnOpenPort() {
        GuiHarness h;
        TComPortClass& port = h.Main().ComPort();
        h.OnModal([&port](QDialog& d) {
            QVERIFY(!port.IsOpen()); // showing the dialog closes the port
            d.close();
        });
        h.Main().APortExecute();
        QVERIFY(port.IsOpen());
        QVERIFY(h.Op().Shown().empty());
    }

    void portDialogAppliesTheChoice() {
        GuiHarness h;
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<TFormPort&>(d);
            dialog.Skor->setCurrentIndex(2);
            dialog.Parit->setCurrentIndex(2);
            dialog.StBit->setCurrentIndex(0);
            dialog.CBoxPort->addItem(FakeLine::PortName);
            dialog.CBoxPort->setCurrentIndex(dialog.CBoxPort->count() - 1);
            Click(dialog.OK);
        });
        h.Main().APortExecute();
        TComPortClass& port = h.Main().ComPort();
        QCOMPARE(port.Speed, std::string("57600"));
        QCOMPARE(port.Parity, std::string("E"));
        QCOMPARE(port.StopBits, std::string("1"));
        QCOMPARE(port.PortName, std::string(FakeLine::PortName));
        QVERIFY(port.IsOpen());
        // The next showing starts from the choice just made.
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<TFormPort&>(d);
            QCOMPARE(dialog.Skor->currentText(), QString("57600"));
            QCOMPARE(dialog.CBoxPort->currentIndex(), 0);
            d.close();
        });
        h.Main().APortExecute();
    }

    void portThatCannotOpenReports132() {
        GuiHarness h;
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<TFormPort&>(d);
            dialog.CBoxPort->addItem("/nonexistent/ttyXYZ");
            dialog.CBoxPort->setCurrentIndex(dialog.CBoxPort->count() - 1);
            Click(dialog.OK);
        });
        h.Main().APortExecute();
        QCOMPARE(h.Op().LastText(), std::string(" невозможно открыть последовательный порт \n"
                                                "/nonexistent/ttyXYZ: порт не найден"));
        QVERIFY(!h.Main().ComPort().IsOpen());
    }

    void timingDialogCancelRestores() {
        GuiHarness h;
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<TFormNastr&>(d);
            QCOMPARE(dialog.Edit1->value(), 25);
            QVERIFY(dialog.Edit2->isHidden() && dialog.CBoxPovt1->isHidden());
            dialog.Edit1->setValue(40);
            dialog.close();
        });
        h.Main().ANastrExecute();
        QCOMPARE(h.Main().ComPort().GetDelayTx(), 25);
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<TFormNastr&>(d);
            QCOMPARE(dialog.Edit1->value(), 25);
            dialog.Edit1->setValue(1000); // the arrows stop at 100
            QCOMPARE(dialog.Edit1->value(), 100);
            Click(dialog.OK);
        });
        h.Main().ANastrExecute();
        QCOMPARE(h.Main().ComPort().GetDelayTx(), 100);
        QCOMPARE(h.Main().ComPort().GetRepeat1(), 5);
    }

    void busNumberChangeOverPseudoTerminal() {
        GuiHarness h(GuiHarness::Line::Pty);
        h.Device().SetAddress(3);
        h.Device().SetBusyAfterWrite(1);
        TForm1& m = h.Main();
        m.CBoxUstr->setCurrentIndex(2);
        m.CBoxUstrClick();
        QCOMPARE(m.Serv().NumUstr, 2);
        m.CBoxUstrZ->setCurrentIndex(6);
        m.CBoxUstrZClick();
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        QCOMPARE(h.Device().Address(), 7);
        QCOMPARE(m.CBoxUstr->currentText(), QString("7"));
        QCOMPARE(m.Serv().NumUstr, 6);
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
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
