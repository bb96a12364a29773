// The calculation command around the searches: guards, block polygons, search, critical
// result, label list, date and time stamp and verdict.
#include "analysis/calculation.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <map>

#include "analysis/bishop.h"
#include "analysis/circle_slices.h"
#include "analysis/line_slip_search.h"
#include "analysis/slice_section.h"
#include "model/c_format.h"

namespace keltora {
namespace {

// Label centres closer than this in both x and y are the same centre.
constexpr double kSameCentre = kTolChanged;

Message errorMessage(const char* text)
{
    return {text, "error"};
}

std::unique_ptr<CircleEvaluator> felleniusEvaluator(const SlopeModel& model,
                                                    const PolygonTable& polygons)
{
    return std::make_unique<FelleniusEvaluator>(model, polygons);
}

double programSheetPileMoment(const SlopeModel& model, double cx, double cy, double rr)
{
    return sheetPileMoment(model, cx, cy, rr);
}

std::tm clockNow()
{
    const std::time_t t = std::time(nullptr);
    std::tm out{};
    localtime_r(&t, &out);
    return out;
}

CalcStamp stampOf(const std::tm& t)
{
    CalcStamp s;
    s.date = {(t.tm_year + 1900) % 100, t.tm_mon + 1, t.tm_mday};
    s.time = {t.tm_hour, t.tm_min, t.tm_sec};
    return s;
}

SafetyLabel labelFrom(const SlopeModel& model, const SlipResult& r)
{
    SafetyLabel l;
    l.f = r.f;
    l.cx = r.cx;
    l.cy = r.cy;
    l.x = r.cx;
    l.y = r.cy;
    l.sx = r.sx;
    l.sy = r.sy;
    l.ex = r.ex;
    l.ey = r.ey;
    l.csx = r.csx;
    l.csy = r.csy;
    l.cex = r.cex;
    l.cey = r.cey;
    l.rr = r.rr;
    l.grid = r.grid;
    const bool switchOn = r.grid >= 1 && r.grid <= kMaxGrids &&
                          model.draw.gridFsSwitch[static_cast<std::size_t>(r.grid - 1)] == 1;
    l.drawFlag = switchOn ? 1 : -1;
    l.showCircle = 0;
    return l;
}

// Values read from a file beyond this magnitude are refused: sums of moments of such
// numbers overflow to infinity and the searches would compare NaN factors.
constexpr double kMaxMagnitude = 1e9;

bool sound(double v)
{
    return std::isfinite(v) && std::fabs(v) <= kMaxMagnitude;
}

bool sound(const Range3& r)
{
    return sound(r.min) && sound(r.max) && sound(r.step);
}

Message numberedError(const char* format, int number)
{
    return {cformat(format, number), "error"};
}

} // namespace

std::optional<Message> checkModelValues(const SlopeModel& model)
{
    const int points = std::clamp(model.pointCount, 0, kMaxPoints);
    for (int i = 0; i < points; ++i) {
        const TerrainPoint& p = model.points[static_cast<std::size_t>(i)];
        if (p.number >= 0 && !(sound(p.x) && sound(p.y)))
            return numberedError("境界点 %d の座標の値が不正です。", i);
    }
    const int blocks = std::clamp(model.blockCount, 0, kMaxBlocks);
    for (int i = 0; i < blocks; ++i) {
        const SoilBlock& b = model.blocks[static_cast<std::size_t>(i)];
        if (b.number < 0) continue;
        for (double v :
             {b.seed.x, b.seed.y, b.unitWeight, b.effectiveUnitWeight, b.cohesionGradient,
              b.baseCohesion, b.frictionAngle, b.pileReplacementRatio, b.stressShareRatio,
              b.pileUnitWeight, b.pileFrictionAngle})
            if (!sound(v)) return numberedError("ブロック %d の土質定数の値が不正です。", i);
    }
    const CalcConditions& c = model.conditions;
    if (!sound(c.seismicCoefficient)) return errorMessage("水平震度　の値が不正です。");
    for (int i = 0; i < kSurchargeStrips; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (!(sound(c.surchargeXmin[k]) && sound(c.surchargeXmax[k]) && sound(c.surchargeQmin[k]) &&
              sound(c.surchargeQmax[k])))
            return numberedError("上載荷重 %d の値が不正です。", i + 1);
    }
    for (int i = 0; i < kHorizontalForces; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (!(sound(c.forceY[k]) && sound(c.forceH[k])))
            return numberedError("水平外力 %d の値が不正です。", i + 1);
    }
    if (!sound(c.referenceHeight)) return errorMessage("粘着力基準高　の値が不正です。");
    const int vertices = std::clamp(model.referenceLine.count, 0, kMaxReferenceVertices);
    for (int i = 0; i < vertices; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (!(sound(model.referenceLine.x[k]) && sound(model.referenceLine.y[k])))
            return numberedError("粘着力基準線の折れ点 %d の値が不正です。", i + 1);
    }
    // An infinite maximum keeps every result; NaN would keep none.
    if (std::isnan(c.maxSafetyFactor)) return errorMessage("最大安全率　の値が不正です。");
    if (!sound(c.allowableSafetyFactor)) return errorMessage("許容安全率　の値が不正です。");
    const int decimals = model.draw.decimals[kDecSafetyFactor];
    if (decimals < 0 || decimals > 10)
        return errorMessage("安全率の小数点以下の桁数　の値が不正です。");
    const SheetPileSettings& s = model.sheetPile;
    if (s.method >= 1 && s.method <= 3) {
        bool ok = sound(s.x) && sound(s.topY) && sound(s.toeY) && sound(s.allowableShear) &&
                  sound(s.sectionArea) && sound(s.lm1);
        const int rows = std::clamp(s.passiveCount, 0, kMaxPassiveRows);
        for (int i = 0; ok && i < rows; ++i)
            ok = sound(s.passiveY[static_cast<std::size_t>(i)]) &&
                 sound(s.passiveIntensity[static_cast<std::size_t>(i)]);
        if (!ok) return errorMessage("矢板の値が不正です。");
    }
    return std::nullopt;
}

std::optional<Message> checkCircleSettings(const CircleSearchSettings& s, double maxCircles)
{
    const Range3& x = s.centreX;
    const Range3& y = s.centreY;
    const Range3& r = s.radius;
    // Written so that NaN fails every comparison and is refused.
    if (!(std::isfinite(x.min) && std::isfinite(x.max) && x.min <= x.max))
        return errorMessage("円弧中心　Xmax/Xmin　の値が不正です。");
    if (!(std::isfinite(x.step) && x.step >= kTolLoop))
        return errorMessage("円弧中心　ΔＸ　の値が不正です。");
    if (!(std::isfinite(y.min) && std::isfinite(y.max) && y.min <= y.max))
        return errorMessage("円弧中心　Ymax/Ymin　の値が不正です。");
    if (!(std::isfinite(y.step) && y.step >= kTolLoop))
        return errorMessage("円弧中心　ΔＹ　の値が不正です。");
    if (!(std::isfinite(r.min) && std::isfinite(r.max) && r.min <= r.max))
        return errorMessage("円弧半径　Rmax/Rmin　の値が不正です。");
    if (!(std::isfinite(r.step) && r.step >= kTolLoop))
        return errorMessage("円弧半径　ΔＲ　の値が不正です。");
    if (!sound(x) || !sound(y) || !sound(r))
        return errorMessage("円弧中心と円弧半径の範囲が大きすぎます。");
    const double circles = estimateCircles(initialGrid(s), r);
    if (!(circles <= maxCircles))
        return Message{cformat("円弧の数が多すぎます（約 %.3g 個、上限 %.0f 個）。円弧中心と"
                               "円弧半径の範囲またはピッチを見直してください。",
                               circles, maxCircles),
                       "error"};
    return std::nullopt;
}

int collectResults(const SlopeModel& model, CalculationResults& results,
                   const SheetPileMomentFunction& sheetPileMoment)
{
    results.hasCritical = false;
    results.critical = SlipResult{};
    results.labels.clear();
    if (results.validFlag != kResultsValid) return 0;

    const SlipResult* best = nullptr;
    // Labels by centre x, so that finding a centre does not scan the whole list.
    std::multimap<double, std::size_t> byCx;
    for (const std::vector<SlipResult>& table : results.tables) {
        for (const SlipResult& r : table) {
            if (!best || r.f < best->f) best = &r;
            std::size_t found = results.labels.size();
            // The window is twice the tolerance: a replaced label may have moved by less
            // than the tolerance from the key it was indexed under.
            for (auto it = byCx.upper_bound(r.cx - 2.0 * kSameCentre);
                 it != byCx.end() && it->first < r.cx + 2.0 * kSameCentre; ++it) {
                const SafetyLabel& l = results.labels[it->second];
                if (std::fabs(l.cx - r.cx) < kSameCentre && std::fabs(l.cy - r.cy) < kSameCentre)
                    found = std::min(found, it->second);
            }
            if (found == results.labels.size()) {
                byCx.emplace(r.cx, results.labels.size());
                results.labels.push_back(labelFrom(model, r));
            } else if (r.f + kSameCentre < results.labels[found].f) {
                results.labels[found] = labelFrom(model, r);
            }
        }
    }
    if (!best) return 0;

    SlipResult c = *best;
    c.mry = 0.0;
    const int pile = model.sheetPile.method;
    if ((pile == 2 || pile == 3) && sheetPileMoment)
        c.mry = sheetPileMoment(model, c.cx, c.cy, c.rr);
    c.mr = c.mrf + c.mrc + c.mry;
    c.md = c.mdw + c.mdh + c.mdk;
    // A mass the search marked invalid keeps its kNoSafetyFactor: its sums are partial.
    c.f = best->valid == 0 ? kNoSafetyFactor
                           : safetyFactorFrom(c.mr, c.md, model.draw.decimals[kDecSafetyFactor]);
    // The Bishop and straight-line factors have no lower guard: a stored factor at or
    // below zero must not come back as "no factor of safety" (and the verdict as OK).
    if (c.f == kNoSafetyFactor && best->f < kNoSafetyFactor) c.f = best->f;
    results.critical = c;
    results.hasCritical = true;
    return static_cast<int>(results.labels.size());
}

void concludeRun(const SlopeModel& model, CalculationResults& results, const CalcOptions& options,
                 CalcOutcome& outcome)
{
    outcome.stamp = stampOf(options.now ? *options.now : clockNow());
    outcome.calcState = results.validFlag;
    if (results.validFlag == kResultsValid) {
        const SheetPileMomentFunction pile = options.sheetPileMoment
                                                 ? options.sheetPileMoment
                                                 : SheetPileMomentFunction(programSheetPileMoment);
        const int labels = collectResults(model, results, pile);
        if (static_cast<std::size_t>(labels) > kSafetyLabelCapacity)
            outcome.messages.push_back(
                {cformat("円弧中心が %d 個あり、安全率一覧の上限 %zu 個を超えています。図と帳票"
                         "には先頭の %zu 個だけが表示されます。",
                         labels, kSafetyLabelCapacity, kSafetyLabelCapacity),
                 "メッセージ"});
    }
    if (results.validFlag == kResultsValid && results.hasCritical) {
        const double f = results.critical.f;
        const double allowable = model.conditions.allowableSafetyFactor;
        if (f >= allowable) {
            outcome.verdict = Verdict::Ok;
            outcome.messages.push_back(
                {cformat("計算：正常終了しました。判定(%1.3f >= %1.3f) OK", f, allowable),
                 "終わり"});
        } else {
            outcome.verdict = Verdict::Out;
            outcome.messages.push_back(
                {cformat("計算：正常終了しました。判定(%1.3f < %1.3f) OUT", f, allowable),
                 "終わり"});
        }
    } else {
        outcome.verdict = Verdict::None;
        outcome.messages.push_back({"計算：計算結果が得られませんでした。\n", "メッセージ"});
    }
}

CalcOutcome runCircular(const SlopeModel& model, CalculationResults& results,
                        const CalcOptions& options, CalculationObserver* observer)
{
    CalcOutcome outcome;
    results.clear();
    results.validFlag = kResultsNone;

    const int method = model.conditions.method;
    if (method != kMethodFellenius && method != kMethodTschebotarioff) {
        outcome.status = -1;
        outcome.messages.push_back({"cm.kt != 0,1", "break"});
        return outcome;
    }
    const CircleSearchSettings& settings = model.felleniusCircle;
    if (auto refused = checkCircleSettings(settings, options.maxCirclesPerGrid)) {
        outcome.status = -1;
        outcome.messages.push_back(*refused);
        return outcome;
    }

    const CircleEvaluatorFactory factory = options.circleEvaluator
                                               ? options.circleEvaluator
                                               : CircleEvaluatorFactory(felleniusEvaluator);
    // Blocks without a closed outline take no part in the calculation.
    const auto polygons = std::make_unique<PolygonTable>(buildPolygonTable(model));
    const std::unique_ptr<CircleEvaluator> evaluator = factory(model, *polygons);
    appendOutsideBlockWarnings(model, *polygons, outcome.messages);

    CircleSearchOptions searchOptions;
    searchOptions.workDir = options.workDir;
    searchOptions.threads = options.threads;
    searchOptions.maxCirclesPerGrid = options.maxCirclesPerGrid;
    runCircleSearch(model, settings, *evaluator, searchOptions, results, observer,
                    outcome.messages);
    concludeRun(model, results, options, outcome);
    return outcome;
}

CalcOutcome calculate(const SlopeModel& model, CalculationResults& results,
                      const CalcOptions& options, CalculationObserver* observer)
{
    try {
        if (auto refused = checkModelValues(model)) {
            results.clear();
            CalcOutcome outcome;
            outcome.status = -1;
            outcome.messages.push_back(*refused);
            return outcome;
        }
        switch (model.conditions.method) {
        case kMethodBishop:
        case kMethodBishopModified: return runBishop(model, results, options, observer);
        case kMethodLineByAngle:
        case kMethodLineBySegments: return runStraightSlip(model, results, options, observer);
        default: return runCircular(model, results, options, observer);
        }
    } catch (const std::exception& e) {
        results.clear();
        CalcOutcome outcome;
        outcome.status = -1;
        outcome.messages.push_back(
            {std::string("計算を中断しました（内部エラー: ") + e.what() + "）。", "ERROR"});
        outcome.messages.push_back({"計算：計算結果が得られませんでした。\n", "メッセージ"});
        return outcome;
    }
}

CalculationRun calculate(const SlopeModel& model, const CalcOptions& options,
                         CalculationObserver* observer)
{
    CalculationRun run;
    run.results = std::make_shared<CalculationResults>();
    run.outcome = calculate(model, *run.results, options, observer);
    return run;
}

void applyCalculation(const CalcOutcome& outcome, SlopeModel& model)
{
    model.calcState = outcome.calcState;
    if (outcome.stamp) {
        model.calcDate = outcome.stamp->date;
        model.calcTime = outcome.stamp->time;
    }
}

void applyCalculation(const CalculationRun& run, Document& document)
{
    applyCalculation(run.outcome, document.model());
    document.setResults(run.results ? run.results : std::make_shared<CalculationResults>());
}

CalcOutcome runCalculation(SlopeModel& model, CalculationResults& results,
                           const CalcOptions& options, CalculationObserver* observer)
{
    const CalcOutcome outcome = calculate(model, results, options, observer);
    applyCalculation(outcome, model);
    return outcome;
}

CalcOutcome runCalculation(Document& document, const CalcOptions& options,
                           CalculationObserver* observer)
{
    CalcOptions o = options;
    if (o.workDir.empty()) o.workDir = document.startDirectory();
    const CalculationRun run = calculate(document.model(), o, observer);
    applyCalculation(run, document);
    return run.outcome;
}

} // namespace keltora
