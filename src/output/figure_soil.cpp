// The soil conditions of the calculation figure: block numbers in table mode, and the
// vertical and horizontal label layouts with their raised unit digits.
#include <algorithm>
#include <cmath>

#include "model/c_format.h"
#include "model/text_encoding.h"
#include "output/figure_builder.h"

namespace keltora::figure_detail {
namespace {

// One item of a soil label: its text and the raised unit digit after it (or none).
struct SoilItem {
    std::string text;
    const char* unit = nullptr;
};

struct SoilLines {
    std::vector<SoilItem> main;  // unit weights, cohesion, friction angle
    std::vector<SoilItem> piles; // sand pile items
};

// The screen writes units inline ("kN/m3") instead of the raised digits.
void inlineUnits(SoilLines& lines)
{
    for (auto* v : {&lines.main, &lines.piles})
        for (SoilItem& it : *v)
            if (it.unit) {
                it.text += std::string(it.unit) == "３" ? "3" : "2";
                it.unit = nullptr;
            }
}

SoilLines soilLines(const SlopeModel& m, const SoilBlock& blk, bool compact, bool screen)
{
    const int dW = std::clamp(m.draw.decimals[kDecUnitWeight], 0, 15);
    const int dC = std::clamp(m.draw.decimals[kDecCohesion], 0, 15);
    const int dPhi = std::clamp(m.draw.decimals[kDecFriction], 0, 15);
    const bool drawZero = m.draw.drawZeroStrength == 1;
    const double gt = blk.unitWeight, gte = blk.effectiveUnitWeight;
    const double K = blk.cohesionGradient, C0 = blk.baseCohesion;
    SoilLines out;

    const bool sameWeights = std::fabs(gt - gte) < kTolCoincident;
    if (sameWeights || std::fabs(m.conditions.seismicCoefficient) > kTolBreakpoint)
        out.main.push_back({cformat(compact ? "γt=%4.*fkN/m" : "γt =%6.*f kN/m", dW, gt), "３"});
    if (!sameWeights)
        out.main.push_back({cformat(compact ? "γt'=%4.*fkN/m" : "γt'=%6.*f kN/m", dW, gte), "３"});

    if (!(std::fabs(K) < kTolCoincident && std::fabs(C0) < kTolCoincident && !drawZero)) {
        std::string c;
        if (std::fabs(K) > kTolBreakpoint && C0 > kTolBreakpoint)
            c = cformat(compact ? "ｃ=%4.*f･z+%4.*fkN/m" : "ｃ  =%6.*f･z+%4.*f kN/m", dC, K, dC,
                        C0);
        else if (std::fabs(K) > kTolBreakpoint && C0 < -kTolBreakpoint)
            c = cformat(compact ? "ｃ=%4.*f･z-%4.*fkN/m" : "ｃ  =%6.*f･z-%4.*f kN/m", dC, K, dC,
                        -C0);
        else if (std::fabs(K) > kTolBreakpoint)
            c = cformat(compact ? "ｃ=%4.*f･zkN/m" : "ｃ  =%6.*f･z kN/m", dC, K);
        else
            c = cformat(compact ? "ｃ=%4.*fkN/m" : "ｃ  =%6.*f kN/m", dC, C0);
        out.main.push_back({c, "２"});
    }
    if (!(std::fabs(blk.frictionAngle) < kTolCoincident && !drawZero))
        out.main.push_back(
            {cformat(compact ? "φ=%1.*fﾟ" : "φ  =%3.*f ﾟ", dPhi, blk.frictionAngle), nullptr});

    const int method = m.conditions.method;
    const bool bishop = method == kMethodBishop || method == kMethodBishopModified;
    if (!bishop && !(std::fabs(blk.pileReplacementRatio) < kTolBreakpoint)) {
        out.piles.push_back({"（砂杭）", nullptr});
        out.piles.push_back(
            {cformat(compact ? "Ａs=%4.3f" : "Ａs =%6.3f", blk.pileReplacementRatio), nullptr});
        out.piles.push_back(
            {cformat(compact ? "ｎ=%4.3f" : "ｎ  =%6.3f", blk.stressShareRatio), nullptr});
        out.piles.push_back(
            {cformat(compact ? (screen ? "Ｗs=%4.*fkN/m" : "Ｗs=%4.*f kN/m") : "Ｗs =%6.*f kN/m",
                     dW, blk.pileUnitWeight),
             "３"});
        const bool phiM = m.conditions.sandPileFormula == 2;
        const char* fmt = compact ? (screen ? (phiM ? "φm=%1.*f ﾟ" : "φs=%1.*f ﾟ")
                                            : (phiM ? "φm=%1.*fﾟ" : "φs=%1.*fﾟ"))
                                  : (phiM ? "φm =%3.*f ﾟ" : "φs =%3.*f ﾟ");
        out.piles.push_back({cformat(fmt, dPhi, blk.pileFrictionAngle), nullptr});
    }
    if (screen) inlineUnits(out);
    return out;
}

} // namespace

void composeSoilLabels(FigureBuilder& b)
{
    const SlopeModel& m = b.model();
    const double t = m.draw.sizes[kSizeSoil];
    if (!(t >= kTolSize) || (b.screen() && m.display.showSoilInfo == 0)) return;
    const bool tableMode = m.draw.sizes[kSizeSoilLayout] < 0.0;
    for (int i = 0; i < std::min(m.blockCount, kMaxBlocks); ++i) {
        const SoilBlock& blk = m.blocks[static_cast<size_t>(i)];
        if (blk.number < 0 || blk.labelMode < 0) continue;
        const Point2 p = b.toPaper(blk.labelPos);
        if (tableMode) {
            const std::string s = cformat("(%d)", blk.number);
            b.text({p.x - static_cast<double>(cp932Length(s)) * t / 4.0, p.y - t}, t, s,
                   kLayerSoil);
            continue;
        }
        SoilLines lines = soilLines(m, blk, blk.labelMode == 2, b.screen());
        if (blk.labelMode == 3 || blk.kind == kWaterPressureBlock ||
            blk.kind == kWaterWeightBlock) {
            // A water block shows only its unit weight.
            const int dW = std::clamp(m.draw.decimals[kDecUnitWeight], 0, 15);
            lines.main = {{cformat(blk.labelMode == 2 ? "γt=%4.*fkN/m" : "γt =%6.*f kN/m", dW,
                                   blk.unitWeight),
                           "３"}};
            lines.piles.clear();
            if (b.screen()) inlineUnits(lines);
        }
        if (blk.labelMode == 2) {
            double x = p.x;
            for (const SoilItem& it : lines.main) {
                x += b.text({x, p.y - t}, t, it.text, kLayerSoil);
                if (it.unit) {
                    b.raisedUnit(x, p.y - t, t, it.unit, kLayerSoil);
                    x += t / 2.0;
                }
            }
            x = p.x;
            for (const SoilItem& it : lines.piles) {
                const double width = b.text({x, p.y - 2.2 * t}, t, it.text, kLayerSoil);
                if (it.unit) b.raisedUnit(x + width, p.y - 2.2 * t, t, it.unit, kLayerSoil);
                x += static_cast<double>(cp932Length(it.text) + 1) * t / 2.0;
            }
            continue;
        }
        // Vertical layout (1) and the water block label (3).
        std::vector<SoilItem> all = lines.main;
        all.insert(all.end(), lines.piles.begin(), lines.piles.end());
        double y = p.y - t;
        for (const SoilItem& it : all) {
            const double width = b.text({p.x, y}, t, it.text, kLayerSoil);
            if (it.unit) b.raisedUnit(p.x + width, y, t, it.unit, kLayerSoil);
            y -= 1.2 * t;
        }
    }
}

} // namespace keltora::figure_detail
