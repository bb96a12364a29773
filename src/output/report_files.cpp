// Result lists, factor-of-safety lists (with their generated forms) and minimum files of
// every method, written level by level into the start directory.
#include "output/report_files.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "model/c_format.h"

namespace keltora {
namespace {

constexpr double kSameCentre = 1e-7;      // centres closer than this are the same centre
constexpr double kTableEmpty = 99999.9;   // factor of safety of a cell never reached
constexpr double kTableFilled = 99999.0;  // cells below this hold a factor of safety
constexpr double kNoPrevious = 99999.999; // previous centre before the first row
constexpr double kSeismicThreshold = 0.0001;
constexpr int kYRowsWithoutPageBreak = 20;

enum class Family { Circle, Bishop, Line };

char familyLetter(Family f)
{
    switch (f) {
    case Family::Circle: return 'C';
    case Family::Bishop: return 'B';
    case Family::Line: return 'L';
    }
    return 'C';
}

std::string levelText(int k)
{
    return std::string(1, static_cast<char>('0' + k)) + "次";
}

// Line 1 of the files: kind 0 result list, 1 factor-of-safety list, 2 minimum.
std::string fileTitle(int method, int k, int kind)
{
    const std::string lv = "(" + levelText(k) + ")";
    switch (method) {
    case kMethodFellenius:
        return "修正フェレニウス" + lv +
               (kind == 0   ? " 計算結果一覧表"
                : kind == 1 ? " 安全率一覧表"
                            : " 最小安全率");
    case kMethodTschebotarioff:
        return "チェボタリオフ" + lv +
               (kind == 0   ? " 計算結果一覧表"
                : kind == 1 ? " 安全率一覧表"
                            : " 最小安全率");
    case kMethodBishop:
        if (kind == 2) return "簡易ﾋﾞｼｮｯﾌﾟ " + lv + " 最小安全率";
        return "簡易ビショップ" + lv + (kind == 0 ? " 計算結果一覧表" : " 安全率一覧表");
    case kMethodBishopModified:
        if (kind == 2) return "簡易ﾋﾞｼｮｯﾌﾟ-修正式 " + lv + " 最小安全率";
        return "簡易ビショップ-修正式 " + lv + (kind == 0 ? " 計算結果一覧表" : " 安全率一覧表");
    default:
        return kind == 0 ? "直線ｽﾍﾞﾘ" + lv + "計算結果一覧表" : "直線すべり" + lv + "最小安全率";
    }
}

// Line 1 of the generated forms: role 0 header, 1 data, 2 footer.
std::string formComment(int method, int role)
{
    static const char* const header[] = {"円形すべり(修正フェレニウス法)ヘッダーファイル",
                                         "円形すべり(チェボタリオフ法)  ヘッダーファイル",
                                         "円形すべり(ビショップ法)　　　ヘッダーファイル",
                                         "円形すべり(ビショップ法-修正式)ヘッダーファイル"};
    static const char* const data[] = {"円形すべり(修正フェレニウス法)データファイル",
                                       "円形すべり(チェボタリオフ法)  データファイル",
                                       "円形すべり(ビショップ法)　　　データファイル",
                                       "円形すべり(ビショップ法-修正式)データファイル"};
    static const char* const footer[] = {"円形すべり(修正フェレニウス法)フッターファイル",
                                         "円形すべり(チェボタリオフ法)  フッターファイル",
                                         "円形すべり(ビショップ法)　フッターファイル",
                                         "円形すべり(ビショップ法-修正式)フッターファイル"};
    const int i = method == kMethodFellenius        ? 0
                  : method == kMethodTschebotarioff ? 1
                  : method == kMethodBishop         ? 2
                                                    : 3;
    return role == 0 ? header[i] : role == 1 ? data[i] : footer[i];
}

std::string pdtName(int k, int kind)
{
    return cformat("SB_ANS%d%d.PDT", k, kind);
}

// The smallest factor of safety per centre of one level, and the level minimum.
struct FsTable {
    std::vector<double> xs, ys;
    // cell [x][y]
    std::vector<std::array<double, kFsTableCapacity>> f, radius;
    bool incomplete = false;

    FsTable() : f(kFsTableCapacity), radius(kFsTableCapacity)
    {
        for (auto& col : f)
            col.fill(kTableEmpty);
        for (auto& col : radius)
            col.fill(0.0);
    }

    static int indexOf(std::vector<double>& list, double v, bool& full)
    {
        for (std::size_t i = 0; i < list.size(); ++i)
            if (std::fabs(list[i] - v) < kSameCentre) return static_cast<int>(i);
        if (list.size() >= static_cast<std::size_t>(kFsTableCapacity)) {
            full = true;
            return -1;
        }
        list.push_back(v);
        return static_cast<int>(list.size()) - 1;
    }

    void enter(const SlipResult& r)
    {
        bool full = false;
        const int ix = indexOf(xs, r.cx, full);
        const int iy = ix < 0 ? -1 : indexOf(ys, r.cy, full);
        if (full || ix < 0 || iy < 0) {
            incomplete = true;
            return;
        }
        auto& cell = f[static_cast<std::size_t>(ix)][static_cast<std::size_t>(iy)];
        if (r.f < cell) {
            cell = r.f;
            radius[static_cast<std::size_t>(ix)][static_cast<std::size_t>(iy)] = r.rr;
        }
    }

    // X ascending, Y descending, by pairwise exchange, carrying the cells along.
    void sort()
    {
        const std::size_t nx = xs.size(), ny = ys.size();
        for (std::size_t i = 0; i < nx; ++i)
            for (std::size_t j = i + 1; j < nx; ++j)
                if (xs[j] < xs[i]) {
                    std::swap(xs[i], xs[j]);
                    std::swap(f[i], f[j]);
                    std::swap(radius[i], radius[j]);
                }
        for (std::size_t i = 0; i < ny; ++i)
            for (std::size_t j = i + 1; j < ny; ++j)
                if (ys[j] > ys[i]) {
                    std::swap(ys[i], ys[j]);
                    for (std::size_t x = 0; x < nx; ++x) {
                        std::swap(f[x][i], f[x][j]);
                        std::swap(radius[x][i], radius[x][j]);
                    }
                }
    }
};

struct LevelMinimum {
    double f = kTableEmpty;
    SlipResult r; // cx, cy, rr, mrf, mrc, mry, mr, md of the minimum

    void enter(const SlipResult& x)
    {
        if (x.f < f) {
            f = x.f;
            r = x;
        }
    }
};

class ReportWriter {
  public:
    ReportWriter(const ReportInput& in, const std::filesystem::path& dir, ReportFileLog& log)
        : in_(in), m_(*in.model), dir_(dir), log_(log), method_(m_.conditions.method),
          family_(method_ == kMethodBishop || method_ == kMethodBishopModified ? Family::Bishop
                  : method_ == kMethodLineByAngle || method_ == kMethodLineBySegments
                      ? Family::Line
                      : Family::Circle),
          fsDec_(m_.draw.decimals[kDecSafetyFactor]), momentDec_(m_.draw.decimals[kDecMoment]),
          stamp_(reportStampLine(m_, in.dataPathWithoutExtension))
    {
    }

    void run(int deepest)
    {
        for (int k = 1; k <= 4; ++k) {
            const auto& list = in_.levels[static_cast<std::size_t>(k - 1)];
            if (list.empty()) break;
            FsTable table;
            LevelMinimum minimum;
            writeResultList(k, list, table, minimum);
            table.sort();
            if (family_ != Family::Line) writeFsList(k, table);
            writeMinimum(k, deepest, minimum);
            if (table.incomplete && family_ != Family::Line)
                log_.messages.push_back(
                    {cformat("%d次格子の円弧中心が %d を超えたため、安全率一覧表は一部のみです。",
                             k, kFsTableCapacity),
                     "メッセージ"});
        }
    }

  private:
    std::string fmtMoment(double v, int width = 10) const
    {
        return cformat("%*.*f", width, momentDec_, v);
    }
    std::string fmtFs(double v) const { return cformat("%6.*f", fsDec_, v); }

    void start(ReportText& t, int k, int kind) const
    {
        t.line(fileTitle(method_, k, kind));
        t.line(stamp_);
    }

    void writeResultList(int k, const std::vector<SlipResult>& list, FsTable& table,
                         LevelMinimum& minimum)
    {
        const char L = familyLetter(family_);
        const std::string P = std::string("SB_") + L;
        ReportText t;
        start(t, k, 0);
        t.line("$H  " + P + "A01.PFM");
        t.field(0, m_.title);
        t.field(1, cformat("%3d", k));
        t.line("$F  " + P + "B01.PFM");
        double prevX = kNoPrevious, prevY = kNoPrevious;
        bool first = true;
        for (const SlipResult& r : list) {
            if (std::fabs(r.cx - prevX) > kSameCentre)
                t.line("$0  " + P + "D01.PFM");
            else if (std::fabs(r.cy - prevY) > kSameCentre)
                t.line("$0  " + P + "D02.PFM");
            else
                t.line("$0  " + P + "D03.PFM");
            t.field(1, cformat("%6.2f", r.cx));
            t.field(2, cformat("%6.2f", r.cy));
            t.field(3, cformat("%6.2f", r.rr));
            if (family_ == Family::Bishop) {
                t.field(4, fmtMoment(r.rr != 0.0 ? r.mr / r.rr : 0.0));
                t.field(5, fmtMoment(r.rr != 0.0 ? r.md / r.rr : 0.0));
                t.field(6, fmtFs(r.f));
            } else {
                t.field(4, fmtMoment(r.mrf));
                t.field(5, fmtMoment(r.mrc));
                t.field(6, fmtMoment(r.mr));
                t.field(7, fmtMoment(r.md, family_ == Family::Line ? 8 : 10));
                t.field(8, fmtFs(r.f));
            }
            prevX = r.cx;
            prevY = r.cy;
            if (first) t.line("$H  " + P + "A02.PFM     " + P + "A02.PZK");
            first = false;
            table.enter(r);
            minimum.enter(r);
        }
        t.line("$H");
        t.line("$F");
        t.line("$0  " + P + "B01.PFM");
        t.line("$L");
        writeReportFile(dir_, pdtName(k, 0), t.bytes(), log_);
    }

    void writeForm(const std::string& name, int role, const char* number,
                   const std::vector<std::string>& lines)
    {
        ReportText t;
        t.line(formComment(method_, role));
        t.line(number);
        for (const auto& l : lines)
            t.line(l);
        writeReportFile(dir_, name, t.bytes(), log_);
    }

    // One table line: first segment, second segment, (n - 1) times the inner segment, end.
    static std::string rule(const char* a, const char* b, const char* inner, const char* end, int n)
    {
        std::string s = std::string(a) + b;
        for (int c = 2; c <= n; ++c)
            s += inner;
        return s + end;
    }
    static std::string cells(const char* first, const char* firstCell, const char* innerCell,
                             int row, int n)
    {
        std::string s = std::string(first) + cformat("%s$%d%1d^^^", firstCell, row, 1);
        for (int c = 2; c <= n; ++c)
            s += cformat("%s$%d%1d^^^", innerCell, row, c);
        return s + "┃";
    }

    // The six forms of one level and column group; returns their names A..F.
    std::array<std::string, 6> writeGroupForms(int k, int p, int n)
    {
        const char L = familyLetter(family_);
        std::array<std::string, 6> names;
        for (int i = 0; i < 6; ++i)
            names[static_cast<std::size_t>(i)] =
                cformat("SB_%c%c%d%1d.PFM", L, static_cast<char>('A' + i), k, p);
        const std::vector<std::string> head = {
            rule("┏━━━", "┳━━━", "┯━━━", "┓", n),
            rule("┃　　Ｘ", "┃　　　", "│　　　", "┃", n),
            cells("┃Ｙ　　", "┃", "│", 0, n),
            rule("┣━━━", "╋━━━", "┿━━━", "┫", n),
        };
        std::vector<std::string> ca = {
            "", "", cformat("［ 円 形 す べ り 安 全 率 一 覧 表 ］ %d次格子", k)};
        ca.insert(ca.end(), head.begin(), head.end());
        std::vector<std::string> cb = {""};
        cb.insert(cb.end(), head.begin(), head.end());
        const bool withRadius = m_.conditions.fsTableWithRadius == 1;
        std::vector<std::string> cc = {rule("┠───", "╂───", "┼───", "┨", n),
                                       "┃$00^^^" + cells("", "┃", "│", 0, n)};
        if (withRadius) cc.push_back(cells("┃ ( R )", "┃", "│", 1, n));
        const std::vector<std::string> border = {rule("┗━━━", "┻━━━", "┷━━━", "┛", n), ""};
        writeForm(names[0], 0, "6", ca);
        writeForm(names[1], 0, "4", cb);
        writeForm(names[2], 1, withRadius ? "3" : "2", cc);
        writeForm(names[3], 2, "2", border);
        writeForm(names[4], 2, "4", border);
        writeForm(names[5], 2, "2", {"", ""});
        return names;
    }

    void writeFsList(int k, const FsTable& table)
    {
        const bool bishop = family_ == Family::Bishop;
        const int nx = static_cast<int>(table.xs.size());
        const int ny = static_cast<int>(table.ys.size());
        const bool withRadius = m_.conditions.fsTableWithRadius == 1;
        ReportText t;
        start(t, k, 1);
        std::string lastCf;
        for (int p = 0; 8 * p < nx; ++p) {
            const int s = 8 * p;
            const int e = std::min(8 * p + 8, nx) - 1;
            const int n = e - s + 1;
            const auto names = writeGroupForms(k, p, n);
            auto xLines = [&] {
                for (int c = 1; c <= n; ++c)
                    t.line(
                        cformat("0%1d  %6.2f", c, table.xs[static_cast<std::size_t>(s + c - 1)]));
            };
            t.line(
                cformat("$H  %-14s  %s", names[0].c_str(), bishop ? "SB_BA10.PZK" : "SB_CA10.PZK"));
            xLines();
            if (p > 0 && ny <= kYRowsWithoutPageBreak) {
                t.line(cformat("$0  %-14s  %s", names[1].c_str(),
                               bishop ? "SB_BB10.PZK" : "SB_CB10.PZK"));
                xLines();
            }
            for (int j = 0; j < ny; ++j) {
                if (ny > kYRowsWithoutPageBreak && p > 0 && j == 0) {
                    t.line("$F  " + names[5]);
                    t.line("$1  " + names[2]);
                } else {
                    t.line("$F  " + names[j == ny - 1 ? 5 : 4]);
                    t.line("$0  " + names[2]);
                }
                t.line(cformat("00  %6.2f", table.ys[static_cast<std::size_t>(j)]));
                for (int c = 1; c <= n; ++c) {
                    const auto x = static_cast<std::size_t>(s + c - 1);
                    const double f = table.f[x][static_cast<std::size_t>(j)];
                    if (f < kTableFilled) {
                        t.line(cformat("0%1d  %6.*f", c, fsDec_, f));
                        if (withRadius)
                            t.line(cformat("1%1d  %6.2f", c,
                                           table.radius[x][static_cast<std::size_t>(j)]));
                    } else {
                        t.line(cformat("0%1d   -----", c));
                    }
                }
                if (j == ny - 1) t.line("$0  " + names[3]);
            }
            lastCf = names[5];
        }
        t.line("$H");
        t.line("$F");
        t.line("$0  " + lastCf);
        if (table.incomplete) t.line("$0  SB_CN01.PFM");
        t.line("$L");
        writeReportFile(dir_, pdtName(k, 1), t.bytes(), log_);
    }

    void writeMinimum(int k, int deepest, const LevelMinimum& minimum)
    {
        const SlipResult& r = minimum.r;
        const double kh = m_.conditions.seismicCoefficient;
        const bool seismic = !(kh < kSeismicThreshold);
        ReportText t;
        start(t, k, 2);
        if (family_ == Family::Bishop) {
            t.line("$H  SB_BA51.PFM");
            t.field(0, m_.title);
            t.line("$F  SB_BB51.PFM");
            t.line("$0  SB_BC51.PFM");
            t.field(0, fmtFs(minimum.f));
            t.field(1, fmtMoment(r.rr != 0.0 ? r.mr / r.rr : 0.0));
            t.field(2, fmtMoment(r.rr != 0.0 ? r.md / r.rr : 0.0));
            t.field(3, cformat("%6.3f", r.cx));
            t.field(4, cformat("%6.3f", r.cy));
            t.field(5, cformat("%6.3f", r.rr));
            t.field(6, cformat("%3d", k));
            if (k == deepest) {
                const char* d = method_ == kMethodBishop ? "1" : "2";
                t.line(std::string("$0  SB_B") + (seismic ? "E5" : "D5") + d + ".PFM");
            }
        } else if (family_ == Family::Line) {
            t.line("$H  SB_LA51.PFM");
            t.field(0, m_.title);
            t.line("$F  SB_LB51.PFM");
            t.line("$0  SB_LC51.PFM");
            t.field(0, fmtFs(minimum.f));
            t.field(1, fmtMoment(r.mrf));
            t.field(2, fmtMoment(r.mrc));
            t.field(3, fmtMoment(r.mr));
            t.field(4, fmtMoment(r.md));
            t.field(5, cformat("%6.3f", r.cx));
            t.field(6, cformat("%6.3f", r.cy));
            t.field(7, cformat("%6.3f", r.rr));
            t.field(8, cformat("%3d", k));
            if (k == deepest) t.line(seismic ? "$0  SB_LE51.PFM" : "$0  SB_LD51.PFM");
        } else {
            const int pile = m_.sheetPile.method;
            const char* variant = pile == 2 ? "2" : pile == 3 ? "3" : "1";
            t.line("$H  SB_CA51.PFM");
            t.field(0, m_.title);
            t.line("$F  SB_CB51.PFM");
            t.line(std::string("$0  SB_CC5") + variant + ".PFM");
            double f = minimum.f, mr = r.mr;
            if (pile == 2 || pile == 3) {
                t.field(9, fmtMoment(r.mry));
                mr = r.mrf + r.mrc + r.mry;
                const double P = std::pow(10.0, fsDec_);
                f = std::fabs(r.md) > kTolCoincident ? std::floor(P * mr / r.md + 0.1 / P) / P
                                                     : kNoSafetyFactor;
            }
            t.field(0, fmtFs(f));
            t.field(1, fmtMoment(r.mrf));
            t.field(2, fmtMoment(r.mrc));
            t.field(3, fmtMoment(mr));
            t.field(4, fmtMoment(r.md));
            t.field(5, cformat("%6.3f", r.cx));
            t.field(6, cformat("%6.3f", r.cy));
            t.field(7, cformat("%6.3f", r.rr));
            t.field(8, cformat("%3d", k));
            if (k == deepest)
                t.line(std::string("$0  SB_C") + (seismic ? "E5" : "D5") + variant + ".PFM");
            if (pile == 2) writePassiveBlock(t, r);
            if (pile == 3) writeShearBlock(t, r);
        }
        writeReportFile(dir_, pdtName(k, 2), t.bytes(), log_);
    }

    // Where the circle meets the pile line. A circle that does not reach the line gives
    // reached = false (the blocks then print a zero resultant).
    struct PileCrossing {
        bool reached = false;
        double theta = 0.0; // radians
        double cosTheta = 1.0;
        double y0 = 0.0;
    };
    PileCrossing crossing(const SlipResult& r) const
    {
        PileCrossing c;
        const double d = std::fabs(m_.sheetPile.x - r.cx);
        if (!(r.rr > kTolDegenerate) || d > r.rr) {
            c.theta = std::numbers::pi / 2;
            c.cosTheta = 0.0;
            c.y0 = r.cy;
            return c;
        }
        c.reached = true;
        c.theta = std::fabs(std::asin(d / r.rr));
        c.cosTheta = std::cos(c.theta);
        c.y0 = r.cy - r.rr * c.cosTheta;
        return c;
    }

    void writePassiveBlock(ReportText& t, const SlipResult& r) const
    {
        const SheetPileSettings& sp = m_.sheetPile;
        const PileCrossing c = crossing(r);
        const double y0 = c.y0;
        const double yb = y0 - sp.lm1;
        std::vector<std::pair<double, double>> pts; // (pressure, height)
        const int N = std::clamp(sp.passiveCount, 0, kMaxPassiveRows);
        auto H = [&](int i) { return sp.passiveY[static_cast<std::size_t>(i)]; };
        auto Pi = [&](int i) { return sp.passiveIntensity[static_cast<std::size_t>(i)]; };
        for (int i = 0; c.reached && i < N && pts.size() < kMaxPassiveRows; ++i) {
            if (H(i) > y0 && i < N - 1 && H(i + 1) < y0)
                pts.emplace_back(Pi(i) + (Pi(i + 1) - Pi(i)) * (y0 - H(i)) / (H(i + 1) - H(i)), y0);
            if (pts.size() < kMaxPassiveRows && yb <= H(i) && H(i) <= y0)
                pts.emplace_back(Pi(i), H(i));
            if (pts.size() < kMaxPassiveRows && H(i) < yb && i > 0 && H(i - 1) > yb)
                pts.emplace_back(Pi(i) + (Pi(i - 1) - Pi(i)) * (yb - H(i)) / (H(i - 1) - H(i)), yb);
        }
        double pr = 0.0, s = 0.0;
        for (std::size_t q = 0; q + 1 < pts.size(); ++q) {
            const auto [p0, h0] = pts[q];
            const auto [p1, h1] = pts[q + 1];
            const double dh = h0 - h1;
            pr += 0.5 * dh * p0 + 0.5 * dh * p1;
            s += 0.5 * dh * p0 * (2 * h0 + h1) / 3 + 0.5 * dh * p1 * (2 * h1 + h0) / 3;
        }
        double a = 0.0, mp = 0.0;
        if (pts.size() >= 2 && std::fabs(pr) > kTolDegenerate) {
            a = r.cy - s / pr;
            mp = pr * a;
        } else {
            pr = 0.0;
        }
        t.line("$0  SB_CC62.PFM");
        t.field(0, cformat("%8.3f", c.theta * 180.0 / std::numbers::pi));
        t.field(1, cformat("%8.3f", sp.lm1));
        for (const auto& [p, h] : pts) {
            t.line("$0  SB_CC63.PFM");
            t.field(0, cformat("%8.3f", h));
            t.field(1, cformat("%8.3f", p));
        }
        t.line("$0  SB_CC64.PFM");
        t.field(0, cformat("%8.3f", pr));
        t.field(1, cformat("%8.3f", pts.size() >= 2 && pr != 0.0 ? a - r.rr * c.cosTheta : 0.0));
        t.field(2, cformat("%8.3f", r.rr));
        t.field(3, cformat("%8.5f", c.cosTheta));
        t.field(4, cformat("%8.3f", a));
        t.field(5, fmtMoment(mp));
    }

    void writeShearBlock(ReportText& t, const SlipResult& r) const
    {
        const SheetPileSettings& sp = m_.sheetPile;
        const PileCrossing c = crossing(r);
        const double S = sp.allowableShear * sp.sectionArea * 0.001;
        const double T = c.cosTheta > kTolDegenerate ? S / c.cosTheta : 0.0;
        const double mt = T * r.rr;
        t.line("$0  SB_CC61.PFM");
        t.field(0, cformat("%8.3f", c.theta * 180.0 / std::numbers::pi));
        t.field(1, cformat("%8.1f", sp.allowableShear));
        t.field(2, cformat("%8.3f", sp.sectionArea));
        t.field(3, cformat("%8.3f", S));
        t.field(4, cformat("%8.5f", c.cosTheta));
        t.field(5, cformat("%8.3f", T));
        t.field(6, cformat("%8.3f", r.rr));
        t.field(7, fmtMoment(mt));
    }

    const ReportInput& in_;
    const SlopeModel& m_;
    std::filesystem::path dir_;
    ReportFileLog& log_;
    int method_;
    Family family_;
    int fsDec_, momentDec_;
    std::string stamp_;
};

} // namespace

ReportInput reportInputFrom(const SlopeModel& model, const CalculationResults& results,
                            std::string dataPathWithoutExtension)
{
    ReportInput in;
    in.model = &model;
    in.resultsValid = results.validFlag == kResultsValid;
    for (std::size_t g = 0; g < in.levels.size(); ++g) {
        const auto& table = results.tables[g];
        const std::size_t n = std::min(table.size(), kGridTableCapacity);
        in.levels[g].assign(table.begin(), table.begin() + static_cast<std::ptrdiff_t>(n));
    }
    in.dataPathWithoutExtension = std::move(dataPathWithoutExtension);
    in.results = &results;
    return in;
}

std::vector<std::string> staleReportFileNames()
{
    std::vector<std::string> names;
    for (int kind = 0; kind < 3; ++kind)
        for (int k = 1; k <= 4; ++k)
            names.push_back(pdtName(k, kind));
    for (char m : {'C', 'B', 'L'})
        for (char form = 'A'; form <= 'F'; ++form)
            for (int p = 0; p < 4; ++p)
                names.push_back(cformat("SB_%c%c1%d.PFM", m, form, p));
    return names;
}

ReportOutcome writeReportData(const ReportInput& input, const std::filesystem::path& dir)
{
    ReportOutcome out;
    for (const auto& name : staleReportFileNames()) {
        std::error_code ec;
        std::filesystem::remove(dir / name, ec);
    }
    if (!input.resultsValid || input.model == nullptr) {
        out.status = 1;
        return out;
    }
    int deepest = 0;
    for (int k = 4; k >= 1; --k)
        if (!input.levels[static_cast<std::size_t>(k - 1)].empty()) {
            deepest = k;
            break;
        }
    if (deepest < 1) {
        out.status = -1;
        out.log.messages.push_back({"maxdims < 1", "error"});
        return out;
    }
    const int method = input.model->conditions.method;
    if (method < kMethodFellenius || method > kMethodLineBySegments) {
        out.status = -1;
        return out;
    }
    ReportWriter(input, dir, out.log).run(deepest);
    out.status = 0;
    return out;
}

} // namespace keltora
