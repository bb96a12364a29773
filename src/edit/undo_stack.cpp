// Snapshot undo of the section model.
#include "edit/undo_stack.h"

namespace keltora {

void restoreSnapshot(SlopeModel& model, const SlopeModel& snapshot)
{
    std::string dataName = std::move(model.dataName);
    const int32_t modified = model.modified, calcState = model.calcState;
    const auto calcDate = model.calcDate, calcTime = model.calcTime;
    const DisplaySettings display = model.display;
    model = snapshot;
    model.dataName = std::move(dataName);
    model.modified = modified;
    model.calcState = calcState;
    model.calcDate = calcDate;
    model.calcTime = calcTime;
    model.display = display;
}

UndoStack::UndoStack(std::size_t limit) : limit_(limit < 1 ? 1 : limit) {}

void UndoStack::push(const std::string& text, ChangeEffect effect, const SlopeModel& before,
                     const SlopeModel& after)
{
    steps_.resize(index_);
    if (savedIndex_ > static_cast<long>(index_)) savedIndex_ = -1; // redone away for good
    Step step{text, effect, std::make_shared<const SlopeModel>(before),
              std::make_shared<const SlopeModel>(after)};
    steps_.push_back(std::move(step));
    ++index_;
    if (steps_.size() > limit_) {
        steps_.erase(steps_.begin());
        --index_;
        savedIndex_ = savedIndex_ > 0 ? savedIndex_ - 1 : -1;
    }
}

std::string UndoStack::undoText() const
{
    return canUndo() ? steps_[index_ - 1].text : std::string();
}

std::string UndoStack::redoText() const
{
    return canRedo() ? steps_[index_].text : std::string();
}

ChangeEffect UndoStack::restore(SlopeModel& model, const SlopeModel& snapshot, ChangeEffect effect)
{
    restoreSnapshot(model, snapshot);
    if (atSaved())
        model.modified = savedModified_;
    else if (effect != ChangeEffect::Display && effect != ChangeEffect::None)
        model.modified = 1;
    if (effect == ChangeEffect::Results) model.calcState = 0;
    return effect;
}

ChangeEffect UndoStack::undo(SlopeModel& model)
{
    if (!canUndo()) return ChangeEffect::None;
    --index_;
    const Step& s = steps_[index_];
    return restore(model, *s.before, s.effect);
}

ChangeEffect UndoStack::redo(SlopeModel& model)
{
    if (!canRedo()) return ChangeEffect::None;
    const Step& s = steps_[index_];
    ++index_;
    return restore(model, *s.after, s.effect);
}

void UndoStack::markSaved(int modified)
{
    savedIndex_ = static_cast<long>(index_);
    savedModified_ = modified;
}

void UndoStack::clear()
{
    steps_.clear();
    index_ = 0;
    savedIndex_ = 0;
}

} // namespace keltora
