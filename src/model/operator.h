#pragma once
// The operator at the screen: every message box of the program goes through this interface,
// so that the model and the exchange engine never touch a widget and tests can script answers.

#include <string>
#include <vector>

enum class MsgIcon { None, Information, Warning, Error, Question };

// Values follow the classic dialog result codes, which several windows hand on as modal results.
enum class MsgButton {
    None = 0,
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7
};

struct OperatorMessage {
    std::string text;    // UTF-8
    std::string caption; // UTF-8; empty means the application's title
    MsgIcon icon = MsgIcon::None;
    std::vector<MsgButton> buttons{MsgButton::Ok};
    MsgButton defaultButton = MsgButton::None; // None: the first button
};

class Operator {
public:
    virtual ~Operator() = default;
    // Shows the message modally and returns the button pressed (Cancel or No when closed).
    virtual MsgButton Ask(const OperatorMessage& message) = 0;

    // Shorthands for the common shapes of message.
    void Tell(const std::string& text, const std::string& caption, MsgIcon icon) {
        Ask({text, caption, icon, {MsgButton::Ok}, MsgButton::Ok});
    }
    // A question whose "Да" writes to a device or throws data away defaults to "Нет".
    bool YesNo(const std::string& text, const std::string& caption,
               MsgIcon icon = MsgIcon::Question, MsgButton defaultButton = MsgButton::Yes) {
        return Ask({text, caption, icon, {MsgButton::Yes, MsgButton::No}, defaultButton}) ==
               MsgButton::Yes;
    }
};

// Drops every message and answers with the default; used until a real operator is attached.
class SilentOperator : public Operator {
public:
    MsgButton Ask(const OperatorMessage& message) override {
        if (message.defaultButton != MsgButton::None)
            return message.defaultButton;
        return message.buttons.empty() ? MsgButton::Ok : message.buttons.front();
    }
};
