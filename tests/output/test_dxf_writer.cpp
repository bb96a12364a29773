// Tests of the DXF output: the file read back (by group codes, by our own DXF reader and,
// where installed, by the ezdxf library) holds the figure's lines, arcs and texts per
// layer; arcs keep their sweep, texts their height and Shift-JIS bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <sstream>

#include "analysis/calculation.h"
#include "geometry/block_polygons.h"
#include "model/dxf_import.h"
#include "model/sdw_file.h"
#include "model/text_encoding.h"
#include "output/dxf_writer.h"
#include "output/figure_results.h"
#include "output/safety_map.h"
#include "test_support.h"

namespace keltora {
namespace {

namespace kt = keltora::test;

struct DxfEntity {
    std::string type, layer;
    std::multimap<int, std::string> values;
    double num(int code) const
    {
        auto it = values.find(code);
        return it == values.end() ? NAN : std::stod(it->second);
    }
};

// The entities of the ENTITIES section, read pair by pair; every line must end in CR LF.
std::vector<DxfEntity> entitiesOf(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t nl = bytes.find("\r\n", pos);
        EXPECT_NE(nl, std::string::npos) << "a line without CR LF at byte " << pos;
        if (nl == std::string::npos) break;
        lines.push_back(bytes.substr(pos, nl - pos));
        pos = nl + 2;
    }
    EXPECT_EQ(lines.size() % 2, 0u);
    std::vector<DxfEntity> out;
    bool inEntities = false;
    for (size_t i = 0; i + 1 < lines.size(); i += 2) {
        const int code = std::stoi(lines[i]);
        const std::string& value = lines[i + 1];
        if (code == 2 && value == "ENTITIES") inEntities = true;
        if (code == 0 && value == "ENDSEC") inEntities = false;
        if (!inEntities) continue;
        if (code == 0)
            out.push_back({value, "", {}});
        else if (!out.empty()) {
            if (code == 8) out.back().layer = value;
            out.back().values.emplace(code, value);
        }
    }
    return out;
}

using Counts = std::map<std::pair<std::string, std::string>, int>; // (layer, type) -> n

Counts countsOf(const std::vector<DxfEntity>& entities)
{
    Counts c;
    for (const DxfEntity& e : entities)
        ++c[{e.layer, e.type}];
    return c;
}

FigureItem item(FigureItemKind kind, int layer, Point2 p1, Point2 p2 = {}, Point2 centre = {})
{
    FigureItem it;
    it.kind = kind;
    it.layer = layer;
    it.p1 = p1;
    it.p2 = p2;
    it.centre = centre;
    return it;
}

TEST(DxfWriter, PrimitivesBecomeEntitiesOnNamedLayers)
{
    Figure f;
    f.halfWidth = 130.0;
    f.halfHeight = 90.0;
    f.items.push_back(item(FigureItemKind::Line, kLayerBoundary, {0, 0}, {10, 5}));
    // A clockwise arc from the top to the right of (50, 50): DXF draws counter-clockwise,
    // so it runs from 0 to 90 degrees.
    FigureItem arc = item(FigureItemKind::Arc, kLayerCritical, {50, 60}, {60, 50}, {50, 50});
    arc.style = -1;
    f.items.push_back(arc);
    FigureItem ccw = arc;
    ccw.style = 1; // the other three quarters: 90 .. 0
    f.items.push_back(ccw);
    FigureItem text = item(FigureItemKind::Text, kLayerSoil, {20, 30});
    text.size = 4.0;
    text.size2 = 4.0;
    text.text = "γt =18.000 kN/m";
    f.items.push_back(text);
    FigureItem mark = item(FigureItemKind::PointMark, kLayerCritical, {50, 50});
    mark.size = 1.0;
    f.items.push_back(mark);
    FigureItem arrow = item(FigureItemKind::Arrow, kLayerSurcharge, {0, 10}, {0, 0});
    arrow.size = 2.0;
    arrow.size2 = 1.0;
    arrow.style = 10;
    f.items.push_back(arrow);
    FigureItem open = arrow;
    open.style = 0;
    f.items.push_back(open);
    FigureItem band = item(FigureItemKind::Polygon, kLayerMapBands, {});
    band.points = {{0, 0}, {4, 0}, {5, 2}, {2, 4}, {0, 3}};
    band.fill = 0xB41414;
    f.items.push_back(band);

    const std::string bytes = dxfFileBytes(f);
    EXPECT_NE(bytes.find("AC1009"), std::string::npos);
    EXPECT_NE(bytes.find("ANSI_932"), std::string::npos);
    const std::vector<DxfEntity> e = entitiesOf(bytes);
    const Counts c = countsOf(e);
    EXPECT_EQ((c.at({"04_BOUNDARY_LINES", "LINE"})), 1);
    EXPECT_EQ((c.at({"06_CRITICAL_SURFACE", "ARC"})), 2);
    EXPECT_EQ((c.at({"06_CRITICAL_SURFACE", "CIRCLE"})), 1);
    EXPECT_EQ((c.at({"10_SOIL_PROPERTIES", "TEXT"})), 1);
    // Shaft and filled head; shaft and two head strokes.
    EXPECT_EQ((c.at({"11_SURCHARGE", "LINE"})), 4);
    EXPECT_EQ((c.at({"11_SURCHARGE", "SOLID"})), 1);
    EXPECT_EQ((c.at({"17_FS_MAP_BANDS", "SOLID"})), 3) << "a pentagon as a fan of triangles";

    // Sheet coordinates: 10 mm margin as in the plot file.
    EXPECT_DOUBLE_EQ(e[0].num(10), 10.0);
    EXPECT_DOUBLE_EQ(e[0].num(21), 15.0);
    EXPECT_DOUBLE_EQ(e[1].num(40), 10.0);
    EXPECT_DOUBLE_EQ(e[1].num(50), 0.0);
    EXPECT_DOUBLE_EQ(e[1].num(51), 90.0);
    EXPECT_DOUBLE_EQ(e[2].num(50), 90.0);
    EXPECT_DOUBLE_EQ(e[2].num(51), 0.0);
    const DxfEntity& t = e[3];
    EXPECT_DOUBLE_EQ(t.num(40), 4.0);
    EXPECT_EQ(t.values.find(1)->second, utf8ToCp932("γt =18.000 kN/m"));
    EXPECT_EQ(t.values.count(41), 0u) << "full-width characters as wide as high: no factor";
    // The deep red of the band in the nearest AutoCAD colour: one of the reds 10..19.
    const int aci = std::stoi(e.back().values.find(62)->second);
    EXPECT_GE(aci, 10);
    EXPECT_LE(aci, 19);

    // Our own reader: the lines as segments, the rest counted as not read.
    const DxfReadResult r = parseDxf(bytes, "figure.dxf");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.drawing.lineSegments, 5);
    EXPECT_EQ(r.drawing.skippedEntities.at("ARC"), 2);
    EXPECT_EQ(r.drawing.skippedEntities.at("TEXT"), 1);
    EXPECT_EQ(r.drawing.skippedEntities.at("CIRCLE"), 1);
}

TEST(DxfWriter, PrimitivesWithoutFiniteCoordinatesAreLeftOut)
{
    Figure f;
    f.items.push_back(item(FigureItemKind::Line, kLayerBoundary, {0, 0}, {1, 1}));
    f.items.push_back(item(FigureItemKind::Line, kLayerBoundary, {NAN, 0}, {1, 1}));
    FigureItem arc = item(FigureItemKind::Arc, kLayerCritical, {1, 0}, {0, 1}, {0, 0});
    arc.centre.y = INFINITY;
    f.items.push_back(arc);
    FigureItem text = item(FigureItemKind::Text, kLayerSoil, {1, 1});
    text.size = NAN;
    text.text = "x";
    f.items.push_back(text);
    const std::string bytes = dxfFileBytes(f);
    EXPECT_EQ(bytes.find("nan"), std::string::npos);
    EXPECT_EQ(bytes.find("inf"), std::string::npos);
    EXPECT_EQ(countsOf(entitiesOf(bytes)), (Counts{{{"04_BOUNDARY_LINES", "LINE"}, 1}}));
    EXPECT_EQ(parseDxf(bytes, "f.dxf").status, 0);
}

TEST(DxfWriter, LayerNamesSayWhatTheyHold)
{
    EXPECT_EQ(dxfLayerName(kLayerCritical), "06_CRITICAL_SURFACE");
    EXPECT_EQ(dxfLayerName(kLayerSafetyLabels), "08_SAFETY_FACTOR_LABELS");
    EXPECT_EQ(dxfLayerName(kLayerMapAllowable), "19_FS_MAP_ALLOWABLE");
    EXPECT_EQ(dxfLayerName(9), "LAYER_09");
    // DXF R12 layer names: letters, digits, '$', '-' and '_' only.
    for (int layer = 0; layer <= kLastFigureLayer; ++layer)
        for (char ch : dxfLayerName(layer))
            EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(ch)) || ch == '_' || ch == '-' ||
                        ch == '$')
                << layer;
}

// The figure's own counts per layer of what the DXF must hold.
Counts expectedCounts(const Figure& f)
{
    Counts c;
    for (const FigureItem& it : f.items) {
        const std::string layer = dxfLayerName(it.layer);
        switch (it.kind) {
        case FigureItemKind::Line: ++c[{layer, "LINE"}]; break;
        case FigureItemKind::Arc: ++c[{layer, "ARC"}]; break;
        case FigureItemKind::Text: ++c[{layer, "TEXT"}]; break;
        case FigureItemKind::PointMark: ++c[{layer, "CIRCLE"}]; break;
        case FigureItemKind::Arrow:
            c[{layer, "LINE"}] += it.style == 10 ? 1 : 3;
            if (it.style == 10) ++c[{layer, "SOLID"}];
            break;
        case FigureItemKind::Polygon:
            c[{layer, "SOLID"}] +=
                it.points.size() == 4 ? 1 : static_cast<int>(it.points.size()) - 2;
            break;
        }
    }
    return c;
}

struct Example {
    std::unique_ptr<SlopeModel> model = std::make_unique<SlopeModel>();
    std::unique_ptr<CalculationResults> results = std::make_unique<CalculationResults>();
};

Example calculated(const char* name, const std::filesystem::path& dir)
{
    Example ex;
    resetModel(*ex.model);
    EXPECT_EQ(readDataFile(*ex.model, kt::examplesDir() / name).status, 0);
    CalcOptions o;
    o.workDir = dir;
    o.now = std::tm{};
    runCalculation(*ex.model, *ex.results, o);
    return ex;
}

// Counts per (layer, type) that ezdxf reads from a file: nothing when no Python at hand
// has ezdxf (Debian: python3-ezdxf, for the system's own Python).
std::optional<Counts> ezdxfCounts(const std::filesystem::path& file, std::string* firstText)
{
    std::string python;
    for (const char* candidate : {"python3", "/usr/bin/python3"})
        if (kt::runCommand(std::string(candidate) + " -c 'import ezdxf' >/dev/null 2>&1") == 0) {
            python = candidate;
            break;
        }
    if (python.empty()) return std::nullopt;
    std::string out;
    const std::string script =
        "import ezdxf, sys, collections\n"
        "doc = ezdxf.readfile(sys.argv[1])\n"
        "c = collections.Counter((e.dxf.layer, e.dxftype()) for e in doc.modelspace())\n"
        "for (l, t), n in sorted(c.items()): print(l, t, n)\n"
        "t = [e.dxf.text for e in doc.modelspace() if e.dxftype() == 'TEXT']\n"
        "sys.stdout.buffer.write(('TEXT0 ' + (t[0] if t else '')).encode('utf-8'))\n";
    kt::writeBytes(file.parent_path() / "count.py", script);
    if (kt::runCommand(python + " " + (file.parent_path() / "count.py").string() + " " +
                           file.string(),
                       &out) != 0) {
        ADD_FAILURE() << "ezdxf cannot read the file:\n" << out;
        return Counts{};
    }
    Counts c;
    std::istringstream in(out);
    std::string layer, type;
    int n = 0;
    while (in >> layer) {
        if (layer == "TEXT0") {
            std::getline(in, *firstText);
            firstText->erase(0, 1);
            break;
        }
        in >> type >> n;
        c[{layer, type}] = n;
    }
    return c;
}

TEST(DxfWriter, ExampleFigureAndMapReadBackPerLayer)
{
    kt::TempDir dir;
    Example ex = calculated("quay_backfill.SDW", dir.path());
    ASSERT_TRUE(ex.results->hasCritical);
    const PolygonTable polygons = buildPolygonTable(*ex.model);
    const Figure figure =
        composeFigure(*ex.model, figureResultsFrom(*ex.model, *ex.results), &polygons);
    const Figure map = composeSafetyMapFigure(*ex.model, *ex.results);
    for (const Figure* f : {&figure, &map}) {
        SCOPED_TRACE(f == &figure ? "figure" : "map");
        const auto path = dir / (f == &figure ? "figure.dxf" : "map.dxf");
        ASSERT_FALSE(writeDxfFile(*f, path).has_value());
        const std::string bytes = kt::readBytes(path);
        const Counts want = expectedCounts(*f);
        EXPECT_EQ(countsOf(entitiesOf(bytes)), want);
        int lines = 0, arcs = 0, texts = 0;
        for (const auto& [key, n] : want) {
            if (key.second == "LINE") lines += n;
            if (key.second == "ARC") arcs += n;
            if (key.second == "TEXT") texts += n;
        }
        EXPECT_GT(lines, 0);
        EXPECT_GT(texts, 0);
        const DxfReadResult r = readDxfFile(path);
        ASSERT_EQ(r.status, 0);
        EXPECT_EQ(r.drawing.lineSegments, lines);
        EXPECT_EQ(r.drawing.skippedEntities.count("ARC") ? r.drawing.skippedEntities.at("ARC") : 0,
                  arcs);
        EXPECT_EQ(r.drawing.skippedEntities.at("TEXT"), texts);
        std::string firstText;
        if (auto third = ezdxfCounts(path, &firstText)) {
            EXPECT_EQ(*third, want) << "as ezdxf reads it";
            std::string expected;
            for (const FigureItem& it : f->items)
                if (it.kind == FigureItemKind::Text && expected.empty()) expected = it.text;
            EXPECT_EQ(firstText, expected) << "Japanese texts decoded from the code page";
        }
    }
}

TEST(DxfWriter, AFailedWriteKeepsTheOldFile)
{
    kt::TempDir dir;
    Figure f;
    f.items.push_back(item(FigureItemKind::Line, kLayerFrame, {0, 0}, {1, 1}));
    EXPECT_TRUE(writeDxfFile(f, dir / "missing" / "figure.dxf").has_value());
    const auto target = dir / "figure.dxf";
    kt::writeBytes(target, "old");
    std::filesystem::permissions(target, std::filesystem::perms::owner_read);
    const auto m = writeDxfFile(f, target);
    std::filesystem::permissions(target, std::filesystem::perms::owner_all);
    ASSERT_TRUE(m.has_value()) << "a write-protected file is not replaced";
    EXPECT_NE(m->text.find("figure.dxf"), std::string::npos);
    EXPECT_EQ(kt::readBytes(target), "old");
}

} // namespace
} // namespace keltora
