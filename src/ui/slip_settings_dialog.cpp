// The slip circle and straight slip settings dialogs.
#include "ui/slip_settings_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace keltora::ui {

namespace {

QLineEdit* methodField(QWidget* parent)
{
    auto* e = named(new QLineEdit(parent), QStringLiteral("Edit1"));
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    return e;
}

QHBoxLayout* methodRow(QWidget* parent, QLineEdit* field)
{
    auto* row = new QHBoxLayout;
    row->addWidget(label(QObject::tr("検討方法"), parent));
    row->addWidget(field, 1);
    return row;
}

// A group of labelled number fields (label, edit, unit) numbered from `firstEdit`.
QGroupBox* numberGroup(QWidget* parent, const QString& title, const QStringList& labels,
                       const QString& unit, int firstEdit, QLineEdit** out)
{
    auto* box = new QGroupBox(title, parent);
    auto* g = new QGridLayout(box);
    g->setVerticalSpacing(3);
    for (int i = 0; i < labels.size(); ++i) {
        g->addWidget(label(labels[i], box), i, 0);
        out[i] = numberEdit(box, QStringLiteral("Edit%1").arg(firstEdit + i));
        g->addWidget(out[i], i, 1);
        if (!unit.isEmpty()) g->addWidget(label(unit, box), i, 2);
    }
    g->setColumnStretch(1, 1);
    return box;
}

QGroupBox* radioGroup(QWidget* parent, const QString& title, const QStringList& texts,
                      const QList<int>& ids, int firstRadio, QButtonGroup* group)
{
    auto* box = new QGroupBox(title, parent);
    auto* v = new QVBoxLayout(box);
    v->setSpacing(2);
    for (int i = 0; i < texts.size(); ++i) {
        auto* r = named(new QRadioButton(texts[i], box),
                        QStringLiteral("RadioButton%1").arg(firstRadio + i));
        group->addButton(r, ids[i]);
        v->addWidget(r);
    }
    return box;
}

QHBoxLayout* buttonRow(QDialog* dialog, const std::function<void()>& onConfirm)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = confirmButton(dialog);
    auto* cancel = cancelButton(dialog);
    row->addWidget(ok);
    row->addWidget(cancel);
    QObject::connect(ok, &QPushButton::clicked, dialog, onConfirm);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return row;
}

void check(QButtonGroup* group, int id)
{
    if (auto* b = group->button(id)) b->setChecked(true);
}

} // namespace

// ---- slip circle

CircleSettingsDialog::CircleSettingsDialog(DialogDocument& document, DialogHost& host,
                                           QWidget* parent)
    : SizedDialog(host, kSizeCircleSettings, "TCirc_Frm", parent), document_(document)
{
    auto* root = new QVBoxLayout(this);
    root->setSpacing(4);
    method_ = methodField(this);
    root->addLayout(methodRow(this, method_));

    // X on the left, Y on the right.
    auto* centreBox = new QGroupBox(tr("円弧中心グリッドの設定"), this);
    auto* cg = new QGridLayout(centreBox);
    const QString centreLabels[6] = {tr("中心位置(Xmin)"), tr("中心位置(Xmax)"),
                                     tr("ピッチ　(ΔＸ)"),  tr("中心位置(Ymin)"),
                                     tr("中心位置(Ymax)"), tr("ピッチ　(ΔＹ)")};
    for (int i = 0; i < 6; ++i) {
        QLineEdit* e = numberEdit(centreBox, QStringLiteral("Edit%1").arg(2 + i));
        (i < 3 ? centreX_ : centreY_)[static_cast<size_t>(i % 3)] = e;
        cg->addWidget(label(centreLabels[i], centreBox), i % 3, (i / 3) * 2);
        cg->addWidget(e, i % 3, (i / 3) * 2 + 1);
    }
    cg->addWidget(label(tr("(m)"), centreBox), 0, 4);
    root->addWidget(centreBox);
    auto* radiusBox = new QGroupBox(tr("円弧半径の設定"), this);
    auto* rg = new QGridLayout(radiusBox);
    const QString radiusLabels[3] = {tr("半径範囲(Rmin)"), tr("半径範囲(Rmax)"),
                                     tr("ピッチ　(ΔＲ)")};
    QLineEdit* radius[3];
    for (int i = 0; i < 3; ++i) {
        radius[i] = numberEdit(radiusBox, QStringLiteral("Edit%1").arg(8 + i));
        rg->addWidget(label(radiusLabels[i], radiusBox), i / 2, (i % 2) * 2);
        rg->addWidget(radius[i], i / 2, (i % 2) * 2 + 1);
    }
    rg->addWidget(label(tr("(m)"), radiusBox), 0, 4);
    root->addWidget(radiusBox);
    radius_ = {radius[0], radius[1], radius[2]};

    auto* extBox = new QGroupBox(tr("１次格子の設定"), this);
    auto* ev = new QVBoxLayout(extBox);
    extend_ = named(new QCheckBox(tr("最小安全率がグリッド境界の時に１次格子を拡張する"), extBox),
                    QStringLiteral("CheckBox1"));
    ev->addWidget(extend_);
    root->addWidget(extBox);

    finest_ = new QButtonGroup(this);
    root->addWidget(
        radioGroup(this, tr("Ｎ次格子の発生"),
                   {tr("２次格子を発生しない"), tr("２次格子を発生する(ピッチは１次格子の1/2)"),
                    tr("３次格子を発生する(ピッチは２次格子の1/2)"),
                    tr("４次格子を発生する(ピッチは３次格子の1/2)")},
                   {1, 2, 3, 4}, 1, finest_));
    direction_ = new QButtonGroup(this);
    root->addWidget(
        radioGroup(this, tr("すべり方向"),
                   {tr("すべる方向を荷重から自動的に判定する"),
                    tr("左(Xmin)から右(Xmax)方向にすべる"), tr("右(Xmax)から左(Xmin)方向にすべる")},
                   {1, 2, 3}, 5, direction_));
    root->addStretch();
    root->addLayout(buttonRow(this, [this] {
        const CircleSettingsFields f = fields();
        confirmThrough(document_, DialogChange::Model,
                       [&](SlopeModel& m) { return applyCircleSettings(m, f); });
    }));
    load(circleSettingsFields(document_.model()));
}

void CircleSettingsDialog::load(const CircleSettingsFields& f)
{
    setWindowTitle(qs(f.caption));
    method_->setText(qs(f.methodName));
    for (size_t i = 0; i < 3; ++i) {
        setTextOf(centreX_[i], f.centreX[i]);
        setTextOf(centreY_[i], f.centreY[i]);
        setTextOf(radius_[i], f.radius[i]);
    }
    extend_->setChecked(f.extendFirstGrid);
    check(finest_, f.finestGrid);
    check(direction_, f.direction);
}

CircleSettingsFields CircleSettingsDialog::fields() const
{
    CircleSettingsFields f = circleSettingsFields(document_.model());
    for (size_t i = 0; i < 3; ++i) {
        f.centreX[i] = textOf(centreX_[i]);
        f.centreY[i] = textOf(centreY_[i]);
        f.radius[i] = textOf(radius_[i]);
    }
    f.extendFirstGrid = extend_->isChecked();
    f.finestGrid = finest_->checkedId();
    f.direction = direction_->checkedId();
    return f;
}

// ---- straight slip (1)

LineByAngleDialog::LineByAngleDialog(DialogDocument& document, DialogHost& host, QWidget* parent)
    : SizedDialog(host, kSizeLineByAngle, "TLine_Frm", parent), document_(document)
{
    setWindowTitle(tr("すべり線の設定－直線すべり法（１）"));
    auto* root = new QVBoxLayout(this);
    root->setSpacing(4);
    auto* method = methodField(this);
    method->setText(tr("直線すべり法(始点＋方向)"));
    root->addLayout(methodRow(this, method));

    QLineEdit* start[2];
    QLineEdit* force[1];
    auto* startRow = new QHBoxLayout;
    startRow->addWidget(numberGroup(this, tr("すべり開始点の設定"),
                                    {tr("開始位置(Ｘ)"), tr("開始位置(Ｙ)")}, tr("(m)"), 2, start));
    startRow->addWidget(
        numberGroup(this, tr("水平外力作用位置の設定"), {tr("作用位置 (Ｘ)")}, tr("(m)"), 7, force),
        0, Qt::AlignTop);
    root->addLayout(startRow);
    startX_ = start[0];
    startY_ = start[1];
    forceX_ = force[0];
    QLineEdit* angle[3];
    root->addWidget(numberGroup(this, tr("すべり角度の設定"),
                                {tr("角度範囲(αmin)"), tr("角度範囲(αmax)"), tr("ピッチ　　(Δα)")},
                                tr("(度)"), 4, angle));
    angle_ = {angle[0], angle[1], angle[2]};
    direction_ = new QButtonGroup(this);
    root->addWidget(radioGroup(this, tr("すべり方向"),
                               {tr("すべり開始点より上をすべり面とする"),
                                tr("すべり開始点より下をすべり面とする"),
                                tr("すべり開始点の上下ともにすべり面とする")},
                               {1, 2, 0}, 1, direction_));
    auto* refBox = new QGroupBox(tr("すべり角の２次分割"), this);
    auto* rv = new QVBoxLayout(refBox);
    refine_ = named(
        new QCheckBox(tr("最小安全率のすべり角の前後の範囲を角度ピッチを1/10にして再検討"), refBox),
        QStringLiteral("CheckBox1"));
    rv->addWidget(refine_);
    root->addWidget(refBox);
    root->addStretch();
    root->addLayout(buttonRow(this, [this] {
        const LineByAngleFields f = fields();
        confirmThrough(document_, DialogChange::Model,
                       [&](SlopeModel& m) { return applyLineByAngle(m, f); });
    }));
    load(lineByAngleFields(document_.model()));
}

void LineByAngleDialog::load(const LineByAngleFields& f)
{
    setTextOf(startX_, f.startX);
    setTextOf(startY_, f.startY);
    for (size_t i = 0; i < 3; ++i)
        setTextOf(angle_[i], f.angle[i]);
    check(direction_, f.direction);
    refine_->setChecked(f.refine);
    setTextOf(forceX_, f.forceX);
}

LineByAngleFields LineByAngleDialog::fields() const
{
    LineByAngleFields f;
    f.startX = textOf(startX_);
    f.startY = textOf(startY_);
    for (size_t i = 0; i < 3; ++i)
        f.angle[i] = textOf(angle_[i]);
    f.direction = direction_->checkedId();
    f.refine = refine_->isChecked();
    f.forceX = textOf(forceX_);
    return f;
}

// ---- straight slip (2)

LineBySegmentsDialog::LineBySegmentsDialog(DialogDocument& document, DialogHost& host,
                                           QWidget* parent)
    : SizedDialog(host, kSizeLineBySegments, "TLine_Frm2", parent), document_(document)
{
    setWindowTitle(tr("すべり線の設定－直線すべり法（２）"));
    auto* root = new QVBoxLayout(this);
    root->setSpacing(4);
    auto* method = methodField(this);
    method->setText(tr("直線すべり法(始点線分＋終点線分)"));
    root->addLayout(methodRow(this, method));

    auto* pair = new QHBoxLayout;
    QLineEdit* start[5];
    pair->addWidget(
        numberGroup(this, tr("すべり開始点の設定"),
                    {tr("開始点位置１(Ｘ)"), tr("開始点位置１(Ｙ)"), tr("開始点位置２(Ｘ)"),
                     tr("開始点位置２(Ｙ)"), tr("開始点ピッチ(Ｙ)")},
                    QString(), 2, start));
    QLineEdit* end[5];
    pair->addWidget(
        numberGroup(this, tr("すべり終了点の設定"),
                    {tr("終了点位置１(Ｘ)"), tr("終了点位置１(Ｙ)"), tr("終了点位置２(Ｘ)"),
                     tr("終了点位置２(Ｙ)"), tr("終了点ピッチ(Ｙ)")},
                    QString(), 7, end));
    root->addLayout(pair);
    root->addWidget(note(tr("※　位置とピッチの単位は (m)"), this));
    for (size_t i = 0; i < 5; ++i) {
        start_[i] = start[i];
        end_[i] = end[i];
    }
    auto* refBox = new QGroupBox(tr("すべり開始・終了点の２次分割"), this);
    auto* rv = new QVBoxLayout(refBox);
    refine_ =
        named(new QCheckBox(tr("最小安全率のすべり点の前後をピッチを1/10にして再検討"), refBox),
              QStringLiteral("CheckBox1"));
    rv->addWidget(refine_);
    root->addWidget(refBox);
    QLineEdit* force[1];
    root->addWidget(numberGroup(this, tr("水平外力作用位置の設定"), {tr("作用位置 (Ｘ)")},
                                tr("(m)"), 12, force));
    forceX_ = force[0];
    root->addStretch();
    root->addLayout(buttonRow(this, [this] {
        const LineBySegmentsFields f = fields();
        confirmThrough(document_, DialogChange::Model,
                       [&](SlopeModel& m) { return applyLineBySegments(m, f); });
    }));
    load(lineBySegmentsFields(document_.model()));
}

void LineBySegmentsDialog::load(const LineBySegmentsFields& f)
{
    const std::string starts[5] = {f.start1[0], f.start1[1], f.start2[0], f.start2[1],
                                   f.startPitch};
    const std::string ends[5] = {f.end1[0], f.end1[1], f.end2[0], f.end2[1], f.endPitch};
    for (size_t i = 0; i < 5; ++i) {
        setTextOf(start_[i], starts[i]);
        setTextOf(end_[i], ends[i]);
    }
    refine_->setChecked(f.refine);
    setTextOf(forceX_, f.forceX);
}

LineBySegmentsFields LineBySegmentsDialog::fields() const
{
    LineBySegmentsFields f;
    f.start1 = {textOf(start_[0]), textOf(start_[1])};
    f.start2 = {textOf(start_[2]), textOf(start_[3])};
    f.startPitch = textOf(start_[4]);
    f.end1 = {textOf(end_[0]), textOf(end_[1])};
    f.end2 = {textOf(end_[2]), textOf(end_[3])};
    f.endPitch = textOf(end_[4]);
    f.refine = refine_->isChecked();
    f.forceX = textOf(forceX_);
    return f;
}

void openSlipSettingsDialog(DialogDocument& document, DialogHost& host, QWidget* parent)
{
    switch (slipSettingsDialogFor(document.model().conditions.method)) {
    case SlipSettingsDialog::LineByAngle: {
        LineByAngleDialog d(document, host, parent);
        d.exec();
        break;
    }
    case SlipSettingsDialog::LineBySegments: {
        LineBySegmentsDialog d(document, host, parent);
        d.exec();
        break;
    }
    case SlipSettingsDialog::Circle: {
        CircleSettingsDialog d(document, host, parent);
        d.exec();
        break;
    }
    }
}

} // namespace keltora::ui
