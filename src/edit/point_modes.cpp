// Adding, moving and deleting terrain points with the mouse.
#include "edit/point_modes.h"

#include "edit/picking.h"

namespace keltora {

namespace {

EditOutcome addPointAt(const EditContext& c, Point2 p, bool ask)
{
    EditOutcome out;
    Message why;
    const auto slot = allocatePointSlot(c.model, &why);
    if (!slot) {
        out.message = why;
        return out;
    }
    // A point onto an existing one is refused without a message.
    if (pointNear(c.model, p, kTolDuplicatePoint) >= 0) return out;
    Marks marks;
    marks.points.push_back({p, MarkColour::Highlight});
    if (ask && !c.host.confirm("点を追加してよろしいですか？", marks)) return out;
    const int n = *slot;
    out.change = [n, p](SlopeModel& m) {
        m.points[static_cast<size_t>(n)] = {n, p.x, p.y};
        confirmPointSlot(m, n);
        return true;
    };
    out.effect = ChangeEffect::Results;
    out.undoText = "点の追加";
    return out;
}

EditOutcome movePointTo(int n, Point2 p)
{
    EditOutcome out;
    out.change = [n, p](SlopeModel& m) {
        TerrainPoint& tp = m.points[static_cast<size_t>(n)];
        if (tp.number < 0) return false;
        tp.x = p.x;
        tp.y = p.y;
        return true;
    };
    out.effect = ChangeEffect::Results;
    out.undoText = "点の移動";
    return out;
}

void backToPick(EditSession& s)
{
    s.clearPicks();
    s.mode = kModePointMove;
    s.status = modeStatusText(kModePointMove);
    s.xyButton = false;
}

} // namespace

void markPointWithLines(const SlopeModel& model, int point, Point2 at, MarkColour colour, Marks& m)
{
    for (int i = 0; i < model.lineCount && i < kMaxLines; ++i) {
        const TerrainLine& l = model.lines[static_cast<size_t>(i)];
        if (l.kind < 0 || l.kind > 6 || (l.startPoint != point && l.endPoint != point)) continue;
        const int other = l.startPoint == point ? l.endPoint : l.startPoint;
        if (!pointInUse(model, other) || (other == point && l.kind >= 5)) continue;
        const Point2 q = other == point ? at : pointAt(model, other);
        m.lines.push_back({at, q, MarkColour::Highlight, other == point && l.kind <= 4});
    }
    m.points.push_back({at, colour});
}

bool PointModes::handles(int mode) const
{
    return mode == kModePointAdd || mode == kModePointMove || mode == kModePointMoveTo ||
           mode == kModePointDelete;
}

EditOutcome PointModes::leftClick(EditSession& s, const EditContext& c, Point2 p)
{
    switch (s.mode) {
    case kModePointAdd: return addPointAt(c, p, true);
    case kModePointMove: {
        const int n = pickPoint(c.model, p);
        if (n < 0) return {};
        s.picked = n;
        s.savedPos = pointAt(c.model, n);
        s.newPos = s.savedPos;
        s.moved = 0;
        s.mode = kModePointMoveTo;
        s.status = modeStatusText(kModePointMoveTo);
        s.xyButton = true;
        return {};
    }
    case kModePointMoveTo:
        // The new place is shown at once; the model changes when the move is confirmed.
        if (!pointInUse(c.model, s.picked)) {
            backToPick(s);
            return {};
        }
        if (pointNear(c.model, p, kTolDuplicatePoint, s.picked) >= 0) return {};
        s.newPos = p;
        s.moved = 1;
        return {};
    case kModePointDelete: {
        const int n = pickPoint(c.model, p);
        if (n < 0) return {};
        Marks marks;
        markPointWithLines(c.model, n, pointAt(c.model, n), MarkColour::Highlight, marks);
        if (!c.host.confirm("点を削除してよろしいですか？(関連する線分も削除されます)", marks))
            return {};
        EditOutcome out;
        out.change = [n](SlopeModel& m) {
            freePoint(m, n);
            return true;
        };
        out.effect = ChangeEffect::Results;
        out.undoText = "点の削除";
        return out;
    }
    default: return {};
    }
}

EditOutcome PointModes::rightClick(EditSession& s, const EditContext& c, Point2)
{
    if (s.mode != kModePointMoveTo) {
        leaveMode(s);
        return {};
    }
    EditOutcome out;
    if (s.moved == 1 && pointInUse(c.model, s.picked)) {
        Marks marks;
        markPointWithLines(c.model, s.picked, s.newPos, MarkColour::Highlight, marks);
        if (c.host.confirm("点を移動してよろしいですか？", marks))
            out = movePointTo(s.picked, s.newPos);
    }
    backToPick(s);
    return out;
}

EditOutcome PointModes::xyButton(EditSession& s, const EditContext& c)
{
    if (s.mode == kModePointAdd) {
        DialogRequest r;
        r.kind = DialogKind::PointCoordinates;
        const auto slot = allocatePointSlot(c.model);
        r.slot = slot ? *slot : -1;
        Marks none;
        if (!c.host.openDialog(r, none)) return {};
        // The dialog itself is the confirmation.
        return addPointAt(c, r.position, false);
    }
    if (s.mode == kModePointMoveTo && pointInUse(c.model, s.picked)) {
        DialogRequest r;
        r.kind = DialogKind::PointCoordinates;
        r.slot = s.picked;
        r.moving = true;
        r.position = s.moved ? s.newPos : s.savedPos;
        Marks marks;
        addMarks(s, c, marks);
        const int n = s.picked;
        EditOutcome out;
        if (c.host.openDialog(r, marks) &&
            pointNear(c.model, r.position, kTolDuplicatePoint, n) < 0)
            out = movePointTo(n, r.position);
        // Closing the coordinate dialog of a move ends the mode.
        leaveMode(s);
        return out;
    }
    return {};
}

void PointModes::addMarks(const EditSession& s, const EditContext& c, Marks& m) const
{
    if (s.mode == kModePointMoveTo && pointInUse(c.model, s.picked))
        markPointWithLines(c.model, s.picked, s.moved ? s.newPos : s.savedPos,
                           MarkColour::Highlight, m);
}

} // namespace keltora
