// Tests of the figure composition: window, graduations, result block, soil labels,
// surcharge profile and clipping, on a hand-made section with hand-made results.
#include <gtest/gtest.h>

#include <cmath>

#include "output/figure.h"
#include "output/figure_builder.h"
#include "output/figure_results.h"
#include "output/test_figure_section.h"

namespace keltora {
namespace {

using test::countItems;
using test::FigureSection;
using test::hasText;

std::vector<std::string> textsOnLayer(const Figure& f, int layer)
{
    std::vector<std::string> out;
    for (const FigureItem& i : f.items)
        if (i.layer == layer && i.kind == FigureItemKind::Text) out.push_back(i.text);
    return out;
}

TEST(Figure, FrameTitleAndWindow)
{
    FigureSection s;
    Figure f = composeFigure(s.model, s.results, &s.polygons);
    EXPECT_DOUBLE_EQ(f.halfWidth, 130.0);
    EXPECT_DOUBLE_EQ(f.halfHeight, 90.0);
    // The frame comes first: rectangle, title band, the two axes.
    ASSERT_GE(f.items.size(), 8u);
    EXPECT_EQ(f.items[5].kind, FigureItemKind::Line);
    EXPECT_DOUBLE_EQ(f.items[5].p1.x, 10.0);
    EXPECT_DOUBLE_EQ(f.items[5].p2.x, 260.0);
    // Title centred: 42 CP932 bytes at 8 mm -> x = 130 - 2 * 42.
    const FigureItem& title = f.items[7];
    EXPECT_EQ(title.text, "円形すべり（修正フェレニウス法）計算対照図");
    EXPECT_DOUBLE_EQ(title.p1.x, 130.0 - 84.0);
    EXPECT_DOUBLE_EQ(title.p1.y, 180.0 - 9.0);
    EXPECT_EQ(title.layer, kLayerFrame);
    // Scale text right-aligned: 14 bytes + 2 at 3 mm -> 260 - 24.
    ASSERT_TRUE(hasText(f, "Scale 1:200  "));

    // Other papers: B4 and A3 (codes 0 and 3 alike).
    s.model.draw.paper = 2;
    EXPECT_DOUBLE_EQ(composeFigure(s.model, s.results, &s.polygons).halfWidth, 160.0);
    s.model.draw.paper = 0;
    EXPECT_DOUBLE_EQ(composeFigure(s.model, s.results, &s.polygons).halfHeight, 130.0);
}

// Tick and label positions along the bottom axis for a scale and a frame centre.
void graduations(double scale, Point2 centre, std::vector<double>& ticks,
                 std::vector<std::string>& labels)
{
    FigureSection s;
    s.model.draw.scaleDenominator = scale;
    s.model.draw.frameCentre = centre;
    Figure f = composeFigure(s.model, s.results, &s.polygons);
    ticks.clear();
    labels.clear();
    for (const FigureItem& i : f.items) {
        if (i.layer != kLayerResults) continue;
        if (i.kind == FigureItemKind::Line && i.p1.y == 10.0 && i.p2.y == 9.0)
            ticks.push_back(i.p1.x);
        if (i.kind == FigureItemKind::Text && i.p1.y == 5.0) labels.push_back(i.text);
    }
}

TEST(Figure, GraduationSpacingByScale)
{
    // The spacing table by the scale denominator S: the first column whose bound S lies
    // below. The window on A4 (260 mm wide) runs from the centre - 130 mm * s; the ticks
    // cover the inner limits from 10 mm to 260 mm.
    std::vector<double> ticks;
    std::vector<std::string> labels;
    // 1:100 (below 100.1) at x = 0: s = 0.1 m/mm, limits -12 .. 13 m; 1 m ticks (10 mm),
    // 26 of them, and labels every 5 m.
    graduations(100.0, {0, 0}, ticks, labels);
    ASSERT_EQ(ticks.size(), 26u);
    EXPECT_NEAR(ticks[1] - ticks[0], 10.0, 1e-9);
    EXPECT_NEAR(ticks[0], (-12.0 + 13.0) / 0.1, 1e-9);
    EXPECT_EQ(labels, (std::vector<std::string>{"-10", "-5", "0", "5", "10"}));
    // 1:200 (below 300.1) at x = 20: s = 0.2, limits -4 .. 46 m; 2 m ticks (10 mm) and
    // labels every 10 m.
    graduations(200.0, {20, 5}, ticks, labels);
    ASSERT_EQ(ticks.size(), 26u);
    EXPECT_NEAR(ticks[1] - ticks[0], 10.0, 1e-9);
    EXPECT_EQ(labels, (std::vector<std::string>{"0", "10", "20", "30", "40"}));
    // 1:500 (below 500.1) at x = 0: s = 0.5, limits -60 .. 65 m; 5 m ticks, 25 m labels.
    graduations(500.0, {0, 0}, ticks, labels);
    ASSERT_EQ(ticks.size(), 26u);
    EXPECT_NEAR(ticks[1] - ticks[0], 10.0, 1e-9);
    EXPECT_EQ(labels, (std::vector<std::string>{"-50", "-25", "0", "25", "50"}));
    // 1:10 (below 10.1, "%3.1f"): s = 0.01, limits -1.2 .. 1.3 m; 0.1 m ticks, 0.5 m labels.
    graduations(10.0, {0, 0}, ticks, labels);
    ASSERT_EQ(ticks.size(), 26u);
    EXPECT_NEAR(ticks[1] - ticks[0], 10.0, 1e-9);
    EXPECT_EQ(labels, (std::vector<std::string>{"-1.0", "-0.5", "0.0", "0.5", "1.0"}));
    // 1:5 at x = 0.5: s = 0.005, limits -0.1 .. 1.15 m; 0.1 m ticks (20 mm).
    graduations(5.0, {0.5, 0}, ticks, labels);
    EXPECT_NEAR(ticks[1] - ticks[0], 20.0, 1e-9);
    EXPECT_EQ(labels, (std::vector<std::string>{"0.0", "0.5", "1.0"}));
    // Label positions: "20" (2 bytes) at 1:200, x = 20 m with the window from -6 m:
    // xp = 130 mm, the text at xp - 0.75 * 2 below the axis.
    FigureSection s;
    Figure f = composeFigure(s.model, s.results, &s.polygons);
    bool found = false;
    for (const FigureItem& i : f.items)
        if (i.kind == FigureItemKind::Text && i.text == "20" && i.p1.y == 5.0) {
            EXPECT_NEAR(i.p1.x, 130.0 - 1.5, 1e-9);
            EXPECT_DOUBLE_EQ(i.size, 3.0);
            found = true;
        }
    EXPECT_TRUE(found);
}

TEST(Figure, ResultBlockRowsByMethod)
{
    FigureSection circle;
    auto rows =
        textsOnLayer(composeFigure(circle.model, circle.results, &circle.polygons), kLayerResults);
    EXPECT_TRUE(hasText(composeFigure(circle.model, circle.results, &circle.polygons),
                        "最小安全率 Fmin       1.363"));
    auto f = composeFigure(circle.model, circle.results, &circle.polygons);
    EXPECT_TRUE(hasText(f, "円形中心     X       20.000"));
    EXPECT_TRUE(hasText(f, "半    径     R       16.500"));
    EXPECT_TRUE(hasText(f, "起動モーメント     2600.000"));
    EXPECT_TRUE(hasText(f, "抵抗モーメント     3545.678"));
    EXPECT_FALSE(hasText(f, "起  動  力         2600.000"));
    // Sheet pile with passive pressure adds its moment row for Fellenius only.
    circle.model.sheetPile.method = 2;
    circle.results.critical.mry = 12.5;
    EXPECT_TRUE(hasText(composeFigure(circle.model, circle.results, &circle.polygons),
                        "矢板受動土圧M        12.500"));

    // Bishop: the forces are the moments over the radius (2600 / 16.5 = 157.576).
    FigureSection bishop(kMethodBishop);
    bishop.model.sheetPile.method = 2;
    f = composeFigure(bishop.model, bishop.results, &bishop.polygons);
    EXPECT_TRUE(hasText(f, "起  動  力          157.576"));
    EXPECT_FALSE(hasText(f, "矢板受動土圧M         0.000"));
    EXPECT_EQ(f.items[7].text, "円形すべり（ビショップ法）計算対照図");

    // Straight slips: method 3 has the angle row, method 5 the two end point rows.
    FigureSection line3(kMethodLineByAngle);
    f = composeFigure(line3.model, line3.results, &line3.polygons);
    EXPECT_TRUE(hasText(f, "すべり開始点 X       27.000"));
    EXPECT_TRUE(hasText(f, "すべり角度   α     165.256"));
    EXPECT_TRUE(hasText(f, "起  動  力          120.500"));
    EXPECT_FALSE(hasText(f, "すべり終了点 X        8.000"));
    FigureSection line5(kMethodLineBySegments);
    f = composeFigure(line5.model, line5.results, &line5.polygons);
    EXPECT_TRUE(hasText(f, "すべり終了点 X        8.000"));
    EXPECT_TRUE(hasText(f, "             Y       10.000"));
    EXPECT_FALSE(hasText(f, "すべり角度   α     165.256"));
    EXPECT_EQ(f.items[7].text, "直  線  す  べ  り  計  算  対  照  図");
    // Row k of 7 sits 1.2 k t below the band: the last (resistance) row at 170 - 8.4 t + 0.1 t.
    for (const FigureItem& i : f.items)
        if (i.kind == FigureItemKind::Text && i.text.rfind("抵  抗  力", 0) == 0) {
            EXPECT_NEAR(i.p1.y, 170.0 - 8.4 * 3.0 + 0.3, 1e-9);
        }
    // The slip line from the start point to the end point; no labels, no circles.
    EXPECT_EQ(countItems(f, kLayerCritical, FigureItemKind::Line), 1);
    EXPECT_EQ(countItems(f, kLayerSafetyLabels, FigureItemKind::PointMark), 0);
}

TEST(Figure, TextSizeZeroRemovesItsElement)
{
    FigureSection s;
    s.model.draw.sizes[kSizeMinFs] = 0.0;
    s.model.draw.sizes[kSizePointNumber] = 0.0;
    s.model.draw.sizes[kSizeScale] = 0.0;
    s.model.draw.sizes[kSizeTitle] = 0.0;
    s.model.draw.sizes[kSizeFsList] = 0.0;
    Figure f = composeFigure(s.model, s.results, &s.polygons);
    EXPECT_FALSE(hasText(f, "最小安全率 Fmin       1.363"));
    EXPECT_FALSE(hasText(f, "Scale 1:200  "));
    EXPECT_EQ(countItems(f, kLayerPointNumbers, FigureItemKind::Text), 0);
    EXPECT_EQ(countItems(f, kLayerTitle, FigureItemKind::Text), 0);
    EXPECT_EQ(countItems(f, kLayerSafetyLabels, FigureItemKind::PointMark), 0);
    // With the sizes set, all of them are there (8 points, 3 labels).
    FigureSection t;
    f = composeFigure(t.model, t.results, &t.polygons);
    EXPECT_EQ(countItems(f, kLayerPointNumbers, FigureItemKind::Text), 8);
    EXPECT_EQ(countItems(f, kLayerTitle, FigureItemKind::Text), 1);
    EXPECT_EQ(countItems(f, kLayerSafetyLabels, FigureItemKind::PointMark), 3);
    // An arrow length of 0 removes the surcharge diagram and the force arrow.
    t.model.draw.sizes[kSizeSurchargeArrow] = 0.0;
    t.model.draw.sizes[kSizeForceArrow] = 0.0;
    f = composeFigure(t.model, t.results, &t.polygons);
    EXPECT_EQ(countItems(f, kLayerSurcharge, FigureItemKind::Arrow), 0);
    EXPECT_EQ(countItems(f, kLayerSurcharge, FigureItemKind::Text), 0);
    EXPECT_EQ(countItems(f, kLayerForces, FigureItemKind::Line), 0);
}

TEST(Figure, SoilLineRules)
{
    FigureSection s;
    SoilBlock& clay = s.model.blocks[0];
    auto soil = [&] {
        return textsOnLayer(composeFigure(s.model, s.results, &s.polygons), kLayerSoil);
    };
    auto has = [](const std::vector<std::string>& v, const std::string& t) {
        return std::find(v.begin(), v.end(), t) != v.end();
    };
    // γt != γt', kh = 0: only the γt' line; c = 1.5 z + 10.
    auto v = soil();
    EXPECT_FALSE(has(v, "γt =16.000 kN/m"));
    EXPECT_TRUE(has(v, "γt'= 6.000 kN/m"));
    EXPECT_TRUE(has(v, "ｃ  = 1.500･z+10.000 kN/m"));
    EXPECT_TRUE(has(v, "φ  =  0 ﾟ")); // the C, φ switch is on
    // kh != 0: both unit weight lines.
    s.model.conditions.seismicCoefficient = 0.1;
    v = soil();
    EXPECT_TRUE(has(v, "γt =16.000 kN/m"));
    EXPECT_TRUE(has(v, "γt'= 6.000 kN/m"));
    // c = 0.5 z - 2.0: the "z-" form with |C0|.
    clay.cohesionGradient = 0.5;
    clay.baseCohesion = -2.0;
    EXPECT_TRUE(has(soil(), "ｃ  = 0.500･z-2.000 kN/m"));
    // Switch off: no φ line for φ = 0, no c line for K = C0 = 0.
    s.model.draw.drawZeroStrength = 0;
    clay.cohesionGradient = 0.0;
    clay.baseCohesion = 0.0;
    v = soil();
    for (const auto& t : v)
        EXPECT_EQ(t.find("ｃ  ="), std::string::npos) << t;
    EXPECT_FALSE(has(v, "φ  =  0 ﾟ"));
    // The sand (horizontal layout): γt = γt', kh = 0 -> only γt, compact forms side by side.
    s.model.conditions.seismicCoefficient = 0.0;
    s.model.draw.drawZeroStrength = 1;
    Figure f = composeFigure(s.model, s.results, &s.polygons);
    const FigureItem* gamma = nullptr;
    const FigureItem* phi = nullptr;
    for (const FigureItem& i : f.items) {
        if (i.text == "γt=18.000kN/m") gamma = &i;
        if (i.text == "φ=30ﾟ") phi = &i;
    }
    ASSERT_TRUE(gamma && phi);
    // "γt=18.000kN/m" is 14 bytes -> 7 t, plus the raised "３" (t/2); then "ｃ=0.000kN/m"
    // (12 bytes, 6 t) and its "２" (t/2): φ starts at x + 14 t.
    EXPECT_NEAR(phi->p1.x - gamma->p1.x, 14.0 * 2.5, 1e-9);
    EXPECT_FALSE(hasText(f, "γt'=18.000kN/m"));
    // Raised unit digits at half size, t/2 above the row.
    bool raised = false;
    for (const FigureItem& i : f.items)
        if (i.text == "３" && std::fabs(i.p1.x - (gamma->p1.x + 7.0 * 2.5)) < 1e-9) {
            EXPECT_DOUBLE_EQ(i.size, 1.25);
            EXPECT_DOUBLE_EQ(i.p1.y, gamma->p1.y + 1.25);
            raised = true;
        }
    EXPECT_TRUE(raised);

    // Table mode: "(n)" at the label positions and the soil table under the result block.
    s.model.draw.sizes[kSizeSoilLayout] = -1.0;
    f = composeFigure(s.model, s.results, &s.polygons);
    v = textsOnLayer(f, kLayerSoil);
    EXPECT_EQ(v, (std::vector<std::string>{"(0)", "(1)"}));
    EXPECT_TRUE(hasText(f, "  No     W1      W2      C0      K       φ"));
    EXPECT_TRUE(hasText(f, "    1  18.000  18.000      ----    ----      30 "));
    // Sand piles: starred row and the footnote.
    s.model.blocks[1].hasSandPiles = 1;
    f = composeFigure(s.model, s.results, &s.polygons);
    EXPECT_TRUE(hasText(f, " *  1  18.000  18.000      ----    ----      30 "));
    EXPECT_TRUE(hasText(f, " * : 砂杭を含む土層"));
}

TEST(Figure, SandPileLinesAndVerticalLayout)
{
    FigureSection s;
    SoilBlock& clay = s.model.blocks[0];
    clay.hasSandPiles = 1;
    clay.pileReplacementRatio = 0.3;
    clay.stressShareRatio = 3.0;
    clay.pileUnitWeight = 19.0;
    clay.pileFrictionAngle = 35.0;
    s.model.conditions.sandPileFormula = 2;
    Figure f = composeFigure(s.model, s.results, &s.polygons);
    std::vector<const FigureItem*> lines;
    for (const FigureItem& i : f.items)
        if (i.layer == kLayerSoil && i.kind == FigureItemKind::Text && i.size == 2.5 &&
            std::fabs(i.p1.x - 45.0) < 1e-9)
            lines.push_back(&i);
    // Label at (3, 9) m -> (45, 110) mm; lines from y - t down by 1.2 t.
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0]->text, "γt'= 6.000 kN/m");
    EXPECT_NEAR(lines[0]->p1.y, 110.0 - 2.5, 1e-9);
    EXPECT_NEAR(lines[1]->p1.y, 110.0 - 2.5 - 3.0, 1e-9);
    EXPECT_EQ(lines[3]->text, "（砂杭）");
    EXPECT_EQ(lines[4]->text, "Ａs = 0.300");
    EXPECT_EQ(lines[6]->text, "Ｗs =19.000 kN/m");
    EXPECT_EQ(lines[7]->text, "φm = 35 ﾟ");
    // Bishop methods leave the sand pile lines out.
    s.model.conditions.method = kMethodBishop;
    EXPECT_FALSE(hasText(composeFigure(s.model, s.results, &s.polygons), "（砂杭）"));
}

TEST(Figure, SurchargeProfileFollowsTheGround)
{
    FigureSection s;
    // Under 10 .. 20 m the ground runs (10,10) -> (15,10) -> (25,5): at 20 it is 7.5.
    auto p = surchargeProfile(s.model, s.polygons, 10.0, 20.0);
    ASSERT_EQ(p.size(), 3u);
    EXPECT_DOUBLE_EQ(p[0].x, 10.0);
    EXPECT_DOUBLE_EQ(p[0].y, 10.0);
    EXPECT_DOUBLE_EQ(p[1].x, 15.0);
    EXPECT_DOUBLE_EQ(p[2].x, 20.0);
    EXPECT_DOUBLE_EQ(p[2].y, 7.5);
    // Reversed strip ends walk the other way.
    p = surchargeProfile(s.model, s.polygons, 30.0, 10.0);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_DOUBLE_EQ(p[1].x, 25.0);
    EXPECT_DOUBLE_EQ(p[2].x, 15.0);
    // The inner edge shared by the two blocks cancels out; beyond the section: no profile.
    EXPECT_TRUE(surchargeProfile(s.model, s.polygons, 10.0, 45.0).empty());
    // A water block is not ground.
    s.model.blocks[0].kind = kWaterWeightBlock;
    p = surchargeProfile(s.model, s.polygons, 10.0, 20.0);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_DOUBLE_EQ(p[0].y, 3.0);

    // The diagram: load line 10 kN/m2 * 0.5 mm = 5 mm over the ground, arrows every
    // 50 mm / ceil(50 / 1.25) = 1.25 mm, label "  10.000 kN/m" with its raised "２".
    FigureSection t;
    Figure f = composeFigure(t.model, t.results, &t.polygons);
    EXPECT_EQ(countItems(f, kLayerSurcharge, FigureItemKind::Arrow), 41);
    EXPECT_TRUE(hasText(f, " 10.000 kN/m"));
    for (const FigureItem& i : f.items)
        if (i.kind == FigureItemKind::Arrow) {
            EXPECT_NEAR(i.p1.y - i.p2.y, 5.0, 1e-9);
            EXPECT_NEAR(i.p2.y, 115.0, 1e-9); // ground at 10 m: (10 + 13) / 0.2
        }
    // No polygons: no surcharge at all.
    f = composeFigure(t.model, t.results, nullptr);
    EXPECT_EQ(countItems(f, kLayerSurcharge, FigureItemKind::Line), 0);
}

TEST(Figure, CircleOutlineAndLabels)
{
    FigureSection s;
    Figure f = composeFigure(s.model, s.results, &s.polygons);
    // Critical: four lines and the arc, clockwise from the right end to the left end.
    EXPECT_EQ(countItems(f, kLayerCritical, FigureItemKind::Line), 4);
    ASSERT_EQ(countItems(f, kLayerCritical, FigureItemKind::Arc), 1);
    for (const FigureItem& i : f.items)
        if (i.kind == FigureItemKind::Arc && i.layer == kLayerCritical) {
            EXPECT_EQ(i.style, -1);
            EXPECT_NEAR(i.p1.x, (26.874 + 6.0) / 0.2, 1e-9);
            EXPECT_NEAR(i.centre.y, (20.0 + 13.0) / 0.2, 1e-9);
        }
    // One additional circle (label 0 has its circle shown, label 1 is the critical centre).
    EXPECT_EQ(countItems(f, kLayerExtraCircles, FigureItemKind::Arc), 1);
    s.results.labels[1].showCircle = 1;
    EXPECT_EQ(countItems(composeFigure(s.model, s.results, &s.polygons), kLayerExtraCircles,
                         FigureItemKind::Arc),
              1);
    // P2 is raised to the ground: the left end at 6 m on y = 10 stays, an end placed under
    // the ground is lifted to it.
    s.results.critical.cey = 4.0;
    f = composeFigure(s.model, s.results, &s.polygons);
    bool lifted = false;
    for (const FigureItem& i : f.items)
        if (i.layer == kLayerCritical && i.kind == FigureItemKind::Line &&
            std::fabs(i.p1.x - (6.875 + 6.0) / 0.2) < 1e-9 && std::fabs(i.p2.y - 115.0) < 1e-9)
            lifted = true;
    EXPECT_TRUE(lifted);
    // Labels "%6.*f" at (x - 1.5 t, y + 0.2 t); a negative draw flag keeps only the mark.
    EXPECT_TRUE(hasText(f, " 1.400"));
    s.results.labels[0].drawFlag = -1;
    f = composeFigure(s.model, s.results, &s.polygons);
    EXPECT_FALSE(hasText(f, " 1.400"));
    EXPECT_EQ(countItems(f, kLayerSafetyLabels, FigureItemKind::PointMark), 3);
    // No valid results: none of the result elements.
    s.results.valid = false;
    f = composeFigure(s.model, s.results, &s.polygons);
    EXPECT_EQ(countItems(f, kLayerCritical, FigureItemKind::Arc), 0);
    EXPECT_EQ(countItems(f, kLayerSafetyLabels, FigureItemKind::PointMark), 0);
    EXPECT_FALSE(hasText(f, "最小安全率 Fmin       1.363"));
}

TEST(Figure, ArcsAreClippedToTheSectionArea)
{
    using figure_detail::clipArc;
    using figure_detail::ClipRect;
    const ClipRect r{10, 10, 260, 170};
    // Wholly inside: centre (100, 150), radius 50, clockwise from (150, 150) through
    // (100, 100) to (50, 150): the arc as it was.
    auto pieces = clipArc({150, 150}, {50, 150}, {100, 150}, -1, r);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].first.x, 150.0);
    EXPECT_EQ(pieces[0].second.x, 50.0);
    // Through the bottom edge: centre (100, 40), radius 50, clockwise from (150, 40) down
    // to (100, -10) and up to (50, 40). The circle meets y = 10 at x = 100 +- sqrt(50^2 -
    // 30^2) = 100 +- 40: two pieces, (150, 40) -> (140, 10) and (60, 10) -> (50, 40).
    pieces = clipArc({150, 40}, {50, 40}, {100, 40}, -1, r);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].first.x, 150.0);
    EXPECT_NEAR(pieces[0].second.x, 140.0, 1e-9);
    EXPECT_NEAR(pieces[0].second.y, 10.0, 1e-9);
    EXPECT_NEAR(pieces[1].first.x, 60.0, 1e-9);
    EXPECT_NEAR(pieces[1].first.y, 10.0, 1e-9);
    EXPECT_EQ(pieces[1].second.x, 50.0);
    // The other way round (counter-clockwise over the top) the same ends give the whole
    // upper half, which lies inside.
    pieces = clipArc({150, 40}, {50, 40}, {100, 40}, 1, r);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].first.x, 150.0);
    // Across the right edge: centre (250, 40), radius 50, counter-clockwise from
    // (250, -10) to (250, 90). Only the part above the crossing with x = 260 at
    // y = 40 + sqrt(50^2 - 10^2) = 88.990 lies inside.
    pieces = clipArc({250, -10}, {250, 90}, {250, 40}, 1, r);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_NEAR(pieces[0].first.x, 260.0, 1e-9);
    EXPECT_NEAR(pieces[0].first.y, 40.0 + std::sqrt(2400.0), 1e-9);
    EXPECT_EQ(pieces[0].second.y, 90.0);
    // Wholly outside.
    EXPECT_TRUE(clipArc({150, -100}, {50, -100}, {100, -100}, -1, r).empty());

    // The critical circle of the section at 1:100 centred on (20, 5): the window starts at
    // (7, -4) m, so the centre (20, 20) lies at (130, 240) mm, above the section area, the
    // right end (26.874, 5) at (198.74, 90) and the left end (6.875, 10) at (-1.25, 140),
    // left of it. The arc radius is that of the right end, hypot(68.74, 150) = 165.0006 mm
    // (the end is given to 3 decimals); it leaves the area at x = 10 where
    // y = 240 - sqrt(r^2 - 120^2) = 126.752: one piece from the right end to there.
    FigureSection s;
    s.model.draw.scaleDenominator = 100.0;
    const Figure f = composeFigure(s.model, s.results, &s.polygons);
    std::vector<FigureItem> arcs;
    for (const FigureItem& i : f.items)
        if (i.kind == FigureItemKind::Arc && i.layer == kLayerCritical) arcs.push_back(i);
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_NEAR(arcs[0].p1.x, 198.74, 1e-9);
    EXPECT_NEAR(arcs[0].p1.y, 90.0, 1e-9);
    EXPECT_NEAR(arcs[0].p2.x, 10.0, 1e-9);
    const double radius = std::hypot(68.74, 150.0);
    EXPECT_NEAR(arcs[0].p2.y, 240.0 - std::sqrt(radius * radius - 120.0 * 120.0), 1e-9);
    EXPECT_NEAR(arcs[0].centre.y, 240.0, 1e-9);
    EXPECT_EQ(arcs[0].style, -1);
}

TEST(Figure, HorizontalForceArrowPointsTheWayTheMassSlips)
{
    // Force 1: H = 20 kN/m at y = 8 m, drawn at x = 30 m, 0.5 mm per kN/m, t = 2.5 mm. A4 at
    // 1:200 centred on (20, 5): the window starts at (-6, -13) m, so the tip lies at
    // ((30 + 6) / 0.2, (8 + 13) / 0.2) = (180, 105) mm and the shaft is 20 * 0.5 = 10 mm.
    // "20.0 kN/m" is 9 bytes: 9 * 2.5 / 2 = 11.25 mm wide.
    struct Case {
        int sign;       // slip direction sign of the critical result
        double tailX;   // the shaft runs from the tip against the slip
        double strokeX; // head strokes: t = 2.5 mm back along the shaft, 0.2 t across
        double beyondX; // label style 0: t beyond the tail, outwards
    };
    for (const Case& c : {Case{1, 190.0, 182.5, 192.5}, Case{-1, 170.0, 177.5, 156.25}}) {
        FigureSection s;
        s.model.draw.decimals[kDecForce] = 1;
        s.results.directionSign = c.sign;
        for (int style : {0, 1, 2}) {
            s.model.draw.forceLabelMode[0] = style;
            const Figure f = composeFigure(s.model, s.results, &s.polygons);
            std::vector<FigureItem> lines;
            const FigureItem* text = nullptr;
            for (const FigureItem& i : f.items) {
                if (i.layer != kLayerForces) continue;
                if (i.kind == FigureItemKind::Line) lines.push_back(i);
                if (i.kind == FigureItemKind::Text) text = &i;
            }
            ASSERT_EQ(lines.size(), 3u) << c.sign;
            EXPECT_NEAR(lines[0].p1.x, c.tailX, 1e-9) << c.sign; // the shaft, tail to tip
            EXPECT_NEAR(lines[0].p2.x, 180.0, 1e-9);
            EXPECT_NEAR(lines[0].p1.y, 105.0, 1e-9);
            for (int k : {1, 2}) {
                EXPECT_NEAR(lines[static_cast<size_t>(k)].p1.x, 180.0, 1e-9);
                EXPECT_NEAR(lines[static_cast<size_t>(k)].p2.x, c.strokeX, 1e-9) << c.sign;
            }
            EXPECT_NEAR(lines[1].p2.y, 105.5, 1e-9);
            EXPECT_NEAR(lines[2].p2.y, 104.5, 1e-9);
            ASSERT_NE(text, nullptr);
            EXPECT_EQ(text->text, "20.0 kN/m");
            const double mid = (c.tailX + 180.0) / 2.0;
            if (style == 1) { // centred above the shaft middle
                EXPECT_NEAR(text->p1.x, mid - 11.25 / 2.0, 1e-9);
                EXPECT_NEAR(text->p1.y, 105.0 + 2.5 / 4.0, 1e-9);
            } else if (style == 2) { // centred below it
                EXPECT_NEAR(text->p1.x, mid - 11.25 / 2.0, 1e-9);
                EXPECT_NEAR(text->p1.y, 105.0 - 2.5 / 4.0 - 2.5, 1e-9);
            } else { // beyond the tail, vertically centred
                EXPECT_NEAR(text->p1.x, c.beyondX, 1e-9) << c.sign;
                EXPECT_NEAR(text->p1.y, 105.0 - 1.25, 1e-9);
            }
        }
    }
}

TEST(Figure, ClippingAndBadReferences)
{
    using figure_detail::ClipRect;
    using figure_detail::clipSegment;
    const ClipRect r{10, 10, 260, 170};
    auto c = clipSegment({0, 20}, {100, 20}, r);
    ASSERT_TRUE(c);
    EXPECT_DOUBLE_EQ(c->first.x, 10.0);
    EXPECT_DOUBLE_EQ(c->second.x, 100.0);
    EXPECT_FALSE(clipSegment({0, 0}, {5, 300}, r));
    c = clipSegment({0, 0}, {300, 180}, r);
    ASSERT_TRUE(c);
    EXPECT_NEAR(c->first.x, 50.0 / 3.0, 1e-9);
    EXPECT_NEAR(c->second.x, 260.0, 1e-9);
    EXPECT_NEAR(c->second.y, 156.0, 1e-9);

    // Lines pointing at free or out-of-range points, a polygon with bad numbers, a scale of
    // 0: nothing crashes, the bad elements are left out.
    FigureSection s;
    s.model.lines[0].startPoint = 5000;
    s.model.lines[1].endPoint = -3;
    s.polygons.blocks[1].points = {0, 1, 999, 6, 0};
    s.model.sheetPile.passiveCount = 1000;
    s.model.display.showPassivePressure = 1;
    Figure f = composeFigure(s.model, s.results, &s.polygons);
    EXPECT_EQ(countItems(f, kLayerBoundary, FigureItemKind::Line), 7);
    s.model.draw.scaleDenominator = 0.0;
    s.model.draw.paper = 77;
    EXPECT_GT(composeFigure(s.model, s.results, &s.polygons).items.size(), 10u);
}

} // namespace
} // namespace keltora

namespace keltora {
namespace {

TEST(Figure, ScreenCompositionWritesUnitsInlineAndObeysTheSwitches)
{
    test::FigureSection s;
    s.model.display = DisplaySettings{};
    s.model.display.showSoilInfo = 1;
    s.model.display.showSurcharge = 1;
    FigureOptions screen;
    screen.screen = true;
    Figure f = composeFigure(s.model, s.results, &s.polygons, screen);
    EXPECT_TRUE(test::hasText(f, "γt'= 6.000 kN/m3"));
    EXPECT_TRUE(test::hasText(f, "ｃ  = 1.500･z+10.000 kN/m2"));
    EXPECT_TRUE(test::hasText(f, " 10.000 kN/m2"));
    EXPECT_FALSE(test::hasText(f, "３"));
    EXPECT_FALSE(test::hasText(f, "２"));
    // Horizontal items follow each other directly: "γt=18.000kN/m3" is 15 bytes.
    const FigureItem* gamma = nullptr;
    const FigureItem* c = nullptr;
    for (const FigureItem& i : f.items) {
        if (i.text == "γt=18.000kN/m3") gamma = &i;
        if (i.text == "ｃ=0.000kN/m2") c = &i;
    }
    ASSERT_TRUE(gamma && c);
    EXPECT_NEAR(c->p1.x - gamma->p1.x, 7.5 * 2.5, 1e-9);
    // The frame is on by default; forces, slip surfaces, point numbers and terrain are not.
    EXPECT_TRUE(test::hasText(f, "Scale 1:200  "));
    EXPECT_EQ(test::countItems(f, kLayerForces, FigureItemKind::Line), 0);
    EXPECT_EQ(test::countItems(f, kLayerCritical, FigureItemKind::Arc), 0);
    EXPECT_EQ(test::countItems(f, kLayerPointNumbers, FigureItemKind::Text), 0);
    EXPECT_EQ(test::countItems(f, kLayerBoundary, FigureItemKind::Line), 0);
    s.model.display.showFrame = 0;
    s.model.display.showSlipSurfaces = 1;
    f = composeFigure(s.model, s.results, &s.polygons, screen);
    EXPECT_FALSE(test::hasText(f, "Scale 1:200  "));
    EXPECT_EQ(test::countItems(f, kLayerCritical, FigureItemKind::Arc), 1);
}

} // namespace
} // namespace keltora

namespace keltora {
namespace {

TEST(Figure, ResultsOfARunMapOntoTheFigure)
{
    CalculationResults r;
    EXPECT_FALSE(figureResultsFrom(SlopeModel{}, r).valid);
    r.validFlag = kResultsValid;
    r.hasCritical = true;
    r.critical.grid = 2;
    r.critical.f = 1.234;
    r.minima[1].directionSign = -1;
    SafetyLabel l;
    l.cx = 3.0, l.x = 4.0, l.cey = 5.0, l.rr = 6.0, l.drawFlag = -1, l.grid = 2, l.showCircle = 1;
    r.labels.push_back(l);
    SlopeModel m;
    m.conditions.method = kMethodBishop;
    FigureResults f = figureResultsFrom(m, r);
    EXPECT_TRUE(f.valid);
    EXPECT_EQ(f.method, kMethodBishop);
    EXPECT_EQ(f.directionSign, -1);
    EXPECT_DOUBLE_EQ(f.critical.f, 1.234);
    ASSERT_EQ(f.labels.size(), 1u);
    EXPECT_DOUBLE_EQ(f.labels[0].cx, 3.0);
    EXPECT_DOUBLE_EQ(f.labels[0].x, 4.0);
    EXPECT_DOUBLE_EQ(f.labels[0].cey, 5.0);
    EXPECT_DOUBLE_EQ(f.labels[0].rr, 6.0);
    EXPECT_EQ(f.labels[0].drawFlag, -1);
    EXPECT_EQ(f.labels[0].showCircle, 1);
    // An aborted run draws no results.
    r.validFlag = kResultsAborted;
    EXPECT_FALSE(figureResultsFrom(m, r).valid);
}

} // namespace
} // namespace keltora
