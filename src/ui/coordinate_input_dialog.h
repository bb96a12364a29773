// The small dialogs of the edit modes: the coordinate input of the point modes (TXY_Frm) and
// the offset of the parallel line construction (TPLine_Frm).
#pragma once

#include "edit/coordinate_input_rules.h"
#include "ui/dialog_support.h"

class QLineEdit;

namespace keltora::ui {

// Controls: Edit1 point number (read only), Edit2 X, Edit3 Y.
class CoordinateInputDialog : public SizedDialog {
    Q_OBJECT
  public:
    // Add: the first free point slot; Move: the point `movingSlot`. Confirming stores the
    // point through the document (one undo step).
    CoordinateInputDialog(DialogDocument& document, DialogHost& host, CoordinateMode mode,
                          int movingSlot, QWidget* parent = nullptr);

    // For the point modes, which store the point themselves: shows point `slot` (its
    // coordinates when moving, empty ones when adding) and returns the typed position in
    // `position` when confirmed. A position on another point keeps the dialog open.
    static bool askPosition(DialogHost& host, const SlopeModel& model, int slot, bool moving,
                            Point2& position, QWidget* parent = nullptr);
    // For the block add mode: a position inside a closed region (no point number; any
    // position is taken, the mode itself checks the region).
    static bool askBlockPosition(DialogHost& host, const SlopeModel& model, Point2& position,
                                 QWidget* parent = nullptr);

    CoordinateFields fields() const;
    // The outcome of the last confirmation (accepted and stored: the point was written).
    const DialogOutcome& outcome() const { return outcome_; }
    const Point2& position() const { return position_; }

  private:
    CoordinateInputDialog(DialogHost& host, const SlopeModel& model, DialogDocument* document,
                          CoordinateFields shown, QWidget* parent, bool freePosition = false);
    void confirm();

    const SlopeModel& model_;
    DialogDocument* document_; // null: values only
    bool freePosition_;        // a block position: no point slot, no point check
    CoordinateFields shown_;
    QLineEdit* number_;
    QLineEdit* x_;
    QLineEdit* y_;
    DialogOutcome outcome_;
    Point2 position_;
};

// Controls: Edit1 the distance ("%7.3f"), Button1 "Ｏ　　　　Ｋ", Button2 "ＣＡＮＣＥＬ".
class ParallelLineDialog : public SizedDialog {
    Q_OBJECT
  public:
    ParallelLineDialog(DialogHost& host, double distance, QWidget* parent = nullptr);
    double distance() const;

  private:
    QLineEdit* distance_;
};

} // namespace keltora::ui
