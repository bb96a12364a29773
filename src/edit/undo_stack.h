// Undo and redo by snapshots of the section model. Each step keeps the model before and
// after one confirmed change; undo and redo restore them, keep what is not document data
// (file name, display settings, calculation stamp) and report how the flags must follow.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "edit/edit_session.h"
#include "model/model.h"

namespace keltora {

class UndoStack {
  public:
    static constexpr std::size_t kDefaultLimit = 128;
    explicit UndoStack(std::size_t limit = kDefaultLimit);

    // Records a confirmed change (drops the steps that could be redone). When the stack is
    // full the oldest step is forgotten.
    void push(const std::string& text, ChangeEffect effect, const SlopeModel& before,
              const SlopeModel& after);

    bool canUndo() const { return index_ > 0; }
    bool canRedo() const { return index_ < steps_.size(); }
    std::string undoText() const;
    std::string redoText() const;
    std::size_t size() const { return steps_.size(); }

    // Restores the model before the last step (after the next one). Returns the effect to
    // apply to the flags (None when there was nothing to do). `modified` of the model
    // becomes what it was at the saved position when the stack returns there, else 1;
    // calcState becomes 0 for a step that affected the results.
    ChangeEffect undo(SlopeModel& model);
    ChangeEffect redo(SlopeModel& model);

    // The current position counts as saved (after a load or a save): `modified` is the
    // value the document has there (0, or -1 for an untouched new document).
    void markSaved(int modified = 0);
    bool atSaved() const { return savedIndex_ == static_cast<long>(index_); }
    void clear();

  private:
    struct Step {
        std::string text;
        ChangeEffect effect;
        std::shared_ptr<const SlopeModel> before, after;
    };
    ChangeEffect restore(SlopeModel& model, const SlopeModel& snapshot, ChangeEffect effect);

    std::size_t limit_;
    std::vector<Step> steps_;
    std::size_t index_ = 0; // steps_[0, index_) are done
    long savedIndex_ = 0;   // -1 when the saved position was forgotten or undone away
    int savedModified_ = -1;
};

// Copies a snapshot into the model, keeping the fields that are not document data: the
// data file name, the modified and calculation flags, the calculation stamp and the
// display settings.
void restoreSnapshot(SlopeModel& model, const SlopeModel& snapshot);

} // namespace keltora
