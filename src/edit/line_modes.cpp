// Drawing, deleting and flagging terrain lines with the mouse.
#include "edit/line_modes.h"

#include <array>

#include "edit/picking.h"

namespace keltora {

namespace {

const std::array<const char*, 6> kDeleteQuestions = {
    "指定した境界線を削除してよろしいですか？",
    "指定した不切線を削除してよろしいですか？",
    "指定した円弧制限線(小)を削除してよろしいですか？",
    "指定した円弧制限線(大)を削除してよろしいですか？",
    "指定した円弧制限点(小)を削除してよろしいですか？",
    "指定した円弧制限点(大)を削除してしてよろしいですか？"};

bool isChainStart(int mode)
{
    return mode >= kModeLineAddFirst && mode <= kModeLineAddLast;
}
bool isChainEnd(int mode)
{
    return mode >= kModeLineEndFirst && mode <= kModeLineEndLast;
}
bool isDelete(int mode)
{
    return mode >= kModeLineDeleteFirst && mode <= kModeLineDeleteLast;
}

void startChainAt(EditSession& s, const SlopeModel& model, int point)
{
    s.picked = point;
    s.rubber = true;
    s.rubberFrom = pointAt(model, point);
    s.cursor = s.rubberFrom;
}

} // namespace

void markLine(const SlopeModel& model, int i, Marks& m, MarkColour colour)
{
    if (i < 0 || i >= model.lineCount || i >= kMaxLines) return;
    const TerrainLine& l = model.lines[static_cast<size_t>(i)];
    if (!pointInUse(model, l.startPoint) || !pointInUse(model, l.endPoint)) return;
    const Point2 a = pointAt(model, l.startPoint), b = pointAt(model, l.endPoint);
    if (l.kind >= kArcLimitPointSmall)
        m.points.push_back({a, colour});
    else
        m.lines.push_back({a, b, colour, l.startPoint == l.endPoint});
}

bool LineModes::handles(int mode) const
{
    return isChainStart(mode) || isChainEnd(mode) || isDelete(mode) || mode == kModeArcPointSmall ||
           mode == kModeArcPointLarge || mode == kModeDrawFlagOn || mode == kModeDrawFlagOff;
}

EditOutcome LineModes::leftClick(EditSession& s, const EditContext& c, Point2 p)
{
    const SlopeModel& model = c.model;
    if (isChainStart(s.mode)) {
        const int n = pickPoint(model, p);
        if (n < 0) return {};
        startChainAt(s, model, n);
        s.mode += 10;
        s.status = modeStatusText(s.mode);
        return {};
    }
    if (isChainEnd(s.mode)) {
        const int kind = s.mode - 510;
        const int start = s.picked;
        const int end = pickPoint(model, p);
        if (end < 0 || !pointInUse(model, start)) return {};
        if ((kind == kBoundaryLine || kind == kUncutLine) && end == start) return {};
        EditOutcome out;
        if (lineWouldBeAdded(model, kind, start, end)) {
            out.change = [kind, start, end](SlopeModel& m) {
                return setLine(m, -1, kind, start, end) == 0;
            };
            out.effect = ChangeEffect::Results;
            out.undoText = "線分の追加";
            if (end == start) {
                // A horizontal limit line at the point's elevation ends the chain.
                leaveMode(s);
                return out;
            }
        } else if (findLine(model, kind, start, end) < 0) {
            // Neither a duplicate nor a point line: the table is full.
            out.message = Message{"線分は最大1024本までです。これ以上追加できません。", "error"};
        }
        // The end point is the start of the next line of the chain.
        startChainAt(s, model, end);
        return out;
    }
    if (s.mode == kModeArcPointSmall || s.mode == kModeArcPointLarge) {
        const int n = pickPoint(model, p);
        if (n < 0) return {};
        const bool small = s.mode == kModeArcPointSmall;
        Marks marks;
        marks.points.push_back({pointAt(model, n), MarkColour::Highlight});
        const bool yes = c.host.confirm(small ? "円弧制限点(小)を追加してよろしいですか？"
                                              : "円弧制限点(大)を追加してよろしいですか？",
                                        marks);
        leaveMode(s);
        EditOutcome out;
        if (!yes) return out;
        const auto slot = freeLineSlot(model);
        if (!slot) {
            out.message = Message{"線分は最大1024本までです。これ以上追加できません。", "error"};
            return out;
        }
        const int kind = small ? kArcLimitPointSmall : kArcLimitPointLarge;
        const int i = *slot;
        out.change = [i, kind, n](SlopeModel& m) {
            m.lines[static_cast<size_t>(i)] = {kind, n, n, 1};
            if (i >= m.lineCount) m.lineCount = i + 1;
            return true;
        };
        out.effect = ChangeEffect::Results;
        out.undoText = small ? "円弧制限点(小)の追加" : "円弧制限点(大)の追加";
        return out;
    }
    if (isDelete(s.mode)) {
        const int kind = s.mode - 600;
        const int i = pickLineOfKind(model, kind, p);
        if (i < 0) return {};
        Marks marks;
        markLine(model, i, marks);
        if (!c.host.confirm(kDeleteQuestions[static_cast<size_t>(kind - 1)], marks)) return {};
        EditOutcome out;
        out.change = [i](SlopeModel& m) {
            freeLine(m, i);
            return true;
        };
        out.effect = ChangeEffect::Results;
        out.undoText = "線分の削除";
        return out;
    }
    if (s.mode == kModeDrawFlagOn || s.mode == kModeDrawFlagOff) {
        const int i = pickLineOfKind(model, kBoundaryLine, p);
        if (i < 0) return {};
        const int flag = s.mode == kModeDrawFlagOn ? 1 : -1;
        EditOutcome out;
        out.change = [i, flag](SlopeModel& m) {
            return assignIfChanged(m.lines[static_cast<size_t>(i)].drawFlag, flag);
        };
        out.effect = ChangeEffect::Figure;
        out.undoText = flag > 0 ? "作図指示" : "作図不要指示";
        return out;
    }
    return {};
}

EditOutcome LineModes::rightClick(EditSession& s, const EditContext&, Point2)
{
    if (isChainEnd(s.mode)) {
        s.clearPicks();
        s.mode -= 10;
        s.status = modeStatusText(s.mode);
        return {};
    }
    leaveMode(s);
    return {};
}

void LineModes::addMarks(const EditSession& s, const EditContext& c, Marks& m) const
{
    if (isChainEnd(s.mode) && pointInUse(c.model, s.picked)) {
        m.points.push_back({pointAt(c.model, s.picked), MarkColour::Highlight});
        m.rubber = s.rubber;
        m.rubberFrom = s.rubberFrom;
        m.rubberTo = s.cursor;
    }
}

} // namespace keltora
