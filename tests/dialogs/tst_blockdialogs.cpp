// The signalling, delay and label dialogs: their controls, the rules applied while the operator
// edits, and the values they give back to an input's record and label.

#include "dialogs/delaydialog.h"
#include "dialogs/labeldialog.h"
#include "dialogs/signallingdialog.h"
#include "guisupport/guiharness.h"
#include "scheme/schemeeditor.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {
QString U(const char* s) {
    return QString::fromUtf8(s);
}

// One "МЛВ" module with cleared records, as a file would give it.
void OneModule(GuiHarness& h) {
    const uint8_t config[17] = {1, 1};
    h.Main().Modules().PutConfig(std::span<const uint8_t, 17>(config, 17));
    h.Main().Modules().MakeInputIds();
    h.Main().Program().ClearRecords(0, 36);
}

QRadioButton* TypeButton(SignallingDialog& d, int type) {
    return Part<QRadioButton>(d, QString("alarmType%1").arg(type));
}

void ClickColor(SignallingDialog& d, int row) {
    auto* list = Part<QListWidget>(d, "colorList");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

void ChooseSound(SignallingDialog& d, int index) {
    auto* sound = Part<QComboBox>(d, "soundBox");
    sound->setCurrentIndex(index);
    emit sound->activated(index); // as the operator picking it from the list
}

// Types any text, Cyrillic included, one key press per character.
void TypeText(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

std::vector<std::string> Texts(const ScriptedOperator& op) {
    std::vector<std::string> texts;
    for (const auto& m : op.Shown())
        texts.push_back(m.text);
    return texts;
}
} // namespace

class TestBlockDialogs : public QObject {
    Q_OBJECT

private slots:
    void signallingControls() {
        GuiHarness h;
        SignallingDialog d(h.Main(), &h.Main());
        auto* soundBox = Part<QComboBox>(d, "soundBox");
        QCOMPARE(d.windowTitle(), U("Программирование сигнализации ЛУМ-08"));
        QCOMPARE(TypeButton(d, 0)->text(), U("нет сигнализации"));
        QCOMPARE(TypeButton(d, 1)->text(), U("предупредит. (прерывистый свет)"));
        QCOMPARE(TypeButton(d, 2)->text(), U("аварийная      (прерывистый свет)"));
        QCOMPARE(TypeButton(d, 3)->text(), U("индикация      (ровный свет)"));
        QCOMPARE(Part<QListWidget>(d, "colorList")->count(), 3);
        QCOMPARE(soundBox->count(), 2);
        QCOMPARE(soundBox->itemText(0), U("нет"));
        QCOMPARE(soundBox->itemText(1), U("есть"));
        d.SetHeading(13, "DI_3_1    ");
        QCOMPARE(Part<QLabel>(d, "inputLabel")->text(), U("Вход №"));
        QCOMPARE(Part<QLabel>(d, "inputCaption")->text(), QString("13      DI_3_1    "));
    }

    // The colour each alarm type preselects, and the code it is stored with.
    void typePreselectsColour_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("colorIndex");
        QTest::addColumn<int>("storedCode");
        QTest::newRow("none") << 0 << -1 << 0;
        QTest::newRow("warning: yellow") << 1 << 2 << 6;
        QTest::newRow("emergency: red") << 2 << 0 << 4;
        QTest::newRow("indication: lime") << 3 << 1 << 2;
    }
    void typePreselectsColour() {
        QFETCH(int, type);
        QFETCH(int, colorIndex);
        QFETCH(int, storedCode);
        GuiHarness h;
        OneModule(h);
        SignallingDialog d(h.Main(), &h.Main());
        InputProgram& inputProgram = h.Main().Program();
        inputProgram.PutAlarmType(4, type == 1 ? 2 : 1); // start from another type
        inputProgram.PutColor(4, 4);
        inputProgram.PutSound(4, 1);
        d.FillFrom(inputProgram, 4);
        d.show();
        ClickMark(TypeButton(d, type));
        QCOMPARE(d.ColorIndex(), colorIndex);
        Click(Part<QPushButton>(d, "OK"));
        const Signalling chosen = d.Chosen();
        QCOMPARE(chosen.alarmType, type);
        QCOMPARE(chosen.colorCode, storedCode);
        QCOMPARE(chosen.sound, type == 0 ? 0 : 1); // no alarm, no sound
    }

    void yellowOpensAndIndicationStoresLime() {
        GuiHarness h;
        OneModule(h);
        SignallingDialog d(h.Main(), &h.Main());
        InputProgram& inputProgram = h.Main().Program();
        inputProgram.PutAlarmType(2, 1);
        inputProgram.PutColor(2, 6);
        d.FillFrom(inputProgram, 2);
        d.show();
        QCOMPARE(d.ColorIndex(), 2);
        QCOMPARE(Part<QListWidget>(d, "colorList")->item(2)->text(), U("Желтый"));
        ClickMark(TypeButton(d, 3));
        QCOMPARE(d.ColorIndex(), 1);
        QCOMPARE(d.PanelColor(), QColor(0, 255, 0));
        Click(Part<QPushButton>(d, "OK"));
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), 2);
        QCOMPARE(d.Chosen().alarmType, 3);
        QCOMPARE(d.Chosen().colorCode, 2);
    }

    void unusualColourOpensWithoutSelection() {
        GuiHarness h;
        OneModule(h);
        SignallingDialog d(h.Main(), &h.Main());
        InputProgram& inputProgram = h.Main().Program();
        inputProgram.PutAlarmType(0, 2);
        inputProgram.PutColor(0, 1);
        d.FillFrom(inputProgram, 0);
        QCOMPARE(d.ColorIndex(), -1);
        QCOMPARE(d.PanelColor(), QColor(255, 255, 255));
        QCOMPARE(d.Chosen().colorCode, 0);
        QCOMPARE(d.Chosen().alarmType, 2);
    }

    // With no alarm the colour list and the sound stay empty whatever is clicked.
    void noAlarmKeepsColourAndSoundOff() {
        GuiHarness h;
        OneModule(h);
        SignallingDialog d(h.Main(), &h.Main());
        InputProgram& inputProgram = h.Main().Program();
        d.FillFrom(inputProgram, 0);
        d.show();
        ClickMark(TypeButton(d, 0));
        ClickColor(d, 0);
        QCOMPARE(d.ColorIndex(), -1);
        ChooseSound(d, 1);
        QCOMPARE(d.Sound(), 0);
        ClickMark(TypeButton(d, 2));
        ClickColor(d, 2);
        QCOMPARE(d.ColorIndex(), 2);
        ChooseSound(d, 1);
        QCOMPARE(d.Sound(), 1);
        ClickMark(TypeButton(d, 0)); // back to none: all cleared
        QCOMPARE(d.ColorIndex(), -1);
        QCOMPARE(d.Sound(), 0);
        const Signalling chosen = d.Chosen();
        QCOMPARE(chosen.alarmType, 0);
        QCOMPARE(chosen.colorCode, 0);
        QCOMPARE(chosen.sound, 0);
    }

    // The dialog's choices never reach the record: they are handed back to the opener, and a
    // dialog given up leaves the input as it was.
    void choicesChangeNothingUntilStored_data() {
        QTest::addColumn<QString>("what");
        QTest::newRow("type") << "type";
        QTest::newRow("colour") << "colour";
        QTest::newRow("colour by keyboard") << "key";
        QTest::newRow("sound") << "sound";
    }
    void choicesChangeNothingUntilStored() {
        QFETCH(QString, what);
        GuiHarness h;
        OneModule(h);
        SignallingDialog d(h.Main(), &h.Main());
        InputProgram& inputProgram = h.Main().Program();
        inputProgram.PutAlarmType(1, 2);
        inputProgram.PutColor(1, 4);
        const QByteArray before(reinterpret_cast<const char*>(inputProgram.Records), 108);
        d.FillFrom(inputProgram, 1);
        d.show();
        if (what == "type")
            ClickMark(TypeButton(d, 1));
        else if (what == "colour")
            ClickColor(d, 1);
        else if (what == "key") {
            Part<QListWidget>(d, "colorList")->setFocus();
            QTest::keyClick(Part<QListWidget>(d, "colorList"), Qt::Key_Down);
            QCOMPARE(d.ColorIndex(), 1);
        } else if (what == "sound")
            ChooseSound(d, 1);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(inputProgram.Records), 108), before);
        const Signalling chosen = d.Chosen();
        QVERIFY(chosen.alarmType != 2 || chosen.colorCode != 4 || chosen.sound != 0);
        d.hide();
    }

    void delayValues_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QStringList>("messages");
        const QString warn = U("Не задана уставка времени задержки");
        QTest::newRow("60") << "60" << 60 << QStringList{};
        QTest::newRow("7") << "7" << 7 << QStringList{};
        QTest::newRow("0") << "0" << 0 << QStringList{warn};
        QTest::newRow("00") << "00" << 0 << QStringList{warn};
        QTest::newRow("emptied") << "" << 0 << QStringList{warn};
        QTest::newRow("75") << "75" << 0 << QStringList{U(" Ошибка ввода "), warn};
        QTest::newRow("61") << "61" << 0 << QStringList{U(" Ошибка ввода "), warn};
    }
    void delayValues() {
        QFETCH(QString, text);
        QFETCH(int, stored);
        QFETCH(QStringList, messages);
        GuiHarness h;
        DelayDialog d(h.Main(), &h.Main());
        QCOMPARE(d.windowTitle(), U("Программ. задерж. выходов ЛУМ-08"));
        QCOMPARE(d.delayEdit->maxLength(), 2);
        QCOMPARE(d.delayEdit->toolTip(), U("Время, сек (0-60)"));
        d.FillDelay(15);
        QCOMPARE(d.delayEdit->text(), QString("15"));
        d.show();
        d.delayEdit->setText(text);
        Click(d.OK);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), 2);
        QCOMPARE(d.TakeDelay(), stored);
        QStringList shown;
        for (const auto& m : h.Op().Shown())
            shown << QString::fromStdString(m.text);
        QCOMPARE(shown, messages);
        if (!messages.isEmpty())
            QCOMPARE(h.Op().Shown().back().caption, std::string("Предупреждение"));
    }

    // The delay field takes digits only; a letter brings the error box and is not typed.
    void delayFieldTakesDigitsOnly() {
        GuiHarness h;
        DelayDialog d(h.Main(), &h.Main());
        d.FillDelay(0);
        d.show();
        d.delayEdit->clear();
        QTest::keyClicks(d.delayEdit, "4");
        QTest::keyClick(d.delayEdit, Qt::Key_K);
        QCOMPARE(Texts(h.Op()), std::vector<std::string>{" Ошибка ввода "});
        QCOMPARE(d.delayEdit->text(), QString()); // the error box empties the field
    }

    void labelDialog_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("emptied") << "" << QByteArray(14, ' ') << QString();
        QTest::newRow("short") << U("Насос 2")
                               << (QByteArray("\xcd\xe0\xf1\xee\xf1 2") + QByteArray(7, ' '))
                               << U("Насос 2");
        QTest::newRow("full") << "ABCDEFGHIJKLMN" << QByteArray("ABCDEFGHIJKLMN")
                              << "ABCDEFGHIJKLMN";
    }
    void labelDialog() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, readBack);
        GuiHarness h;
        OneModule(h);
        ModuleConfig& moduleConfig = h.Main().Modules();
        moduleConfig.PutDefaultLabel(3);
        LabelDialog d(h.Main(), &h.Main());
        auto* labelEdit = Part<QLineEdit>(d, "labelEdit");
        QCOMPARE(d.windowTitle(), U("Задание текстового реквизита входа"));
        QCOMPARE(labelEdit->maxLength(), 14);
        d.FillFrom(3);
        QCOMPARE(labelEdit->text(), U("Дискр.сигн.004"));
        d.show();
        labelEdit->selectAll();
        QTest::keyClick(labelEdit, Qt::Key_Backspace);
        if (!typed.isEmpty())
            TypeText(labelEdit, typed);
        Click(Part<QPushButton>(d, "OK"));
        QCOMPARE(d.result(), 2);
        moduleConfig.PutLabel(d.Label(), 3); // as the opener does
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(moduleConfig.Label[3]), 14), bytes);
        QCOMPARE(QString::fromStdString(moduleConfig.GetLabel(3)).isEmpty(), readBack.isEmpty());
        d.FillFrom(3);
        QCOMPARE(labelEdit->text(), readBack);
    }
};

QTEST_MAIN(TestBlockDialogs)
#include "tst_blockdialogs.moc"
