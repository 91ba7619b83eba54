#pragma once
// An operator for tests: records every message shown and answers from a script.

#include "model/operator.h"

#include <deque>
#include <string>
#include <vector>

class ScriptedOperator : public Operator {
public:
    MsgButton Ask(const OperatorMessage& message) override;

    // Answers given to the next questions in order; when the script runs out, the message's
    // default button (or its first button) is pressed.
    void Answer(MsgButton button) { answers_.push_back(button); }

    const std::vector<OperatorMessage>& Shown() const { return shown_; }
    bool Saw(const std::string& text) const;
    std::string LastText() const { return shown_.empty() ? std::string() : shown_.back().text; }
    void Clear() { shown_.clear(); }

private:
    std::deque<MsgButton> answers_;
    std::vector<OperatorMessage> shown_;
};
