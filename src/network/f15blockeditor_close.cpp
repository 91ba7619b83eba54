// The block editor's close query: every field is checked and stored in turn, and a failure
// either ends the programming (the whole image back from the reserve copy) or keeps the editor
// open.

#include "network/f15blockeditor.h"

#include "dialogs/fieldcheck.h"
#include "dialogs/questions.h"
#include "dialogs/windowcontext.h"
#include "model/f15check.h"
#include "model/keyfilters.h"
#include "model/networkblocks.h"
#include "model/operator.h"
#include "network/networkwindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>
#include <cstring>

namespace {
// The field's decimal number, or -1 when it holds none.
long long DecimalOf(const QLineEdit* field) {
    return F15Decimal(field->text().toStdString());
}
} // namespace

void F15BlockEditor::LeaveForFirstControl() {
    QWidget* was = focusWidget();
    moveFocus_ = true;
    inputCountEdit->setFocus();
    moveFocus_ = false;
    inputCountByQuery_ = true;
    if (was != inputCountEdit)
        FieldLeft(was);
}

void F15BlockEditor::PlainMessage(const std::string& text) {
    main_.Op().Tell(text, std::string(), MsgIcon::None);
}

void F15BlockEditor::Fail(const char* message) {
    failed_ = true;
    if (message)
        PlainMessage(message);
}

bool F15BlockEditor::CanClose(int& result) {
    closePending_ = false;
    inQuery_ = true;
    failed_ = result == mr::Yes;
    LeaveForFirstControl();
    const long long functionCode = DecimalOf(functionCodeEdit);
    NetworkBlocks& f15 = main_.Network();
    if (!failed_) {
        if (functionCode == 0 && f15.GetFunctionCode(block_) == 0) {
            inQuery_ = false;
            return true;
        }
        CheckAndStore();
    }
    ShowBlockButton(functionCode != 0);
    bool close = false;
    if (failed_) {
        close = main_.Op().YesNo("Ошибка программирования \nЗакончить?",
                                 "Подтвердите окончание программирования", MsgIcon::Question,
                                 MsgButton::No);
        if (close) {
            RestoreImage();
            errorMarker->hide();
            result = mr::Yes;
        }
    } else {
        close = CloseAfterChecks(result);
    }
    inQuery_ = false;
    return close;
}

bool F15BlockEditor::CheckAndStore() {
    F15Fields fields;
    fields.functionCode = functionCodeEdit->text().toStdString();
    fields.slaveIndex = deviceNumberBox->currentIndex();
    fields.inputCount = inputCountEdit->text().toStdString();
    fields.startAddress = startAddressEdit->text().toStdString();
    fields.dataCount = dataCountEdit->text().toStdString();
    for (int k = 0; k < SignalCount; ++k)
        fields.signalNumbers[size_t(k)] = signalEdits[size_t(k)]->text().toStdString();
    fields.acknowledge = acknowledgeButton->isChecked();
    fields.resetFlag = resetButton->isChecked();
    NetworkBlocks& f15 = main_.Network();
    const F15Check check = CheckAndStoreF15(fields, f15, block_);
    QLineEdit* marked = check.marker == F15Check::Marker::FunctionCode   ? functionCodeEdit
                        : check.marker == F15Check::Marker::InputCount   ? inputCountEdit
                        : check.marker == F15Check::Marker::StartAddress ? startAddressEdit
                                                                         : nullptr;
    if (marked)
        ShowErrorText(marked, errorMarker);
    if (check.restoreInputCount)
        inputCountEdit->setText(QString::number(f15.GetInputCount(block_)));
    if (check.failed)
        Fail(check.message.empty() ? nullptr : check.message.c_str());
    return !check.failed;
}

void F15BlockEditor::RestoreImage() {
    main_.Document().RevertNetwork("Сетевые блоки: изменения отменены");
    ShowBlockButton(main_.Network().GetFunctionCode(block_));
}

void F15BlockEditor::ShowBlockButton(int functionCode) {
    if (blockList_)
        blockList_->ShowBlockButton(block_, functionCode);
}

bool F15BlockEditor::CloseAfterChecks(int& result) {
    result = mr::Cancel;
    // A file's edits go into the file with the rest of it.
    if (!main_.Document().NetworkChanged() || main_.Document().IsFileMode())
        return true;
    // Да writes the image to the device.
    const MsgButton answer = Questions::Transfer(main_.Op(), "База  была изменена.Сохранить?",
                                                 "Подтвердите сохранение базы данных", true);
    if (answer == MsgButton::Yes) {
        // A failed write has been reported; the image still differs from the device, so the
        // network window's close offers the transfer again.
        SaveClick();
        return true;
    }
    if (answer == MsgButton::No) {
        RestoreImage();
        return true;
    }
    return false;
}
