#include "dialogs/questions.h"

namespace Questions {

MsgButton Transfer(Operator& op, const std::string& text, const std::string& caption, bool cancel) {
    if (cancel)
        return op.Ask({text,
                       caption,
                       MsgIcon::Question,
                       {MsgButton::Yes, MsgButton::No, MsgButton::Cancel},
                       MsgButton::Cancel});
    return op.Ask(
        {text, caption, MsgIcon::Question, {MsgButton::Yes, MsgButton::No}, MsgButton::No});
}

MsgButton SaveToFile(Operator& op, bool cancel) {
    std::vector<MsgButton> buttons{MsgButton::Yes, MsgButton::No};
    if (cancel)
        buttons.push_back(MsgButton::Cancel);
    // Да keeps the edits; it is the safe answer.
    return op.Ask({"Данные были изменены. Сохранить в файле?", "Подтвердите запись в файл",
                   MsgIcon::Question, buttons, MsgButton::Yes});
}

} // namespace Questions
