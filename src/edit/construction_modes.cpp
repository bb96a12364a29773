// The click protocol of the construction modes: picks step by step, a right click commits
// when every pick is there and steps back otherwise.
#include "edit/construction_modes.h"

#include <array>

#include "edit/constructions.h"
#include "edit/line_modes.h"
#include "edit/picking.h"

namespace keltora {

namespace {

const char* const kCancel = "マウス(右)：取り消し";

struct PositionTexts {
    ConstructionKind kind;
    const char* secondPrompt;   // the pick after the line (line 2 or the point)
    const char* moveLinePrompt; // the move variant's line prompt
    const char* noResult;
    const char* nearAdd;
    const char* nearMove;
    const char* askAdd;
    const char* askMove;
    const char* undoAdd;
    const char* undoMove;
};

const std::array<PositionTexts, 4> kTexts = {{
    {ConstructionKind::Intersection, "交点を計算する線分２をマウス(左)で選択してください。",
     "移動先の交点を計算する線分１をマウス(左)で指定してください。", "交点が計算できません！",
     "交点の近くに点があるため追加できません！", "交点の近くに点があるため移動できません！",
     "交点を追加してよろしいですか？", "交点に移動してよろしいですか？", "交点の追加",
     "交点への移動"},
    {ConstructionKind::Foot, "垂線の足を下ろす点をマウス(左)で選択してください。",
     "移動先の垂線の足を計算する線分をマウス(左)で指定してください。", "垂線の足が計算できません！",
     "垂線の足の近くに点があるため追加できません！", "垂線の足の近くに点があるため移動できません！",
     "垂線の足を追加してよろしいですか？", "垂線の足に移動してよろしいですか？", "垂線の足の追加",
     "垂線の足への移動"},
    {ConstructionKind::Horizontal, "水平線を定義する点をマウス(左)で選択してください。",
     "水平線との交点を計算する線分をマウス(左)で指定してください。", "水平交点が計算できません！",
     "水平交点の近くに点があるため追加できません！", "水平交点の近くに点があるため移動できません！",
     "水平交点を追加してよろしいですか？", "水平交点に移動してよろしいですか？", "水平交点の追加",
     "水平交点への移動"},
    {ConstructionKind::Vertical, "垂直線を定義する点をマウス(左)で選択してください。",
     "垂直線との交点を計算する線分をマウス(左)で指定してください。", "垂直交点が計算できません！",
     "垂直交点の近くに点があるため追加できません！", "垂直交点の近くに点があるため移動できません！",
     "垂直交点を追加してよろしいですか？", "垂直交点に移動してよろしいですか？", "垂直交点の追加",
     "垂直交点への移動"},
}};

// The position constructions: base code, whether it moves a point, its texts.
struct PositionMode {
    int base;
    bool move;
    const PositionTexts* texts;
};

std::optional<PositionMode> positionMode(int base)
{
    switch (base) {
    case kModeIntersectionAdd: return PositionMode{base, false, &kTexts[0]};
    case kModeIntersectionMove: return PositionMode{base, true, &kTexts[0]};
    case kModeFootAdd: return PositionMode{base, false, &kTexts[1]};
    case kModeFootMove: return PositionMode{base, true, &kTexts[1]};
    case kModeHorizontalAdd: return PositionMode{base, false, &kTexts[2]};
    case kModeHorizontalMove: return PositionMode{base, true, &kTexts[2]};
    case kModeVerticalAdd: return PositionMode{base, false, &kTexts[3]};
    case kModeVerticalMove: return PositionMode{base, true, &kTexts[3]};
    default: return std::nullopt;
    }
}

std::string withCancel(const char* text)
{
    return std::string(text) + kCancel;
}

void toStep(EditSession& s, int base, int step, const std::string& status)
{
    s.mode = base + step;
    s.status = status;
}

void firstStep(EditSession& s, int base)
{
    s.clearPicks();
    toStep(s, base, 0, modeStatusText(base));
}

Message failure(const char* text)
{
    return {text, "error"};
}

// The status text of each step of a position construction.
std::string positionPrompt(const PositionMode& pm, int step)
{
    if (step == 0) return modeStatusText(pm.base);
    if (pm.move && step == 1) return withCancel(pm.texts->moveLinePrompt);
    return withCancel(pm.texts->secondPrompt);
}

void markPoint(const SlopeModel& model, int n, MarkColour colour, Marks& m)
{
    if (pointInUse(model, n)) m.points.push_back({pointAt(model, n), colour});
}

} // namespace

int constructionBase(int mode)
{
    if (mode >= 1700 && mode < 1780) return mode - (mode - 1700) % 10;
    if (mode >= kModeEndPoint && mode <= kModeEndPoint + 1) return kModeEndPoint;
    if (mode >= kModeMerge && mode <= kModeMerge + 1) return kModeMerge;
    if (mode >= kModeSplit && mode <= kModeSplit + 1) return kModeSplit;
    if (mode >= kModeParallel && mode <= kModeParallel + 1) return kModeParallel;
    return -1;
}

bool ConstructionModes::handles(int mode) const
{
    const int base = constructionBase(mode);
    if (base < 0) return false;
    const int step = mode - base;
    if (auto pm = positionMode(base)) return step <= (pm->move ? 2 : 1);
    return step <= 1;
}

void ConstructionModes::enter(EditSession& s, int mode) const
{
    s.mode = mode;
    s.status = modeStatusText(mode);
    s.xyButton = false;
}

EditOutcome ConstructionModes::leftClick(EditSession& s, const EditContext& c, Point2 p)
{
    const SlopeModel& model = c.model;
    const int base = constructionBase(s.mode);
    const int step = s.mode - base;
    if (auto pm = positionMode(base)) {
        const int lineStep = pm->move ? 1 : 0;
        if (pm->move && step == 0) {
            const int n = pickPoint(model, p);
            if (n < 0) return {};
            s.movingPoint = n;
            s.savedPos = pointAt(model, n);
            toStep(s, base, 1, positionPrompt(*pm, 1));
        } else if (step == lineStep) {
            const int i = pickLineOfKind(model, kBoundaryLine, p);
            if (i < 0) return {};
            s.line1 = i;
            toStep(s, base, step + 1, positionPrompt(*pm, step + 1));
        } else if (pm->texts->kind == ConstructionKind::Intersection) {
            const int i = pickLineOfKind(model, kBoundaryLine, p, s.line1);
            if (i >= 0) s.line2 = i;
        } else {
            const int n = pickPoint(model, p);
            if (n >= 0) s.point1 = n;
        }
        return {};
    }
    switch (base) {
    case kModeEndPoint:
        if (step == 0) {
            const int i = pickLineOfKind(model, kBoundaryLine, p);
            if (i < 0) return {};
            const TerrainLine& l = model.lines[static_cast<size_t>(i)];
            const Point2 a = pointAt(model, l.startPoint), b = pointAt(model, l.endPoint);
            const double da = (a.x - p.x) * (a.x - p.x) + (a.y - p.y) * (a.y - p.y);
            const double db = (b.x - p.x) * (b.x - p.x) + (b.y - p.y) * (b.y - p.y);
            s.line1 = i;
            s.movingPoint = db < da ? l.endPoint : l.startPoint;
            toStep(s, base, 1,
                   withCancel("指定した端点を付け替える点をマウス(左)で選択してください。"));
        } else {
            const int n = pickPoint(model, p);
            if (n >= 0) s.point1 = n;
        }
        return {};
    case kModeMerge:
        if (step == 0) {
            const int i = pickLineOfKind(model, kBoundaryLine, p);
            if (i < 0) return {};
            s.line1 = i;
            toStep(s, base, 1, withCancel("合成する線分２をマウス(左)で選択してください。"));
        } else {
            const int i = pickLineOfKind(model, kBoundaryLine, p, s.line1);
            if (i >= 0 && sharedEnd(model, s.line1, i) >= 0) s.line2 = i;
        }
        return {};
    case kModeSplit:
        if (step == 0) {
            const int i = pickLineOfKind(model, kBoundaryLine, p);
            if (i < 0) return {};
            s.line1 = i;
            toStep(s, base, 1, withCancel("分割する点をマウス(左)で選択してください。"));
        } else {
            const int n = pickPoint(model, p);
            const TerrainLine& l = model.lines[static_cast<size_t>(s.line1)];
            if (n >= 0 && n != l.startPoint && n != l.endPoint) s.point1 = n;
        }
        return {};
    case kModeParallel: {
        if (step == 0) {
            const int i = pickLineOfKind(model, kBoundaryLine, p);
            if (i < 0) return {};
            s.line1 = i;
            return resume(s, c);
        }
        const auto ends = parallelEnds(model, s.line1, s.parallelOffset, p);
        if (!ends) return {};
        EditOutcome out;
        // Each new end needs a point slot unless an existing point is reused.
        int needed = 0;
        if (!tooNearPoint(model, ends->start)) ++needed;
        if (!tooNearPoint(model, ends->end)) ++needed;
        int freeSlots = kMaxPoints - model.pointCount;
        for (int i = 0; i < model.pointCount && i < kMaxPoints; ++i)
            if (!pointInUse(model, i)) ++freeSlots;
        if (freeSlots < needed) {
            out.message = Message{"点は最大1024個までです。これ以上追加できません。", "error"};
            return out;
        }
        const ParallelEnds e = *ends;
        out.change = [e](SlopeModel& m) { return addParallelLine(m, e); };
        out.effect = ChangeEffect::Results;
        out.undoText = "平行線の追加";
        out.resume = true;
        return out;
    }
    default: return {};
    }
}

EditOutcome ConstructionModes::resume(EditSession& s, const EditContext& c)
{
    if (constructionBase(s.mode) != kModeParallel) return {};
    DialogRequest r;
    r.kind = DialogKind::ParallelOffset;
    r.offset = s.parallelOffset;
    Marks marks;
    markLine(c.model, s.line1, marks);
    if (!c.host.openDialog(r, marks)) {
        firstStep(s, kModeParallel);
        return {};
    }
    s.parallelOffset = r.offset;
    toStep(s, kModeParallel, 1, withCancel("平行線を追加する位置をマウス(左)で選択してください。"));
    return {};
}

EditOutcome ConstructionModes::rightClick(EditSession& s, const EditContext& c, Point2)
{
    const SlopeModel& model = c.model;
    const int base = constructionBase(s.mode);
    const int step = s.mode - base;
    if (step == 0) {
        leaveMode(s);
        return {};
    }
    EditOutcome out;
    if (auto pm = positionMode(base)) {
        const bool secondPicked =
            pm->texts->kind == ConstructionKind::Intersection ? s.line2 >= 0 : s.point1 >= 0;
        const int lastStep = pm->move ? 2 : 1;
        if (step < lastStep || !secondPicked) {
            // Step back over the last pick.
            if (step == lastStep)
                s.line1 = -1;
            else
                s.movingPoint = -1;
            toStep(s, base, step - 1, positionPrompt(*pm, step - 1));
            return {};
        }
        const Construction k = construct(model, pm->texts->kind, s.line1, s.line2, s.point1);
        auto dropSecond = [&s] { s.line2 = s.point1 = -1; };
        if (k.status < 0) {
            out.message = failure(pm->texts->noResult);
            dropSecond();
            return out;
        }
        const int moving = pm->move ? s.movingPoint : -1;
        if (tooNearPoint(model, k.position, moving)) {
            out.message = failure(pm->move ? pm->texts->nearMove : pm->texts->nearAdd);
            dropSecond();
            return out;
        }
        Marks marks;
        addMarks(s, c, marks);
        marks.points.push_back({k.position, pm->move ? MarkColour::Moving : MarkColour::Highlight});
        const bool yes = c.host.confirm(pm->move ? pm->texts->askMove : pm->texts->askAdd, marks);
        const int line1 = s.line1;
        const int line2 = pm->texts->kind == ConstructionKind::Intersection ? s.line2 : -1;
        firstStep(s, base);
        if (!yes) return out;
        Message why;
        std::optional<int> slot;
        if (!pm->move) {
            slot = allocatePointSlot(model, &why);
            if (!slot) {
                out.message = why;
                return out;
            }
        }
        const int n = pm->move ? moving : *slot;
        out.change = [k, n, line1, line2, move = pm->move](SlopeModel& m) {
            TerrainPoint& tp = m.points[static_cast<size_t>(n)];
            tp = {n, k.position.x, k.position.y};
            if (!move) confirmPointSlot(m, n);
            if (k.splitLine1) splitLineAt(m, line1, n);
            if (k.splitLine2 && line2 >= 0) splitLineAt(m, line2, n);
            return true;
        };
        out.effect = ChangeEffect::Results;
        out.undoText = pm->move ? pm->texts->undoMove : pm->texts->undoAdd;
        return out;
    }
    switch (base) {
    case kModeEndPoint: {
        if (s.point1 < 0) {
            firstStep(s, base);
            return {};
        }
        Marks marks;
        addMarks(s, c, marks);
        if (!c.host.confirm("端点を変更してよろしいですか？", marks)) {
            s.point1 = -1;
            return {};
        }
        const TerrainLine l = model.lines[static_cast<size_t>(s.line1)];
        const int other = s.movingPoint == l.startPoint ? l.endPoint : l.startPoint;
        const int line = s.line1, to = s.point1;
        firstStep(s, base);
        out.change = [line, other, to](SlopeModel& m) {
            freeLine(m, line);
            setLine(m, -1, kBoundaryLine, other, to);
            return true;
        };
        out.effect = ChangeEffect::Results;
        out.undoText = "端点の変更";
        return out;
    }
    case kModeMerge: {
        if (s.line2 < 0) {
            firstStep(s, base);
            return {};
        }
        const int shared = sharedEnd(model, s.line1, s.line2);
        if (shared < 0) {
            out.message = failure("線分が合成できません！");
            firstStep(s, base);
            return out;
        }
        Marks marks;
        addMarks(s, c, marks);
        const bool yes = c.host.confirm("線分を合成してよろしいですか？", marks);
        const TerrainLine l1 = model.lines[static_cast<size_t>(s.line1)];
        const TerrainLine l2 = model.lines[static_cast<size_t>(s.line2)];
        const int far1 = l1.startPoint == shared ? l1.endPoint : l1.startPoint;
        const int far2 = l2.startPoint == shared ? l2.endPoint : l2.startPoint;
        const int line1 = s.line1, line2 = s.line2;
        firstStep(s, base);
        if (!yes) return out;
        out.change = [line1, line2, far1, far2](SlopeModel& m) {
            freeLine(m, line1);
            freeLine(m, line2);
            setLine(m, -1, kBoundaryLine, far1, far2);
            return true;
        };
        out.effect = ChangeEffect::Results;
        out.undoText = "線分の合成";
        return out;
    }
    case kModeSplit: {
        if (s.point1 < 0) {
            firstStep(s, base);
            return {};
        }
        const TerrainLine& l = model.lines[static_cast<size_t>(s.line1)];
        if (s.point1 == l.startPoint || s.point1 == l.endPoint) {
            out.message = failure("線分が分割できません！");
            firstStep(s, base);
            return out;
        }
        Marks marks;
        addMarks(s, c, marks);
        const bool yes = c.host.confirm("線分を分割してよろしいですか？", marks);
        const int line = s.line1, n = s.point1;
        firstStep(s, base);
        if (!yes) return out;
        out.change = [line, n](SlopeModel& m) { return splitLineAt(m, line, n); };
        out.effect = ChangeEffect::Results;
        out.undoText = "線分の分割";
        return out;
    }
    case kModeParallel: firstStep(s, base); return {};
    default: return {};
    }
}

void ConstructionModes::addMarks(const EditSession& s, const EditContext& c, Marks& m) const
{
    const SlopeModel& model = c.model;
    markLine(model, s.line1, m);
    markLine(model, s.line2, m);
    markPoint(model, s.point1, MarkColour::Highlight, m);
    markPoint(model, s.movingPoint, MarkColour::Moving, m);
}

} // namespace keltora
