// Mouse modes on the terrain lines: line chains with the rubber line (501-504, 511-514),
// arc-limit points (505, 506), deleting lines of each kind (601-606) and the draw flag of
// boundary lines (1200, 1201).
#pragma once

#include "edit/edit_session.h"

namespace keltora {

class LineModes : public ModeFamily {
  public:
    bool handles(int mode) const override;
    EditOutcome leftClick(EditSession& s, const EditContext& c, Point2 p) override;
    EditOutcome rightClick(EditSession& s, const EditContext& c, Point2 p) override;
    void addMarks(const EditSession& s, const EditContext& c, Marks& m) const override;
};

// The highlight of line slot i (a point mark for the point kinds, a line across the view
// for a horizontal limit line); nothing when its points are not in use.
void markLine(const SlopeModel& model, int i, Marks& m, MarkColour colour = MarkColour::Highlight);

} // namespace keltora
