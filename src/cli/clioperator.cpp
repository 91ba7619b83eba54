#include "cli/clioperator.h"

#include <algorithm>

MsgButton ConsoleOperator::SafeAnswer(const OperatorMessage& message) {
    const auto& b = message.buttons;
    for (MsgButton safe : {MsgButton::No, MsgButton::Cancel, MsgButton::Abort})
        if (std::find(b.begin(), b.end(), safe) != b.end())
            return safe;
    return b.empty() ? MsgButton::Ok : b.front();
}

std::string ConsoleOperator::OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            if (!line.empty() && line.back() != ' ')
                line += ' ';
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.front() == ' ')
        line.erase(line.begin());
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

MsgButton ConsoleOperator::Ask(const OperatorMessage& message) {
    const MsgButton answer = SafeAnswer(message);
    last_ = OneLine(message.text);
    err_ << "lum08-cli: " << last_;
    if (message.buttons.size() > 1)
        err_ << (answer == MsgButton::No ? " - ответ: нет" : " - ответ: отмена");
    err_ << '\n';
    err_.flush();
    return answer;
}
