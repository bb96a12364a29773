// DXF (R12 ASCII) output of a composed figure: header, line type, layer and text style
// tables, then one entity per primitive piece.
#include "output/dxf_writer.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "model/c_format.h"
#include "model/safe_file.h"
#include "model/text_encoding.h"
#include "output/plot_file.h"
#include "output/safety_map.h"

namespace keltora {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Group code / value pairs, each on its own line, CR LF.
class DxfOut {
  public:
    void pair(int code, const std::string& value)
    {
        out_ += cformat("%3d", code);
        out_ += "\r\n";
        out_ += value;
        out_ += "\r\n";
    }
    void num(int code, double v) { pair(code, cformat("%.6f", std::fabs(v) < 5e-7 ? 0.0 : v)); }
    void integer(int code, int v) { pair(code, std::to_string(v)); }
    void point(int base, Point2 p)
    {
        num(base, p.x);
        num(base + 10, p.y);
        num(base + 20, 0.0);
    }
    std::string& bytes() { return out_; }

  private:
    std::string out_;
};

struct Rgb {
    double r, g, b;
};

Rgb rgbOf(unsigned c)
{
    return {static_cast<double>((c >> 16) & 0xFF), static_cast<double>((c >> 8) & 0xFF),
            static_cast<double>(c & 0xFF)};
}

// The AutoCAD colour index table for the indexes a fill may use: 10..249 are 24 hues in
// steps of 15 degrees, each at five brightnesses, fully and half saturated; 250..255 greys.
Rgb aciColour(int index)
{
    if (index >= 250) {
        static const double greys[] = {51, 80, 105, 130, 190, 255};
        const double g = greys[index - 250];
        return {g, g, g};
    }
    static const double values[] = {255, 165, 127, 76, 38};
    const double v = values[(index % 10) / 2];
    const double s = index % 2 == 0 ? 1.0 : 0.5;
    const double hue = (index / 10 - 1) * 15.0;
    // HSV to RGB.
    const double c = v * s, h6 = hue / 60.0;
    const double x = c * (1.0 - std::fabs(std::fmod(h6, 2.0) - 1.0));
    const double m = v - c;
    Rgb out{0, 0, 0};
    if (h6 < 1)
        out = {c, x, 0};
    else if (h6 < 2)
        out = {x, c, 0};
    else if (h6 < 3)
        out = {0, c, x};
    else if (h6 < 4)
        out = {0, x, c};
    else if (h6 < 5)
        out = {x, 0, c};
    else
        out = {c, 0, x};
    return {out.r + m, out.g + m, out.b + m};
}

int nearestAci(unsigned colour)
{
    const Rgb want = rgbOf(colour);
    // Greys only for greys: a pale tint should keep its hue, not turn grey.
    const bool grey =
        std::max({want.r, want.g, want.b}) - std::min({want.r, want.g, want.b}) < 24.0;
    int best = 255;
    double bestD = 1e30;
    for (int i = 10; i <= 255; ++i) {
        if (i >= 250 && i < 255 && !grey) continue;
        const Rgb c = aciColour(i);
        const double d = (c.r - want.r) * (c.r - want.r) + (c.g - want.g) * (c.g - want.g) +
                         (c.b - want.b) * (c.b - want.b);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

double degrees(Point2 from, Point2 centre)
{
    double a = std::atan2(from.y - centre.y, from.x - centre.x) * 180.0 / kPi;
    if (a < 0.0) a += 360.0;
    return a;
}

void entityStart(DxfOut& d, const char* type, int layer)
{
    d.pair(0, type);
    d.pair(8, dxfLayerName(layer));
}

void line(DxfOut& d, Point2 a, Point2 b, int layer)
{
    entityStart(d, "LINE", layer);
    d.point(10, a);
    d.point(11, b);
}

// A SOLID of three or four corners given in order around the area (DXF wants the fourth
// corner before the third).
void solid(DxfOut& d, const std::vector<Point2>& pts, int layer, int colour)
{
    entityStart(d, "SOLID", layer);
    d.integer(62, colour);
    d.point(10, pts[0]);
    d.point(11, pts[1]);
    d.point(12, pts.size() == 4 ? pts[3] : pts[2]);
    d.point(13, pts[2]);
}

bool finite(const FigureItem& it)
{
    auto ok = [](Point2 p) { return std::isfinite(p.x) && std::isfinite(p.y); };
    if (!ok(it.p1) || !ok(it.p2) || !ok(it.centre) || !std::isfinite(it.size) ||
        !std::isfinite(it.size2))
        return false;
    return std::all_of(it.points.begin(), it.points.end(), ok);
}

void entity(DxfOut& d, const FigureItem& it, Point2 shift)
{
    // A value that is not a number would make the whole drawing unreadable ("nan" where a
    // coordinate belongs): such a primitive is left out, as the painter cannot draw it either.
    if (!finite(it)) return;
    auto at = [&](Point2 p) { return Point2{p.x + shift.x, p.y + shift.y}; };
    switch (it.kind) {
    case FigureItemKind::Line: line(d, at(it.p1), at(it.p2), it.layer); break;
    case FigureItemKind::Arc: {
        const double r = std::hypot(it.p1.x - it.centre.x, it.p1.y - it.centre.y);
        if (!(r > 1e-9)) break;
        // DXF arcs run counter-clockwise from the start angle to the end angle.
        const bool ccw = it.style >= 0;
        const double a1 = degrees(ccw ? it.p1 : it.p2, it.centre);
        const double a2 = degrees(ccw ? it.p2 : it.p1, it.centre);
        if (std::fabs(a1 - a2) < 1e-9) break; // no sweep: the painter draws nothing either
        entityStart(d, "ARC", it.layer);
        d.point(10, at(it.centre));
        d.num(40, r);
        d.num(50, a1);
        d.num(51, a2);
        break;
    }
    case FigureItemKind::PointMark:
        entityStart(d, "CIRCLE", it.layer);
        d.point(10, at(it.p1));
        d.num(40, std::max(it.size, 0.0));
        break;
    case FigureItemKind::Arrow: {
        const Point2 tail = at(it.p1), tip = at(it.p2);
        line(d, tail, tip, it.layer);
        const double dx = tip.x - tail.x, dy = tip.y - tail.y, len = std::hypot(dx, dy);
        if (!(len > 1e-9)) break;
        const double ux = dx / len, uy = dy / len;
        const double head = std::min(it.size > 0.0 ? it.size : len / 4.0, len);
        const double half = (it.size2 > 0.0 ? it.size2 : head) / 2.0;
        const Point2 base{tip.x - ux * head, tip.y - uy * head};
        const Point2 left{base.x - uy * half, base.y + ux * half};
        const Point2 right{base.x + uy * half, base.y - ux * half};
        if (it.style == 10) {
            solid(d, {tip, left, right}, it.layer, 256);
        } else {
            line(d, tip, left, it.layer);
            line(d, tip, right, it.layer);
        }
        break;
    }
    case FigureItemKind::Text: {
        if (!(it.size > 0.0) || it.text.empty()) break;
        std::string text = utf8ToCp932(it.text);
        for (char& c : text)
            if (c == '\r' || c == '\n') c = ' ';
        entityStart(d, "TEXT", it.layer);
        d.point(10, at(it.p1));
        d.num(40, it.size);
        d.pair(1, text);
        if (it.size2 > 0.0 && std::fabs(it.size2 - it.size) > 1e-9) d.num(41, it.size2 / it.size);
        d.pair(7, "STANDARD");
        break;
    }
    case FigureItemKind::Polygon: {
        if (it.points.size() < 3) break;
        std::vector<Point2> pts;
        for (const Point2& p : it.points)
            pts.push_back(at(p));
        const int colour = nearestAci(it.fill);
        if (pts.size() == 4) {
            solid(d, pts, it.layer, colour);
        } else {
            // A convex area as a fan of triangles.
            for (std::size_t i = 1; i + 1 < pts.size(); ++i)
                solid(d, {pts[0], pts[i], pts[i + 1]}, it.layer, colour);
        }
        break;
    }
    }
}

} // namespace

std::string dxfLayerName(int layer)
{
    switch (layer) {
    case kLayerResults: return "01_GRADUATION_RESULTS";
    case kLayerTitle: return "02_TITLE";
    case kLayerPointNumbers: return "03_POINT_NUMBERS";
    case kLayerBoundary: return "04_BOUNDARY_LINES";
    case kLayerExtraCircles: return "05_EXTRA_CIRCLES";
    case kLayerCritical: return "06_CRITICAL_SURFACE";
    case kLayerSheetPile: return "07_SHEET_PILE";
    case kLayerSafetyLabels: return "08_SAFETY_FACTOR_LABELS";
    case kLayerSoil: return "10_SOIL_PROPERTIES";
    case kLayerSurcharge: return "11_SURCHARGE";
    case kLayerForces: return "12_HORIZONTAL_FORCES";
    case kLayerPassive: return "13_PASSIVE_PRESSURE";
    case kLayerFrame: return "14_FRAME";
    case kLayerMapBands: return "17_FS_MAP_BANDS";
    case kLayerMapContours: return "18_FS_MAP_CONTOURS";
    case kLayerMapAllowable: return "19_FS_MAP_ALLOWABLE";
    case kLayerMapText: return "20_FS_MAP_TEXT";
    default: return cformat("LAYER_%02d", layer);
    }
}

std::string dxfFileBytes(const Figure& figure)
{
    const double W = 2.0 * figure.halfWidth + 2.0 * kPlotSheetMargin;
    const double H = 2.0 * figure.halfHeight + 2.0 * kPlotSheetMargin;
    std::set<int> layers;
    for (const FigureItem& it : figure.items)
        layers.insert(it.layer);

    DxfOut d;
    d.pair(0, "SECTION");
    d.pair(2, "HEADER");
    d.pair(9, "$ACADVER");
    d.pair(1, "AC1009");
    // The texts are Shift-JIS (CP932).
    d.pair(9, "$DWGCODEPAGE");
    d.pair(3, "ANSI_932");
    d.pair(9, "$INSBASE");
    d.point(10, {0.0, 0.0});
    d.pair(9, "$EXTMIN");
    d.point(10, {0.0, 0.0});
    d.pair(9, "$EXTMAX");
    d.point(10, {W, H});
    d.pair(9, "$LIMMIN");
    d.num(10, 0.0);
    d.num(20, 0.0);
    d.pair(9, "$LIMMAX");
    d.num(10, W);
    d.num(20, H);
    d.pair(0, "ENDSEC");

    d.pair(0, "SECTION");
    d.pair(2, "TABLES");
    d.pair(0, "TABLE");
    d.pair(2, "LTYPE");
    d.integer(70, 1);
    d.pair(0, "LTYPE");
    d.pair(2, "CONTINUOUS");
    d.integer(70, 0);
    d.pair(3, "Solid line");
    d.integer(72, 65);
    d.integer(73, 0);
    d.num(40, 0.0);
    d.pair(0, "ENDTAB");
    d.pair(0, "TABLE");
    d.pair(2, "LAYER");
    d.integer(70, static_cast<int>(layers.size()) + 1);
    auto layerEntry = [&](const std::string& name, int colour) {
        d.pair(0, "LAYER");
        d.pair(2, name);
        d.integer(70, 0);
        d.integer(62, colour);
        d.pair(6, "CONTINUOUS");
    };
    layerEntry("0", 7);
    for (int layer : layers)
        layerEntry(dxfLayerName(layer), layer == kLayerMapAllowable ? 1 : 7);
    d.pair(0, "ENDTAB");
    d.pair(0, "TABLE");
    d.pair(2, "STYLE");
    d.integer(70, 1);
    d.pair(0, "STYLE");
    d.pair(2, "STANDARD");
    d.integer(70, 0);
    d.num(40, 0.0);
    d.num(41, 1.0);
    d.num(50, 0.0);
    d.integer(71, 0);
    d.num(42, 2.5);
    d.pair(3, "txt");
    d.pair(4, "");
    d.pair(0, "ENDTAB");
    d.pair(0, "ENDSEC");

    d.pair(0, "SECTION");
    d.pair(2, "ENTITIES");
    const Point2 shift{kPlotSheetMargin, kPlotSheetMargin};
    for (const FigureItem& it : figure.items)
        entity(d, it, shift);
    d.pair(0, "ENDSEC");
    d.pair(0, "EOF");
    return std::move(d.bytes());
}

std::optional<Message> writeDxfFile(const Figure& figure, const std::filesystem::path& path)
{
    if (auto err = writeFileAtomically(path, dxfFileBytes(figure)))
        return Message{"DXF ファイル " + path.string() + " を作成できません。\n" + *err, "error"};
    return std::nullopt;
}

} // namespace keltora
