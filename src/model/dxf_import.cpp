// The DXF terrain import: group code/value reading, the entities that carry line work,
// the coordinate transformation, point merging and storing into the terrain tables.
#include "model/dxf_import.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "model/c_format.h"
#include "model/safe_file.h"

namespace keltora {
namespace {

constexpr std::string_view kBinarySentinel = "AutoCAD Binary DXF";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Transformed coordinates are kept as integer millimetres (units of 0.001). Beyond this
// many units (1e12 m) a double no longer holds every unit exactly, and no section is that
// large: such a coordinate is refused.
constexpr double kMaxUnits = 1e15;

std::string_view trimmed(std::string_view s)
{
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A group code line: an integer with optional blanks around it.
std::optional<int> parseGroupCode(std::string_view line)
{
    std::string_view s = trimmed(line);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 9) return std::nullopt;
    int value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

// A real value line: a finite number and nothing else but blanks.
std::optional<double> parseReal(std::string_view line)
{
    std::string s(trimmed(line));
    if (s.empty()) return std::nullopt;
    double v = 0.0;
    int used = 0;
    if (cscan(s.c_str(), "%lf%n", &v, &used) != 1 || static_cast<size_t>(used) != s.size())
        return std::nullopt;
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

struct Pair {
    int code = 0;
    std::string_view value;
    size_t line = 0; // 1-based number of the value line
};

struct Entity {
    std::string_view name;
    std::vector<Pair> pairs;
};

const Pair* findFirst(const Entity& e, int code)
{
    for (const Pair& p : e.pairs)
        if (p.code == code) return &p;
    return nullptr;
}

// Walks the entities and collects the segments. Stops at the first coordinate that cannot
// be read: a drawing with a damaged number is not imported at all.
class Collector {
  public:
    explicit Collector(DxfDrawing& d) : d_(d) {}

    // The line of the first coordinate that could not be read.
    std::optional<size_t> badLine() const { return badLine_; }

    void entity(const Entity& e)
    {
        if (badLine_) return;
        if (e.name != "VERTEX") endChain(); // a chain ends at SEQEND or any other entity
        if (e.name == "SECTION") {
            const Pair* name = findFirst(e, 2);
            section_ = name ? trimmed(name->value) : std::string_view();
        } else if (e.name == "ENDSEC") {
            section_ = {};
        } else if (e.name == "LINE") {
            line(e);
        } else if (e.name == "VERTEX") {
            vertex(e);
        } else if (e.name == "SEQEND") {
        } else if (e.name == "POLYLINE") {
            // A polyline always starts a new chain, even when the SEQEND of the one
            // before is missing: two polylines are never joined.
            chainClosed_ = isClosed(e);
            chainVertices_ = 0;
        } else if (e.name == "LWPOLYLINE") {
            lwpolyline(e);
        } else if ((section_ == "ENTITIES" || section_ == "BLOCKS") && !e.name.empty() &&
                   e.name != "BLOCK" && e.name != "ENDBLK") {
            ++d_.skippedEntities[std::string(e.name)];
        }
    }

    void finish()
    {
        endChain();
        auto note = [&](int count, const char* fmt) {
            if (count > 0) d_.warnings.push_back({cformat(fmt, count), "メッセージ"});
        };
        note(closedPolylines_,
             "閉じたポリラインが%d本あります。終点から始点に戻る線分を加えました。");
        for (const auto& [type, count] : d_.straightenedArcs)
            d_.warnings.push_back(
                {cformat(
                     "%sの円弧(ふくらみ)%d個を直線(弦)で読み込みました。地形が図面と異なります。",
                     type.c_str(), count),
                 "メッセージ"});
        for (const auto& [type, count] : d_.skippedEntities)
            d_.warnings.push_back(
                {cformat(
                     "%sを%d個読み込みませんでした(線分として読むのはLINEとポリラインだけです)。",
                     type.c_str(), count),
                 "メッセージ"});
        note(incomplete_, "座標が欠けている図形が%d個あります。その図形は読み込みません。");
        note(countMismatch_,
             "頂点数と座標の数が合わないLWPOLYLINEが%d本あります。座標の通りに読み込みます。");
        note(d_.blockSegments, "ブロック定義(BLOCKS)の中の線分%d本も読み込みました。"
                               "挿入位置・尺度・回転は考慮していません。");
    }

  private:
    bool read(const Pair& p, double& out)
    {
        auto v = parseReal(p.value);
        if (!v) {
            badLine_ = p.line;
            return false;
        }
        out = *v;
        return true;
    }

    void extend(double x, double y)
    {
        DxfExtents& ex = d_.extents;
        ex.xmin = std::min(ex.xmin, x);
        ex.xmax = std::max(ex.xmax, x);
        ex.ymin = std::min(ex.ymin, y);
        ex.ymax = std::max(ex.ymax, y);
    }

    void segment(double x1, double y1, double x2, double y2, int& kindCount)
    {
        d_.segments.push_back({x1, y1, x2, y2});
        ++kindCount;
        if (section_ == "BLOCKS") ++d_.blockSegments;
    }

    static bool isClosed(const Entity& e)
    {
        const Pair* flags = findFirst(e, 70);
        if (!flags) return false;
        auto v = parseGroupCode(flags->value); // an integer, read like a group code
        return v && (*v & 1) != 0;
    }

    void line(const Entity& e)
    {
        const Pair* p[4] = {findFirst(e, 10), findFirst(e, 20), findFirst(e, 11), findFirst(e, 21)};
        if (!p[0] || !p[1] || !p[2] || !p[3]) {
            ++incomplete_;
            return;
        }
        double c[4];
        for (int k = 0; k < 4; ++k)
            if (!read(*p[k], c[k])) return;
        extend(c[0], c[1]);
        extend(c[2], c[3]);
        segment(c[0], c[1], c[2], c[3], d_.lineSegments);
    }

    void vertex(const Entity& e)
    {
        const Pair* px = findFirst(e, 10);
        const Pair* py = findFirst(e, 20);
        if (!px || !py) {
            // Joining the vertices on either side would draw a segment the drawing lacks.
            ++incomplete_;
            chainOpen_ = false;
            chainClosed_ = false;
            return;
        }
        double x = 0.0, y = 0.0;
        if (!read(*px, x) || !read(*py, y)) return;
        extend(x, y);
        if (chainOpen_) {
            segment(lastX_, lastY_, x, y, d_.polylineSegments);
            if (lastBulge_) ++d_.straightenedArcs["POLYLINE"];
        } else {
            firstX_ = x;
            firstY_ = y;
        }
        const Pair* bulge = findFirst(e, 42);
        auto b = bulge ? parseReal(bulge->value) : std::nullopt;
        lastBulge_ = b && *b != 0.0;
        lastX_ = x;
        lastY_ = y;
        chainOpen_ = true;
        ++chainVertices_;
    }

    // The end of a vertex chain: a closed polyline gets the side from its last vertex back
    // to its first (a region drawn as one closed polyline must stay closed).
    void endChain()
    {
        if (chainOpen_ && chainClosed_ && chainVertices_ >= 3) {
            segment(lastX_, lastY_, firstX_, firstY_, d_.polylineSegments);
            ++d_.closingSegments;
            ++closedPolylines_;
            if (lastBulge_) ++d_.straightenedArcs["POLYLINE"];
        }
        chainOpen_ = false;
        chainClosed_ = false;
        chainVertices_ = 0;
        lastBulge_ = false;
    }

    void lwpolyline(const Entity& e)
    {
        std::vector<Point2> vertices;
        bool pendingY = false;
        bool broken = false;
        std::vector<bool> bulges; // per vertex: the segment that starts there is an arc
        std::optional<int> declared;
        for (const Pair& p : e.pairs) {
            double v = 0.0;
            if ((p.code == 10 || p.code == 20) && !read(p, v)) return;
            if (p.code == 10) {
                if (pendingY) broken = true;
                vertices.push_back({v, 0.0});
                pendingY = true;
            } else if (p.code == 20) {
                if (!pendingY) {
                    broken = true;
                    continue;
                }
                vertices.back().y = v;
                pendingY = false;
            } else if (p.code == 42) {
                auto b = parseReal(p.value);
                if (b && *b != 0.0 && !vertices.empty()) {
                    bulges.resize(vertices.size(), false);
                    bulges[vertices.size() - 1] = true;
                }
            } else if (p.code == 90) {
                declared = parseGroupCode(p.value);
            }
        }
        if (pendingY || broken) {
            ++incomplete_;
            return;
        }
        if (declared && *declared != static_cast<int>(vertices.size())) ++countMismatch_;
        bulges.resize(vertices.size(), false);
        for (size_t i = 0; i < vertices.size(); ++i) {
            extend(vertices[i].x, vertices[i].y);
            if (i > 0) {
                segment(vertices[i - 1].x, vertices[i - 1].y, vertices[i].x, vertices[i].y,
                        d_.lwpolylineSegments);
                if (bulges[i - 1]) ++d_.straightenedArcs["LWPOLYLINE"];
            }
        }
        if (isClosed(e) && vertices.size() >= 3) {
            const Point2& last = vertices.back();
            segment(last.x, last.y, vertices.front().x, vertices.front().y, d_.lwpolylineSegments);
            ++d_.closingSegments;
            ++closedPolylines_;
            if (bulges.back()) ++d_.straightenedArcs["LWPOLYLINE"];
        }
    }

    DxfDrawing& d_;
    std::string_view section_;
    bool chainOpen_ = false;
    bool chainClosed_ = false;
    bool lastBulge_ = false;
    int chainVertices_ = 0;
    double firstX_ = 0.0;
    double firstY_ = 0.0;
    double lastX_ = 0.0;
    double lastY_ = 0.0;
    int closedPolylines_ = 0;
    int incomplete_ = 0;
    int countMismatch_ = 0;
    std::optional<size_t> badLine_;
};

Message notDxf(const std::string& name, const char* why)
{
    return {cformat("%s はDXFファイルとして読み込めません。%s", name.c_str(), why), "error"};
}

struct PointKey {
    int64_t x;
    int64_t y;
    bool operator==(const PointKey&) const = default;
};

struct PointKeyHash {
    size_t operator()(const PointKey& k) const
    {
        return std::hash<int64_t>()(k.x) * 1000003u ^ std::hash<int64_t>()(k.y);
    }
};

} // namespace

DxfReadResult readDxfFile(const std::filesystem::path& path)
{
    DxfReadResult r;
    std::string why;
    auto bytes = readWholeFile(path, &why);
    if (!bytes) {
        r.status = 1;
        r.error =
            Message{cformat("DXFファイル(%s)が開けません。%s", path.string().c_str(), why.c_str()),
                    "error"};
        return r;
    }
    return parseDxf(*bytes, path.string());
}

DxfReadResult parseDxf(const std::string& bytesIn, const std::string& displayName)
{
    DxfReadResult r;
    std::string_view bytes = bytesIn;
    if (bytes.substr(0, kBinarySentinel.size()) == kBinarySentinel) {
        r.status = -1;
        r.error =
            notDxf(displayName, "バイナリ形式のDXFです。ASCII形式のDXFで保存し直してください。");
        return r;
    }
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) bytes.remove_prefix(kUtf8Bom.size());

    // The lines, and the entities built from them, are views into this copy.
    const std::string text(bytes);
    std::vector<std::string_view> lines;
    forEachLine(text, [&](std::string_view line) { lines.push_back(line); });

    DxfDrawing& d = r.drawing;
    Collector collector(d);
    Entity current; // pairs before the first code 0 belong to no entity
    bool sawEof = false;
    size_t pairs = 0;
    for (size_t i = 0; i + 1 < lines.size() && !collector.badLine(); i += 2) {
        auto code = parseGroupCode(lines[i]);
        if (!code) {
            r.status = -1;
            r.error =
                notDxf(displayName,
                       cformat("%zu行目がグループコード(整数)ではありません。", i + 1).c_str());
            r.drawing = DxfDrawing{};
            return r;
        }
        ++pairs;
        if (*code == 0) {
            collector.entity(current);
            current = Entity{trimmed(lines[i + 1]), {}};
            if (current.name == "EOF") {
                sawEof = true;
                break;
            }
        } else {
            current.pairs.push_back({*code, lines[i + 1], i + 2});
        }
    }
    if (!sawEof) collector.entity(current);
    if (auto bad = collector.badLine()) {
        r.status = -1;
        r.error = Message{
            cformat("DXFファイル %s の%zu行目の座標値が読めません。読み込みを中止しました。",
                    displayName.c_str(), *bad),
            "error"};
        r.drawing = DxfDrawing{};
        return r;
    }
    if (pairs == 0) {
        r.status = -1;
        r.error = notDxf(displayName, "グループコードと値の組がありません。");
        r.drawing = DxfDrawing{};
        return r;
    }
    collector.finish();
    if (!sawEof)
        d.warnings.push_back({"ファイルの終わり(EOF)がありません。ファイルが途中で切れている"
                              "可能性があります。",
                              "メッセージ"});
    return r;
}

double transformDxfCoordinate(double c, double scale, double shift)
{
    return std::floor(c * scale * 1000.0 + shift * 1000.0 + 0.5) * 0.001;
}

DxfExtents transformDxfExtents(const DxfExtents& e, const DxfTransform& t)
{
    return {e.xmin * t.scale + t.shiftX, e.xmax * t.scale + t.shiftX, e.ymin * t.scale + t.shiftY,
            e.ymax * t.scale + t.shiftY};
}

std::optional<Message> checkDxfTransform(const DxfTransform& t)
{
    if (!std::isfinite(t.scale) || t.scale <= 0.0)
        return Message{"倍率は0より大きい数値で指定してください。", "error"};
    if (!std::isfinite(t.shiftX) || !std::isfinite(t.shiftY))
        return Message{"原点移動の値が不正です。", "error"};
    return std::nullopt;
}

DxfImportResult importDxf(SlopeModel& model, const DxfDrawing& drawing, const DxfTransform& t)
{
    DxfImportResult r;
    if (auto bad = checkDxfTransform(t)) {
        r.ok = false;
        r.error = bad;
        return r;
    }

    // Transformation into integer units of 0.001 m: floor(c*s*1000 + h*1000 + 0.5).
    std::optional<size_t> tooLarge;
    auto units = [&](double c, double shift, size_t segment) -> int64_t {
        double v = std::floor(c * t.scale * 1000.0 + shift * 1000.0 + 0.5);
        if (!std::isfinite(v) || std::fabs(v) > kMaxUnits) {
            if (!tooLarge) tooLarge = segment;
            return 0;
        }
        return static_cast<int64_t>(v);
    };

    // Point merging in file order: a point joins the first earlier point whose X and Y
    // both differ from it by at most 0.001, i.e. one unit. Each unit cell holds at most one
    // point (a second one would have merged), so the nine neighbouring cells give every
    // candidate, and the smallest index among them is the first in the list.
    std::vector<PointKey> points;
    std::unordered_map<PointKey, int, PointKeyHash> cells;
    auto pointIndex = [&](PointKey k) {
        int best = -1;
        for (int64_t dx = -1; dx <= 1; ++dx)
            for (int64_t dy = -1; dy <= 1; ++dy) {
                auto it = cells.find({k.x + dx, k.y + dy});
                if (it != cells.end() && (best < 0 || it->second < best)) best = it->second;
            }
        if (best >= 0) return best;
        int index = static_cast<int>(points.size());
        points.push_back(k);
        cells.emplace(k, index);
        return index;
    };

    std::vector<std::pair<int, int>> kept;
    std::set<std::pair<int, int>> seen;
    for (size_t i = 0; i < drawing.segments.size(); ++i) {
        const DxfSegment& s = drawing.segments[i];
        PointKey a{units(s.x1, t.shiftX, i), units(s.y1, t.shiftY, i)};
        PointKey b{units(s.x2, t.shiftX, i), units(s.y2, t.shiftY, i)};
        if (tooLarge) break;
        int ia = pointIndex(a);
        int ib = pointIndex(b);
        std::pair<int, int> pair = std::minmax(ia, ib);
        if (pair.first == pair.second) {
            ++r.zeroLengthSegments;
        } else if (pair.second >= kDxfMaxPoints) {
            ++r.segmentsOnDroppedPoints;
        } else if (!seen.insert(pair).second) {
            ++r.duplicateSegments;
        } else {
            kept.push_back(pair);
        }
    }
    if (tooLarge) {
        r.ok = false;
        r.error =
            Message{cformat("%zu番目の線分の座標が大きすぎます。倍率と原点移動を確認してください。",
                            *tooLarge + 1),
                    "error"};
        return r;
    }

    r.distinctPoints = static_cast<int>(points.size());
    r.pointsStored = std::min(r.distinctPoints, kDxfMaxPoints);
    r.pointsDropped = r.distinctPoints - r.pointsStored;
    r.linesStored = std::min(static_cast<int>(kept.size()), kDxfMaxLines);
    r.linesDropped = static_cast<int>(kept.size()) - r.linesStored;

    // Storing. Every slot past the new counts is emptied, so that no earlier terrain
    // survives beyond them.
    for (int j = 0; j < kMaxPoints; ++j) {
        TerrainPoint& p = model.points[static_cast<size_t>(j)];
        if (j < r.pointsStored) {
            const PointKey& k = points[static_cast<size_t>(j)];
            p = {j, static_cast<double>(k.x) * 0.001, static_cast<double>(k.y) * 0.001};
        } else {
            p = TerrainPoint{};
        }
    }
    for (int j = 0; j < kMaxLines; ++j) {
        TerrainLine& l = model.lines[static_cast<size_t>(j)];
        if (j < r.linesStored) {
            const auto& [a, b] = kept[static_cast<size_t>(j)];
            l = {kBoundaryLine, a, b, 1};
        } else {
            l = TerrainLine{};
        }
    }
    model.pointCount = r.pointsStored;
    model.lineCount = r.linesStored;
    markChanged(model, true);

    if (r.pointsDropped > 0)
        r.warnings.push_back(
            {cformat("点の数が%d点を超えました。%d点目から後の%d点と、それを使う線分%d本は読み込み"
                     "ませんでした。",
                     kDxfMaxPoints, kDxfMaxPoints + 1, r.pointsDropped, r.segmentsOnDroppedPoints),
             "メッセージ"});
    if (r.linesDropped > 0)
        r.warnings.push_back(
            {cformat("線分の数が%d本を超えました。超えた%d本は読み込みませんでした。", kDxfMaxLines,
                     r.linesDropped),
             "メッセージ"});
    return r;
}

} // namespace keltora
