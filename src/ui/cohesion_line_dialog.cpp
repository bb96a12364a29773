// The cohesion reference line table.
#include "ui/cohesion_line_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/table_grid.h"

namespace keltora::ui {

CohesionLineDialog::CohesionLineDialog(DialogDocument& document, DialogHost& host, QWidget* parent)
    : SizedDialog(host, kSizeReferenceLine, "TNenT_Frm", parent), document_(document)
{
    setWindowTitle(tr("粘着力基準線"));
    grid_ = new TableGrid(kReferenceRows, {tr("Ｘ (m)"), tr("Ｙ (m)")}, this, true);
    auto* root = new QHBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 6);
    root->addWidget(grid_, 1);
    auto* side = new QVBoxLayout;
    root->addLayout(side);
    side->addWidget(gridKeyHelp(tr("Esc   :座標を削除"), this));
    for (const QString& t : {tr("ＸＹの一方が空"), tr("白のデータは無"), tr("効です。")})
        side->addWidget(note(t, this));
    side->addWidget(note(tr("※　Ｘの小さい順に"), this));
    side->addWidget(note(tr("　　並べ替えます。"), this));
    side->addStretch();
    auto* ok = confirmButton(this);
    auto* cancel = cancelButton(this);
    side->addWidget(ok);
    side->addWidget(cancel);

    std::vector<std::vector<std::string>> text;
    for (const PairRow& r : referenceLineRows(document_.model()))
        text.push_back({r.a, r.b});
    grid_->setRowsText(text);

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, [this] {
        const std::vector<PairRow> typed = rows();
        confirmThrough(document_, DialogChange::Model,
                       [&](SlopeModel& m) { return applyReferenceLine(m, typed); });
    });
}

std::vector<PairRow> CohesionLineDialog::rows() const
{
    std::vector<PairRow> out;
    for (const auto& r : grid_->rowsText())
        out.push_back({r[0], r[1]});
    return out;
}

} // namespace keltora::ui
