#include "support/scriptedoperator.h"

MsgButton ScriptedOperator::Ask(const OperatorMessage& message) {
    shown_.push_back(message);
    if (!answers_.empty()) {
        MsgButton b = answers_.front();
        answers_.pop_front();
        return b;
    }
    if (message.defaultButton != MsgButton::None)
        return message.defaultButton;
    return message.buttons.empty() ? MsgButton::Ok : message.buttons.front();
}

bool ScriptedOperator::Saw(const std::string& text) const {
    for (const auto& m : shown_)
        if (m.text == text)
            return true;
    return false;
}
