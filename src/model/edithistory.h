#pragma once
// The operator's edits of the document, one step each, for undoing and redoing them. A step
// keeps the document's content before and after it; undoing puts back only the bytes the step
// changed and that still hold what it left, so a module read since then is not undone with it.

#include "model/deviceimage.h"

#include <cstddef>
#include <string>
#include <vector>

class DeviceDocument;

class EditHistory {
public:
    static constexpr size_t Limit = 200; // the oldest steps go beyond this

    bool CanUndo() const { return done_ > 0 && depth_ == 0; }
    bool CanRedo() const { return done_ < steps_.size() && depth_ == 0; }
    // The names of the steps an undo or a redo would take; empty when there is none.
    std::string UndoName() const;
    std::string RedoName() const;
    size_t Size() const { return steps_.size(); }
    // An edit is under way (a dialog open): undo and redo wait for it.
    bool Editing() const { return depth_ > 0; }
    // How many times the document was found changed outside an edit.
    int StrayChanges() const { return strayChanges_; }

private:
    friend class DeviceDocument;
    struct Step {
        std::string name;
        DeviceImage before;
        DeviceImage after;
    };
    void Clear();
    void Record(std::string name, const DeviceImage& before, const DeviceImage& after);

    std::vector<Step> steps_;
    size_t done_ = 0; // steps_[0..done_) are in the document
    int depth_ = 0;
    int strayChanges_ = 0;
};
