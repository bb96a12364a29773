// The summary data file: which rows, texts and numbers the front pages of the report show.
// The forms (SB_SM*.PFM) only arrange them.
#include "output/report_summary.h"

#include <algorithm>
#include <cmath>

#include "analysis/slice_table.h"
#include "geometry/block_polygons.h"
#include "model/c_format.h"
#include "model/text_encoding.h"
#include "output/batch_summary.h"
#include "output/figure_results.h"
#include "output/plot_file.h"
#include "output/report_layout.h"
#include "output/safety_map.h"

namespace keltora {
namespace {

namespace fs = std::filesystem;

constexpr double kLoaded = 0.0001; // loads and switches below this count as absent

bool isLine(int method)
{
    return method == kMethodLineByAngle || method == kMethodLineBySegments;
}

bool isBishop(int method)
{
    return method == kMethodBishop || method == kMethodBishopModified;
}

int decimalsOf(const SlopeModel& m, DecimalSlot slot)
{
    const int d = m.draw.decimals[static_cast<std::size_t>(slot)];
    return d < 0 ? 0 : d > 10 ? 10 : d;
}

std::string fixed(double v, int decimals)
{
    return cformat("%.*f", decimals, v);
}

class SummaryWriter {
  public:
    SummaryWriter(const SlopeModel& m, const CalculationResults& r) : m_(m), r_(r) {}

    void heading(const std::string& text, bool newPage = false)
    {
        t_.line(newPage ? "$1  SB_SM03.PFM" : "$0  SB_SM03.PFM");
        t_.field(0, text);
    }
    void text(const std::string& s)
    {
        t_.line("$0  SB_SM05.PFM");
        t_.field(0, s);
    }
    // One row of two label / value / unit triples (the second may be empty).
    void pair(const std::string& l1, const std::string& v1, const std::string& u1,
              const std::string& l2 = {}, const std::string& v2 = {}, const std::string& u2 = {})
    {
        t_.line("$0  SB_SM04.PFM");
        t_.field(0, l1);
        t_.field(1, v1);
        t_.field(2, u1);
        if (!l2.empty()) {
            t_.field(3, l2);
            t_.field(4, v2);
            t_.field(5, u2);
        }
    }

    ReportText build(const std::string& dataPath)
    {
        t_.line("安定計算の要約");
        t_.line(reportStampLine(m_, dataPath));
        titleBlock(dataPath);
        verdictBlock();
        conditions();
        critical();
        t_.line(cformat("$G  %s  %d", kSummaryFigureName, kSummaryFigureLines));
        map();
        blocks();
        slices();
        t_.line("$L");
        return std::move(t_);
    }

  private:
    void titleBlock(const std::string& dataPath)
    {
        t_.line("$0  SB_SM01.PFM");
        t_.field(0, m_.title);
        t_.field(1, dataPath.empty() ? std::string("（無題）") : dataPath);
        t_.field(2, cformat("%04d/%02d/%02d %02d:%02d:%02d", 2000 + m_.calcDate[0], m_.calcDate[1],
                            m_.calcDate[2], m_.calcTime[0], m_.calcTime[1], m_.calcTime[2]));
        t_.field(3, methodName(m_.conditions.method));
    }

    void verdictBlock()
    {
        const SlipResult& c = r_.critical;
        const int fd = decimalsOf(m_, kDecSafetyFactor);
        const std::string verdict = summaryVerdict(m_, r_);
        t_.line("$0  SB_SM02.PFM");
        t_.field(0, verdict);
        t_.field(1, cformat("%6.*f", fd, c.f));
        t_.field(2, verdict == "OK" ? "≧" : "＜");
        t_.field(3, cformat("%6.3f", m_.conditions.allowableSafetyFactor));
        t_.field(4, verdict == "OK" ? "最小安全率は許容安全率以上です。"
                                    : "最小安全率が許容安全率を下回っています。");
    }

    void conditions()
    {
        const CalcConditions& c = m_.conditions;
        heading("計算条件");
        text("計算方法：" + methodName(c.method));
        pair("設計水平震度 kh", fixed(c.seismicCoefficient, 3), "", "分割幅 ｂ",
             fixed(c.sliceWidth, 3), "m");
        pair("許容安全率 Ｆａ", fixed(c.allowableSafetyFactor, 3), "", "最大安全率",
             fixed(c.maxSafetyFactor, 3), "");
        if (std::fabs(c.seismicCoefficient) >= kLoaded)
            text(
                c.seismicOnSurcharge == 1
                    ? "地震時：抵抗力にかかる荷重の水平震度による低減に上載荷重分も含めて考える"
                    : "地震時：抵抗力にかかる荷重の水平震度による低減に上載荷重分も含めて考えない");
        bool anyLoad = false;
        for (int i = 0; i < kSurchargeStrips; ++i) {
            const auto k = static_cast<std::size_t>(i);
            if (std::fabs(c.surchargeQmin[k]) < kLoaded && std::fabs(c.surchargeQmax[k]) < kLoaded)
                continue;
            anyLoad = true;
            text(cformat("上載荷重 %d：Ｘ ＝ %.3f ～ %.3f m、ｑ ＝ %.3f ～ %.3f kN/m2", i + 1,
                         c.surchargeXmin[k], c.surchargeXmax[k], c.surchargeQmin[k],
                         c.surchargeQmax[k]));
        }
        if (!anyLoad) text("上載荷重：なし");
        bool anyForce = false;
        for (int i = 0; i < kHorizontalForces; ++i) {
            const auto k = static_cast<std::size_t>(i);
            if (std::fabs(c.forceH[k]) < kLoaded) continue;
            anyForce = true;
            text(cformat("水平外力 %d：作用高さ Ｙ ＝ %.3f m、Ｈ ＝ %.3f kN/m", i + 1, c.forceY[k],
                         c.forceH[k]));
        }
        if (!anyForce) text("水平外力：なし");
        const SheetPileSettings& p = m_.sheetPile;
        if (!isLine(c.method) && !isBishop(c.method) && p.method >= 1 && p.method <= 3 &&
            p.topY - p.toeY > kLoaded) {
            const char* how = p.method == 1   ? "切断されない線"
                              : p.method == 2 ? "受動土圧による抵抗を考慮"
                                              : "せん断抵抗を考慮";
            text(cformat("矢板：%s（Ｘ ＝ %.3f m、天端 %.3f m、先端 %.3f m）", how, p.x, p.topY,
                         p.toeY));
        }
    }

    void critical()
    {
        const SlipResult& c = r_.critical;
        const int md = decimalsOf(m_, kDecMoment);
        const GridLevelWords words = gridLevelWords(r_);
        const int method = m_.conditions.method;
        if (isLine(method)) {
            heading("臨界すべり線");
            text("最小安全率のすべり線：" + words.level);
            if (!words.note.empty()) text(words.note);
            pair("すべり開始点 Ｘ", fixed(c.cx, 3), "m", "すべり開始点 Ｙ", fixed(c.cy, 3), "m");
            if (method == kMethodLineBySegments)
                pair("すべり終了点 Ｘ", fixed(c.dx, 3), "m", "すべり終了点 Ｙ", fixed(c.dy, 3),
                     "m");
            pair("すべり角度 α", fixed(c.rr, 3), "°");
            pair("抵抗力 Ｒ", fixed(c.mr, md), "kN/m", "滑動力 Ｄ", fixed(c.md, md), "kN/m");
            pair("摩擦 Ｒｆ", fixed(c.mrf, md), "kN/m", "粘着力 Ｒｃ", fixed(c.mrc, md), "kN/m");
            return;
        }
        heading("臨界すべり円");
        text("最小安全率の円弧：" + words.level);
        if (!words.note.empty()) text(words.note);
        pair("円弧中心 Ｘ", fixed(c.cx, 3), "m", "円弧中心 Ｙ", fixed(c.cy, 3), "m");
        pair("円弧半径 Ｒ", fixed(c.rr, 3), "m");
        pair("抵抗モーメント Ｍｒ", fixed(c.mr, md), "kN･m/m", "滑動モーメント Ｍｄ",
             fixed(c.md, md), "kN･m/m");
        if (isBishop(method)) {
            pair("抵抗力 Ｍｒ／Ｒ", fixed(c.mr / c.rr, md), "kN/m", "滑動力 Ｍｄ／Ｒ",
                 fixed(c.md / c.rr, md), "kN/m");
        } else {
            pair("Ｍｒｆ（摩擦）", fixed(c.mrf, md), "kN･m/m", "Ｍｒｃ（粘着力）", fixed(c.mrc, md),
                 "kN･m/m");
            if (std::fabs(c.mry) > 0.0 || m_.sheetPile.method == 2 || m_.sheetPile.method == 3)
                pair("Ｍｒｙ（矢板）", fixed(c.mry, md), "kN･m/m");
        }
        pair("Ｍｄｗ（重量・水圧）", fixed(c.mdw, md), "kN･m/m", "Ｍｄｈ（水平外力）",
             fixed(c.mdh, md), "kN･m/m");
        pair("Ｍｄｋ（地震時慣性力）", fixed(c.mdk, md), "kN･m/m");
    }

    // The factor-of-safety map over the centre grids (circle methods), on a page of its own
    // when it does not fit below the figure.
    void map()
    {
        if (isLine(m_.conditions.method)) return;
        t_.line(cformat("$R%d", kSummaryMapLines + 2));
        heading("安全率分布図（中心ごとの最小安全率）");
        t_.line(cformat("$G  %s  %d", kSummaryMapName, kSummaryMapLines));
    }

    void blocks()
    {
        // The table stays on the figure's page when it fits there whole.
        int count = 0;
        for (int i = 0; i < m_.blockCount && i < kMaxBlocks; ++i)
            count += m_.blocks[static_cast<std::size_t>(i)].number >= 0;
        t_.line(cformat("$R%d", std::min(count + 9, kReportPageLines - 8)));
        heading("土質ブロック");
        t_.line("$0  SB_SM11.PFM");
        bool first = true;
        for (int i = 0; i < m_.blockCount && i < kMaxBlocks; ++i) {
            const SoilBlock& b = m_.blocks[static_cast<std::size_t>(i)];
            if (b.number < 0) continue;
            t_.line("$0  SB_SM12.PFM");
            t_.field(0, cformat("%d", i));
            t_.field(1, b.kind == kSoilBlock            ? "土"
                        : b.kind == kWaterPressureBlock ? "水－水圧考慮"
                        : b.kind == kWaterWeightBlock   ? "水－重量考慮"
                                                        : "構造物");
            t_.field(2, fixed(b.unitWeight, 2));
            t_.field(3, fixed(b.effectiveUnitWeight, 2));
            t_.field(4, fixed(b.baseCohesion, 3));
            t_.field(5, fixed(b.cohesionGradient, 3));
            t_.field(6, fixed(b.frictionAngle, 2));
            if (b.hasSandPiles != 0) {
                t_.field(7, fixed(b.pileReplacementRatio, 3));
                t_.field(8, fixed(b.stressShareRatio, 3));
                t_.field(9, fixed(b.pileUnitWeight, 2));
                t_.field(10, fixed(b.pileFrictionAngle, 2));
            }
            if (first) t_.line("$H  SB_SM14.PFM");
            first = false;
        }
        t_.line("$H");
        t_.line("$0  SB_SM13.PFM");
    }

    void slices()
    {
        const int method = m_.conditions.method;
        const int md = decimalsOf(m_, kDecMoment);
        if (isLine(method)) return;
        heading("臨界すべり円の分割片");
        const SliceTable table = criticalSliceTable(m_, r_.critical);
        if (!table.found) {
            text("臨界すべり円の土塊をもう一度求められなかったため、分割片の表はありません。");
            return;
        }
        t_.line("$0  SB_SM21.PFM");
        int n = 0;
        for (const SliceRow& s : table.rows) {
            ++n;
            t_.line("$0  SB_SM22.PFM");
            t_.field(0, cformat("%d", n));
            t_.field(1, fixed(s.x, 3));
            t_.field(2, fixed(s.width, 3));
            t_.field(3, fixed(s.weight, 2));
            t_.field(4, fixed(s.baseAngle, 2));
            t_.field(5, fixed(s.baseLength, 3));
            t_.field(6, fixed(s.cohesion, 2));
            t_.field(7, fixed(s.friction, 2));
            t_.field(8, fixed(s.resisting, md));
            t_.field(9, fixed(s.driving, md));
            if (n == 1) t_.line("$H  SB_SM24.PFM");
        }
        t_.line("$H");
        t_.line("$0  SB_SM23.PFM");
        t_.field(0, fixed(table.sumResisting, md));
        t_.field(1, fixed(table.sumDriving, md));
        const SlipResult& c = r_.critical;
        t_.field(2, isBishop(method)
                        ? "抵抗：分割片の抵抗モーメント（反復の最後の試行安全率による）"
                        : "抵抗：分割片の抵抗モーメント Ｍｒｆ＋Ｍｒｃ");
        t_.field(3, "滑動：重量と上載荷重による滑動モーメント（すべりの向き）＋地震時慣性力");
        t_.field(4,
                 cformat("端面の水圧と水平外力による滑動モーメント ＝ Ｍｄ − Σ滑動 ＝ %.*f kN･m/m",
                         md, c.md - table.sumDriving));
    }

    const SlopeModel& m_;
    const CalculationResults& r_;
    ReportText t_;
};

} // namespace

GridLevelWords gridLevelWords(const CalculationResults& results)
{
    GridLevelWords w;
    w.found = results.critical.grid;
    w.searched = results.gridsRun;
    w.level = cformat("第 %d 次格子", w.found);
    w.english = cformat("found in grid %d", w.found);
    if (w.searched > w.found) {
        const std::string finer = w.searched == w.found + 1
                                      ? cformat("第 %d 次格子", w.searched)
                                      : cformat("第 %d～%d 次格子", w.found + 1, w.searched);
        w.note = "（" + finer + "でも、これより小さい安全率は得られませんでした。）";
        w.english += w.searched == w.found + 1
                         ? cformat("; grid %d found no lower F", w.searched)
                         : cformat("; grids %d..%d found no lower F", w.found + 1, w.searched);
    }
    return w;
}

std::string summaryVerdict(const SlopeModel& model, const CalculationResults& results)
{
    if (results.validFlag != kResultsValid || !results.hasCritical) return {};
    return results.critical.f >= model.conditions.allowableSafetyFactor ? "OK" : "OUT";
}

ReportText summaryText(const SlopeModel& model, const CalculationResults& results,
                       const std::string& dataPathWithoutExtension)
{
    return SummaryWriter(model, results).build(dataPathWithoutExtension);
}

Figure summaryFigure(const SlopeModel& model, const CalculationResults& results)
{
    const PolygonTable polygons = buildPolygonTable(model);
    return composeFigure(model, figureResultsFrom(model, results), &polygons);
}

Figure summaryMap(const SlopeModel& model, const CalculationResults& results)
{
    if (isLine(model.conditions.method)) return {};
    return composeSafetyMapFigure(model, results);
}

std::string plotBytesWithAreas(const Figure& figure)
{
    // The plot file's own text, and the same header without items: what follows the header
    // is one record per item that is not a filled area, in item order.
    Figure bare = figure;
    bare.items.clear();
    const std::string header = plotFileText(bare);
    const std::string all = plotFileText(figure);
    std::string text = header;
    for (int layer : {kLayerMapBands, kLayerMapContours, kLayerMapAllowable, kLayerMapText}) {
        const int width = layer == kLayerMapBands       ? 0
                          : layer == kLayerMapAllowable ? 40
                          : layer == kLayerMapText      ? 18
                                                        : 13;
        text += cformat("LY0,%d,7,%d,%02d\n", width, layer, layer);
    }
    // Areas in their place among the other records, so that what is drawn after an area
    // (contour lines, labels) stays on top of it.
    std::size_t at = header.size();
    for (const FigureItem& it : figure.items) {
        if (it.kind != FigureItemKind::Polygon) {
            const std::size_t end = all.find('\n', at);
            if (end == std::string::npos) break;
            text.append(all, at, end + 1 - at);
            at = end + 1;
            continue;
        }
        if (it.points.size() < 3) continue;
        text += cformat("FP%d,%u,%zu", it.layer, it.fill & 0xFFFFFFu, it.points.size());
        for (const Point2& p : it.points)
            text += "," + formatPlotLength(p.x + kPlotSheetMargin) + "," +
                    formatPlotLength(p.y + kPlotSheetMargin);
        text += "\n";
    }
    const std::string cp932 = utf8ToCp932(text);
    std::string out;
    out.reserve(cp932.size() + cp932.size() / 16);
    for (char c : cp932) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

void writeReportSummary(const SlopeModel& model, const CalculationResults& results,
                        const std::string& dataPathWithoutExtension, const fs::path& dir,
                        ReportFileLog& log)
{
    for (const char* name : {kSummaryFileName, kSummaryFigureName, kSummaryMapName}) {
        std::error_code ec;
        fs::remove(dir / name, ec);
    }
    if (results.validFlag != kResultsValid || !results.hasCritical) return;
    // The figure first: a summary whose figure is missing would show an empty frame.
    if (!writeReportFile(dir, kSummaryFigureName, plotFileBytes(summaryFigure(model, results)),
                         log))
        return;
    const Figure map = summaryMap(model, results);
    if (!map.items.empty() && !writeReportFile(dir, kSummaryMapName, plotBytesWithAreas(map), log))
        return;
    writeReportFile(dir, kSummaryFileName,
                    summaryText(model, results, dataPathWithoutExtension).bytes(), log);
}

std::vector<std::string> reportFilesForSelection(const fs::path& folder, ReportSelection selection)
{
    std::vector<std::string> out;
    std::error_code ec;
    if (fs::is_regular_file(folder / kSummaryFileName, ec)) out.push_back(kSummaryFileName);
    for (const std::string& name : reportFilesInFolder(folder)) {
        // Minimum files are SB_ANSk2.PDT.
        const bool minimum = name.size() == 12 && name.starts_with("SB_ANS") && name[7] == '2';
        if (selection == ReportSelection::Full || name == "SB_CHECK.PDT" || minimum)
            out.push_back(name);
    }
    return out;
}

} // namespace keltora
