// Rules of the straight slip dialogs.
#include "edit/line_settings_rules.h"

namespace keltora {

LineByAngleFields lineByAngleFields(const SlopeModel& model)
{
    const LineSlipSettings& s = model.lineSlip;
    LineByAngleFields f;
    f.startX = showEditNumber(s.startX[0]);
    f.startY = showEditNumber(s.startY[0]);
    f.angle = {showEditNumber(s.angle.min), showEditNumber(s.angle.max),
               showEditNumber(s.angle.step)};
    f.direction = (s.direction == 0 || s.direction == 1) ? s.direction : 2;
    f.refine = s.angleRefinement == 2;
    f.forceX = showEditNumber(s.forceX);
    return f;
}

DialogOutcome applyLineByAngle(SlopeModel& model, const LineByAngleFields& f)
{
    const LineByAngleFields shown = lineByAngleFields(model);
    LineSlipSettings& s = model.lineSlip;
    ChangeRecorder rec(model);
    rec.number(s.startX[0], f.startX, true);
    rec.number(s.startY[0], f.startY, true);
    rec.number(s.angle.min, f.angle[0], true);
    rec.number(s.angle.max, f.angle[1], true);
    rec.number(s.angle.step, f.angle[2], true);
    if (f.direction != shown.direction && f.direction >= 0 && f.direction <= 2)
        rec.code(s.direction, f.direction, true);
    if (f.refine != shown.refine) rec.code(s.angleRefinement, f.refine ? 2 : 1, true);
    rec.number(s.forceX, f.forceX, true);
    return rec.finish();
}

LineBySegmentsFields lineBySegmentsFields(const SlopeModel& model)
{
    const LineSlipSettings& s = model.lineSlip;
    LineBySegmentsFields f;
    f.start1 = {showEditNumber(s.startX[0]), showEditNumber(s.startY[0])};
    f.start2 = {showEditNumber(s.startX[1]), showEditNumber(s.startY[1])};
    f.startPitch = showEditNumber(s.angle.min);
    f.end1 = {showEditNumber(s.startX[2]), showEditNumber(s.startY[2])};
    f.end2 = {showEditNumber(s.startX[3]), showEditNumber(s.startY[3])};
    f.endPitch = showEditNumber(s.angle.max);
    f.refine = s.angleRefinement == 2;
    f.forceX = showEditNumber(s.forceX);
    return f;
}

DialogOutcome applyLineBySegments(SlopeModel& model, const LineBySegmentsFields& f)
{
    const LineBySegmentsFields shown = lineBySegmentsFields(model);
    LineSlipSettings& s = model.lineSlip;
    ChangeRecorder rec(model);
    rec.number(s.startX[0], f.start1[0], true);
    rec.number(s.startY[0], f.start1[1], true);
    rec.number(s.startX[1], f.start2[0], true);
    rec.number(s.startY[1], f.start2[1], true);
    rec.number(s.angle.min, f.startPitch, true);
    rec.number(s.startX[2], f.end1[0], true);
    rec.number(s.startY[2], f.end1[1], true);
    rec.number(s.startX[3], f.end2[0], true);
    rec.number(s.startY[3], f.end2[1], true);
    rec.number(s.angle.max, f.endPitch, true);
    if (f.refine != shown.refine) rec.code(s.angleRefinement, f.refine ? 2 : 1, true);
    rec.number(s.forceX, f.forceX, true);
    return rec.finish();
}

} // namespace keltora
