#pragma once
// The field validation every dialog shares: the error marker placed beside a wrong field, the
// error box for a rejected key, and the key filters for decimal and hexadecimal fields.

#include <QLabel>
#include <QString>

class Operator;
class QKeyEvent;
class QLineEdit;
class QWidget;

// The hidden "ошибка" marker; it hides itself again when the mouse moves over it, and when
// the operator edits the field it was shown for (a correction; a value still wrong is marked
// again by the next check).
class ErrorMarker : public QLabel {
    Q_OBJECT
public:
    explicit ErrorMarker(QWidget* parent);
    // The field the marker is shown for now.
    void Watch(QWidget* field);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    QMetaObject::Connection edited_;
};

// " Ошибка ввода ", the default text of the marker and of the error box.
QString InputErrorText();

// Beeps and shows the marker with the text (or " Ошибка ввода ") overlapping the field's lower
// edge: top = field bottom - 5, left = field left + 5, in the marker's parent's coordinates.
// Where it would cover another control there, it goes below, beside or above the field
// instead, wherever it covers none.
void ShowErrorText(QWidget* field, QLabel* marker, const QString& text = QString());

// Where the marker goes for the field: the first of the places above, inside the marker's
// parent, that covers no other control and no caption of the window. When every place covers
// some, the one that covers least of the controls, then of the captions. In the parent's
// coordinates.
QPoint ErrorMarkerPlace(QWidget* field, QLabel* marker);

// Paints the field red, beeps, shows the error box, paints it white again and empties it.
void ErrorInput(Operator& op, QLineEdit* field, const QString& text = QString());

// The virtual-key code of a key event, as the key filters of the model understand it.
int VirtualKeyOf(const QKeyEvent* event);

// Moves the focus from the widget to the next control in tab order.
void FocusNext(QWidget* widget);

enum class KeyFilterKind { Decimal, Hex };

// Applies the decimal or hexadecimal key filter to the field's key presses: rejected keys show
// the error box and are swallowed; an accepted Enter moves the focus to the next control.
void InstallKeyFilter(QLineEdit* field, KeyFilterKind kind, Operator& op);
