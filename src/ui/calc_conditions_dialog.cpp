// The calculation conditions dialog.
#include "ui/calc_conditions_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/cohesion_line_dialog.h"
#include "ui/sand_pile_formula_picture.h"
#include "ui/sheet_pile_dialog.h"

namespace keltora::ui {

namespace {

constexpr QSize kFormulaPictureSize(330, 78);

QGroupBox* group(const QString& title, QWidget* parent)
{
    auto* g = new QGroupBox(title, parent);
    return g;
}

} // namespace

CalcConditionsDialog::CalcConditionsDialog(DialogDocument& document, DialogHost& host,
                                           QWidget* parent)
    : SizedDialog(host, kSizeCalcConditions, "TCal_Frm", parent), document_(document)
{
    setWindowTitle(tr("計算条件設定"));
    auto* root = new QVBoxLayout(this);
    root->setSpacing(4);
    root->setContentsMargins(8, 6, 8, 6);

    // Title.
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(label(tr("検討ケース"), this));
    title_ = named(new QLineEdit(this), QStringLiteral("Edit1"));
    titleRow->addWidget(title_, 1);
    root->addLayout(titleRow);

    // Method and the note on Fellenius / Tschebotarioff.
    auto* methodRow = new QHBoxLayout;
    auto* methodBox = named(group(tr("すべり崩壊の検討方法"), this), QStringLiteral("RadioGroup1"));
    auto* methodGrid = new QGridLayout(methodBox);
    methodGrid->setVerticalSpacing(2);
    method_ = new QButtonGroup(this);
    const QString methodTexts[6] = {
        tr("円弧(修正フェレニウス法)"),      tr("円弧(チェボタリオフ法)"),
        tr("円弧(簡易ビショップ法)"),        tr("直線すべり－始点とすべり角指定"),
        tr("円弧(簡易ビショップ法)-修正式"), tr("直線すべり－始点と終点を指定")};
    // Circular methods on the left, straight ones on the right.
    const int place[6][2] = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {3, 0}, {1, 1}};
    for (int code = 0; code < 6; ++code) {
        auto* r = named(new QRadioButton(methodTexts[code], methodBox),
                        QStringLiteral("RadioButton%1").arg(code + 1));
        method_->addButton(r, code);
        methodGrid->addWidget(r, place[code][0], place[code][1]);
    }
    methodRow->addWidget(methodBox, 1);
    auto* methodNote = new QVBoxLayout;
    methodNote->addStretch();
    methodNote->addWidget(note(tr("※　修正フェレニウス法とチェボタリオフ法は"), this));
    methodNote->addWidget(note(tr("　　名称が異なるだけで計算方法や計算内容は"), this));
    methodNote->addWidget(note(tr("　　全く同じ"), this));
    methodNote->addStretch();
    methodRow->addLayout(methodNote);
    root->addLayout(methodRow);

    auto* middle = new QHBoxLayout;
    root->addLayout(middle);

    // Left column: seismic coefficient, factors of safety, slice width.
    auto* left = new QVBoxLayout;
    middle->addLayout(left);
    auto* seismicBox = group(tr("水平震度"), this);
    auto* sg = new QGridLayout(seismicBox);
    sg->setVerticalSpacing(2);
    seismic_ = numberEdit(seismicBox, QStringLiteral("Edit2"));
    sg->addWidget(label(tr("水平震度"), seismicBox), 0, 0);
    sg->addWidget(seismic_, 0, 1);
    sg->addWidget(note(tr("※　常時なら0.0(ビショップ法では常に0.0)"), seismicBox), 1, 0, 1, 2);
    seismicSwitch_ =
        named(new QCheckBox(tr("水平震度作用スイッチ"), seismicBox), QStringLiteral("CheckBox1"));
    sg->addWidget(seismicSwitch_, 2, 0, 1, 2);
    sg->addWidget(named(note(tr("※　水平震度による抵抗力の低減は上載荷重"), seismicBox),
                        QStringLiteral("Label1")),
                  3, 0, 1, 2);
    seismicNote_ = named(note(QString(), seismicBox), QStringLiteral("Label2"));
    sg->addWidget(seismicNote_, 4, 0, 1, 2);
    left->addWidget(seismicBox);

    auto* fsBox = group(tr("安全率"), this);
    auto* fg = new QGridLayout(fsBox);
    fg->setVerticalSpacing(2);
    maxFs_ = numberEdit(fsBox, QStringLiteral("Edit3"));
    allowFs_ = numberEdit(fsBox, QStringLiteral("Edit4"));
    sliceWidth_ = numberEdit(fsBox, QStringLiteral("Edit24"));
    fg->addWidget(label(tr("最大安全率"), fsBox), 0, 0);
    fg->addWidget(maxFs_, 0, 1);
    fg->addWidget(note(tr("※　最大安全率を越える結果は出力しない"), fsBox), 1, 0, 1, 3);
    fg->addWidget(label(tr("許容安全率"), fsBox), 2, 0);
    fg->addWidget(allowFs_, 2, 1);
    fg->addWidget(label(tr("すべり計算でスライスする幅"), fsBox), 3, 0);
    fg->addWidget(sliceWidth_, 3, 1);
    fg->addWidget(label(tr("(m)"), fsBox), 3, 2);
    left->addWidget(fsBox);

    auto* formBox = group(tr("安全率一覧表（帳票）の形式"), this);
    auto* fb = new QHBoxLayout(formBox);
    fsFormat_ = new QButtonGroup(this);
    auto* fsOnly = named(new QRadioButton(tr("安全率のみを記入する。"), formBox),
                         QStringLiteral("RadioButton9"));
    auto* fsRadius = named(new QRadioButton(tr("安全率/半径を記入する。"), formBox),
                           QStringLiteral("RadioButton10"));
    fsFormat_->addButton(fsOnly, 0);
    fsFormat_->addButton(fsRadius, 1);
    fb->addWidget(fsOnly);
    fb->addWidget(fsRadius);
    left->addWidget(formBox);
    left->addStretch();

    // Right column: surcharges and horizontal forces.
    auto* right = new QVBoxLayout;
    middle->addLayout(right, 1);
    auto* loadBox = group(tr("上載荷重"), this);
    auto* lg = new QGridLayout(loadBox);
    lg->setVerticalSpacing(2);
    const QString loadRows[4] = {tr("作用位置(Xmin)"), tr("作用位置(Xmax)"), tr("荷重(Xmin)"),
                                 tr("荷重(Xmax)")};
    const QString loadUnits[4] = {tr("(m)"), tr("(m)"), tr("(kN/m2)"), tr("(kN/m2)")};
    for (int i = 0; i < kSurchargeStrips; ++i)
        lg->addWidget(label(QStringLiteral("(%1)").arg(i + 1), loadBox), 0, i + 1, Qt::AlignCenter);
    for (int r = 0; r < 4; ++r) {
        lg->addWidget(label(loadRows[r], loadBox), r + 1, 0);
        for (int i = 0; i < kSurchargeStrips; ++i) {
            auto* e = numberEdit(loadBox, QStringLiteral("Edit%1").arg(5 + i * 4 + r));
            surcharge_[static_cast<size_t>(i)][static_cast<size_t>(r)] = e;
            lg->addWidget(e, r + 1, i + 1);
        }
        lg->addWidget(label(loadUnits[r], loadBox), r + 1, 4);
    }
    right->addWidget(loadBox);

    auto* forceBox = group(tr("水平外力"), this);
    auto* hg = new QGridLayout(forceBox);
    hg->setVerticalSpacing(2);
    for (int i = 0; i < kHorizontalForces; ++i)
        hg->addWidget(label(QStringLiteral("(%1)").arg(i + 1), forceBox), 0, i + 1,
                      Qt::AlignCenter);
    const QString forceRows[2] = {tr("作用高さ (Y)"), tr("水平外力")};
    const QString forceUnits[2] = {tr("(m)"), tr("(kN/m)")};
    for (int r = 0; r < 2; ++r) {
        hg->addWidget(label(forceRows[r], forceBox), r + 1, 0);
        for (int i = 0; i < kHorizontalForces; ++i) {
            auto* e = numberEdit(forceBox, QStringLiteral("Edit%1").arg(17 + i * 2 + r));
            force_[static_cast<size_t>(i)][static_cast<size_t>(r)] = e;
            hg->addWidget(e, r + 1, i + 1);
        }
        hg->addWidget(label(forceUnits[r], forceBox), r + 1, 4);
    }
    hg->addWidget(note(tr("※　(1),(2)はすべり円の中に入った時のみに作用する"), forceBox), 3, 0, 1,
                  5);
    hg->addWidget(note(tr("※　(3)は無条件に作用する"), forceBox), 4, 0, 1, 5);
    right->addWidget(forceBox);
    right->addStretch();

    // Bottom: cohesion reference, sand pile formula, report form.
    auto* bottom = new QHBoxLayout;
    root->addLayout(bottom);
    auto* refBox = group(tr("粘着力基準線"), this);
    auto* rg = new QGridLayout(refBox);
    rg->setVerticalSpacing(2);
    refHeightMode_ = named(new QRadioButton(tr("粘着力基準高を設定する"), refBox),
                           QStringLiteral("RadioButton7"));
    refLineMode_ = named(new QRadioButton(tr("粘着力基準線を設定する。"), refBox),
                         QStringLiteral("RadioButton8"));
    auto* refModes = new QButtonGroup(this);
    refModes->addButton(refHeightMode_, 0);
    refModes->addButton(refLineMode_, 1);
    refHeight_ = numberEdit(refBox, QStringLiteral("Edit23"));
    refLineButton_ =
        named(new QPushButton(tr("粘着力基準線設定"), refBox), QStringLiteral("Button3"));
    refLineButton_->setAutoDefault(false);
    rg->addWidget(refHeightMode_, 0, 0, 1, 2);
    rg->addWidget(label(tr("基準高"), refBox), 1, 0);
    auto* hrow = new QHBoxLayout;
    hrow->addWidget(refHeight_);
    hrow->addWidget(label(tr("(m)"), refBox));
    rg->addLayout(hrow, 1, 1);
    rg->addWidget(refLineMode_, 2, 0, 1, 2);
    rg->addWidget(refLineButton_, 3, 1);
    bottom->addWidget(refBox);

    auto* pileBox = group(tr("砂杭の計算式"), this);
    auto* pg = new QHBoxLayout(pileBox);
    formula_ = named(new QSpinBox(pileBox), QStringLiteral("UpDown1"));
    formula_->setRange(0, kSandPileFormulas - 1);
    formula_->setWrapping(false);
    formula_->setFixedWidth(formula_->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 36);
    formulaPicture_ = named(new QLabel(pileBox), QStringLiteral("Image1"));
    formulaPicture_->setFixedSize(kFormulaPictureSize);
    pg->addWidget(formula_, 0, Qt::AlignVCenter);
    pg->addWidget(formulaPicture_);
    pg->addStretch();
    bottom->addWidget(pileBox, 1);

    // The rounding rule is kept and stored but not offered.
    auto* roundBox = named(group(tr("まるめ方法"), this), QStringLiteral("RadioGroup2"));
    auto* rb = new QHBoxLayout(roundBox);
    rounding_ = new QButtonGroup(this);
    auto* ruleA = named(new QRadioButton(tr("JISZ8401(規則A)-5捨5入"), roundBox),
                        QStringLiteral("RadioButton11"));
    auto* ruleB = named(new QRadioButton(tr("JISZ8401(規則B)-4捨5入"), roundBox),
                        QStringLiteral("RadioButton12"));
    rounding_->addButton(ruleA, 0);
    rounding_->addButton(ruleB, 1);
    rb->addWidget(ruleA);
    rb->addWidget(ruleB);
    roundBox->hide();

    root->addWidget(roundBox);

    // The buttons beside the bottom groups.
    auto* buttons = new QVBoxLayout;
    bottom->addLayout(buttons);
    sheetPileButton_ = named(new QPushButton(tr("矢板の設定"), this), QStringLiteral("Button4"));
    sheetPileButton_->setAutoDefault(false);
    buttons->addWidget(sheetPileButton_);
    buttons->addStretch();
    auto* ok = confirmButton(this);
    auto* cancel = cancelButton(this);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    connect(ok, &QPushButton::clicked, this, &CalcConditionsDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(seismicSwitch_, &QCheckBox::toggled, this, &CalcConditionsDialog::updateEnabling);
    connect(refModes, &QButtonGroup::idToggled, this, &CalcConditionsDialog::updateEnabling);
    connect(formula_, &QSpinBox::valueChanged, this, &CalcConditionsDialog::updateFormulaPicture);
    connect(refLineButton_, &QPushButton::clicked, this, &CalcConditionsDialog::openReferenceLine);
    connect(sheetPileButton_, &QPushButton::clicked, this, &CalcConditionsDialog::openSheetPile);

    load(calcConditionsFields(document_.model()));
}

void CalcConditionsDialog::load(const CalcConditionsFields& f)
{
    title_->setText(qs(f.title));
    if (auto* b = method_->button(f.method)) {
        b->setChecked(true);
    } else {
        method_->setExclusive(false);
        for (auto* other : method_->buttons())
            other->setChecked(false);
        method_->setExclusive(true);
    }
    setTextOf(seismic_, f.seismicCoefficient);
    seismicSwitch_->setChecked(f.seismicOnSurcharge);
    setTextOf(maxFs_, f.maxSafetyFactor);
    setTextOf(allowFs_, f.allowableSafetyFactor);
    for (size_t i = 0; i < surcharge_.size(); ++i) {
        setTextOf(surcharge_[i][0], f.surchargeXmin[i]);
        setTextOf(surcharge_[i][1], f.surchargeXmax[i]);
        setTextOf(surcharge_[i][2], f.surchargeQmin[i]);
        setTextOf(surcharge_[i][3], f.surchargeQmax[i]);
    }
    for (size_t i = 0; i < force_.size(); ++i) {
        setTextOf(force_[i][0], f.forceY[i]);
        setTextOf(force_[i][1], f.forceH[i]);
    }
    (f.referenceMode == 1 ? refLineMode_ : refHeightMode_)->setChecked(true);
    setTextOf(refHeight_, f.referenceHeight);
    formula_->setValue(f.sandPilePosition);
    fsFormat_->button(f.fsTableWithRadius == 1 ? 1 : 0)->setChecked(true);
    rounding_->button(f.roundingRule == 1 ? 1 : 0)->setChecked(true);
    setTextOf(sliceWidth_, f.sliceWidth);
    // The sheet pile button follows the stored method, not the choice being made.
    sheetPileButton_->setEnabled(sheetPileButtonEnabled(document_.model().conditions.method));
    updateEnabling();
    updateFormulaPicture();
}

CalcConditionsFields CalcConditionsDialog::fields() const
{
    CalcConditionsFields f;
    f.title = textOf(title_);
    f.method = method_->checkedId();
    f.seismicCoefficient = textOf(seismic_);
    f.seismicOnSurcharge = seismicSwitch_->isChecked();
    f.maxSafetyFactor = textOf(maxFs_);
    f.allowableSafetyFactor = textOf(allowFs_);
    for (size_t i = 0; i < surcharge_.size(); ++i) {
        f.surchargeXmin[i] = textOf(surcharge_[i][0]);
        f.surchargeXmax[i] = textOf(surcharge_[i][1]);
        f.surchargeQmin[i] = textOf(surcharge_[i][2]);
        f.surchargeQmax[i] = textOf(surcharge_[i][3]);
    }
    for (size_t i = 0; i < force_.size(); ++i) {
        f.forceY[i] = textOf(force_[i][0]);
        f.forceH[i] = textOf(force_[i][1]);
    }
    f.referenceMode = refLineMode_->isChecked() ? 1 : 0;
    f.referenceHeight = textOf(refHeight_);
    f.sandPilePosition = formula_->value();
    f.fsTableWithRadius = fsFormat_->checkedId() == 1 ? 1 : 0;
    f.roundingRule = rounding_->checkedId() == 1 ? 1 : 0;
    f.sliceWidth = textOf(sliceWidth_);
    return f;
}

void CalcConditionsDialog::updateEnabling()
{
    const ReferenceEnabling e = referenceEnabling(refLineMode_->isChecked() ? 1 : 0);
    refHeight_->setEnabled(e.heightField);
    refLineButton_->setEnabled(e.lineButton);
    seismicNote_->setText(qs(seismicSwitchNote(seismicSwitch_->isChecked())));
}

void CalcConditionsDialog::updateFormulaPicture()
{
    formulaPicture_->setPixmap(sandPileFormulaPicture(sandPileFormulaAt(formula_->value()),
                                                      kFormulaPictureSize, devicePixelRatioF()));
}

void CalcConditionsDialog::openSheetPile()
{
    SheetPileDialog dialog(document_, host_, this);
    dialog.exec();
}

void CalcConditionsDialog::openReferenceLine()
{
    CohesionLineDialog dialog(document_, host_, this);
    dialog.exec();
}

void CalcConditionsDialog::confirm()
{
    const CalcConditionsFields f = fields();
    confirmThrough(document_, DialogChange::Model,
                   [&](SlopeModel& m) { return applyCalcConditions(m, f); });
}

} // namespace keltora::ui
