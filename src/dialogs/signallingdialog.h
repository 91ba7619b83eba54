#pragma once
// "Программирование сигнализации ЛУМ-08": one input's light alarm type, colour and sound.

#include "dialogs/lumdialog.h"

class WindowContext;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class InputProgram;

// One input's signalling as the operator chose it, in the record's codes.
struct Signalling {
    int alarmType = 0; // 0..3
    int colorCode = 0; // 0, 4, 2 or 6
    int sound = 0;     // 0 or 1
};

class SignallingDialog : public LumDialog {
    Q_OBJECT
public:
    explicit SignallingDialog(WindowContext& main, QWidget* parent = nullptr);

    // The heading: input number from 1, six blanks, the identifier.
    void SetHeading(int inputFrom1, const QString& identifier);
    // Fills the controls from input i's record.
    void FillFrom(const InputProgram& prog, int input);
    // Alarm type, colour code and sound as chosen; the opener puts them into the document.
    Signalling Chosen() const;

    int AlarmType() const;       // 0..3
    int ColorIndex() const;      // -1 none, 0 red, 1 lime, 2 yellow
    int ColorCode() const;       // 0, 4, 2 or 6
    QColor PanelColor() const;   // the colour of the scheme's number text; white when none
    int Sound() const;           // 0 or 1
    void SetAlarmType(int type); // as the operator choosing it
    void SetColorIndex(int index);
    void SetSound(int sound);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void AlarmTypeClick(int type);
    void ColorClick();
    void SoundClick();

    WindowContext& main_;
    QLabel* inputLabel = nullptr;
    QLabel* inputCaption = nullptr;
    QRadioButton* alarmTypeButtons[4] = {};
    QListWidget* colorList = nullptr;
    QComboBox* soundBox = nullptr;
    QPushButton* OK = nullptr;
    bool settingColor_ = false; // the program, not the operator, moves the colour selection
};
