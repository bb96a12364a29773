// The straight slip searches by angle and by segments, their levels, dump files and
// message lines, lines evaluated in parallel and stored in serial order; the run.
#include "analysis/line_slip_search.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>

#include "analysis/dump_file.h"
#include "analysis/ordered_runner.h"
#include "geometry/primitives.h"
#include "model/c_format.h"

namespace keltora {

namespace {

constexpr double kNoLimit = 999999.0; // direction of a missing kind of limit
constexpr double kTolAngle = 0.0001;  // angle loop bound and empty-range test

double fold(double t)
{
    if (t < 90.0) return t;
    if (t < 180.0) return 180.0 - t;
    if (t < 270.0) return t - 180.0;
    return 360.0 - t;
}

// A setting that can be searched with: a number, and not beyond 1e9 (such values only
// come from damaged files, and the line counts would overflow with them).
bool finite(double v)
{
    return std::isfinite(v) && std::fabs(v) <= 1e9;
}

// What one line hands to the store: the masses it keeps, in walk order, and their dump
// lines.
struct LineWork {
    std::vector<EvaluatedMass> kept;
    std::string dump;
};

// The state shared by both searches: the tables, the dump files, the message lines.
class LineSearch {
  public:
    using Formatter = std::string (*)(const SlipResult&);

    LineSearch(const SlopeModel& model, const LineSection& section,
               const LineSearchOptions& options, CalculationResults& results,
               CalculationObserver* observer, MessageList& messages, Formatter format)
        : model_(model), section_(section), options_(options), results_(results),
          observer_(observer), messages_(messages), format_(format),
          dir_(options.workDir.empty() ? "." : options.workDir)
    {
        for (std::vector<SlipResult>& table : results_.tables)
            table.clear();
        removeOldDumps(dir_, messages_);
    }

    void line(int n, const std::string& text)
    {
        if (observer_) observer_->setLine(n, text);
    }

    // Runs one level over `lines`; store is told about every stored mass. Returns false
    // when aborted.
    template <typename OnStored>
    bool runLevel(int level, int levels, const std::vector<StraightLine>& lines,
                  const SliceBreaks& breaks, OnStored onStored)
    {
        const auto li = static_cast<std::size_t>(level);
        results_.minima[li] = GridMinimum{};
        results_.tables[li].clear();
        results_.gridCompleted[li] = false;
        results_.gridsRun = std::max(results_.gridsRun, level + 1);
        DumpFile dump(dir_, level, messages_);
        const auto n = static_cast<long long>(lines.size());
        if (observer_) observer_->gridStarted(level, levels, n);
        const double maxF = model_.conditions.maxSafetyFactor;

        auto eval = [&](long long i, LineWork& work, std::vector<EvaluatedMass>& masses) {
            masses.clear();
            walkLine(section_, lines[static_cast<std::size_t>(i)], level, breaks, masses);
            for (const EvaluatedMass& m : masses) {
                if (!massIsKept(m.record, maxF)) continue;
                work.kept.push_back(m);
                appendCrLf(work.dump, format_(m.record));
            }
            results_evaluated_.fetch_add(static_cast<long long>(masses.size()));
        };
        auto store = [&](long long i, LineWork& work) {
            ++results_.circlesEvaluated;
            if (!work.kept.empty()) {
                results_.validFlag = kResultsValid;
                for (const EvaluatedMass& m : work.kept) {
                    results_.tables[li].push_back(m.record);
                    if (updateMinimum(results_.minima[li], m)) onStored(m.record);
                }
                dump.write(work.dump);
                onStoredLines(work.kept.back().record, results_.minima[li]);
            }
            if (observer_) observer_->centreDone(i + 1, n);
        };
        auto abort = [&](long long) {
            if (observer_ && observer_->abortRequested()) {
                results_.validFlag = kResultsAborted;
                return true;
            }
            return false;
        };
        const bool done = runInOrder<LineWork, std::vector<EvaluatedMass>>(
            n, workerThreads(options_.threads), eval, store, abort);
        results_.massesEvaluated += results_evaluated_.exchange(0);
        dump.close();
        if (done) results_.gridCompleted[li] = true;
        return done;
    }

    // Message lines 4 to 7 after a line stored masses (set by the search).
    std::function<void(const SlipResult&, const GridMinimum&)> onStoredLines;

  private:
    const SlopeModel& model_;
    const LineSection& section_;
    const LineSearchOptions& options_;
    CalculationResults& results_;
    CalculationObserver* observer_;
    MessageList& messages_;
    Formatter format_;
    std::filesystem::path dir_;
    std::atomic<long long> results_evaluated_{0};
};

int levelCount(const SlopeModel& model)
{
    return std::clamp(static_cast<int>(model.lineSlip.angleRefinement), 1, kMaxGrids);
}

} // namespace

AngleRange angleRange(const SlopeModel& model, double x0, double y0)
{
    const LineSlipSettings& s = model.lineSlip;
    AngleRange r{s.angle.min, s.angle.max, s.angle.step, -1};
    double small = kNoLimit, large = kNoLimit;
    bool anySmall = false, anyLarge = false;
    const int lines = std::clamp(static_cast<int>(model.lineCount), 0, kMaxLines);
    for (int i = 0; i < lines; ++i) {
        const TerrainLine& l = model.lines[static_cast<std::size_t>(i)];
        const bool isSmall = l.kind == kArcLimitLineSmall || l.kind == kArcLimitPointSmall;
        const bool isLarge = l.kind == kArcLimitLineLarge || l.kind == kArcLimitPointLarge;
        if (!isSmall && !isLarge) continue;
        for (int n : {l.startPoint, l.endPoint}) {
            const std::optional<Point2> p = terrainPoint(model, n);
            if (!p) continue;
            double t = std::atan2(p->y - y0, p->x - x0) * (180.0 / std::numbers::pi);
            if (t < 0.0) t += 360.0;
            if (isSmall) {
                anySmall = true;
                small = std::min(small, t);
            } else {
                anyLarge = true;
                large = std::min(large, t);
            }
        }
    }
    r.slipSign = (large < 90.0 || (large >= 180.0 && large < 270.0)) ? 1 : -1;
    double ts = fold(small), tl = fold(large);
    if (tl < ts) std::swap(ts, tl);
    if (anySmall && ts < kNoLimit && r.amin < ts) r.amin = ts;
    if (anyLarge && tl < kNoLimit && tl < r.amax) r.amax = tl;
    return r;
}

std::vector<double> levelAngles(double amin, double amax, double step)
{
    std::vector<double> out;
    if (amin > amax + kTolAngle || !(step > 0.0)) return out;
    double first = amin, last = amin;
    if (amax - amin >= kTolAngle) {
        first = std::floor(amin / step) * step;
        last = std::ceil(amax / step) * step;
    }
    for (double v = first; v < last + kTolAngle; v += step) {
        out.push_back(std::clamp(v, amin, amax));
        if (v + step == v) break; // a step lost in the value's precision
    }
    return out;
}

std::vector<Point2> segmentPoints(Point2 a, Point2 b, double pitch, std::size_t limit)
{
    std::vector<Point2> out;
    if (!(pitch > 0.0)) return out;
    const double length = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
    const double intervals = std::floor(length / pitch) + 1.0;
    if (!(intervals + 1.0 <= static_cast<double>(limit))) return out;
    const int n = static_cast<int>(intervals);
    const double dx = (b.x - a.x) / n, dy = (b.y - a.y) / n;
    for (int i = 0; i <= n; ++i)
        out.push_back({a.x + i * dx, a.y + i * dy});
    return out;
}

int searchLinesByAngle(const SlopeModel& model, const LineSection& section,
                       const LineSearchOptions& options, CalculationResults& results,
                       CalculationObserver* observer, MessageList& messages)
{
    const LineSlipSettings& s = model.lineSlip;
    const double x0 = s.startX[0], y0 = s.startY[0];
    AngleRange range = angleRange(model, x0, y0);
    const SliceBreaks breaks = section.breaks({x0});
    LineSearch search(model, section, options, results, observer, messages, formatLineRecord);
    search.onStoredLines = [&](const SlipResult& r, const GridMinimum& m) {
        search.line(4, cformat("すべり直線  (X,Y)=%7.3f,%7.3f R=%7.3f F=%5.3f        \n", r.cx,
                               r.cy, r.rr, r.f));
        search.line(5, cformat("最小安全率　Ｆｍｉｎ=%8.3f        ", m.f));
        search.line(6, cformat("　　　　　　　Ｘ，Ｙ=%8.3f,%8.3f        ", m.cx, m.cy));
        search.line(7, cformat("　　　　　　　　　α=%8.3f        ", m.rr));
    };
    const int levels = levelCount(model);
    for (int level = 0; level < levels; ++level) {
        const std::vector<double> angles = levelAngles(range.amin, range.amax, range.step);
        std::vector<StraightLine> lines;
        lines.reserve(angles.size());
        for (double a : angles)
            lines.push_back(lineByAngle(x0, y0, a, range.slipSign));
        if (!angles.empty()) {
            search.line(1, cformat("計算次数=%2d    最大次数=%2d   ", level + 1, levels));
            search.line(2, cformat("直線すべり開始位置　X =%8.3f    Y =%8.3f   ", x0, y0));
            search.line(3, cformat("　　すべり角範囲　 α=%8.3f ～%8.3f (step%8.3f )   ", range.amin,
                                   range.amax, range.step));
            for (int n = 4; n <= 7; ++n)
                search.line(n, "");
        }
        if (!search.runLevel(level, levels, lines, breaks, [](const SlipResult&) {})) return -1;
        if (level + 1 >= levels) break;
        if (range.step > kTolLoop) {
            const double best = std::fabs(results.minima[static_cast<std::size_t>(level)].rr);
            range.amin = best - range.step;
            range.amax = best + range.step;
            range.step /= 10.0;
        }
    }
    return 0;
}

int searchLinesBySegments(const SlopeModel& model, const LineSection& section,
                          const LineSearchOptions& options, CalculationResults& results,
                          CalculationObserver* observer, MessageList& messages)
{
    const LineSlipSettings& s = model.lineSlip;
    const Point2 p1{s.startX[0], s.startY[0]}, p2{s.startX[1], s.startY[1]};
    const Point2 p3{s.startX[2], s.startY[2]}, p4{s.startX[3], s.startY[3]};
    const double ps = s.angle.min, pe = s.angle.max;
    const SliceBreaks breaks = section.breaks({p1.x, p3.x});

    const double nsReal = std::floor(std::hypot(p2.x - p1.x, p2.y - p1.y) / ps) + 1;
    const double neReal = std::floor(std::hypot(p4.x - p3.x, p4.y - p3.y) / pe) + 1;
    // The run's guards refuse these; a direct caller gets no search rather than UB.
    if (!(ps > 0 && pe > 0 && nsReal <= kMaxLinesPerLevel && neReal <= kMaxLinesPerLevel)) return 0;
    int ns = static_cast<int>(nsReal);
    int ne = static_cast<int>(neReal);
    Point2 ps1 = p1, pe1 = p3;
    Point2 ds{(p2.x - p1.x) / ns, (p2.y - p1.y) / ns};
    Point2 de{(p4.x - p3.x) / ne, (p4.y - p3.y) / ne};
    const double sxlo = std::min(p1.x, p2.x), sxhi = std::max(p1.x, p2.x);
    const double exlo = std::min(p3.x, p4.x), exhi = std::max(p3.x, p4.x);

    LineSearch search(model, section, options, results, observer, messages,
                      formatSegmentLineRecord);
    Point2 bestS, bestE;
    search.onStoredLines = [&](const SlipResult& r, const GridMinimum& m) {
        search.line(4, cformat("すべり線=(%7.3f,%7.3f)-(%7.3f,%7.3f) F=%5.3f        \n", r.cx, r.cy,
                               r.dx, r.dy, r.f));
        search.line(5, cformat("最小安全率　Ｆｍｉｎ=%8.3f        ", m.f));
        search.line(6, cformat("　　　　　　　Ｘ，Ｙ=%8.3f,%8.3f        ", bestS.x, bestS.y));
        search.line(7, cformat("　　　　　　　Ｘ，Ｙ=%8.3f,%8.3f        ", bestE.x, bestE.y));
    };
    const int levels = levelCount(model);
    for (int level = 0; level < levels; ++level) {
        // A finer level around a minimum that does not exist would examine an arbitrary
        // neighbourhood: it is skipped.
        if (level > 0 && results.tables[static_cast<std::size_t>(level - 1)].empty()) break;
        std::vector<StraightLine> lines;
        for (int i = 0; i <= ns; ++i) {
            const Point2 sp{ps1.x + i * ds.x, ps1.y + i * ds.y};
            if (!(sxlo <= sp.x && sp.x <= sxhi)) continue;
            for (int j = 0; j <= ne; ++j) {
                const Point2 ep{pe1.x + j * de.x, pe1.y + j * de.y};
                if (!(exlo <= ep.x && ep.x <= exhi)) continue;
                lines.push_back(lineBetween(sp, ep));
            }
        }
        const Point2 ps2{ps1.x + ns * ds.x, ps1.y + ns * ds.y};
        const Point2 pe2{pe1.x + ne * de.x, pe1.y + ne * de.y};
        search.line(1, cformat("計算次数=%2d    最大次数=%2d   ", level + 1, levels));
        search.line(2,
                    cformat("開始位置 (%7.3f,%7.3f)-(%7.3f,%7.3f)   ", ps1.x, ps1.y, ps2.x, ps2.y));
        search.line(3,
                    cformat("終了位置 (%7.3f,%7.3f)-(%7.3f,%7.3f)   ", pe1.x, pe1.y, pe2.x, pe2.y));
        for (int n = 4; n <= 7; ++n)
            search.line(n, "");
        const auto keepBest = [&](const SlipResult& r) {
            bestS = {r.cx, r.cy};
            bestE = {r.dx, r.dy};
        };
        bestS = bestE = Point2{};
        if (!search.runLevel(level, levels, lines, breaks, keepBest)) return -1;
        if (level + 1 >= levels) break;
        ps1 = {bestS.x - ds.x, bestS.y - ds.y};
        pe1 = {bestE.x - de.x, bestE.y - de.y};
        ds = {ds.x / 10, ds.y / 10};
        de = {de.x / 10, de.y / 10};
        ns = ne = 20;
    }
    return 0;
}

std::optional<Message> checkLineSettings(const SlopeModel& model, double maxLines)
{
    const LineSlipSettings& s = model.lineSlip;
    auto error = [](const char* text) { return Message{text, "error"}; };
    if (model.conditions.method == kMethodLineByAngle) {
        const Range3& a = s.angle;
        // Written so that NaN fails every comparison and is refused.
        if (!(finite(a.min) && finite(a.max) && a.max >= a.min))
            return error("すべり角度　αmax/αmin　の値が不正です。");
        if (!(finite(a.step) && a.step >= kTolLoop))
            return error("すべり角度　Δα　の値が不正です。");
        if (!(finite(s.startX[0]) && finite(s.startY[0])))
            return error("すべり開始点　X/Y　の値が不正です。");
        if (!finite(s.forceX)) return error("水平外力の作用位置　Ｘ　の値が不正です。");
        const double angles = (std::ceil(a.max / a.step) - std::floor(a.min / a.step)) + 2.0;
        if (!(angles <= maxLines))
            return Message{cformat("すべり角度の数が多すぎます（約 %.3g 本、上限 %.0f 本）。"
                                   "角度範囲またはピッチを見直してください。",
                                   angles, maxLines),
                           "error"};
        return std::nullopt;
    }
    for (int i = 0; i < 2; ++i)
        if (!(finite(s.startX[static_cast<std::size_t>(i)]) &&
              finite(s.startY[static_cast<std::size_t>(i)])))
            return error("開始点位置　X/Y　の値が不正です。");
    for (int i = 2; i < 4; ++i)
        if (!(finite(s.startX[static_cast<std::size_t>(i)]) &&
              finite(s.startY[static_cast<std::size_t>(i)])))
            return error("終了点位置　X/Y　の値が不正です。");
    if (!(finite(s.angle.min) && s.angle.min > 0.0)) return error("開始点ピッチ　の値が不正です。");
    if (!(finite(s.angle.max) && s.angle.max > 0.0)) return error("終了点ピッチ　の値が不正です。");
    if (!finite(s.forceX)) return error("水平外力の作用位置　Ｘ　の値が不正です。");
    const double starts =
        std::floor(std::hypot(s.startX[1] - s.startX[0], s.startY[1] - s.startY[0]) / s.angle.min) +
        2.0;
    const double ends =
        std::floor(std::hypot(s.startX[3] - s.startX[2], s.startY[3] - s.startY[2]) / s.angle.max) +
        2.0;
    if (!(starts * ends <= maxLines) || !(starts <= 1e9) || !(ends <= 1e9))
        return Message{cformat("すべり線の数が多すぎます（約 %.3g 本、上限 %.0f 本）。"
                               "開始点ピッチと終了点ピッチを見直してください。",
                               starts * ends, maxLines),
                       "error"};
    return std::nullopt;
}

CalcOutcome runStraightSlip(const SlopeModel& model, CalculationResults& results,
                            const CalcOptions& options, CalculationObserver* observer)
{
    CalcOutcome outcome;
    results.clear();
    results.validFlag = kResultsNone;

    const int method = model.conditions.method;
    if (method != kMethodLineByAngle && method != kMethodLineBySegments) {
        outcome.status = -1;
        outcome.messages.push_back({"cm.kt != 3,5", "break"});
        return outcome;
    }
    const double maxLines = std::min(kMaxLinesPerLevel, options.maxCirclesPerGrid);
    if (auto refused = checkLineSettings(model, maxLines)) {
        outcome.status = -1;
        outcome.messages.push_back(*refused);
        return outcome;
    }

    const auto polygons = std::make_unique<PolygonTable>(buildPolygonTable(model));
    const auto section = std::make_unique<LineSection>(model, *polygons);
    appendOutsideBlockWarnings(model, *polygons, outcome.messages);
    LineSearchOptions searchOptions;
    searchOptions.workDir = options.workDir;
    searchOptions.threads = options.threads;
    if (method == kMethodLineByAngle)
        searchLinesByAngle(model, *section, searchOptions, results, observer, outcome.messages);
    else
        searchLinesBySegments(model, *section, searchOptions, results, observer, outcome.messages);

    // A start point and an angle are no circle: no sheet pile moment acts on a line.
    CalcOptions conclude = options;
    conclude.sheetPileMoment = [](const SlopeModel&, double, double, double) { return 0.0; };
    concludeRun(model, results, conclude, outcome);
    return outcome;
}

} // namespace keltora
