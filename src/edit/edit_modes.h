// The mode machine of the main view: enters modes from the menu commands and dispatches
// the mouse to the family of the current mode. Knows no window: the caller converts the
// mouse to section coordinates, applies the returned change through its document, shows
// the message and draws marks().
#pragma once

#include <memory>
#include <vector>

#include "edit/edit_session.h"

namespace keltora {

class EditController {
  public:
    explicit EditController(EditHost& host);
    ~EditController();

    EditSession& session() { return session_; }
    const EditSession& session() const { return session_; }
    int mode() const { return session_.mode; }
    const std::string& statusText() const { return session_.status; }
    bool xyButtonVisible() const { return session_.xyButton; }

    // True for the codes of the edit modes (not the view's area zoom, not 0).
    bool isEditMode(int mode) const;

    // A menu command: the previous mode's picks are dropped.
    void enterMode(int mode);
    void leaveMode();
    // The new-document reset: no mode, the parallel distance back to 1.0.
    void reset();
    // The model was replaced behind the modes (undo, redo, load): picks may no longer
    // exist, so the current mode starts again from its first step.
    void modelReplaced();

    EditOutcome leftClick(const SlopeModel& model, const std::vector<SafetyLabel>* labels,
                          Point2 p);
    EditOutcome rightClick(const SlopeModel& model, const std::vector<SafetyLabel>* labels,
                           Point2 p);
    // The cursor moved: true when the marks changed (the rubber line follows it).
    bool mouseMove(Point2 p);
    EditOutcome xyButton(const SlopeModel& model, const std::vector<SafetyLabel>* labels);
    // The step after an applied change whose outcome asked for it.
    EditOutcome resume(const SlopeModel& model, const std::vector<SafetyLabel>* labels);

    Marks marks(const SlopeModel& model, const std::vector<SafetyLabel>* labels) const;

  private:
    ModeFamily* familyOf(int mode) const;

    EditHost& host_;
    EditSession session_;
    std::vector<std::unique_ptr<ModeFamily>> families_;
};

} // namespace keltora
