// The soil block dialog (TBlk_Frm): unit weights, cohesion law, friction angle, the block
// kind (three check boxes that behave as one choice, and the water mode) and sand piles.
#pragma once

#include "edit/block_rules.h"
#include "ui/dialog_support.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace keltora::ui {

// Controls: Edit1..Edit5 W, W', K, C0, φ; CheckBox1 water, CheckBox2 soil, CheckBox3
// structure; RadioButton1 / RadioButton2 water as pressure / as weight; CheckBox4 sand piles;
// Edit6..Edit9 Ws, As, n, φs.
class BlockDialog : public SizedDialog {
    Q_OBJECT
  public:
    // Edits a block value (a block the mouse is creating, or a copy of a stored one);
    // exec() and then block() for the result. The model is not touched.
    BlockDialog(DialogHost& host, const SoilBlock& block, QWidget* parent = nullptr);

    const SoilBlock& block() const { return block_; }
    // True when the confirmation changed the block.
    bool changed() const { return changed_; }

    BlockFields fields() const;
    void load(const BlockFields& fields);

    // Edits block `slot` of the document: the confirmation stores through the document as
    // one undo step. Returns true when confirmed.
    static bool editStoredBlock(DialogDocument& document, DialogHost& host, int slot,
                                QWidget* parent);

  private:
    void kindBoxClicked(int box, bool checked);
    void updateEnabling();

    SoilBlock block_;
    bool changed_ = false;
    QLineEdit* unitWeight_;
    QLineEdit* effectiveUnitWeight_;
    QLineEdit* cohesionGradient_;
    QLineEdit* baseCohesion_;
    QLineEdit* frictionAngle_;
    QCheckBox* water_;
    QCheckBox* soil_;
    QCheckBox* structure_;
    QButtonGroup* waterMode_;
    QCheckBox* sandPiles_;
    QLineEdit* pileUnitWeight_;
    QLineEdit* pileReplacementRatio_;
    QLineEdit* stressShareRatio_;
    QLineEdit* pileFrictionAngle_;
};

} // namespace keltora::ui
