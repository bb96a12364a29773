// The input check list: points, lines, conditions, loads, cohesion reference, the settings
// of the active method, sheet pile data and the blocks with their traced outlines.
#include "output/report_check_list.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "geometry/block_polygons.h"
#include "model/c_format.h"

namespace keltora {
namespace {

constexpr int kOutlineRow = 15; // boundary point numbers per row
constexpr double kPileLengthTolerance = 0.0001;

std::string f83(double v)
{
    return cformat("%8.3f", v);
}
std::string d3(int v)
{
    return cformat("%3d", v);
}

struct TripleEntry {
    int index;
    double a, b;
};

// Rows of up to three entries in column-major order; an empty list gives one empty row.
void threeColumnTable(ReportText& t, const std::vector<TripleEntry>& entries,
                      const char* continuationHeader)
{
    const int n = static_cast<int>(entries.size());
    const int rows = (n - 1) / 3 + 1;
    for (int i = 0; i < rows; ++i) {
        t.line("$0  SB_CHK02.PFM");
        for (int c = 0; c < 3; ++c) {
            const int e = i + c * rows;
            if (e >= n) continue;
            const TripleEntry& x = entries[static_cast<std::size_t>(e)];
            t.field(3 * c, d3(x.index));
            t.field(3 * c + 1, f83(x.a));
            t.field(3 * c + 2, f83(x.b));
        }
        if (i == 0) t.line(std::string("$H  ") + continuationHeader);
    }
    t.line("$H  SB_CHK00.PFM");
}

void circleGrid(ReportText& t, const char* form, const CircleSearchSettings& s)
{
    t.line(std::string("$0  ") + form);
    const Range3* ranges[] = {&s.centreX, &s.centreY, &s.radius};
    for (int i = 0; i < 3; ++i) {
        t.field(3 * i, f83(ranges[i]->min));
        t.field(3 * i + 1, f83(ranges[i]->max));
        t.field(3 * i + 2, f83(ranges[i]->step));
    }
    t.field(9, d3(s.firstGridExtension));
    t.field(10, d3(s.finestGrid));
}

const char* sandPileFormulaText(int code)
{
    switch (code) {
    case 0: return "τ＝(1-as)(C0+k･z)+(γs･z+μs･Δσz)･as･tan(φs)･cos2(θ)";
    case 1: return "τ＝(1-as)(C0+k･z)+(γm･z+Δσz)･μs･as･tan(φs)･cos2(θ)";
    case 2: return "τ＝(γm･z+Δσz)･tan(φm)･cos2(θ)";
    default: return "τ＝(γs･z+Δσz)･μs･as･tan(φs)･cos2(θ)";
    }
}

const char* blockKindText(int kind)
{
    switch (kind) {
    case kSoilBlock: return "土ブロック";
    case kWaterPressureBlock: return "水ブロック－水圧考慮";
    case kWaterWeightBlock: return "水ブロック－重量考慮";
    default: return "構造物ブロック";
    }
}

} // namespace

ReportText checkListText(const SlopeModel& m, const std::string& dataPath)
{
    ReportText t;
    t.line("斜面の安定計算　チェックリスト");
    t.line(reportStampLine(m, dataPath));
    t.line("$H  SB_CHK00.PFM");
    t.line("$F  SB_CHK99.PFM");

    // Points: the slot index is the point number.
    t.line("$0  SB_CHK01.PFM");
    std::vector<TripleEntry> points;
    const int pointCount = std::clamp(m.pointCount, 0, kMaxPoints);
    for (int i = 0; i < pointCount; ++i) {
        const TerrainPoint& p = m.points[static_cast<std::size_t>(i)];
        if (p.number >= 0) points.push_back({i, p.x, p.y});
    }
    threeColumnTable(t, points, "SB_CHK04.PFM");

    // Lines: four columns, column-major.
    t.line("$0  SB_CHK11.PFM");
    std::vector<const TerrainLine*> lines;
    const int lineCount = std::clamp(m.lineCount, 0, kMaxLines);
    for (int i = 0; i < lineCount; ++i)
        if (m.lines[static_cast<std::size_t>(i)].kind >= 0)
            lines.push_back(&m.lines[static_cast<std::size_t>(i)]);
    const int n = static_cast<int>(lines.size());
    const int rows = std::max(1, (n + 3) / 4);
    for (int i = 0; i < rows; ++i) {
        t.line("$0  SB_CHK12.PFM");
        for (int c = 0; c < 4; ++c) {
            const int e = i + c * rows;
            if (e >= n) continue;
            const TerrainLine& l = *lines[static_cast<std::size_t>(e)];
            t.field(3 * c, d3(l.kind));
            t.field(3 * c + 1, d3(l.startPoint));
            t.field(3 * c + 2, d3(l.endPoint));
        }
        if (i == 0) t.line("$H  SB_CHK14.PFM");
    }
    t.line("$H  SB_CHK00.PFM");

    const CalcConditions& c = m.conditions;
    t.line("$0  SB_CHK21.PFM");
    t.field(0, m.title);
    t.field(1, cformat("%d", c.method));
    t.field(2, f83(c.seismicCoefficient));
    t.field(23, c.seismicOnSurcharge == 0
                    ? "※抵抗力にかかる荷重の水平震度による低減に上載荷重分も含めて考えない"
                    : "※抵抗力にかかる荷重の水平震度による低減に上載荷重分も含めて考える");

    t.line("$0  SB_CHK2A.PFM");
    const int stripFields[3][4] = {{3, 4, 5, 20}, {6, 7, 8, 21}, {9, 10, 11, 22}};
    for (std::size_t s = 0; s < 3; ++s) {
        t.field(stripFields[s][0], f83(c.surchargeXmin[s]));
        t.field(stripFields[s][1], f83(c.surchargeXmax[s]));
        t.field(stripFields[s][2], f83(c.surchargeQmin[s]));
        t.field(stripFields[s][3], f83(c.surchargeQmax[s]));
    }
    for (std::size_t h = 0; h < 3; ++h) {
        t.field(12 + 2 * static_cast<int>(h), f83(c.forceY[h]));
        t.field(13 + 2 * static_cast<int>(h), f83(c.forceH[h]));
    }

    t.line("$0  SB_CHK2B.PFM");
    t.field(19, f83(c.maxSafetyFactor));
    t.field(24, sandPileFormulaText(c.sandPileFormula));
    t.field(25, cformat("%4d", c.fsTableWithRadius));
    t.field(26, f83(c.allowableSafetyFactor));
    t.field(28, f83(c.sliceWidth));

    if (c.referenceMode == 1) {
        t.line("$0  SB_CHK26.PFM");
        std::vector<TripleEntry> ref;
        const int count = std::clamp(m.referenceLine.count, 0, kMaxReferenceVertices);
        for (int i = 0; i < count; ++i)
            ref.push_back({i + 1, m.referenceLine.x[static_cast<std::size_t>(i)],
                           m.referenceLine.y[static_cast<std::size_t>(i)]});
        threeColumnTable(t, ref, "SB_CHK04.PFM");
    } else {
        t.line("$0  SB_CHK27.PFM");
        t.field(18, f83(c.referenceHeight));
        t.line("$H  SB_CHK00.PFM");
    }

    const LineSlipSettings& ls = m.lineSlip;
    switch (c.method) {
    case kMethodFellenius:
    case kMethodTschebotarioff: {
        circleGrid(t, "SB_CHK22.PFM", m.felleniusCircle);
        const SheetPileSettings& sp = m.sheetPile;
        if (sp.topY - sp.toeY > kPileLengthTolerance) {
            t.line("$0  SB_CHK41.PFM");
            t.field(0, cformat("%4d", sp.method));
            t.field(1, f83(sp.x));
            t.field(2, f83(sp.topY));
            t.field(3, f83(sp.toeY));
            t.field(4, f83(sp.allowableShear));
            t.field(5, f83(sp.sectionArea));
            t.field(6, f83(sp.lm1));
            t.line("$0  SB_CHK42.PFM");
            std::vector<TripleEntry> rowsP;
            const int count = std::clamp(sp.passiveCount, 0, kMaxPassiveRows);
            for (int i = 0; i < count; ++i)
                rowsP.push_back({i + 1, sp.passiveY[static_cast<std::size_t>(i)],
                                 sp.passiveIntensity[static_cast<std::size_t>(i)]});
            threeColumnTable(t, rowsP, "SB_CHK43.PFM");
        }
        break;
    }
    case kMethodBishop: circleGrid(t, "SB_CHK23.PFM", m.bishopCircle); break;
    case kMethodBishopModified: circleGrid(t, "SB_CHK25.PFM", m.bishopCircle); break;
    case kMethodLineByAngle:
        t.line("$0  SB_CHK24.PFM");
        t.field(0, f83(ls.startX[0]));
        t.field(1, f83(ls.startY[0]));
        t.field(2, f83(ls.angle.min));
        t.field(3, f83(ls.angle.max));
        t.field(4, f83(ls.angle.step));
        t.field(5, f83(ls.forceX));
        t.field(6, d3(ls.direction));
        t.field(7, d3(ls.angleRefinement));
        break;
    case kMethodLineBySegments:
        t.line("$0  SB_CHK29.PFM");
        t.field(0, f83(ls.startX[0]));
        t.field(1, f83(ls.startY[0]));
        t.field(2, f83(ls.startX[1]));
        t.field(3, f83(ls.startY[1]));
        t.field(4, f83(ls.angle.min));
        t.field(5, f83(ls.startX[2]));
        t.field(6, f83(ls.startY[2]));
        t.field(7, f83(ls.startX[3]));
        t.field(8, f83(ls.startY[3]));
        t.field(9, f83(ls.angle.max));
        t.field(10, f83(ls.forceX));
        t.field(11, d3(ls.angleRefinement));
        break;
    default: break;
    }

    t.line("$R18");
    t.line("$0  SB_CHK31.PFM");
    bool firstBlock = true;
    const int blockCount = std::clamp(m.blockCount, 0, kMaxBlocks);
    for (int i = 0; i < blockCount; ++i) {
        const SoilBlock& b = m.blocks[static_cast<std::size_t>(i)];
        if (b.number < 0) continue;
        std::vector<int> outline = traceOutline(m, b.seed.x, b.seed.y).points;
        if (outline.size() > 1 && outline.front() == outline.back()) outline.pop_back();
        t.line("$0  SB_CHK32.PFM");
        t.field(0, d3(i));
        t.field(1, f83(b.seed.x));
        t.field(2, f83(b.seed.y));
        t.field(3, f83(b.unitWeight));
        t.field(4, f83(b.effectiveUnitWeight));
        t.field(5, f83(b.cohesionGradient));
        t.field(6, f83(b.baseCohesion));
        t.field(7, f83(b.frictionAngle));
        t.field(8, f83(b.pileReplacementRatio));
        t.field(9, f83(b.stressShareRatio));
        t.field(10, f83(b.pileUnitWeight));
        t.field(11, f83(b.pileFrictionAngle));
        t.field(12, d3(static_cast<int>(outline.size())));
        t.field(13, blockKindText(b.kind));
        for (std::size_t s = 0; s < outline.size(); s += kOutlineRow) {
            t.line("$0  SB_CHK34.PFM");
            for (std::size_t q = s; q < std::min(outline.size(), s + kOutlineRow); ++q)
                t.field(static_cast<int>(q - s), d3(outline[q]));
        }
        if (firstBlock) t.line("$H  SB_CHK35.PFM");
        firstBlock = false;
    }
    t.line("$H  SB_CHK00.PFM");
    return t;
}

bool writeCheckList(const SlopeModel& model, const std::string& dataPath,
                    const std::filesystem::path& dir, ReportFileLog& log)
{
    return writeReportFile(dir, kCheckListFileName, checkListText(model, dataPath).bytes(), log);
}

} // namespace keltora
