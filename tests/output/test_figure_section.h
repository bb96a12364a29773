// A small two-layer embankment with hand-made block polygons and results, shared by the
// figure and plot file tests (no calculation involved).
#pragma once

#include <algorithm>

#include "geometry/block_polygons.h"
#include "model/model.h"
#include "output/figure.h"

namespace keltora::test {

// Points: 0 (0,0) 1 (40,0) 2 (40,5) 3 (25,5) 4 (15,10) 5 (0,10) 6 (0,3) 7 (40,3).
// Block 0 (clay, above y = 3), block 1 (sand, below). A4, 1:200, frame centre (20, 5).
struct FigureSection {
    SlopeModel model;
    PolygonTable polygons;
    FigureResults results;

    explicit FigureSection(int method = kMethodFellenius)
    {
        resetModel(model);
        model.title = "盛土 検討ケース１";
        const double xy[][2] = {{0, 0},   {40, 0}, {40, 5}, {25, 5},
                                {15, 10}, {0, 10}, {0, 3},  {40, 3}};
        for (auto& p : xy)
            addPoint(model, p[0], p[1]);
        const int lines[][2] = {{0, 1}, {1, 7}, {7, 2}, {2, 3}, {3, 4},
                                {4, 5}, {5, 6}, {6, 0}, {6, 7}};
        for (auto& l : lines)
            model.lines[*addLine(model, kBoundaryLine, l[0], l[1])].drawFlag = 1;

        SoilBlock clay;
        clay.seed = {10, 6};
        clay.unitWeight = 16.0;
        clay.effectiveUnitWeight = 6.0;
        clay.cohesionGradient = 1.5;
        clay.baseCohesion = 10.0;
        clay.labelMode = 1;
        clay.labelPos = {3, 9};
        addBlock(model, clay);
        SoilBlock sand;
        sand.seed = {20, 1};
        sand.unitWeight = 18.0;
        sand.effectiveUnitWeight = 18.0;
        sand.frictionAngle = 30.0;
        sand.labelMode = 2;
        sand.labelPos = {2, 2.5};
        addBlock(model, sand);
        polygons.blocks[0] = {6, {6, 7, 2, 3, 4, 5, 6}, 40, 0, 10, 3};
        polygons.blocks[1] = {4, {0, 1, 7, 6, 0}, 40, 0, 3, 0};

        model.conditions.method = method;
        model.conditions.surchargeXmin[0] = 2.0;
        model.conditions.surchargeXmax[0] = 12.0;
        model.conditions.surchargeQmin[0] = 10.0;
        model.conditions.surchargeQmax[0] = 10.0;
        model.draw.surchargeLabelMode[0][0] = 1;
        model.draw.surchargeLabelX[0][0] = 7.0;
        model.draw.surchargeLabelY[0][0] = 13.0;
        model.draw.surchargeLabelMode[1][0] = -1;
        model.draw.sizes[kSizeSurchargeArrow] = 0.5;
        model.conditions.forceY[0] = 8.0;
        model.conditions.forceH[0] = 20.0;
        model.draw.forceLabelX[0] = 30.0;
        model.draw.sizes[kSizeForceArrow] = 0.5;
        model.draw.paper = 1;
        model.draw.scaleDenominator = 200.0;
        model.draw.frameCentre = {20.0, 5.0};
        model.draw.titlePos = {20.0, 17.0};
        model.draw.sizes[kSizeSoil] = 2.5;
        model.draw.sizes[kSizeFsList] = 2.0;
        model.draw.sizes[kSizePointNumber] = 2.0;
        model.draw.sizes[kSizeMinFs] = 3.0;
        model.draw.sizes[kSizeScale] = 3.0;
        model.draw.sizes[kSizeTitle] = 5.0;

        results.valid = true;
        results.method = method;
        results.directionSign = -1;
        SlipResult& c = results.critical;
        c.grid = 1;
        if (method == kMethodLineByAngle || method == kMethodLineBySegments) {
            // A slip line from the toe (27, 5) up to the crest (8, 10).
            c.cx = 27.0, c.cy = 5.0;
            c.dx = 8.0, c.dy = 10.0;
            c.rr = 165.256;
            c.sx = 27.0, c.sy = 5.0, c.ex = 8.0, c.ey = 10.0;
            c.mr = 151.234, c.md = 120.5, c.f = 1.255;
            return;
        }
        // Circle about (20, 20) of radius 16.5: it meets y = 5 at x = 20 + sqrt(16.5^2 - 15^2)
        // = 26.874 and y = 10 at x = 20 - sqrt(16.5^2 - 10^2) = 6.875.
        c.cx = 20.0, c.cy = 20.0, c.rr = 16.5;
        c.sx = c.csx = 26.874, c.sy = c.csy = 5.0;
        c.ex = c.cex = 6.875, c.ey = c.cey = 10.0;
        c.mrf = 1200.0, c.mrc = 2345.678, c.mr = 3545.678;
        c.mdw = 2500.0, c.mdh = 100.0, c.md = 2600.0;
        c.f = 1.363;
        for (int i = 0; i < 3; ++i) {
            FigureLabel l;
            l.cx = l.x = 18.0 + 2.0 * i;
            l.cy = l.y = 20.0;
            l.f = 1.4 + 0.05 * i;
            l.csx = 26.0, l.csy = 5.0, l.cex = 6.0, l.cey = 10.0;
            l.rr = 16.0;
            l.showCircle = i == 0 ? 1 : 0;
            results.labels.push_back(l);
        }
        results.labels[1].f = c.f; // the critical centre itself
    }
};

inline int countItems(const Figure& f, int layer, FigureItemKind kind)
{
    return static_cast<int>(std::count_if(f.items.begin(), f.items.end(), [&](const FigureItem& i) {
        return i.layer == layer && i.kind == kind;
    }));
}

inline bool hasText(const Figure& f, const std::string& text)
{
    return std::any_of(f.items.begin(), f.items.end(), [&](const FigureItem& i) {
        return i.kind == FigureItemKind::Text && i.text == text;
    });
}

} // namespace keltora::test
