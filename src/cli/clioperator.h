#pragma once
// The operator of the console program: nobody sits at the screen, so every message goes to the
// error stream and every question gets the answer that sends nothing and changes nothing.

#include "model/operator.h"

#include <ostream>

class ConsoleOperator : public Operator {
public:
    explicit ConsoleOperator(std::ostream& err) : err_(err) {}
    MsgButton Ask(const OperatorMessage& message) override;

    // The safe answer to a message: No, else Cancel, else the only button there is.
    static MsgButton SafeAnswer(const OperatorMessage& message);
    // One line of text for the console: the boxes' line breaks become blanks.
    static std::string OneLine(const std::string& text);
    // The text of the last message, on one line.
    const std::string& LastText() const { return last_; }

private:
    std::ostream& err_;
    std::string last_;
};
