// The construction modes: intersection, perpendicular foot, horizontal and vertical
// intersection (add and move variants), end point change, merge, split and parallel line.
#pragma once

#include "edit/edit_session.h"

namespace keltora {

class ConstructionModes : public ModeFamily {
  public:
    bool handles(int mode) const override;
    void enter(EditSession& s, int mode) const override;
    EditOutcome leftClick(EditSession& s, const EditContext& c, Point2 p) override;
    EditOutcome rightClick(EditSession& s, const EditContext& c, Point2 p) override;
    void addMarks(const EditSession& s, const EditContext& c, Marks& m) const override;
    EditOutcome resume(EditSession& s, const EditContext& c) override;
};

// The first code of the construction a mode code belongs to (-1 when none).
int constructionBase(int mode);

} // namespace keltora
