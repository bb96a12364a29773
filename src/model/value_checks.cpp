// Checks of the section's values against what soil and geometry allow.
#include "model/value_checks.h"

#include <algorithm>
#include <cmath>

#include "model/c_format.h"

namespace keltora {

namespace {

bool pointExists(const SlopeModel& m, int n)
{
    return n >= 0 && n < m.pointCount && n < kMaxPoints &&
           m.points[static_cast<size_t>(n)].number >= 0;
}

const char* kMethodNames[] = {"修正フェレニウス法",       "チェボタリオフ法",
                              "簡易ビショップ法",         "直線すべり(始点とすべり角)",
                              "簡易ビショップ法(修正式)", "直線すべり(始点と終点)"};

} // namespace

std::vector<ValueFinding> checkPhysicalValues(const SlopeModel& m)
{
    std::vector<ValueFinding> out;
    auto block = [&out](int k, std::string text) {
        out.push_back({ValueFinding::Kind::Block, k, std::move(text)});
    };
    for (int k = 0; k < std::min(m.blockCount, kMaxBlocks); ++k) {
        const SoilBlock& b = m.blocks[static_cast<size_t>(k)];
        if (b.number < 0) continue;
        const std::string name = cformat("ブロック%d", k);
        auto negative = [&](double v, const char* what, const char* unit) {
            if (v < 0.0)
                block(k, cformat("%sの%sが負の値 %s %sです。", name.c_str(), what,
                                 cformat("%.3f", v).c_str(), unit));
        };
        negative(b.unitWeight, "湿潤単位体積重量γt", "kN/m3");
        negative(b.effectiveUnitWeight, "水中単位体積重量γ'", "kN/m3");
        negative(b.baseCohesion, "粘着力C0", "kN/m2");
        auto angle = [&](double v, const char* what) {
            if (v < 0.0 || v >= 90.0)
                block(k, cformat("%sの%sが %s 度です。0度以上90度未満でなければなりません。",
                                 name.c_str(), what, cformat("%.3f", v).c_str()));
        };
        angle(b.frictionAngle, "内部摩擦角φ");
        if (b.hasSandPiles != 0) {
            angle(b.pileFrictionAngle, "砂杭の内部摩擦角");
            negative(b.pileUnitWeight, "砂杭の単位体積重量", "kN/m3");
            if (b.pileReplacementRatio < 0.0 || b.pileReplacementRatio > 1.0)
                block(k, cformat("%sの砂杭の置換率が %s です。0から1の間でなければなりません。",
                                 name.c_str(), cformat("%.3f", b.pileReplacementRatio).c_str()));
        }
    }
    for (int k = 0; k < std::min(m.lineCount, kMaxLines); ++k) {
        const TerrainLine& l = m.lines[static_cast<size_t>(k)];
        if (l.kind < 0) continue;
        for (int p : {l.startPoint, l.endPoint})
            if (!pointExists(m, p))
                out.push_back(
                    {ValueFinding::Kind::Line, k,
                     cformat("線分%d(種類%d)が存在しない点%dを指しています。", k, l.kind, p)});
    }
    const int method = m.conditions.method;
    if (method < kMethodFellenius || method > kMethodLineBySegments)
        out.push_back({ValueFinding::Kind::Method, -1,
                       cformat("検討方法のコード %d は使えません。使えるのは %s です。", method,
                               methodCodesText().c_str())});
    return out;
}

std::string methodCodesText()
{
    std::string s;
    for (int k = 0; k < 6; ++k) {
        if (k > 0) s += ", ";
        s += cformat("%d %s", k, kMethodNames[k]);
    }
    return s;
}

std::string explainMethodGuard(const std::string& text, int method)
{
    if (text.rfind("cm.kt != ", 0) != 0) return text;
    const std::string codes = text.substr(9);
    const char* name =
        method >= 0 && method < 6 ? kMethodNames[method] : "(どの検討方法にも当たりません)";
    return cformat(
        "検討方法のコード %d (%s) はこの計算で扱えません(%s)。この計算が扱うコードは %s、"
        "使えるコードは %s です。",
        method, name, text.c_str(), codes.c_str(), methodCodesText().c_str());
}

} // namespace keltora
