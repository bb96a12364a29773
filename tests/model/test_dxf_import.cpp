// The DXF terrain import: entity reading, refusals, transformation and merging, the 960
// limits, and the import-dxf command on the example drawings.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "model/c_format.h"
#include "model/dxf_import.h"
#include "model/sdw_file.h"
#include "test_support.h"

using namespace keltora;
using keltora::test::TempDir;

namespace {

std::unique_ptr<SlopeModel> fresh()
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    return m;
}

// Builds DXF text from code/value pairs written as "code\nvalue\n...".
std::string lineEntity(double x1, double y1, double x2, double y2)
{
    return cformat("0\nLINE\n8\n0\n10\n%.4f\n20\n%.4f\n30\n0.0\n11\n%.4f\n21\n%.4f\n31\n0.0\n", x1,
                   y1, x2, y2);
}

std::string drawing(const std::string& entities)
{
    return "0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n";
}

DxfDrawing parsed(const std::string& text)
{
    DxfReadResult r = parseDxf(text, "test.dxf");
    EXPECT_EQ(r.status, 0) << (r.error ? r.error->text : "");
    return r.drawing;
}

std::set<std::pair<int, int>> linePairs(const SlopeModel& m)
{
    std::set<std::pair<int, int>> pairs;
    for (int i = 0; i < m.lineCount; ++i) {
        const TerrainLine& l = m.lines[static_cast<size_t>(i)];
        if (l.kind >= 0) pairs.insert(std::minmax(l.startPoint, l.endPoint));
    }
    return pairs;
}

bool hasWarningContaining(const MessageList& list, const std::string& part)
{
    for (const auto& w : list)
        if (w.text.find(part) != std::string::npos) return true;
    return false;
}

} // namespace

TEST(DxfRead, TakesLinesVertexChainsAndLwpolylinesAndSkipsEverythingElse)
{
    const std::string text =
        // Header variables carry codes 10/20 too; they are not line work.
        "0\nSECTION\n2\nHEADER\n9\n$EXTMIN\n10\n-500.0\n20\n-500.0\n0\nENDSEC\n"
        "0\nSECTION\n2\nENTITIES\n"
        // LINE with its coordinates in another order and blanks around the group codes.
        "  0\nLINE\n  8\nGROUND\n 11  \n2.0\n 21\n3.0\n 10\n1.0\n 20 \n1.0\n"
        // A circle and a text whose value is "LINE" are skipped.
        "0\nCIRCLE\n10\n900.0\n20\n900.0\n40\n5.0\n0\nTEXT\n10\n0.0\n20\n0.0\n1\nLINE\n"
        // Polyline of 4 vertices: 3 segments; its own 10/20 (0,0) is no vertex.
        "0\nPOLYLINE\n66\n1\n10\n0.0\n20\n0.0\n70\n0\n"
        "0\nVERTEX\n10\n10.0\n20\n10.0\n0\nVERTEX\n10\n11.0\n20\n10.0\n"
        "0\nVERTEX\n10\n12.0\n20\n11.0\n0\nVERTEX\n10\n13.0\n20\n11.0\n0\nSEQEND\n"
        // After SEQEND a new chain: 3 vertices, 2 segments, none from (13,11) to (20,20).
        "0\nPOLYLINE\n66\n1\n70\n0\n0\nVERTEX\n10\n20.0\n20\n20.0\n"
        "0\nVERTEX\n10\n21.0\n20\n20.0\n0\nVERTEX\n10\n21.0\n20\n21.0\n0\nSEQEND\n"
        // Closed LWPOLYLINE of 3 vertices: 2 segments and the closing one.
        "0\nLWPOLYLINE\n90\n3\n70\n1\n10\n30.0\n20\n-2.0\n10\n31.0\n20\n-2.0\n10\n31.0\n20\n-1.0\n"
        "0\nENDSEC\n0\nEOF\n";
    for (bool crlf : {false, true}) {
        std::string bytes;
        for (char c : text) {
            if (c == '\n' && crlf) bytes += '\r';
            bytes += c;
        }
        DxfDrawing d = parsed(bytes);
        ASSERT_EQ(d.segments.size(), 9u);
        EXPECT_EQ(d.lineSegments, 1);
        EXPECT_EQ(d.polylineSegments, 5);
        EXPECT_EQ(d.lwpolylineSegments, 3);
        EXPECT_EQ(d.closingSegments, 1);
        EXPECT_EQ(d.segments[8].x1, 31.0); // the closing side: (31,-1) back to (30,-2)
        EXPECT_EQ(d.segments[8].y1, -1.0);
        EXPECT_EQ(d.segments[8].x2, 30.0);
        EXPECT_EQ(d.segments[8].y2, -2.0);
        // The circle and the text are listed as skipped, by type.
        EXPECT_EQ(d.skippedEntities, (std::map<std::string, int>{{"CIRCLE", 1}, {"TEXT", 1}}));
        const DxfSegment& l = d.segments[0];
        EXPECT_EQ(l.x1, 1.0);
        EXPECT_EQ(l.y1, 1.0);
        EXPECT_EQ(l.x2, 2.0);
        EXPECT_EQ(l.y2, 3.0);
        EXPECT_EQ(d.segments[3].x1, 12.0); // last of the first chain: (12,11)-(13,11)
        EXPECT_EQ(d.segments[3].x2, 13.0);
        EXPECT_EQ(d.segments[4].x1, 20.0); // the second chain starts afresh
        EXPECT_EQ(d.segments[7].x2, 31.0);
        EXPECT_EQ(d.segments[7].y2, -1.0);
        // Extents over the segment ends only: not the header, circle or polyline origin.
        EXPECT_EQ(d.extents.xmin, 1.0);
        EXPECT_EQ(d.extents.xmax, 31.0);
        EXPECT_EQ(d.extents.ymin, -2.0);
        EXPECT_EQ(d.extents.ymax, 21.0);
        EXPECT_TRUE(hasWarningContaining(d.warnings, "閉じたポリライン"));
    }
}

TEST(DxfRead, DamagedEntitiesAreLeftOutAndTold)
{
    // A LINE without its end point must not borrow coordinates from the next entity; a
    // polyline whose SEQEND is missing is not joined to the next polyline.
    DxfDrawing d = parsed("0\nLINE\n10\n1.0\n20\n1.0\n" + lineEntity(5, 5, 6, 6) +
                          "0\nPOLYLINE\n0\nVERTEX\n10\n0\n20\n0\n0\nVERTEX\n10\n1\n20\n0\n"
                          "0\nPOLYLINE\n0\nVERTEX\n10\n9\n20\n9\n0\nVERTEX\n10\n9\n20\n8\n"
                          "0\nSEQEND\n");
    ASSERT_EQ(d.segments.size(), 3u);
    EXPECT_EQ(d.segments[0].x1, 5.0);
    EXPECT_EQ(d.segments[0].x2, 6.0);
    EXPECT_EQ(d.segments[1].x2, 1.0);
    EXPECT_EQ(d.segments[2].x1, 9.0);
    EXPECT_TRUE(hasWarningContaining(d.warnings, "座標が欠けている図形が1個"));
    EXPECT_TRUE(hasWarningContaining(d.warnings, "EOF")); // the text above has no EOF
}

TEST(DxfRead, RefusesWhatIsNotAnAsciiDxf)
{
    struct Case {
        std::string bytes;
        std::string why;
    };
    const Case cases[] = {
        {std::string("AutoCAD Binary DXF\r\n\x1a\0\x00\x00", 24), "バイナリ"},
        {"Hello, this is a letter.\nNot a drawing.\n", "1行目"},
        {"", "組がありません"},
        // Coordinates that do not read entirely, or are not finite.
        {drawing("0\nLINE\n10\n1.0\n20\n1,5\n11\n2.0\n21\n2.0\n"), "10行目"},
        {drawing("0\nLINE\n10\n1.0\n20\n\n11\n2.0\n21\n2.0\n"), "10行目"},
        {drawing("0\nVERTEX\n10\nnan\n20\n1.0\n"), "8行目"},
        {drawing("0\nLWPOLYLINE\n10\n0\n20\n0\n10\n1e999\n20\n1\n"), "12行目"},
        {drawing("0\nLINE\n1O\n1.0\n"), "7行目"}, // letter O in the group code
    };
    for (const Case& c : cases) {
        DxfReadResult r = parseDxf(c.bytes, "x.dxf");
        EXPECT_EQ(r.status, -1) << c.why;
        ASSERT_TRUE(r.error) << c.why;
        EXPECT_EQ(r.error->caption, "error");
        EXPECT_NE(r.error->text.find(c.why), std::string::npos) << r.error->text;
        EXPECT_TRUE(r.drawing.segments.empty());
    }
    TempDir dir;
    DxfReadResult missing = readDxfFile(dir / "NONE.DXF");
    EXPECT_EQ(missing.status, 1);
    ASSERT_TRUE(missing.error);
}

TEST(DxfImport, MergesPointsAndSegmentsAndReplacesOnlyTheTerrain)
{
    auto m = fresh();
    // An earlier terrain larger than the new one, blocks and a condition that must stay.
    for (int i = 0; i < 1000; ++i)
        addPoint(*m, i, -i);
    for (int i = 0; i < 999; ++i)
        addLine(*m, kUncutLine, i, i + 1);
    SoilBlock b;
    b.seed = {3.0, -1.0};
    b.unitWeight = 18.0;
    addBlock(*m, b);
    m->conditions.seismicCoefficient = 0.15;
    m->modified = 0;
    m->calcState = 1;

    // Two LINEs in opposite directions give one line. Rounded to 0.001 (hand calculation):
    // (10.0004, 0) -> (10.000, 0.000) and (10, 0.0006) -> (10.000, 0.001); both lie within
    // 0.001 of (10, 0), so the third segment has zero length and disappears. (10.0014, 0) ->
    // (10.001, 0), still within 0.001 of (10, 0): the fourth segment repeats the first.
    // (10.0016, 0) -> (10.002, 0) is 0.002 away: a point of its own.
    const std::string lines = lineEntity(0, 0, 10, 0) + lineEntity(10, 0, 0, 0) +
                              lineEntity(10.0004, 0, 10, 0.0006) + lineEntity(10.0014, 0, 0, 0) +
                              lineEntity(10, 0, 10.0016, 0);
    DxfDrawing d = parsed(drawing(lines));
    DxfImportResult r = importDxf(*m, d, {});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.zeroLengthSegments, 1);
    EXPECT_EQ(r.duplicateSegments, 2);
    EXPECT_EQ(r.pointsStored, 3);
    EXPECT_EQ(r.linesStored, 2);
    EXPECT_EQ(m->pointCount, 3);
    EXPECT_EQ(m->lineCount, 2);
    // Points in the order of first appearance; lines with the smaller point first.
    EXPECT_EQ(m->points[1].number, 1);
    EXPECT_EQ(m->points[1].x, 10.0);
    EXPECT_DOUBLE_EQ(m->points[2].x, 10.002);
    EXPECT_EQ(m->points[2].y, 0.0);
    const TerrainLine& l0 = m->lines[0];
    EXPECT_EQ(l0.kind, kBoundaryLine);
    EXPECT_EQ(l0.startPoint, 0);
    EXPECT_EQ(l0.endPoint, 1);
    EXPECT_EQ(l0.drawFlag, 1);
    EXPECT_EQ(m->lines[1].startPoint, 1);
    EXPECT_EQ(m->lines[1].endPoint, 2);
    // Nothing of the earlier terrain survives, also past the new counts.
    EXPECT_EQ(m->points[3].number, -1);
    EXPECT_EQ(m->points[999].number, -1);
    EXPECT_EQ(m->lines[2].kind, -1);
    EXPECT_EQ(m->lines[998].kind, -1);
    // Blocks and conditions stay; the document is changed and results are gone.
    EXPECT_EQ(m->blockCount, 1);
    EXPECT_EQ(m->blocks[0].seed.x, 3.0);
    EXPECT_EQ(m->blocks[0].unitWeight, 18.0);
    EXPECT_EQ(m->conditions.seismicCoefficient, 0.15);
    EXPECT_EQ(m->modified, 1);
    EXPECT_EQ(m->calcState, 0);
}

TEST(DxfImport, TransformsWithScaleAndShiftRoundingHalvesUpwards)
{
    // x' = x*2 + 10, y' = y*2 + 5: (1, 1)-(2, 3) -> (12, 7)-(14, 11).
    auto m = fresh();
    DxfImportResult r = importDxf(*m, parsed(drawing(lineEntity(1, 1, 2, 3))), {10.0, 5.0, 2.0});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(m->points[0].x, 12.0);
    EXPECT_EQ(m->points[0].y, 7.0);
    EXPECT_EQ(m->points[1].x, 14.0);
    EXPECT_EQ(m->points[1].y, 11.0);
    // 1.0625 and -1.0625 are exact in binary: 1062.5 + 0.5 -> 1.063, -1062.5 + 0.5 -> -1.062.
    EXPECT_DOUBLE_EQ(transformDxfCoordinate(1.0625, 1.0, 0.0), 1.063);
    EXPECT_DOUBLE_EQ(transformDxfCoordinate(-1.0625, 1.0, 0.0), -1.062);

    // A scale of 0 would merge every point into one; a huge scale overflows: both are
    // refused and the model keeps its terrain.
    const std::string before = formatDataFile(*m, "t");
    for (DxfTransform bad : {DxfTransform{0.0, 0.0, 0.0}, DxfTransform{0.0, 0.0, -1.0},
                             DxfTransform{0.0, 0.0, 1e300}, DxfTransform{NAN, 0.0, 1.0}}) {
        DxfImportResult f = importDxf(*m, parsed(drawing(lineEntity(1, 1, 2, 3))), bad);
        EXPECT_FALSE(f.ok);
        ASSERT_TRUE(f.error);
        EXPECT_EQ(formatDataFile(*m, "t"), before);
    }
}

TEST(DxfImport, KeepsAtMost960PointsAnd960Lines)
{
    // 481 separate vertical segments: points 2i and 2i+1 (962 points). The last segment
    // uses points 960 and 961, beyond the capacity: it goes with them.
    std::string ents;
    for (int i = 0; i <= 480; ++i)
        ents += lineEntity(i * 10.0, 0, i * 10.0, 5);
    auto m = fresh();
    DxfImportResult r = importDxf(*m, parsed(drawing(ents)), {});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.distinctPoints, 962);
    EXPECT_EQ(r.pointsStored, 960);
    EXPECT_EQ(r.pointsDropped, 2);
    EXPECT_EQ(r.segmentsOnDroppedPoints, 1);
    EXPECT_EQ(r.linesStored, 480);
    EXPECT_EQ(m->pointCount, 960);
    EXPECT_EQ(m->points[959].x, 4790.0);
    EXPECT_TRUE(hasWarningContaining(r.warnings, "2点"));

    // 50 points joined pairwise: 50*49/2 = 1225 segments; the first 960 are stored.
    ents.clear();
    for (int i = 0; i < 50; ++i)
        for (int j = i + 1; j < 50; ++j)
            ents += lineEntity(i, i * i, j, j * j);
    m = fresh();
    r = importDxf(*m, parsed(drawing(ents)), {});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pointsStored, 50);
    EXPECT_EQ(r.linesStored, 960);
    EXPECT_EQ(r.linesDropped, 265);
    EXPECT_EQ(m->lineCount, 960);
    EXPECT_TRUE(hasWarningContaining(r.warnings, "265本"));
}

TEST(DxfImport, DrawingWithoutLineWorkEmptiesTheTerrain)
{
    DxfDrawing d = parsed(drawing("0\nCIRCLE\n10\n1\n20\n1\n40\n1\n"));
    EXPECT_TRUE(d.segments.empty());
    EXPECT_EQ(d.extents.xmin, 99999999.999);
    EXPECT_EQ(d.extents.xmax, -99999999.999);
    auto m = fresh();
    addPoint(*m, 0, 0);
    ASSERT_TRUE(importDxf(*m, d, {}).ok);
    EXPECT_EQ(m->pointCount, 0);
    EXPECT_EQ(m->lineCount, 0);
}

TEST(DxfCommand, ExampleDrawingsReproduceTheExampleSections)
{
    TempDir dir;
    using keltora::test::cliPath;
    using keltora::test::examplesDir;
    for (const char* name : {"quay_backfill", "embankment"}) {
        const std::string sdw = (examplesDir() / (std::string(name) + ".SDW")).string();
        const std::string dxf = (examplesDir() / (std::string(name) + ".DXF")).string();
        const std::string out = (dir / "out.SDW").string();
        std::string output;
        ASSERT_EQ(keltora::test::runCommand(cliPath().string() + " import-dxf " + sdw + " " + dxf +
                                                " -o " + out,
                                            &output),
                  0)
            << output;
        auto original = fresh();
        auto imported = fresh();
        ASSERT_EQ(readDataFile(*original, sdw).status, 0);
        ASSERT_EQ(readDataFile(*imported, out).status, 0);
        // The drawings list the points in the sections' order, so numbers agree.
        ASSERT_EQ(imported->pointCount, original->pointCount) << name;
        for (size_t i = 0; i < static_cast<size_t>(original->pointCount); ++i) {
            EXPECT_EQ(imported->points[i].x, original->points[i].x) << name << " point " << i;
            EXPECT_EQ(imported->points[i].y, original->points[i].y) << name << " point " << i;
        }
        EXPECT_EQ(linePairs(*imported), linePairs(*original)) << name;
        EXPECT_EQ(imported->blockCount, original->blockCount);
    }
}

TEST(DxfCommand, FailuresLeaveTheSectionFileAlone)
{
    TempDir dir;
    const auto sdw = dir / "S.SDW";
    std::filesystem::copy_file(keltora::test::examplesDir() / "quay_backfill.SDW", sdw);
    const std::string before = keltora::test::readBytes(sdw);
    keltora::test::writeBytes(dir / "letter.dxf", "Dear engineer,\nplease find...\n");
    keltora::test::writeBytes(dir / "empty.dxf", drawing(""));
    keltora::test::writeBytes(dir / "ok.dxf", drawing(lineEntity(0, 0, 1, 1)));
    const std::string cli = keltora::test::cliPath().string() + " import-dxf " + sdw.string();
    const std::string calls[] = {
        cli + " " + (dir / "letter.dxf").string(),
        cli + " " + (dir / "empty.dxf").string(),
        cli + " " + (dir / "missing.dxf").string(),
        cli + " " + (dir / "ok.dxf").string() + " --scale 0",
        cli + " " + (dir / "ok.dxf").string() + " --shift '1;2'",
    };
    for (const auto& call : calls) {
        std::string output;
        EXPECT_NE(keltora::test::runCommand(call, &output), 0) << call;
        EXPECT_FALSE(output.empty());
        EXPECT_EQ(keltora::test::readBytes(sdw), before) << call;
    }
    std::string output;
    ASSERT_EQ(keltora::test::runCommand(
                  cli + " " + (dir / "ok.dxf").string() + " --shift -10,5 --scale 2", &output),
              0)
        << output;
    EXPECT_NE(output.find("stored:    2 points, 1 lines"), std::string::npos) << output;
    EXPECT_NE(output.find("X -10.000 .. -8.000, Y 5.000 .. 7.000"), std::string::npos) << output;
}

// A ground polygon drawn as one closed polyline arrives closed: its closing side is added
// (and counted), so that the region it encloses is a closed region. Arcs read as chords
// and entities not read are listed by type and count.
TEST(DxfRead, ClosedPolylinesKeepTheirClosingSideAndTheSummaryListsWhatDiffers)
{
    // A closed POLYLINE square (R12), a closed LWPOLYLINE triangle with one arc (R2000+),
    // an open polyline, and entities that are not line work.
    const std::string text = drawing(
        "0\nPOLYLINE\n8\nG\n66\n1\n70\n1\n"
        "0\nVERTEX\n10\n0\n20\n0\n0\nVERTEX\n10\n10\n20\n0\n42\n0.5\n"
        "0\nVERTEX\n10\n10\n20\n10\n0\nVERTEX\n10\n0\n20\n10\n0\nSEQEND\n"
        "0\nLWPOLYLINE\n90\n3\n70\n1\n10\n20\n20\n0\n10\n30\n20\n0\n42\n1.0\n10\n25\n20\n5\n"
        "0\nLWPOLYLINE\n90\n2\n70\n0\n10\n40\n20\n0\n10\n50\n20\n0\n"
        "0\nARC\n10\n0\n20\n0\n40\n1\n50\n0\n51\n90\n0\nARC\n10\n1\n20\n1\n40\n1\n50\n0\n51\n90\n"
        "0\nCIRCLE\n10\n5\n20\n5\n40\n1\n0\nSPLINE\n70\n8\n0\nINSERT\n2\nBLK\n10\n0\n20\n0\n");
    const DxfDrawing d = parsed(text);
    EXPECT_EQ(d.polylineSegments, 4);   // 3 + closing side
    EXPECT_EQ(d.lwpolylineSegments, 4); // 2 + closing side, and the open one
    EXPECT_EQ(d.closingSegments, 2);
    ASSERT_EQ(d.segments.size(), 8u);
    EXPECT_EQ(d.segments[3].x1, 0.0); // (0,10) back to (0,0)
    EXPECT_EQ(d.segments[3].y1, 10.0);
    EXPECT_EQ(d.segments[3].y2, 0.0);
    EXPECT_EQ(d.straightenedArcs, (std::map<std::string, int>{{"LWPOLYLINE", 1}, {"POLYLINE", 1}}));
    EXPECT_EQ(d.skippedEntities, (std::map<std::string, int>{
                                     {"ARC", 2}, {"CIRCLE", 1}, {"INSERT", 1}, {"SPLINE", 1}}));
    EXPECT_TRUE(hasWarningContaining(d.warnings, "ARCを2個読み込みませんでした"));
    EXPECT_TRUE(hasWarningContaining(d.warnings, "直線(弦)"));

    // Imported, the square is a closed region of four boundary lines.
    auto m = fresh();
    const DxfImportResult r = importDxf(*m, d, DxfTransform{});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.linesStored, 8);
    EXPECT_TRUE(linePairs(*m).count({0, 3})); // the closing side of the square

    // A closed polyline whose SEQEND is missing is closed where the next entity begins;
    // one of two vertices needs no closing side.
    const DxfDrawing open = parsed(drawing(
        "0\nPOLYLINE\n70\n1\n0\nVERTEX\n10\n0\n20\n0\n0\nVERTEX\n10\n1\n20\n0\n"
        "0\nVERTEX\n10\n1\n20\n1\n" +
        lineEntity(5, 5, 6, 6) + "0\nLWPOLYLINE\n90\n2\n70\n1\n10\n7\n20\n7\n10\n8\n20\n8\n"));
    EXPECT_EQ(open.closingSegments, 1);
    EXPECT_EQ(open.segments.size(), 5u);
}

// The command line prints the same summary.
TEST(DxfRead, CommandLineSummaryListsClosingSidesAndSkippedEntities)
{
    TempDir dir;
    std::filesystem::copy_file(test::examplesDir() / "embankment.SDW", dir / "s.SDW");
    test::writeBytes(
        dir / "d.DXF",
        drawing("0\nLWPOLYLINE\n90\n3\n70\n1\n10\n0\n20\n0\n10\n30\n20\n0\n10\n30\n20\n"
                "10\n0\nCIRCLE\n10\n5\n20\n5\n40\n1\n"));
    std::string out;
    EXPECT_EQ(test::runCommand("'" + test::cliPath().string() + "' import-dxf '" +
                                   (dir / "s.SDW").string() + "' '" + (dir / "d.DXF").string() +
                                   "' -o '" + (dir / "o.SDW").string() + "' 2>&1",
                               &out),
              0)
        << out;
    EXPECT_NE(out.find("1 closing sides of closed polylines added"), std::string::npos) << out;
    EXPECT_NE(out.find("skipped:   entities not read: CIRCLE 1"), std::string::npos) << out;
}
