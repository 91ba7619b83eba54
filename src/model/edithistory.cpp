#include "model/edithistory.h"

#include <utility>

std::string EditHistory::UndoName() const {
    return CanUndo() ? steps_[done_ - 1].name : std::string();
}

std::string EditHistory::RedoName() const {
    return CanRedo() ? steps_[done_].name : std::string();
}

void EditHistory::Clear() {
    steps_.clear();
    done_ = 0;
}

void EditHistory::Record(std::string name, const DeviceImage& before, const DeviceImage& after) {
    if (before.Bytes() == after.Bytes())
        return;
    steps_.resize(done_); // a new edit ends what could be redone
    steps_.push_back({std::move(name), before, after});
    if (steps_.size() > Limit)
        steps_.erase(steps_.begin(), steps_.begin() + ptrdiff_t(steps_.size() - Limit));
    done_ = steps_.size();
}
