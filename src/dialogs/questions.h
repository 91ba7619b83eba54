#pragma once
// The questions that stand between the operator's edits and a device or a file. Their buttons
// and default buttons are decided here once: Enter never writes to a device, never throws typed
// data away. The windows keep their own words.

#include "model/operator.h"

#include <string>

namespace Questions {

// "... Передать в прибор?" and its kin: Да writes to the device. With cancel, Отмена keeps the
// window and its edits open.
MsgButton Transfer(Operator& op, const std::string& text, const std::string& caption, bool cancel);

// "Данные были изменены. Сохранить в файле?": Да saves, Нет gives the file edits up. With
// cancel, Отмена keeps them and stops the command.
MsgButton SaveToFile(Operator& op, bool cancel);

} // namespace Questions
