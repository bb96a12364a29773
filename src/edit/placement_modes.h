// Mouse modes that place the elements of the calculation figure: frame (1000), title
// (1100), soil labels (1300/1301, 1310/1311), surcharge (1400-1405), force (1500-1508) and
// earth pressure labels (3000-3063), factor-of-safety labels (1600/1601) and additional
// circles (1610).
#pragma once

#include "edit/edit_session.h"

namespace keltora {

// The figure frame rectangle in section coordinates (from frame centre, paper and scale).
struct FrameRect {
    double xmin = 0.0, xmax = 0.0, ymin = 0.0, ymax = 0.0;
    bool contains(Point2 p) const
    {
        return !(p.x > xmax || p.y > ymax || p.x < xmin || p.y < ymin);
    }
};
FrameRect figureFrameRect(const SlopeModel& model);

class PlacementModes : public ModeFamily {
  public:
    bool handles(int mode) const override;
    EditOutcome leftClick(EditSession& s, const EditContext& c, Point2 p) override;
    EditOutcome rightClick(EditSession& s, const EditContext& c, Point2 p) override;
    void addMarks(const EditSession& s, const EditContext& c, Marks& m) const override;
};

} // namespace keltora
