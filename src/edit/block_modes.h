// Mouse modes on the soil blocks: add in a closed region with the block dialog (700), move
// (710, 711), delete (720), copy (730, 731) and edit (740).
#pragma once

#include "edit/edit_session.h"

namespace keltora {

class BlockModes : public ModeFamily {
  public:
    bool handles(int mode) const override;
    EditOutcome leftClick(EditSession& s, const EditContext& c, Point2 p) override;
    EditOutcome rightClick(EditSession& s, const EditContext& c, Point2 p) override;
    void addMarks(const EditSession& s, const EditContext& c, Marks& m) const override;
    EditOutcome xyButton(EditSession& s, const EditContext& c) override;
};

// The highlight of a block with its inner point at `seed`: the inner point and the outline
// traced around it when that outline has at least three points.
void markBlockAt(const SlopeModel& model, Point2 seed, Marks& m);

// True when two block records hold the same values (number included).
bool sameBlock(const SoilBlock& a, const SoilBlock& b);

} // namespace keltora
