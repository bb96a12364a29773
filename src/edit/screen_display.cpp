// The grid plan of the main view.
#include "edit/screen_display.h"

#include <algorithm>
#include <cmath>

#include "model/c_format.h"

namespace keltora {

namespace {

constexpr double kMinGridPixels = 10.0;

} // namespace

bool GridPlan::isMajor(long long k) const
{
    if (!(major > 0.0) || !(spacing > 0.0)) return false;
    const double ratio = major / spacing;
    const long long n = std::llround(ratio);
    if (n <= 1 || std::fabs(ratio - static_cast<double>(n)) > 1e-6) {
        // Spacings that are not whole multiples: a line is major when its position lies on
        // a multiple of the major spacing.
        const double v = static_cast<double>(k) * spacing / major;
        return std::fabs(v - std::round(v)) < 1e-6;
    }
    return k % n == 0;
}

GridPlan gridPlan(const ViewTransform& view, double major, double minor)
{
    GridPlan g;
    const double s = view.scale();
    if (!(major > 0.0) || !std::isfinite(major) || major * s < kMinGridPixels) return g;
    double spacing = minor;
    if (!(spacing > 0.0) || !std::isfinite(spacing) || spacing * s < kMinGridPixels)
        spacing = major;
    g.draw = true;
    g.spacing = spacing;
    g.major = major;
    g.majorWidth = spacing < major ? 3 : 1;
    const Point2 topLeft = view.screenToWorld(0, 0);
    const Point2 bottomRight = view.screenToWorld(view.imageWidth(), view.imageHeight());
    g.firstX = static_cast<long long>(std::ceil(topLeft.x / spacing));
    g.lastX = static_cast<long long>(std::floor(bottomRight.x / spacing));
    g.firstY = static_cast<long long>(std::ceil(bottomRight.y / spacing));
    g.lastY = static_cast<long long>(std::floor(topLeft.y / spacing));
    return g;
}

std::string gridLabel(double value)
{
    return cformat("%3.2f", value == 0.0 ? 0.0 : value);
}

} // namespace keltora
