// The main view's mapping between section metres (y up) and image pixels (y down): the
// transform with its truncations, the all-show fit, zoom, scrolling and the two-click area
// enlarge / shrink commands. No Qt: the window only feeds pixels in and draws what it says.
#pragma once

#include <optional>
#include <string>

#include "model/model.h"

namespace keltora {

struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(PixelPoint a, PixelPoint b) { return a.x == b.x && a.y == b.y; }
};

// The scale is kept within these bounds (pixels per metre), so that repeated zooms and
// degenerate fits never reach zero, infinity or coordinates beyond the pixel range.
inline constexpr double kMinViewScale = 1e-6;
inline constexpr double kMaxViewScale = 1e6;
inline constexpr double kDefaultViewScale = 50.0;

class ViewTransform {
  public:
    int imageWidth() const { return width_; }
    int imageHeight() const { return height_; }
    int halfWidth() const { return halfWidth_; }
    int halfHeight() const { return halfHeight_; }
    double centreX() const { return centreX_; }
    double centreY() const { return centreY_; }
    double scale() const { return scale_; }

    // The image size (negative sizes count as 0); the half sizes are rounded toward zero.
    void setImageSize(int width, int height);
    void setCentre(double x, double y);
    // Clamped to kMinViewScale .. kMaxViewScale; a value that is not a number is ignored.
    void setScale(double scale);

    // px = trunc((X - cx) * scale + 0.1) + half width; py = half height - trunc((Y - cy) *
    // scale + 0.1). The double form keeps far-away points exact enough for clipping; the
    // integer form saturates at +-1e9.
    double screenX(double x) const;
    double screenY(double y) const;
    PixelPoint worldToScreen(double x, double y) const;
    PixelPoint worldToScreen(Point2 p) const { return worldToScreen(p.x, p.y); }
    Point2 screenToWorld(double px, double py) const;
    Point2 screenToWorld(PixelPoint p) const { return screenToWorld(p.x, p.y); }

    void zoomIn() { setScale(scale_ * 1.5); }
    void zoomOut() { setScale(scale_ * (2.0 / 3.0)); }

  private:
    int width_ = 0, height_ = 0, halfWidth_ = 0, halfHeight_ = 0;
    double centreX_ = 0.0, centreY_ = 0.0;
    double scale_ = kDefaultViewScale;
};

// The section area the all-show fit covers.
struct ViewExtent {
    double xmin = -100.0, xmax = 100.0, ymin = -100.0, ymax = 100.0;
};

// The union of the loaded surcharge strips, the heights of the acting horizontal forces,
// the slip circle centre grid of the active circular method (the start point, or the start
// and end segments, of the straight methods) and every used terrain point. Search settings
// that are still all zero (a new document) take no part. An empty X (Y) range becomes
// -100 .. 100. Values that are not finite take no part.
ViewExtent fitExtent(const SlopeModel& model);

// The scroll bars: horizontal position = centre X in whole metres; the vertical bar runs
// the other way (centre Y = maximum + minimum - position).
struct ScrollBarState {
    int minimum = 0, maximum = 0, position = 0, singleStep = 1, pageStep = 1;
};
struct ScrollState {
    ScrollBarState horizontal, vertical;
};

// All show: whole-metre centre of the extent, scale = 5/6 * min(W / (X range + 10),
// H / (Y range + 10)); returns the scroll bars covering the extent around the centre.
ScrollState fitAll(ViewTransform& view, const SlopeModel& model);

// The bars for the extent around the view's centre (one range either side).
ScrollState scrollStateFor(const ViewTransform& view, const ViewExtent& extent);

// Scrolling: the bar positions set the centre.
void scrollHorizontal(ViewTransform& view, const ScrollBarState& bar, int position);
void scrollVertical(ViewTransform& view, const ScrollBarState& bar, int position);

// After an area command the bars follow the new centre when it lies within their ranges.
void followCentre(ScrollState& bars, const ViewTransform& view);

// The two-click area enlarge (101, 102) and shrink (111, 112) commands.
class AreaZoom {
  public:
    enum Mode : int {
        kIdle = 0,
        kEnlargeFirst = 101,
        kEnlargeSecond = 102,
        kShrinkFirst = 111,
        kShrinkSecond = 112,
    };
    enum class Step {
        Nothing,   // the click did nothing (no command active)
        Continue,  // the command goes on; show guideText()
        Cancelled, // right click on the first corner: the command ended without change
        Applied,   // the view changed (or kept its scale for a degenerate rectangle)
    };

    int mode() const { return mode_; }
    bool active() const { return mode_ != kIdle; }
    // The guide text of the current mode; the idle text when no command is active.
    std::string guideText() const;

    void start(bool enlarge);
    void cancel() { mode_ = kIdle; }
    Step leftClick(ViewTransform& view, PixelPoint p);
    Step rightClick();
    void mouseMove(PixelPoint p);

    // The rubber band (modes 102 and 112): the first corner recomputed from its stored
    // section point under the current view, and the current corner.
    bool hasBand() const { return mode_ == kEnlargeSecond || mode_ == kShrinkSecond; }
    PixelPoint bandFirst(const ViewTransform& view) const;
    PixelPoint bandCurrent() const { return current_; }
    // True after an Applied step whose rectangle was degenerate (the scale was kept).
    bool lastWasDegenerate() const { return degenerate_; }

  private:
    int mode_ = kIdle;
    PixelPoint current_;
    Point2 firstWorld_;
    bool degenerate_ = false;
};

// The idle guide text.
inline constexpr const char* kIdleGuideText =
    "メニュー・ボタンで処理したい機能を選択してください。";

} // namespace keltora
