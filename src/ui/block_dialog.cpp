// The soil block dialog.
#include "ui/block_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace keltora::ui {

namespace {

void addRow(QGridLayout* g, int row, const QString& text, QLineEdit* edit, const QString& unit,
            QWidget* parent)
{
    g->addWidget(label(text, parent), row, 0);
    g->addWidget(edit, row, 1);
    g->addWidget(label(unit, parent), row, 2);
}

} // namespace

BlockDialog::BlockDialog(DialogHost& host, const SoilBlock& block, QWidget* parent)
    : SizedDialog(host, kSizeBlock, "TBlk_Frm", parent), block_(block)
{
    setWindowTitle(tr("ブロック構成項目"));
    auto* root = new QVBoxLayout(this);
    root->setSpacing(4);

    auto* soilBox = new QGroupBox(tr("土質"), this);
    auto* sg = new QGridLayout(soilBox);
    sg->setVerticalSpacing(2);
    unitWeight_ = numberEdit(soilBox, QStringLiteral("Edit1"));
    effectiveUnitWeight_ = numberEdit(soilBox, QStringLiteral("Edit2"));
    cohesionGradient_ = numberEdit(soilBox, QStringLiteral("Edit3"));
    baseCohesion_ = numberEdit(soilBox, QStringLiteral("Edit4"));
    frictionAngle_ = numberEdit(soilBox, QStringLiteral("Edit5"));
    addRow(sg, 0, tr("単位体積重量　Ｗ"), unitWeight_, tr("(kN/m3)"), soilBox);
    sg->addWidget(note(tr("※　浮力を考慮しない重量(湿潤、飽和重量)"), soilBox), 0, 3);
    addRow(sg, 1, tr("有効単体重量　Ｗ'"), effectiveUnitWeight_, tr("(kN/m3)"), soilBox);
    sg->addWidget(note(tr("※　浮力を考慮した重量(水中重量)"), soilBox), 1, 3);
    addRow(sg, 2, tr("粘着力の勾配　Ｋ"), cohesionGradient_, tr("(kN/m2/m)"), soilBox);
    sg->addWidget(note(tr("※　粘着力Ｃ＝Ｋ・Ｚ＋Ｃ0で表される"), soilBox), 2, 3);
    addRow(sg, 3, tr("基準粘着力　　Ｃ0"), baseCohesion_, tr("(kN/m2)"), soilBox);
    sg->addWidget(note(tr("　　Ｚは粘着力基準高を0.00として計算する"), soilBox), 3, 3);
    addRow(sg, 4, tr("内部摩擦角　　φ"), frictionAngle_, tr("(度)"), soilBox);
    sg->setColumnStretch(3, 1);
    root->addWidget(soilBox);

    auto* kindBox = new QGroupBox(tr("ブロックの種類"), this);
    auto* kg = new QGridLayout(kindBox);
    kg->setVerticalSpacing(2);
    water_ = named(new QCheckBox(tr("水ブロック"), kindBox), QStringLiteral("CheckBox1"));
    soil_ = named(new QCheckBox(tr("土ブロック"), kindBox), QStringLiteral("CheckBox2"));
    structure_ = named(new QCheckBox(tr("構造物ブロック"), kindBox), QStringLiteral("CheckBox3"));
    waterMode_ = new QButtonGroup(this);
    auto* pressure = named(
        new QRadioButton(tr("水の影響を水圧で考慮する（すべり円を水中は通さない。）"), kindBox),
        QStringLiteral("RadioButton1"));
    auto* weight =
        named(new QRadioButton(tr("水の影響を重量で考慮する（すべり円を水中も通す。）"), kindBox),
              QStringLiteral("RadioButton2"));
    waterMode_->addButton(pressure, kWaterPressureBlock);
    waterMode_->addButton(weight, kWaterWeightBlock);
    kg->addWidget(water_, 0, 0);
    kg->addWidget(pressure, 0, 1);
    kg->addWidget(weight, 1, 1);
    kg->addWidget(soil_, 2, 0);
    kg->addWidget(structure_, 3, 0);
    kg->setColumnStretch(1, 1);
    root->addWidget(kindBox);

    auto* pileBox = new QGroupBox(tr("砂杭"), this);
    auto* pg = new QGridLayout(pileBox);
    pg->setVerticalSpacing(2);
    sandPiles_ = named(new QCheckBox(tr("砂杭がある"), pileBox), QStringLiteral("CheckBox4"));
    pg->addWidget(sandPiles_, 0, 0);
    pg->addWidget(note(tr("※　砂杭がある場合にチェックする(ビショップ法では不可)"), pileBox), 0, 1,
                  1, 3);
    pileUnitWeight_ = numberEdit(pileBox, QStringLiteral("Edit6"));
    pileReplacementRatio_ = numberEdit(pileBox, QStringLiteral("Edit7"));
    stressShareRatio_ = numberEdit(pileBox, QStringLiteral("Edit8"));
    pileFrictionAngle_ = numberEdit(pileBox, QStringLiteral("Edit9"));
    addRow(pg, 1, tr("単位体積重量　Ｗs"), pileUnitWeight_, tr("(kN/m3)"), pileBox);
    addRow(pg, 2, tr("砂杭置換率　　Ａs"), pileReplacementRatio_, QString(), pileBox);
    addRow(pg, 3, tr("応力分担比　　ｎ"), stressShareRatio_, QString(), pileBox);
    addRow(pg, 4, tr("内部摩擦角　　φs"), pileFrictionAngle_, tr("(度)"), pileBox);
    pg->setColumnStretch(3, 1);
    root->addWidget(pileBox);
    root->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = confirmButton(this);
    auto* cancel = cancelButton(this);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    root->addLayout(buttons);

    connect(water_, &QCheckBox::clicked, this, [this](bool on) { kindBoxClicked(0, on); });
    connect(soil_, &QCheckBox::clicked, this, [this](bool on) { kindBoxClicked(1, on); });
    connect(structure_, &QCheckBox::clicked, this, [this](bool on) { kindBoxClicked(2, on); });
    connect(waterMode_, &QButtonGroup::idClicked, this, [this] { updateEnabling(); });
    connect(sandPiles_, &QCheckBox::toggled, this, [this] { updateEnabling(); });
    connect(ok, &QPushButton::clicked, this, [this] {
        changed_ = storeBlockFields(block_, fields());
        host_.redraw(0);
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    load(blockFields(block_));
}

void BlockDialog::load(const BlockFields& f)
{
    setTextOf(unitWeight_, f.unitWeight);
    setTextOf(effectiveUnitWeight_, f.effectiveUnitWeight);
    setTextOf(cohesionGradient_, f.cohesionGradient);
    setTextOf(baseCohesion_, f.baseCohesion);
    setTextOf(frictionAngle_, f.frictionAngle);
    water_->setChecked(f.water);
    soil_->setChecked(f.soil);
    structure_->setChecked(f.structure);
    waterMode_->button(f.waterMode == kWaterWeightBlock ? kWaterWeightBlock : kWaterPressureBlock)
        ->setChecked(true);
    {
        const QSignalBlocker block(sandPiles_);
        sandPiles_->setChecked(f.hasSandPiles);
    }
    setTextOf(pileUnitWeight_, f.pileUnitWeight);
    setTextOf(pileReplacementRatio_, f.pileReplacementRatio);
    setTextOf(stressShareRatio_, f.stressShareRatio);
    setTextOf(pileFrictionAngle_, f.pileFrictionAngle);
    updateEnabling();
}

BlockFields BlockDialog::fields() const
{
    BlockFields f;
    f.unitWeight = textOf(unitWeight_);
    f.effectiveUnitWeight = textOf(effectiveUnitWeight_);
    f.cohesionGradient = textOf(cohesionGradient_);
    f.baseCohesion = textOf(baseCohesion_);
    f.frictionAngle = textOf(frictionAngle_);
    f.water = water_->isChecked();
    f.soil = soil_->isChecked();
    f.structure = structure_->isChecked();
    f.waterMode =
        waterMode_->checkedId() == kWaterWeightBlock ? kWaterWeightBlock : kWaterPressureBlock;
    f.hasSandPiles = sandPiles_->isChecked();
    f.pileUnitWeight = textOf(pileUnitWeight_);
    f.pileReplacementRatio = textOf(pileReplacementRatio_);
    f.stressShareRatio = textOf(stressShareRatio_);
    f.pileFrictionAngle = textOf(pileFrictionAngle_);
    return f;
}

void BlockDialog::kindBoxClicked(int box, bool checked)
{
    BlockFields f = fields();
    setBlockKindBox(f, static_cast<BlockKindBox>(box), checked);
    water_->setChecked(f.water);
    soil_->setChecked(f.soil);
    structure_->setChecked(f.structure);
    updateEnabling();
}

void BlockDialog::updateEnabling()
{
    const BlockEnabling e = blockEnabling(fields());
    effectiveUnitWeight_->setEnabled(e.effectiveUnitWeight);
    cohesionGradient_->setEnabled(e.strength);
    baseCohesion_->setEnabled(e.strength);
    frictionAngle_->setEnabled(e.strength);
    sandPiles_->setEnabled(e.sandPileBox);
    for (QLineEdit* edit :
         {pileUnitWeight_, pileReplacementRatio_, stressShareRatio_, pileFrictionAngle_})
        edit->setEnabled(e.sandPileFields);
    for (auto* b : waterMode_->buttons())
        b->setEnabled(e.waterMode);
}

bool BlockDialog::editStoredBlock(DialogDocument& document, DialogHost& host, int slot,
                                  QWidget* parent)
{
    if (slot < 0 || slot >= kMaxBlocks) return false;
    BlockDialog dialog(host, document.model().blocks[static_cast<size_t>(slot)], parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    const BlockFields f = dialog.fields();
    document.edit(dialog.windowTitle(), DialogChange::Model,
                  [&](SlopeModel& m) { return applyBlockFields(m, slot, f).stored; });
    return true;
}

} // namespace keltora::ui
