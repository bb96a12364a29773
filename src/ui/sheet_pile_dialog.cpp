// The sheet pile dialog.
#include "ui/sheet_pile_dialog.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "model/sheet_pile_import.h"
#include "ui/table_grid.h"

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

SheetPileDialog::SheetPileDialog(DialogDocument& document, DialogHost& host, QWidget* parent)
    : SizedDialog(host, kSizeSheetPile, "TYT_Frm", parent), document_(document)
{
    setWindowTitle(tr("矢板の設定"));
    auto* root = new QHBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 6);
    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    root->addLayout(left);

    auto* methodBox = new QGroupBox(tr("矢板の取り扱い"), this);
    auto* mv = new QGridLayout(methodBox);
    mv->setVerticalSpacing(2);
    method_ = new QButtonGroup(this);
    const QString texts[4] = {tr("矢板を無視する"), tr("矢板を横切らない"),
                              tr("矢板の受動土圧を考慮"), tr("矢板のせん断耐力を考慮")};
    for (int i = 0; i < 4; ++i) {
        auto* r = named(new QRadioButton(texts[i], methodBox),
                        QStringLiteral("RadioButton%1").arg(i + 1));
        method_->addButton(r, i);
        mv->addWidget(r, i / 2, i % 2);
    }
    left->addWidget(methodBox);

    auto* posBox = new QGroupBox(tr("矢板の位置"), this);
    auto* pg = new QGridLayout(posBox);
    pg->setVerticalSpacing(2);
    x_ = numberEdit(posBox, QStringLiteral("Edit1"));
    topY_ = numberEdit(posBox, QStringLiteral("Edit2"));
    toeY_ = numberEdit(posBox, QStringLiteral("Edit3"));
    addRow(pg, 0, tr("矢板位置Ｘ座標値"), x_, tr("(m)"), posBox);
    addRow(pg, 1, tr("矢板天端高"), topY_, tr("(m)"), posBox);
    addRow(pg, 2, tr("矢板根入れ高"), toeY_, tr("(m)"), posBox);
    left->addWidget(posBox);

    auto* specBox = new QGroupBox(tr("矢板の諸元"), this);
    auto* sg = new QGridLayout(specBox);
    sg->setVerticalSpacing(2);
    allowableShear_ = numberEdit(specBox, QStringLiteral("Edit4"));
    sectionArea_ = numberEdit(specBox, QStringLiteral("Edit5"));
    lm1_ = numberEdit(specBox, QStringLiteral("Edit6"));
    addRow(sg, 0, tr("せん断許容応力度"), allowableShear_, tr("(N/cm2)"), specBox);
    addRow(sg, 1, tr("矢板断面積"), sectionArea_, tr("(cm2/m)"), specBox);
    sg->addWidget(note(tr("※　せん断耐力 Ｓ＝τa・Ａ"), specBox), 2, 0, 1, 3);
    addRow(sg, 3, tr("受動土圧の考慮範囲 lm1"), lm1_, tr("(m)"), specBox);
    auto* import = named(new QPushButton(tr("インポート"), specBox), QStringLiteral("Button3"));
    import->setAutoDefault(false);
    sg->addWidget(import, 4, 1, 1, 2);
    left->addWidget(specBox);
    left->addStretch();

    auto* right = new QVBoxLayout;
    root->addLayout(right, 1);
    auto* tableBox = new QGroupBox(tr("受動土圧"), this);
    auto* tv = new QVBoxLayout(tableBox);
    tv->setSpacing(2);
    tv->addWidget(note(tr("矢板に掛かる受動土圧を上から順番"), tableBox));
    tv->addWidget(note(tr("に土圧強度で指定してください"), tableBox));
    grid_ = new TableGrid(kPassiveRows, {tr("標高 (m)"), tr("土圧強度")}, tableBox, true);
    tv->addWidget(grid_, 1);
    tv->addWidget(gridKeyHelp(tr("Esc   :座標を削除"), tableBox, 2));
    right->addWidget(tableBox, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = confirmButton(this);
    auto* cancel = cancelButton(this);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    right->addLayout(buttons);

    connect(import, &QPushButton::clicked, this, &SheetPileDialog::importFile);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, [this] {
        const SheetPileFields f = fields();
        confirmThrough(document_, DialogChange::Model,
                       [&](SlopeModel& m) { return applySheetPile(m, f); });
    });
    load(sheetPileFields(document_.model()));
}

void SheetPileDialog::load(const SheetPileFields& f, bool withHandling)
{
    if (withHandling) method_->button(f.method)->setChecked(true);
    setTextOf(x_, f.x);
    setTextOf(topY_, f.topY);
    setTextOf(toeY_, f.toeY);
    setTextOf(allowableShear_, f.allowableShear);
    setTextOf(sectionArea_, f.sectionArea);
    setTextOf(lm1_, f.lm1);
    std::vector<std::vector<std::string>> rows;
    for (const PairRow& r : f.passive)
        rows.push_back({r.a, r.b});
    grid_->setRowsText(rows);
}

SheetPileFields SheetPileDialog::fields() const
{
    SheetPileFields f;
    f.method = method_->checkedId();
    f.x = textOf(x_);
    f.topY = textOf(topY_);
    f.toeY = textOf(toeY_);
    f.allowableShear = textOf(allowableShear_);
    f.sectionArea = textOf(sectionArea_);
    f.lm1 = textOf(lm1_);
    for (const auto& r : grid_->rowsText())
        f.passive.push_back({r[0], r[1]});
    return f;
}

void SheetPileDialog::importFile()
{
    const QString path =
        host_.openFileName(tr("矢板諸元データを読み込む"), tr("矢板諸元ファイル (*.DAT *.dat)"));
    if (path.isEmpty()) return;
    host_.setDataDirectory(QFileInfo(path).absolutePath());
    SlopeModel copy = document_.model();
    const SheetPileImportResult r =
        importSheetPile(copy, std::filesystem::path(path.toStdString()));
    if (r.status != 0) {
        host_.tell(r.error.value_or(Message{"矢板諸元ファイルを読み込めません。", "error"}));
        return;
    }
    document_.replaceModel(tr("矢板諸元インポート"), std::move(copy));
    for (const Message& w : r.warnings)
        host_.tell(w);
    // The handling code is not part of the file: the choice made in the dialog stays.
    load(sheetPileFields(document_.model()), false);
    host_.fitAll();
}

} // namespace keltora::ui
