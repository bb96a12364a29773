// The slip circle search: grid walk, radius ranges, the mass store, extension and
// refinement, the dump files; centres evaluated in parallel, stored in serial order.
#include "analysis/circle_search.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>

#include "analysis/dump_file.h"
#include "analysis/ordered_runner.h"
#include "geometry/primitives.h"
#include "model/c_format.h"

namespace keltora {
namespace {

// Masses whose ends were never moved have no slice.
constexpr double kNoSliceRight = -999999.0;
constexpr double kNoSliceLeft = 999999.0;

double distance(double ax, double ay, double bx, double by)
{
    return std::sqrt((ax - bx) * (ax - bx) + (ay - by) * (ay - by));
}

// Distance from (cx, cy) to segment AB: to the foot of the perpendicular when it falls on
// the segment, else to the nearer end point.
double segmentDistance(Point2 a, Point2 b, double cx, double cy)
{
    const double l2 = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
    if (l2 >= kTolDegenerate) {
        const double t = ((b.x - a.x) * (cx - a.x) + (b.y - a.y) * (cy - a.y)) / l2;
        if (t >= 0.0 && t <= 1.0)
            return distance(a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), cx, cy);
    }
    return std::min(distance(a.x, a.y, cx, cy), distance(b.x, b.y, cx, cy));
}

// Distance from the centre to an arc-limit line: a line from a point to itself is a
// horizontal limit line at that point's elevation.
bool limitLineDistance(const SlopeModel& model, const TerrainLine& line, double cx, double cy,
                       double& d)
{
    const std::optional<Point2> a = terrainPoint(model, line.startPoint);
    if (!a) return false;
    if (line.startPoint == line.endPoint) {
        d = std::fabs(a->y - cy);
        return true;
    }
    const std::optional<Point2> b = terrainPoint(model, line.endPoint);
    if (!b) return false;
    d = segmentDistance(*a, *b, cx, cy);
    return true;
}

double alignmentUnit(double dr)
{
    if (dr + kTolBreakpoint > 1000.0) return 1000.0;
    if (dr + kTolBreakpoint > 100.0) return 100.0;
    if (dr + kTolBreakpoint > 10.0) return 10.0;
    if (dr + kTolBreakpoint > 1.0) return 1.0;
    if (std::fabs(dr - 0.5) < kTolBreakpoint) return 0.5;
    if (dr + kTolBreakpoint > 0.1) return 0.1;
    if (std::fabs(dr - 0.05) < kTolBreakpoint) return 0.05;
    return 0.01;
}

// Number of values of a grid axis (an upper bound; inf when hopeless).
double axisCount(double lo, double hi, double step)
{
    const double n = std::floor((hi + kTolLoop - lo) / step) + 1.0;
    if (std::isnan(n)) return std::numeric_limits<double>::infinity();
    return std::max(n, 0.0);
}

// What the evaluation of one centre hands to the store: the masses the store keeps, in
// walk order, and their dump lines.
struct CentreWork {
    std::vector<EvaluatedMass> kept;
    std::string dump;
    long long circles = 0;
    long long masses = 0;
};

struct GridLayout {
    std::vector<double> columns; // cx ascending
    std::vector<double> rows;    // cy descending
    long long centres() const
    {
        return static_cast<long long>(columns.size()) * static_cast<long long>(rows.size());
    }
};

class Search {
  public:
    Search(const SlopeModel& model, const CircleSearchSettings& settings,
           const CircleEvaluator& evaluator, const CircleSearchOptions& options,
           CalculationResults& results, CalculationObserver* observer, MessageList& messages)
        : model_(model), settings_(settings), evaluator_(evaluator), options_(options),
          results_(results), observer_(observer), messages_(messages)
    {
    }

    int run();

  private:
    enum class GridEnd { Done, Aborted };

    GridEnd computeGrid(int g, const SearchGrid& grid, int grids);
    void evaluateCentre(int g, double cx, double cy, const SliceBreaks& breaks, CentreWork& work,
                        std::vector<EvaluatedMass>& scratch) const;
    void storeCentre(int g, CentreWork& work, DumpFile& dump);
    bool abortAtCentre(const GridLayout& layout, long long i);
    void line(int n, const std::string& text)
    {
        if (observer_) observer_->setLine(n, text);
    }
    bool tooLarge(const SearchGrid& grid) const;
    std::filesystem::path workDir() const
    {
        return options_.workDir.empty() ? "." : options_.workDir;
    }
    // The dumps of an earlier calculation go before the first grid's dump is opened, so
    // that none of a grid that does not run this time remains.
    void removeOldDumpsOnce()
    {
        if (oldDumpsRemoved_) return;
        oldDumpsRemoved_ = true;
        removeOldDumps(workDir(), messages_);
    }

    const SlopeModel& model_;
    const CircleSearchSettings& settings_;
    const CircleEvaluator& evaluator_;
    const CircleSearchOptions& options_;
    CalculationResults& results_;
    CalculationObserver* observer_;
    MessageList& messages_;
    double circlesSoFar_ = 0.0;
    WorkerPool* workers_ = nullptr; // run's helper threads
    bool oldDumpsRemoved_ = false;
};

bool Search::tooLarge(const SearchGrid& grid) const
{
    const double n = estimateCircles(grid, settings_.radius);
    return !(n <= options_.maxCirclesPerGrid) ||
           !(circlesSoFar_ + n <= options_.maxCirclesPerSearch);
}

int Search::run()
{
    // The helper threads of every grid, lent for the whole search.
    LentWorkers workers(workerThreads(options_.threads) - 1);
    workers_ = &workers.pool();
    results_.clear();

    const int grids = std::clamp(static_cast<int>(settings_.finestGrid), 1, kMaxGrids);
    const bool extend = settings_.firstGridExtension == 1;
    SearchGrid grid = initialGrid(settings_);

    int g = 0;
    while (g < grids) {
        const auto gi = static_cast<std::size_t>(g);
        if (tooLarge(grid)) {
            removeOldDumpsOnce();
            messages_.push_back(
                {cformat("第%d次格子の円弧の数が多すぎるため、探索をここで打ち切りました。", g + 1),
                 "メッセージ"});
            break;
        }
        circlesSoFar_ += estimateCircles(grid, settings_.radius);
        if (computeGrid(g, grid, grids) == GridEnd::Aborted) return -1;
        results_.gridCompleted[gi] = true;

        const GridMinimum& m = results_.minima[gi];
        SearchGrid next = grid;
        bool extended = false;
        if (extend) {
            if (grid.dx - kTolBreakpoint < grid.xmax - grid.xmin) {
                if (std::fabs(m.cx - grid.xmin) < kTolBreakpoint) {
                    next.xmin -= grid.dx;
                    extended = true;
                }
                if (std::fabs(m.cx - grid.xmax) < kTolBreakpoint) {
                    next.xmax += grid.dx;
                    extended = true;
                }
            }
            if (grid.dy - kTolBreakpoint < grid.ymax - grid.ymin) {
                if (std::fabs(m.cy - grid.ymin) < kTolBreakpoint) {
                    next.ymin -= grid.dy;
                    extended = true;
                }
                if (std::fabs(m.cy - grid.ymax) < kTolBreakpoint) {
                    next.ymax += grid.dy;
                    extended = true;
                }
            }
        }
        if (extended) {
            if (!tooLarge(next)) {
                grid = next;
                continue;
            }
            messages_.push_back(
                {cformat("第%d次格子の拡張を打ち切りました（円弧の数が多すぎます）。最小安全率は"
                         "格子の境界にあります。",
                         g + 1),
                 "メッセージ"});
        }
        if (g + 1 >= grids) break;
        if (grid.dx > kTolLoop) {
            grid.xmin = m.cx - grid.dx;
            grid.xmax = m.cx + grid.dx;
            grid.dx /= 2.0;
        }
        if (grid.dy > kTolLoop) {
            grid.ymin = m.cy - grid.dy;
            grid.ymax = m.cy + grid.dy;
            grid.dy /= 2.0;
        }
        ++g;
    }

    for (int k = 0; k < kMaxGrids; ++k) {
        const std::size_t n = results_.tables[static_cast<std::size_t>(k)].size();
        if (n > kGridTableCapacity)
            messages_.push_back(
                {cformat("第%d次格子の計算結果は %zu 件あり、結果一覧の上限 %zu 件を超えています。"
                         "結果はすべて保持されていますが、一覧表と帳票には先頭の %zu 件だけが表示"
                         "されます。",
                         k + 1, n, kGridTableCapacity, kGridTableCapacity),
                 "メッセージ"});
    }
    return 0;
}

Search::GridEnd Search::computeGrid(int g, const SearchGrid& grid, int grids)
{
    const auto gi = static_cast<std::size_t>(g);
    results_.minima[gi] = GridMinimum{};
    results_.tables[gi].clear();
    // Room for about one mass per circle, up to what the result table shows, so that the
    // store does not keep moving a growing table.
    results_.tables[gi].reserve(static_cast<std::size_t>(
        std::min(estimateCircles(grid, settings_.radius), double(kGridTableCapacity))));
    results_.grids[gi] = grid;
    results_.gridCompleted[gi] = false;
    results_.gridsRun = std::max(results_.gridsRun, g + 1);

    line(1, cformat("計算次数=%2d    最大次数=%2d   ", g + 1, grids));
    line(2, cformat("円形中心　X =%8.3f ～%8.3f (step%8.3f )   ", grid.xmin, grid.xmax, grid.dx));
    line(3, cformat("　　　　　Y =%8.3f ～%8.3f (step%8.3f )   ", grid.ymin, grid.ymax, grid.dy));
    for (int n = 4; n <= 7; ++n)
        line(n, "");

    // The size was checked before, so these limits are only a second line of defence.
    const auto limit = static_cast<std::size_t>(options_.maxCirclesPerGrid);
    bool tooMany = false;
    GridLayout layout;
    layout.columns = gridValues(grid.xmin, grid.xmax, grid.dx, false, limit, &tooMany);
    layout.rows = gridValues(grid.ymin, grid.ymax, grid.dy, true, limit, &tooMany);
    if (tooMany) layout = {};
    if (observer_) observer_->gridStarted(g, grids, layout.centres());

    std::vector<SliceBreaks> breaks;
    breaks.reserve(layout.columns.size());
    if (!layout.rows.empty())
        for (double cx : layout.columns)
            breaks.push_back(evaluator_.buildSliceBreaks(cx));

    // Centres in parallel, stored in the order of the serial walk (cx ascending, cy
    // descending).
    const long long n = layout.centres();
    const auto rows = static_cast<long long>(layout.rows.size());
    auto eval = [&](long long i, CentreWork& work, std::vector<EvaluatedMass>& scratch) {
        const auto col = static_cast<std::size_t>(i / rows);
        evaluateCentre(g, layout.columns[col], layout.rows[static_cast<std::size_t>(i % rows)],
                       breaks[col], work, scratch);
    };
    // The files are dealt with while the helpers start on the centres.
    std::optional<DumpFile> dump;
    auto openDump = [&] {
        removeOldDumpsOnce();
        dump.emplace(workDir(), g, messages_);
    };
    auto store = [&](long long i, CentreWork& work) {
        storeCentre(g, work, *dump);
        if (observer_) observer_->centreDone(i + 1, n);
    };
    auto abort = [&](long long i) { return abortAtCentre(layout, i); };
    const bool done = runInOrder<CentreWork, std::vector<EvaluatedMass>>(n, *workers_, eval, store,
                                                                         abort, openDump);
    if (dump) dump->close();
    return done ? GridEnd::Done : GridEnd::Aborted;
}

bool Search::abortAtCentre(const GridLayout& layout, long long i)
{
    if (observer_ && observer_->abortRequested()) {
        results_.validFlag = kResultsAborted;
        return true;
    }
    if (options_.showCentreLine) {
        const auto rows = static_cast<long long>(layout.rows.size());
        line(4, cformat("すべり円  (X,Y)=%7.3f,%7.3f",
                        layout.columns[static_cast<std::size_t>(i / rows)],
                        layout.rows[static_cast<std::size_t>(i % rows)]));
    }
    return false;
}

void Search::evaluateCentre(int g, double cx, double cy, const SliceBreaks& breaks,
                            CentreWork& work, std::vector<EvaluatedMass>& scratch) const
{
    const RadiusRange range = radiusRange(model_, settings_.radius, cx, cy);
    const std::vector<double> radii =
        alignedRadii(range, static_cast<std::size_t>(options_.maxCirclesPerGrid));
    const double maxF = model_.conditions.maxSafetyFactor;
    // Room for one stored mass per circle, so that the store does not grow piecemeal.
    work.kept.reserve(radii.size());
    work.dump.reserve(radii.size() * 432);
    scratch.clear();
    evaluator_.evaluateRadii(g, cx, cy, radii, breaks, scratch);
    work.masses += static_cast<long long>(scratch.size());
    for (const EvaluatedMass& m : scratch) {
        if (!massIsKept(m.record, maxF)) continue;
        work.kept.push_back(m);
        if (!options_.appendRecord || !options_.appendRecord(work.dump, m.record))
            appendCrLf(work.dump, options_.formatRecord(m.record));
    }
    work.circles += static_cast<long long>(radii.size());
}

void Search::storeCentre(int g, CentreWork& work, DumpFile& dump)
{
    const auto gi = static_cast<std::size_t>(g);
    std::vector<SlipResult>& table = results_.tables[gi];
    GridMinimum& minimum = results_.minima[gi];
    results_.circlesEvaluated += work.circles;
    results_.massesEvaluated += work.masses;
    if (work.kept.empty()) return;
    results_.validFlag = kResultsValid;
    for (const EvaluatedMass& m : work.kept) {
        table.push_back(m.record);
        updateMinimum(minimum, m);
    }
    dump.write(work.dump);
    const SlipResult& last = work.kept.back().record;
    line(4, cformat("すべり円  (X,Y)=%7.3f,%7.3f R=%7.3f F=%5.3f        ", last.cx, last.cy,
                    last.rr, last.f));
    line(5, cformat("最小安全率　Ｆｍｉｎ=%8.3f        ", minimum.f));
    line(6, cformat("　　　　　　　Ｘ，Ｙ=%8.3f,%8.3f        ", minimum.cx, minimum.cy));
    line(7, cformat("　　　　　　　　　Ｒ=%8.3f        ", minimum.rr));
}

} // namespace

bool appendMassRecord(std::string& out, const SlipResult& r, bool withMry)
{
    // Written into a local buffer and appended at once: labels of about 200 characters
    // and 20 values of at most kFixed3Chars each.
    char record[768];
    char* p = record;
    bool ok = true;
    auto field = [&](std::string_view label, double v, int width) {
        std::memcpy(p, label.data(), label.size());
        p += label.size();
        const int n = writeFixed3(p, v, width);
        if (n < 0)
            ok = false;
        else
            p += n;
    };
    field("cx,cy=", r.cx, 7);
    field(",", r.cy, 7);
    field(" rr=", r.rr, 7);
    field(" sx,sy=", r.sx, 7);
    field(",", r.sy, 7);
    field(" ex,ey=", r.ex, 7);
    field(",", r.ey, 7);
    field("\r\n                             csx,csy=", r.csx, 7);
    field(",", r.csy, 7);
    field(" cex,cey=", r.cex, 7);
    field(",", r.cey, 7);
    field("\r\n      mrf=", r.mrf, 10);
    field(" mrc=", r.mrc, 10);
    if (withMry) {
        field(" mry=", r.mry, 10);
        field(" mr=", r.mr, 10);
    } else {
        field("                mr=", r.mr, 10); // the mry column left blank
    }
    field(" \r\n      mdw=", r.mdw, 10);
    field(" mdh=", r.mdh, 10);
    field(" mdk=", r.mdk, 10);
    field(" md=", r.md, 10);
    field(" f=", r.f, 5);
    if (!ok) return false;
    *p++ = '\r';
    *p++ = '\n';
    out.append(record, static_cast<std::size_t>(p - record));
    return true;
}

bool appendDumpRecord(std::string& out, const SlipResult& r)
{
    return appendMassRecord(out, r, true);
}

RadiusRange radiusRange(const SlopeModel& model, const Range3& radius, double cx, double cy)
{
    RadiusRange out{radius.min, radius.max, radius.step};
    const int lines = std::clamp(static_cast<int>(model.lineCount), 0, kMaxLines);

    double r = radius.max;
    bool anySmallLine = false;
    for (int i = 0; i < lines; ++i) {
        const TerrainLine& line = model.lines[static_cast<std::size_t>(i)];
        double d = 0.0;
        if (line.kind != kArcLimitLineSmall || !limitLineDistance(model, line, cx, cy, d)) continue;
        anySmallLine = true;
        r = std::min(r, d);
    }
    r = anySmallLine ? std::max(r, radius.min) : radius.min;
    for (int i = 0; i < lines; ++i) {
        const TerrainLine& line = model.lines[static_cast<std::size_t>(i)];
        if (line.kind != kArcLimitPointSmall) continue;
        const std::optional<Point2> p = terrainPoint(model, line.startPoint);
        if (!p) continue;
        r = std::max(r, distance(p->x, p->y, cx, cy));
    }
    out.rmin = r;

    double r2 = radius.max;
    bool anyLarge = false;
    for (int i = 0; i < lines; ++i) {
        const TerrainLine& line = model.lines[static_cast<std::size_t>(i)];
        double d = 0.0;
        if (line.kind == kArcLimitLineLarge) {
            if (!limitLineDistance(model, line, cx, cy, d)) continue;
        } else if (line.kind == kArcLimitPointLarge) {
            const std::optional<Point2> p = terrainPoint(model, line.startPoint);
            if (!p) continue;
            d = distance(p->x, p->y, cx, cy);
        } else {
            continue;
        }
        anyLarge = true;
        r2 = std::min(r2, d);
    }
    if (anyLarge) out.rmax = std::min(r2, radius.max);
    return out;
}

std::vector<double> alignedRadii(const RadiusRange& range, std::size_t limit, bool* tooMany)
{
    std::vector<double> out;
    if (range.rmin > range.rmax + kTolBreakpoint) return out;
    const double u = alignmentUnit(range.dr);
    double start = range.rmin, end = range.rmin;
    if (range.rmax - range.rmin >= kTolBreakpoint) {
        start = std::floor(range.rmin / u) * u;
        end = std::ceil(range.rmax / u) * u;
    }
    const double estimate = (end + kTolBreakpoint - start) / range.dr + 1.0;
    if (!(estimate <= static_cast<double>(limit)) && !(end + kTolBreakpoint <= start)) {
        if (tooMany) *tooMany = true;
        return out;
    }
    for (double r = start; r < end + kTolBreakpoint; r += range.dr) {
        double v = r;
        if (v < range.rmin) v = range.rmin;
        if (v > range.rmax) v = range.rmax;
        out.push_back(v);
        if (out.size() > limit || r + range.dr == r) {
            if (tooMany) *tooMany = true;
            out.clear();
            return out;
        }
    }
    return out;
}

std::vector<double> gridValues(double from, double to, double step, bool descending,
                               std::size_t limit, bool* tooMany)
{
    std::vector<double> out;
    if (!(axisCount(from, to, step) <= static_cast<double>(limit))) {
        if (tooMany) *tooMany = true;
        return out;
    }
    auto fail = [&] {
        if (tooMany) *tooMany = true;
        out.clear();
        return out;
    };
    if (descending) {
        for (double v = to; v > from - kTolLoop; v -= step) {
            out.push_back(v);
            if (out.size() > limit || v - step == v) return fail();
        }
    } else {
        for (double v = from; v < to + kTolLoop; v += step) {
            out.push_back(v);
            if (out.size() > limit || v + step == v) return fail();
        }
    }
    return out;
}

double estimateCircles(const SearchGrid& grid, const Range3& radius)
{
    const double cols = axisCount(grid.xmin, grid.xmax, grid.dx);
    const double rows = axisCount(grid.ymin, grid.ymax, grid.dy);
    double radii = 1.0;
    if (radius.max >= radius.min) {
        const double u = alignmentUnit(radius.step);
        radii = (radius.max - radius.min + 2.0 * u) / radius.step + 2.0;
    }
    if (std::isnan(radii)) radii = std::numeric_limits<double>::infinity();
    if (cols == 0.0 || rows == 0.0) return 0.0;
    return cols * rows * radii;
}

SearchGrid initialGrid(const CircleSearchSettings& s)
{
    SearchGrid g;
    g.xmin = s.centreX.min + kTolCoincident;
    g.xmax = s.centreX.max + kTolCoincident;
    g.dx = s.centreX.step;
    g.ymin = s.centreY.min + kTolCoincident;
    g.ymax = s.centreY.max + kTolCoincident;
    g.dy = s.centreY.step;
    return g;
}

bool massIsKept(const SlipResult& r, double maxSafetyFactor)
{
    if (!(r.f <= maxSafetyFactor)) return false;
    if (r.sx < kNoSliceRight || r.ex > kNoSliceLeft) return false;
    return true;
}

bool updateMinimum(GridMinimum& minimum, const EvaluatedMass& mass)
{
    if (!(mass.record.f < minimum.f)) return false;
    minimum.f = mass.record.f;
    minimum.cx = mass.record.cx;
    minimum.cy = mass.record.cy;
    minimum.rr = mass.record.rr;
    minimum.directionSign = mass.directionSign;
    return true;
}

int runCircleSearch(const SlopeModel& model, const CircleSearchSettings& settings,
                    const CircleEvaluator& evaluator, const CircleSearchOptions& options,
                    CalculationResults& results, CalculationObserver* observer,
                    MessageList& messages)
{
    Search search(model, settings, evaluator, options, results, observer, messages);
    return search.run();
}

} // namespace keltora
