// The editing state of the main view (current mouse mode, its picks, the parallel-line
// distance) and what a mouse step hands back to the window: a change, a message, marks.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analysis/results.h"
#include "model/message.h"
#include "model/model.h"

namespace keltora {

// Mode codes of the main view. Two-step modes use code + 1 (or + 10 for the line chains)
// for their second step; the constructions use code + 1, + 2 for their later picks.
enum EditModeCode : int {
    kModeNone = 0,
    kModeAreaEnlarge = 101, // 101, 102: the view's area zoom (the view transform owns them)
    kModeAreaShrink = 111,  // 111, 112
    kModePointAdd = 200,
    kModePointMove = 210,
    kModePointMoveTo = 211,
    kModePointDelete = 220,
    kModeLineAddFirst = 501, // 501..504 boundary, uncut, limit line small, large
    kModeLineAddLast = 504,
    kModeArcPointSmall = 505,
    kModeArcPointLarge = 506,
    kModeLineEndFirst = 511, // 511..514 the end point of the chain
    kModeLineEndLast = 514,
    kModeLineDeleteFirst = 601, // 601..606 delete a line of kind code - 600
    kModeLineDeleteLast = 606,
    kModeBlockAdd = 700,
    kModeBlockMove = 710,
    kModeBlockMoveTo = 711,
    kModeBlockDelete = 720,
    kModeBlockCopy = 730,
    kModeBlockCopyTo = 731,
    kModeBlockEdit = 740,
    kModeFrame = 1000,
    kModeTitle = 1100,
    kModeDrawFlagOn = 1200,
    kModeDrawFlagOff = 1201,
    kModeSoilVertical = 1300,
    kModeSoilVerticalPlace = 1301,
    kModeSoilHorizontal = 1310,
    kModeSoilHorizontalPlace = 1311,
    kModeSurchargeFirst = 1400, // 1400..1405 (1L) .. (3R)
    kModeSurchargeLast = 1405,
    kModeForceFirst = 1500, // 1500..1508 force 1..3, above / below / behind
    kModeForceLast = 1508,
    kModeSafetyLabel = 1600,
    kModeSafetyLabelPlace = 1601,
    kModeExtraCircle = 1610,
    // Constructions: the first step's code; later steps add 1 and 2.
    kModeIntersectionAdd = 1700,
    kModeIntersectionMove = 1710,
    kModeFootAdd = 1720,
    kModeFootMove = 1730,
    kModeHorizontalAdd = 1740,
    kModeHorizontalMove = 1750,
    kModeVerticalAdd = 1760,
    kModeVerticalMove = 1770,
    kModeEndPoint = 1800,
    kModeMerge = 1900,
    kModeSplit = 2000,
    kModeParallel = 2020,
    kModePassiveFirst = 3000, // 3000..3063 earth pressure label of row code - 3000
    kModePassiveLast = 3063,
};

// The status text shown when a mode is entered from its menu command (idle text for 0).
std::string modeStatusText(int mode);
inline const char* const kIdleStatusText = "メニュー・ボタンで処理したい機能を選択してください。";

inline bool isAreaMode(int mode)
{
    return mode == 101 || mode == 102 || mode == 111 || mode == 112;
}

struct EditSession {
    int mode = kModeNone;
    int picked = -1;     // picked point, line, block or factor-of-safety label
    int copySource = -1; // block being copied
    int moved = 0;       // 1 once the picked element has a new position in this step
    Point2 savedPos;     // the picked element's position before the move
    Point2 newPos;       // its new position while the move waits for confirmation
    // Constructions: picked lines and points (-1 = not picked), the point being moved.
    int line1 = -1, line2 = -1, point1 = -1, movingPoint = -1;
    // Rubber line of the line chains: from the start point to the cursor.
    bool rubber = false;
    Point2 rubberFrom, cursor;
    double parallelOffset = 1.0; // distance of the parallel line (m); reset to 1.0
    std::string status = kIdleStatusText;
    bool xyButton = false; // the "XY" tool button is shown

    void clearPicks();
};

// What a change does to the document's flags.
enum class ChangeEffect {
    None,
    Results, // modified = 1, calcState = 0, results dropped
    Figure,  // modified = 1 only
    Display, // neither (display settings, factor-of-safety labels)
};

// Highlights of the current mode, in section coordinates (drawn over the section).
enum class MarkColour { Highlight, Moving }; // yellow; green: the point that moves

struct PointMark {
    Point2 p;
    MarkColour colour = MarkColour::Highlight;
};
struct LineMark {
    Point2 a, b;
    MarkColour colour = MarkColour::Highlight;
    bool acrossView = false; // a horizontal limit line: drawn across the view at a.y
};
struct Marks {
    std::vector<PointMark> points;
    std::vector<LineMark> lines;
    std::vector<std::vector<Point2>> outlines; // traced block outlines (>= 3 points)
    std::vector<Point2> blockCentres;          // picked or placed block inner points
    bool rubber = false;                       // rubber line from rubberFrom to the cursor
    Point2 rubberFrom, rubberTo;
    bool empty() const
    {
        return points.empty() && lines.empty() && outlines.empty() && blockCentres.empty() &&
               !rubber;
    }
};

// The dialogs a mode opens.
enum class DialogKind {
    PointCoordinates, // TXY_Frm: one point, added or moved
    Block,            // TBlk_Frm: the block's parameters
    ParallelOffset,   // TPLine_Frm: the parallel line distance
};

struct DialogRequest {
    DialogKind kind = DialogKind::PointCoordinates;
    int slot = -1;              // point or block slot
    bool moving = false;        // point coordinates: move the point (true) or add it
    bool blockPosition = false; // point coordinates: a block's inner point, not a point
    Point2 position;            // point coordinates, in and out
    SoilBlock block;            // the block, in and out
    double offset = 1.0;        // parallel distance, in and out
};

// What the modes need from the window: the Yes/No question captioned "確認" (shown over
// the given marks) and the modal dialogs. Tests answer them from a script.
class EditHost {
  public:
    virtual ~EditHost() = default;
    virtual bool confirm(const std::string& question, const Marks& marks) = 0;
    // Runs the dialog; true when it was confirmed (request then holds the values).
    virtual bool openDialog(DialogRequest& request, const Marks& marks) = 0;
};

// The answer of a mouse step.
struct EditOutcome {
    // The model change to apply, empty for none. Writes the model, true when it stored.
    std::function<bool(SlopeModel&)> change;
    ChangeEffect effect = ChangeEffect::None;
    std::string undoText;
    // A change of the factor-of-safety labels, which belong to the results.
    std::function<void(std::vector<SafetyLabel>&)> labelChange;
    std::optional<Message> message; // shown after the change
    // After applying the change, call EditController::resume (the parallel line asks for
    // its next distance once the line is drawn).
    bool resume = false;

    bool changes() const { return static_cast<bool>(change) || static_cast<bool>(labelChange); }
};

// What a mode reads besides its session.
struct EditContext {
    const SlopeModel& model;
    const std::vector<SafetyLabel>* labels = nullptr; // labels of valid results, or null
    EditHost& host;
};

// Applies an outcome's model change with its flags (the headless counterpart of the
// window's document edit). Returns true when the model changed.
bool applyOutcome(SlopeModel& model, const EditOutcome& outcome);

// One family of modes.
class ModeFamily {
  public:
    virtual ~ModeFamily() = default;
    virtual bool handles(int mode) const = 0;
    // Sets the first step of a mode (its status, XY button); the picks are already clear.
    virtual void enter(EditSession& s, int mode) const;
    virtual EditOutcome leftClick(EditSession& s, const EditContext& c, Point2 p) = 0;
    virtual EditOutcome rightClick(EditSession& s, const EditContext& c, Point2 p) = 0;
    virtual void addMarks(const EditSession& s, const EditContext& c, Marks& m) const = 0;
    // The step after an applied change, when the outcome asked for it.
    virtual EditOutcome resume(EditSession&, const EditContext&) { return {}; }
    // The "XY" button: coordinates typed instead of a click.
    virtual EditOutcome xyButton(EditSession&, const EditContext&) { return {}; }
};

// The session's back step to the menu: mode 0, idle status, no XY button.
void leaveMode(EditSession& s);

} // namespace keltora
