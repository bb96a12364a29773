// The view transform, the all-show fit, scrolling and the area zoom commands.
#include "edit/view_transform.h"

#include <algorithm>
#include <cmath>

namespace keltora {

namespace {

constexpr double kPixelLimit = 1e9; // integer pixels saturate here (int holds 2.1e9)
constexpr double kScrollLimit = 1e9;

int saturate(double v)
{
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::clamp(v, -kPixelLimit, kPixelLimit));
}

struct Range {
    double min = 0.0, max = 0.0;
    bool empty = true;
    void add(double v)
    {
        if (!std::isfinite(v)) return;
        if (empty) {
            min = max = v;
            empty = false;
        } else {
            min = std::min(min, v);
            max = std::max(max, v);
        }
    }
};

} // namespace

void ViewTransform::setImageSize(int width, int height)
{
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    halfWidth_ = width_ / 2;
    halfHeight_ = height_ / 2;
}

void ViewTransform::setCentre(double x, double y)
{
    if (std::isfinite(x)) centreX_ = x;
    if (std::isfinite(y)) centreY_ = y;
}

void ViewTransform::setScale(double scale)
{
    if (std::isnan(scale)) return;
    scale_ = std::clamp(scale, kMinViewScale, kMaxViewScale);
}

double ViewTransform::screenX(double x) const
{
    return std::trunc((x - centreX_) * scale_ + 0.1) + halfWidth_;
}

double ViewTransform::screenY(double y) const
{
    return halfHeight_ - std::trunc((y - centreY_) * scale_ + 0.1);
}

PixelPoint ViewTransform::worldToScreen(double x, double y) const
{
    return {saturate(screenX(x)), saturate(screenY(y))};
}

Point2 ViewTransform::screenToWorld(double px, double py) const
{
    return {(px - halfWidth_) / scale_ + centreX_, centreY_ - (py - halfHeight_) / scale_};
}

ViewExtent fitExtent(const SlopeModel& m)
{
    Range xr, yr;
    const CalcConditions& c = m.conditions;
    for (size_t i = 0; i < kSurchargeStrips; ++i) {
        if (c.surchargeQmin[i] > kTolChanged || c.surchargeQmax[i] > kTolChanged) {
            xr.add(c.surchargeXmin[i]);
            xr.add(c.surchargeXmax[i]);
        }
    }
    for (size_t i = 0; i < kHorizontalForces; ++i)
        if (c.forceH[i] > kTolChanged) yr.add(c.forceY[i]);
    // The search settings take part once they hold something: a new document's grid (all
    // zeros) would otherwise pull an empty section's view to 0 .. 0.
    auto addPoints = [&](std::initializer_list<Point2> pts) {
        bool any = false;
        for (const Point2& p : pts)
            any |= p.x != 0.0 || p.y != 0.0;
        if (!any) return;
        for (const Point2& p : pts) {
            xr.add(p.x);
            yr.add(p.y);
        }
    };
    const LineSlipSettings& ls = m.lineSlip;
    switch (c.method) {
    case kMethodLineByAngle: addPoints({{ls.startX[0], ls.startY[0]}}); break;
    case kMethodLineBySegments:
        addPoints({{ls.startX[0], ls.startY[0]},
                   {ls.startX[1], ls.startY[1]},
                   {ls.startX[2], ls.startY[2]},
                   {ls.startX[3], ls.startY[3]}});
        break;
    default: {
        const CircleSearchSettings& cs = m.activeCircle();
        addPoints({{cs.centreX.min, cs.centreY.min}, {cs.centreX.max, cs.centreY.max}});
        break;
    }
    }
    const int count = std::clamp(m.pointCount, 0, kMaxPoints);
    for (int i = 0; i < count; ++i) {
        const TerrainPoint& p = m.points[static_cast<size_t>(i)];
        if (p.number < 0) continue;
        xr.add(p.x);
        yr.add(p.y);
    }
    ViewExtent e;
    if (!xr.empty) e.xmin = xr.min, e.xmax = xr.max;
    if (!yr.empty) e.ymin = yr.min, e.ymax = yr.max;
    return e;
}

ScrollState scrollStateFor(const ViewTransform& view, const ViewExtent& e)
{
    auto bar = [](double centre, double range) {
        range = std::min(std::max(range, 1.0), kScrollLimit);
        centre = std::clamp(centre, -kScrollLimit, kScrollLimit);
        ScrollBarState b;
        b.minimum = static_cast<int>(std::floor(centre - range));
        b.maximum = static_cast<int>(std::ceil(centre + range));
        b.singleStep = std::max(1, static_cast<int>(range / 100.0));
        b.pageStep = std::max(1, static_cast<int>(range / 10.0));
        return b;
    };
    ScrollState s;
    s.horizontal = bar(view.centreX(), e.xmax - e.xmin);
    s.vertical = bar(view.centreY(), e.ymax - e.ymin);
    followCentre(s, view);
    return s;
}

ScrollState fitAll(ViewTransform& view, const SlopeModel& model)
{
    const ViewExtent e = fitExtent(model);
    view.setCentre(std::trunc((e.xmin + e.xmax) * 0.5), std::trunc((e.ymin + e.ymax) * 0.5));
    const double sx = view.imageWidth() / (e.xmax - e.xmin + 10.0);
    const double sy = view.imageHeight() / (e.ymax - e.ymin + 10.0);
    view.setScale(0.8333333333333334 * std::min(sx, sy));
    return scrollStateFor(view, e);
}

void scrollHorizontal(ViewTransform& view, const ScrollBarState&, int position)
{
    view.setCentre(position, view.centreY());
}

void scrollVertical(ViewTransform& view, const ScrollBarState& bar, int position)
{
    view.setCentre(view.centreX(),
                   static_cast<double>(bar.maximum) + bar.minimum - static_cast<double>(position));
}

void followCentre(ScrollState& s, const ViewTransform& view)
{
    const double x = std::round(view.centreX());
    if (x >= s.horizontal.minimum && x <= s.horizontal.maximum)
        s.horizontal.position = static_cast<int>(x);
    const double y =
        std::round(static_cast<double>(s.vertical.maximum) + s.vertical.minimum - view.centreY());
    if (y >= s.vertical.minimum && y <= s.vertical.maximum)
        s.vertical.position = static_cast<int>(y);
}

// ---------------------------------------------------------------- area zoom

std::string AreaZoom::guideText() const
{
    switch (mode_) {
    case kEnlargeFirst:
        return "拡大する矩形領域の１点目をマウス(左)で指定してください。マウス(右)：取り消し";
    case kEnlargeSecond:
        return "拡大する矩形領域の２点目をマウス(左)で指定してください。マウス(右)：１点目の指定"
               "に戻る";
    case kShrinkFirst:
        return "縮小する矩形領域の１点目をマウス(左)で指定してください。マウス(右)：取り消し";
    case kShrinkSecond:
        return "縮小する矩形領域の２点目をマウス(左)で指定してください。マウス(右)：１点目の指定"
               "に戻る";
    default: return kIdleGuideText;
    }
}

void AreaZoom::start(bool enlarge)
{
    mode_ = enlarge ? kEnlargeFirst : kShrinkFirst;
    degenerate_ = false;
}

AreaZoom::Step AreaZoom::leftClick(ViewTransform& view, PixelPoint p)
{
    switch (mode_) {
    case kEnlargeFirst:
    case kShrinkFirst:
        current_ = p;
        firstWorld_ = view.screenToWorld(p);
        mode_ += 1;
        return Step::Continue;
    case kEnlargeSecond:
    case kShrinkSecond: break;
    default: return Step::Nothing;
    }
    const bool enlarge = mode_ == kEnlargeSecond;
    // The first corner is taken from its stored section point (the view may have moved
    // since, and the truncating transform does not map a pixel back onto itself left of
    // and above the centre); the corners' pixel distances follow from the section points.
    const Point2 w1 = firstWorld_, w2 = view.screenToWorld(p);
    const double dpx = std::fabs(w1.x - w2.x) * view.scale();
    const double dpy = std::fabs(w1.y - w2.y) * view.scale();
    view.setCentre((w1.x + w2.x) * 0.5, (w1.y + w2.y) * 0.5);
    // Both corners on one vertical or horizontal line: the scale would be infinite (or
    // zero); the view keeps its scale and only moves its centre.
    degenerate_ = !(dpx >= 0.5) || !(dpy >= 0.5);
    if (!degenerate_) {
        if (enlarge) {
            view.setScale(std::min(view.imageWidth() / (1.2 * std::fabs(w1.x - w2.x)),
                                   view.imageHeight() / (1.2 * std::fabs(w1.y - w2.y))));
        } else {
            // (A1, B1), (A2, B2): the section points of the pixels (-hw/2, -hh/2) and
            // (hw/2, hh/2) under the old scale (only their differences count, so the moved
            // centre does not matter).
            const int hw = view.halfWidth(), hh = view.halfHeight();
            const Point2 q1 = view.screenToWorld(-hw / 2, -hh / 2);
            const Point2 q2 = view.screenToWorld(hw / 2, hh / 2);
            const double ax = std::fabs(q1.x - q2.x), by = std::fabs(q1.y - q2.y);
            if (ax > 0.0 && by > 0.0)
                view.setScale(std::min(dpx / (1.2 * ax), dpy / (1.2 * by)));
            else
                degenerate_ = true;
        }
    }
    mode_ = kIdle;
    return Step::Applied;
}

AreaZoom::Step AreaZoom::rightClick()
{
    switch (mode_) {
    case kEnlargeSecond:
    case kShrinkSecond: mode_ -= 1; return Step::Continue;
    case kEnlargeFirst:
    case kShrinkFirst: mode_ = kIdle; return Step::Cancelled;
    default: return Step::Nothing;
    }
}

void AreaZoom::mouseMove(PixelPoint p)
{
    if (hasBand()) current_ = p;
}

PixelPoint AreaZoom::bandFirst(const ViewTransform& view) const
{
    return view.worldToScreen(firstWorld_);
}

} // namespace keltora
