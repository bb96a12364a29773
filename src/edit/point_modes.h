// Mouse modes on the terrain points: add (200), move (210, 211) and delete (220).
#pragma once

#include "edit/edit_session.h"

namespace keltora {

class PointModes : public ModeFamily {
  public:
    bool handles(int mode) const override;
    EditOutcome leftClick(EditSession& s, const EditContext& c, Point2 p) override;
    EditOutcome rightClick(EditSession& s, const EditContext& c, Point2 p) override;
    void addMarks(const EditSession& s, const EditContext& c, Marks& m) const override;
    EditOutcome xyButton(EditSession& s, const EditContext& c) override;
};

// Marks of a point and of every line (kind 0 to 6) that starts or ends at it, drawn with
// the point at `at` (its new place while a move waits for confirmation).
void markPointWithLines(const SlopeModel& model, int point, Point2 at, MarkColour colour, Marks& m);

} // namespace keltora
