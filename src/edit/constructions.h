// The geometric constructions of the editing modes: the position of an intersection,
// perpendicular foot or horizontal/vertical intersection, the nearness test, splitting,
// merging, reattaching and the parallel line.
#pragma once

#include <optional>

#include "model/model.h"

namespace keltora {

enum class ConstructionKind { Intersection, Foot, Horizontal, Vertical };

// A constructed position and the status of the routine that gave it (-1: none).
struct Construction {
    int status = -1;
    Point2 position;
    // Which picked lines contain the position and are split there on commit.
    bool splitLine1 = false, splitLine2 = false;
};

// intersection: boundary lines line1 and line2 on their infinite lines; foot: of `point`
// on line1; horizontal / vertical: line1 with the segment of +-100 m through `point`.
Construction construct(const SlopeModel& model, ConstructionKind kind, int line1, int line2,
                       int point);

// True when a used point other than `except` lies within 0.001 m of p in X and in Y.
bool tooNearPoint(const SlopeModel& model, Point2 p, int except = -1);

// Replaces boundary line `line` by the two boundary lines from its ends to `point`. A point
// that is an end of the line leaves it whole. Returns true when the model changed.
bool splitLineAt(SlopeModel& model, int line, int point);

// The end of two lines that is shared, -1 when none (or when they share both ends).
int sharedEnd(const SlopeModel& model, int line1, int line2);

// The parallel line to boundary line `line` at `distance` towards the side of `click`:
// its two end positions, or nothing when the click lies on the line or an offset fails.
struct ParallelEnds {
    Point2 start, end;
};
std::optional<ParallelEnds> parallelEnds(const SlopeModel& model, int line, double distance,
                                         Point2 click);

// Adds the parallel line: each end reuses a point within 0.001 m (X and Y), else a new
// point; then a boundary line between them. Returns true when the model changed.
bool addParallelLine(SlopeModel& model, const ParallelEnds& ends);

} // namespace keltora
