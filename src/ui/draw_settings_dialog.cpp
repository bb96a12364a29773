// The plot settings dialog.
#include "ui/draw_settings_dialog.h"

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

#include <memory>

#include "analysis/results.h"

namespace keltora::ui {

DrawSettingsDialog::DrawSettingsDialog(DialogDocument& document, DialogHost& host, QWidget* parent)
    : SizedDialog(host, kSizeDrawSettings, "TDraw_Frm", parent), document_(document)
{
    setWindowTitle(tr("作図条件設定"));
    auto* root = new QVBoxLayout(this);
    root->setSpacing(4);

    auto* top = new QHBoxLayout;
    root->addLayout(top);
    auto* paperBox = new QGroupBox(tr("作図サイズ"), this);
    auto* pb = new QHBoxLayout(paperBox);
    paper_ = new QButtonGroup(this);
    const QString papers[3] = {tr("Ａ４横"), tr("Ｂ４横"), tr("Ａ３横")};
    const int paperIds[3] = {1, 2, 0};
    for (int i = 0; i < 3; ++i) {
        auto* r = named(new QRadioButton(papers[i], paperBox),
                        QStringLiteral("RadioButton%1").arg(i + 1));
        paper_->addButton(r, paperIds[i]);
        pb->addWidget(r);
    }
    top->addWidget(paperBox);
    auto* scaleBox = new QGroupBox(tr("作図スケール"), this);
    auto* sb = new QHBoxLayout(scaleBox);
    sb->addWidget(label(tr("縮尺　１／"), scaleBox));
    scale_ = numberEdit(scaleBox, QStringLiteral("Edit1"));
    sb->addWidget(scale_);
    top->addWidget(scaleBox);

    auto* middle = new QHBoxLayout;
    root->addLayout(middle);
    auto* leftCol = new QVBoxLayout;
    middle->addLayout(leftCol);

    auto* arrowBox = new QGroupBox(tr("矢線の長さ　(0.0なら作図しない)"), this);
    auto* ag = new QGridLayout(arrowBox);
    ag->setVerticalSpacing(2);
    const QString arrowLabels[3] = {tr("上載荷重"), tr("水平外力"), tr("土圧強度")};
    const QString arrowUnits[3] = {tr("mm/(kN/m2)"), tr("mm/(kN/m)"), tr("mm/(kN/m2)")};
    for (int i = 0; i < 3; ++i) {
        arrows_[static_cast<size_t>(i)] = numberEdit(arrowBox, QStringLiteral("Edit%1").arg(2 + i));
        ag->addWidget(label(arrowLabels[i], arrowBox), i, 0);
        ag->addWidget(arrows_[static_cast<size_t>(i)], i, 1);
        ag->addWidget(label(arrowUnits[i], arrowBox), i, 2);
    }
    leftCol->addWidget(arrowBox);

    auto* textBox = new QGroupBox(tr("文字サイズ"), this);
    auto* tg = new QGridLayout(textBox);
    tg->setVerticalSpacing(2);
    const QString textLabels[6] = {tr("業務名"),     tr("土質条件"),   tr("スケール"),
                                   tr("安全率一覧"), tr("最小安全率"), tr("点番号")};
    for (int i = 0; i < 6; ++i) {
        textSizes_[static_cast<size_t>(i)] =
            numberEdit(textBox, QStringLiteral("Edit%1").arg(5 + i));
        tg->addWidget(label(textLabels[i], textBox), i, 0);
        tg->addWidget(textSizes_[static_cast<size_t>(i)], i, 1);
        tg->addWidget(label(tr("(mm)"), textBox), i, 2);
    }
    tg->addWidget(note(tr("※　サイズ=0.0なら作図しない"), textBox), 6, 0, 1, 3);
    leftCol->addWidget(textBox);
    leftCol->addStretch();

    auto* rightCol = new QVBoxLayout;
    middle->addLayout(rightCol);
    auto* fsBox = new QGroupBox(tr("安全率作図スイッチ"), this);
    auto* fg = new QGridLayout(fsBox);
    fg->setVerticalSpacing(2);
    const QString grids[4] = {tr("１次格子の安全率"), tr("２次格子の安全率"),
                              tr("３次格子の安全率"), tr("４次格子の安全率")};
    for (int i = 0; i < 4; ++i) {
        gridFs_[static_cast<size_t>(i)] =
            named(new QCheckBox(grids[i], fsBox), QStringLiteral("CheckBox%1").arg(i + 1));
        fg->addWidget(gridFs_[static_cast<size_t>(i)], i, 0);
    }
    rightCol->addWidget(fsBox);

    auto* decBox = new QGroupBox(tr("小数点以下桁数"), this);
    auto* dg = new QGridLayout(decBox);
    dg->setVerticalSpacing(2);
    const QString decLabels[8] = {
        tr("安全率"), tr("土質条件　γt"), tr("水平外力"),      tr("上載荷重"), tr("Ｃ"),
        tr("φ"),      tr("土圧強度"),     tr("モーメント・力")};
    for (int i = 0; i < 8; ++i) {
        auto* e = integerEdit(decBox, QStringLiteral("Edit%1").arg(11 + i));
        e->setMaximumWidth(48);
        decimals_[static_cast<size_t>(i)] = e;
        dg->addWidget(label(decLabels[i], decBox), i, 0);
        dg->addWidget(e, i, 1);
    }
    zeroStrength_ =
        named(new QCheckBox(tr("C,φ作図のスイッチ"), decBox), QStringLiteral("CheckBox5"));
    dg->addWidget(zeroStrength_, 8, 0, 1, 2);
    dg->addWidget(note(tr("※　C,φ=0.0の時に、"), decBox), 9, 0, 1, 2);
    dg->addWidget(note(tr("　　C,φを作図する。"), decBox), 10, 0, 1, 2);
    rightCol->addWidget(decBox);

    auto* soilBox = new QGroupBox(tr("土質条件"), this);
    auto* sl = new QVBoxLayout(soilBox);
    sl->setSpacing(2);
    soilLayout_ = new QButtonGroup(this);
    auto* onSection = named(new QRadioButton(tr("土質条件を直接地形に書き込む"), soilBox),
                            QStringLiteral("RadioButton4"));
    auto* asTable = named(new QRadioButton(tr("土質条件を表形式でまとめて作図する"), soilBox),
                          QStringLiteral("RadioButton5"));
    soilLayout_->addButton(onSection, 1);
    soilLayout_->addButton(asTable, 0);
    sl->addWidget(onSection);
    sl->addWidget(asTable);
    leftCol->insertWidget(leftCol->count() - 1, soilBox); // above the stretch
    rightCol->addStretch();

    root->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = confirmButton(this);
    auto* cancel = cancelButton(this);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    root->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &DrawSettingsDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    load(drawSettingsFields(document_.model()));
}

void DrawSettingsDialog::load(const DrawSettingsFields& f)
{
    paper_->button(f.paper)->setChecked(true);
    setTextOf(scale_, f.scaleDenominator);
    for (size_t i = 0; i < arrows_.size(); ++i)
        setTextOf(arrows_[i], f.arrows[i]);
    for (size_t i = 0; i < textSizes_.size(); ++i)
        setTextOf(textSizes_[i], f.textSizes[i]);
    for (size_t i = 0; i < gridFs_.size(); ++i)
        gridFs_[i]->setChecked(f.gridFs[i]);
    for (size_t i = 0; i < decimals_.size(); ++i)
        setTextOf(decimals_[i], f.decimals[i]);
    zeroStrength_->setChecked(f.drawZeroStrength);
    soilLayout_->button(f.soilOnSection ? 1 : 0)->setChecked(true);
}

DrawSettingsFields DrawSettingsDialog::fields() const
{
    DrawSettingsFields f;
    f.paper = paper_->checkedId();
    f.scaleDenominator = textOf(scale_);
    for (size_t i = 0; i < arrows_.size(); ++i)
        f.arrows[i] = textOf(arrows_[i]);
    for (size_t i = 0; i < textSizes_.size(); ++i)
        f.textSizes[i] = textOf(textSizes_[i]);
    for (size_t i = 0; i < gridFs_.size(); ++i)
        f.gridFs[i] = gridFs_[i]->isChecked();
    for (size_t i = 0; i < decimals_.size(); ++i)
        f.decimals[i] = textOf(decimals_[i]);
    f.drawZeroStrength = zeroStrength_->isChecked();
    f.soilOnSection = soilLayout_->checkedId() == 1;
    return f;
}

void DrawSettingsDialog::confirm()
{
    const DrawSettingsFields f = fields();
    const DialogOutcome out = confirmThrough(
        document_, DialogChange::Model, [&](SlopeModel& m) { return applyDrawSettings(m, f); });
    // The factor-of-safety decimals may have changed: the critical result and the labels
    // are built anew from the result tables (moved labels return to their places).
    if (out.accepted && out.stored && document_.validResults()) {
        auto rebuilt = std::make_shared<CalculationResults>(*document_.validResults());
        rebuildResultLabels(document_.model(), *rebuilt);
        document_.setResults(std::move(rebuilt));
    }
}

} // namespace keltora::ui
