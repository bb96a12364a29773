// Parsing plot command records: lengths in 0.00001 mm back to millimetres.
#include "render/plot_reader.h"

#include <charconv>
#include <cmath>

#include "model/safe_file.h"
#include "model/text_encoding.h"
#include "output/plot_file.h"

namespace keltora {
namespace {

constexpr size_t kMaxProblemsKept = 10;

// Splits at most `count` comma-separated fields; with `restIsText` the last field takes
// the rest of the line, commas included.
std::vector<std::string_view> splitFields(std::string_view s, size_t count, bool restIsText)
{
    std::vector<std::string_view> out;
    while (!s.empty() || out.size() < count) {
        if (restIsText && out.size() + 1 == count) {
            out.push_back(s);
            break;
        }
        const size_t comma = s.find(',');
        out.push_back(s.substr(0, comma));
        if (comma == std::string_view::npos) break;
        s.remove_prefix(comma + 1);
    }
    return out;
}

bool toDouble(std::string_view s, double& v)
{
    if (s.empty()) return false;
    if (s.front() == '+') s.remove_prefix(1);
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(v);
}

bool toInt(std::string_view s, int& v)
{
    if (s.empty()) return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// Field i as millimetres (file units / 100000); with `sheet` a coordinate.
struct Fields {
    std::vector<std::string_view> f;
    bool ok = true;
    double mm(size_t i)
    {
        double v = 0.0;
        if (i >= f.size() || !toDouble(f[i], v) || std::fabs(v) > 1e15) ok = false;
        return v / kPlotUnitsPerMm;
    }
    int integer(size_t i)
    {
        int v = 0;
        if (i >= f.size() || !toInt(f[i], v)) ok = false;
        return v;
    }
};

// A filled area of our own files beside the report data: "FP" layer, colour, corner count,
// then the corners (never in the plot file of the figure).
bool parseArea(std::string_view rest, PlotDocument& doc)
{
    constexpr int kMaxCorners = 4096;
    std::vector<std::string_view> head = splitFields(rest, 4, true);
    if (head.size() != 4) return false;
    int layer = 0, colour = 0, n = 0;
    if (!toInt(head[0], layer) || !toInt(head[1], colour) || !toInt(head[2], n)) return false;
    if (layer < 1 || layer > kLastFigureLayer || colour < 0 || colour > 0xFFFFFF || n < 3 ||
        n > kMaxCorners)
        return false;
    Fields r{splitFields(head[3], static_cast<size_t>(2 * n), false)};
    if (r.f.size() != static_cast<size_t>(2 * n)) return false;
    FigureItem it;
    it.kind = FigureItemKind::Polygon;
    it.layer = layer;
    it.fill = static_cast<unsigned>(colour);
    for (int i = 0; i < n; ++i) {
        const double x = r.mm(static_cast<size_t>(2 * i));
        it.points.push_back({x, r.mm(static_cast<size_t>(2 * i + 1))});
    }
    if (!r.ok) return false;
    it.p1 = it.points.front();
    it.p2 = it.points.back();
    doc.items.push_back(std::move(it));
    return true;
}

// Parses one record into doc; false when it is malformed.
bool parseRecord(std::string_view line, PlotDocument& doc)
{
    if (line.size() < 2) return false;
    const std::string_view code = line.substr(0, 2), rest = line.substr(2);
    if (code == "FP") return parseArea(rest, doc);
    static const struct {
        const char* code;
        size_t fields;
    } shapes[] = {{"SC", 4}, {"EM", 4}, {"SZ", 2}, {"LT", 5}, {"LY", 5},
                  {"DL", 5}, {"AP", 5}, {"GC", 8}, {"AH", 8}, {"VJ", 7}};
    size_t count = 0;
    for (const auto& s : shapes)
        if (code == s.code) count = s.fields;
    if (count == 0) return false;
    const bool text = code == "VJ" || code == "LT" || code == "LY";
    Fields r{splitFields(rest, count, text)};
    if (r.f.size() != count) return false;

    FigureItem it;
    if (code == "SC" || code == "LT") {
        r.mm(1), r.mm(2);
        return r.ok;
    }
    if (code == "EM") {
        r.mm(0), r.mm(1);
        const double w = r.mm(2), h = r.mm(3);
        if (r.ok && doc.sheetWidth <= 0.0) doc.sheetWidth = w, doc.sheetHeight = h;
        return r.ok;
    }
    if (code == "SZ") {
        const double w = r.mm(0), h = r.mm(1);
        if (!r.ok || w <= 0.0 || h <= 0.0) return false;
        doc.sheetWidth = w;
        doc.sheetHeight = h;
        return true;
    }
    if (code == "LY") {
        const int width = r.integer(1), layer = r.integer(3);
        if (!r.ok || width < 0 || width > 10000) return false;
        if (layer >= 1 && layer <= kLastFigureLayer)
            doc.penWidth[static_cast<size_t>(layer)] = width / 100.0;
        return true;
    }
    if (code == "DL") {
        it.kind = FigureItemKind::Line;
        it.p1 = {r.mm(0), r.mm(1)};
        it.p2 = {r.mm(2), r.mm(3)};
        it.layer = r.integer(4);
    } else if (code == "AP") {
        it.kind = FigureItemKind::PointMark;
        it.p1 = {r.mm(0), r.mm(1)};
        it.size = r.mm(2);
        it.style = r.integer(3);
        it.layer = r.integer(4);
    } else if (code == "GC") {
        it.kind = FigureItemKind::Arc;
        it.p1 = {r.mm(0), r.mm(1)};
        it.centre = {r.mm(2), r.mm(3)};
        it.p2 = {r.mm(4), r.mm(5)};
        it.style = r.integer(6);
        it.layer = r.integer(7);
    } else if (code == "AH") {
        it.kind = FigureItemKind::Arrow;
        it.p1 = {r.mm(0), r.mm(1)};
        it.p2 = {r.mm(2), r.mm(3)};
        it.size = r.mm(4);
        it.size2 = r.mm(5);
        it.style = r.integer(6);
        it.layer = r.integer(7);
    } else { // VJ
        it.kind = FigureItemKind::Text;
        it.p1 = {r.mm(0), r.mm(1)};
        it.size = r.mm(2);
        it.size2 = r.mm(3);
        r.mm(4);
        it.layer = r.integer(5);
        it.text = cp932ToUtf8(r.f[6]);
        if (it.size < 0.0 || it.size > 10000.0) return false;
    }
    if (!r.ok) return false;
    doc.items.push_back(std::move(it));
    return true;
}

} // namespace

PlotDocument parsePlotFile(const std::string& bytes)
{
    PlotDocument doc;
    bool first = true;
    forEachLine(bytes, [&](std::string_view line) {
        if (first) {
            doc.name = cp932ToUtf8(line);
            first = false;
            return;
        }
        if (line.empty()) return;
        if (parseRecord(line, doc)) {
            ++doc.records;
            return;
        }
        ++doc.malformed;
        if (doc.problems.size() < kMaxProblemsKept)
            doc.problems.push_back(cp932ToUtf8(line.substr(0, 80)));
    });
    if (doc.sheetWidth <= 0.0 || doc.sheetHeight <= 0.0) {
        // No sheet size: the items' extent from the origin.
        double w = 1.0, h = 1.0;
        for (const FigureItem& it : doc.items) {
            w = std::max({w, it.p1.x, it.p2.x});
            h = std::max({h, it.p1.y + it.size, it.p2.y});
        }
        doc.sheetWidth = std::min(w, 1e5);
        doc.sheetHeight = std::min(h, 1e5);
    }
    return doc;
}

PlotDocument plotDocumentOf(const Figure& figure, const std::string& name)
{
    PlotDocument doc;
    doc.name = name;
    doc.sheetWidth = 2.0 * figure.halfWidth + 2.0 * kPlotSheetMargin;
    doc.sheetHeight = 2.0 * figure.halfHeight + 2.0 * kPlotSheetMargin;
    for (int layer = 1; layer <= 16; ++layer)
        doc.penWidth[static_cast<size_t>(layer)] = plotLayerPenWidth(layer) / 100.0;
    doc.penWidth[kLayerMapBands] = 0.0;
    doc.penWidth[kLayerMapContours] = 0.13;
    doc.penWidth[kLayerMapAllowable] = 0.4;
    doc.penWidth[kLayerMapText] = 0.18;
    const Point2 shift{kPlotSheetMargin, kPlotSheetMargin};
    auto moved = [&](Point2 p) { return Point2{p.x + shift.x, p.y + shift.y}; };
    doc.items.reserve(figure.items.size());
    for (FigureItem it : figure.items) {
        it.p1 = moved(it.p1);
        it.p2 = moved(it.p2);
        it.centre = moved(it.centre);
        for (Point2& p : it.points)
            p = moved(p);
        doc.items.push_back(std::move(it));
    }
    doc.records = static_cast<int>(doc.items.size());
    return doc;
}

std::optional<PlotDocument> readPlotFile(const std::filesystem::path& path, std::string* error)
{
    auto bytes = readWholeFile(path, error);
    if (!bytes) return std::nullopt;
    return parsePlotFile(*bytes);
}

std::optional<std::filesystem::path> readPlotHandOff(const std::filesystem::path& path,
                                                     std::string* error)
{
    auto bytes = readWholeFile(path, error, 1u << 20);
    if (!bytes) return std::nullopt;
    std::vector<std::string> lines;
    forEachLine(*bytes, [&](std::string_view l) { lines.push_back(cp932ToUtf8(l)); });
    if (lines.size() < 2 || lines[1].empty()) {
        if (error) *error = path.string() + ": the plot file is not named";
        return std::nullopt;
    }
    return std::filesystem::path(lines[0]) / lines[1];
}

} // namespace keltora
