// Mouse modes that place the elements of the calculation figure: frame (1000), title
// (1100), soil labels (1300/1301, 1310/1311), surcharge (1400-1405), force (1500-1508) and
// earth pressure labels (3000-3063), factor-of-safety labels (1600/1601) and additional
// circles (1610); and the refresh of the placement menus with every redraw.
#pragma once

#include <array>
#include <string>

#include "edit/edit_session.h"

namespace keltora {

// The figure frame rectangle in section coordinates (from frame centre, paper and scale).
struct FrameRect {
    double xmin = 0.0, xmax = 0.0, ymin = 0.0, ymax = 0.0;
    bool contains(Point2 p) const
    {
        return !(p.x > xmax || p.y > ymax || p.x < xmin || p.y < ymin);
    }
};
FrameRect figureFrameRect(const SlopeModel& model);

class PlacementModes : public ModeFamily {
  public:
    bool handles(int mode) const override;
    EditOutcome leftClick(EditSession& s, const EditContext& c, Point2 p) override;
    EditOutcome rightClick(EditSession& s, const EditContext& c, Point2 p) override;
    void addMarks(const EditSession& s, const EditContext& c, Marks& m) const override;
};

// One placement menu item: its caption and whether it is shown.
struct MenuItemState {
    std::string caption;
    bool visible = false;
};

// The state of the menus that follow the results and the loads.
struct MenuState {
    bool results = false;       // "作図(&Z)" shown, "計算結果の表示(&D)" enabled
    bool surchargeMenu = false; // "上載荷重の配置(&V)"
    std::array<MenuItemState, 6> surcharge{};             // K1..K6
    bool forceMenu = false;                               // "水平外力の配置(&H)"
    std::array<MenuItemState, 3> forces{};                // G1..G3
    bool passiveMenu = false;                             // "矢板受動土圧の配置(&Y)"
    std::array<MenuItemState, kMaxPassiveRows> passive{}; // items 1..64
};

// The menu refresh that runs with every full redraw (results = calcState is 1) and after
// the new-document reset (results = false): with automatic switching on, the display
// switches take the input or the result preset; the label mode of every hidden surcharge
// item becomes -1. Writes the model's display switches and label modes; reports in
// *changed whether it wrote anything.
MenuState refreshMenus(SlopeModel& model, bool results, bool* changed = nullptr);

} // namespace keltora
