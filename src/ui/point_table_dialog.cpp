// The point and line table editors.
#include "ui/point_table_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/table_grid.h"

namespace keltora::ui {

namespace {

QWidget* invalidRowNote(QWidget* parent)
{
    auto* box = new QWidget(parent);
    box->setObjectName(QStringLiteral("Panel2"));
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    for (const QString& t :
         {QObject::tr("ＸＹの一方が空"), QObject::tr("白のデータは無"), QObject::tr("効です。")})
        v->addWidget(note(t, box));
    return box;
}

// The grid on the left; on the right the legend (optional), the key help, the note and the
// buttons.
QPushButton* layoutTable(QDialog* dialog, TableGrid* grid, QWidget* legend, const QString& escText,
                         QWidget* extraNote)
{
    auto* root = new QHBoxLayout(dialog);
    root->setContentsMargins(6, 6, 6, 6);
    root->addWidget(grid, 1);
    auto* side = new QVBoxLayout;
    root->addLayout(side);
    if (legend) side->addWidget(legend);
    side->addWidget(gridKeyHelp(escText, dialog));
    if (extraNote) side->addWidget(extraNote);
    side->addStretch();
    auto* ok = confirmButton(dialog);
    auto* cancel = cancelButton(dialog);
    side->addWidget(ok);
    side->addWidget(cancel);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return ok;
}

} // namespace

// ---- points

PointTableDialog::PointTableDialog(DialogDocument& document, DialogHost& host, QWidget* parent)
    : SizedDialog(host, kSizePointTable, "TXYT_Frm", parent), document_(document)
{
    setWindowTitle(tr("座標値編集画面"));
    grid_ = new TableGrid(kTableRows, {tr("Ｘ (m)"), tr("Ｙ (m)")}, this);
    QPushButton* ok =
        layoutTable(this, grid_, nullptr, tr("Esc   :座標を削除"), invalidRowNote(this));

    std::vector<std::vector<std::string>> text;
    for (const PointRow& r : pointTableRows(document_.model()))
        text.push_back({r.x, r.y});
    grid_->setRowsText(text);

    connect(grid_, &TableGrid::edited, this, &PointTableDialog::preview);
    connect(ok, &QPushButton::clicked, this, [this] {
        const std::vector<PointRow> typed = rows();
        confirmThrough(document_, DialogChange::Model,
                       [&](SlopeModel& m) { return applyPointTable(m, typed); });
    });
    preview();
}

PointTableDialog::~PointTableDialog()
{
    host_.setDrawPreview({});
    host_.redraw(0);
}

std::vector<PointRow> PointTableDialog::rows() const
{
    std::vector<PointRow> out;
    for (const auto& r : grid_->rowsText())
        out.push_back({r[0], r[1]});
    return out;
}

void PointTableDialog::preview()
{
    const auto typed = typedPoints(rows());
    host_.setDrawPreview([typed](SlopeModel& m) {
        int count = 0;
        for (size_t i = 0; i < typed.size() && i < m.points.size(); ++i) {
            TerrainPoint& p = m.points[i];
            if (typed[i]) {
                p = {static_cast<int32_t>(i), typed[i]->x, typed[i]->y};
                count = static_cast<int>(i) + 1;
            } else {
                p = TerrainPoint{};
            }
        }
        for (int i = kMaxPoints - 1; i >= static_cast<int>(typed.size()); --i)
            if (i < m.pointCount && m.points[static_cast<size_t>(i)].number >= 0) {
                count = std::max(count, i + 1);
                break;
            }
        m.pointCount = count;
    });
    host_.redraw(1);
}

// ---- lines

LineTableDialog::LineTableDialog(DialogDocument& document, DialogHost& host, QWidget* parent)
    : SizedDialog(host, kSizeLineTable, "TLNT_Frm", parent), document_(document)
{
    setWindowTitle(tr("線分の編集画面"));
    grid_ = new TableGrid(kTableRows, {tr("種類"), tr("始点No"), tr("終点No")}, this);

    auto* legend = new QWidget(this);
    legend->setObjectName(QStringLiteral("Panel3"));
    auto* lv = new QVBoxLayout(legend);
    lv->setContentsMargins(0, 0, 0, 4);
    lv->setSpacing(0);
    for (const QString& t :
         {tr("1:境界線"), tr("2:不切線"), tr("3:円弧制限線－小"), tr("4:円弧制限線－大"),
          tr("5:円弧制限点－小"), tr("6:円弧制限点－大")})
        lv->addWidget(label(t, legend));
    for (const QString& t :
         {tr("3,4は始点=終点な"), tr("ら水平の制限線"), tr("5,6は常に始点=終点")})
        lv->addWidget(note(t, legend));
    QPushButton* ok = layoutTable(this, grid_, legend, tr("Esc   :線分を削除"), nullptr);

    std::vector<std::vector<std::string>> text;
    for (const LineRow& r : lineTableRows(document_.model()))
        text.push_back({r.kind, r.start, r.end});
    grid_->setRowsText(text);

    connect(grid_, &TableGrid::edited, this, &LineTableDialog::preview);
    connect(ok, &QPushButton::clicked, this, [this] {
        const std::vector<LineRow> typed = rows();
        confirmThrough(document_, DialogChange::Model,
                       [&](SlopeModel& m) { return applyLineTable(m, typed); });
    });
    preview();
}

LineTableDialog::~LineTableDialog()
{
    host_.setDrawPreview({});
    host_.redraw(0);
}

std::vector<LineRow> LineTableDialog::rows() const
{
    std::vector<LineRow> out;
    for (const auto& r : grid_->rowsText())
        out.push_back({r[0], r[1], r[2]});
    return out;
}

void LineTableDialog::preview()
{
    const auto typed = typedLines(rows());
    host_.setDrawPreview([typed](SlopeModel& m) {
        auto exists = [&m](int32_t p) {
            return p >= 0 && p < kMaxPoints && p < m.pointCount &&
                   m.points[static_cast<size_t>(p)].number >= 0;
        };
        int count = 0;
        for (size_t i = 0; i < typed.size() && i < m.lines.size(); ++i) {
            TerrainLine& l = m.lines[i];
            // Rows naming points that do not exist are not drawn (nothing to draw them to).
            if (typed[i] && exists(typed[i]->startPoint) && exists(typed[i]->endPoint)) {
                l = {typed[i]->kind, typed[i]->startPoint, typed[i]->endPoint, 1};
                count = static_cast<int>(i) + 1;
            } else {
                l = TerrainLine{};
            }
        }
        for (int i = kMaxLines - 1; i >= static_cast<int>(typed.size()); --i)
            if (i < m.lineCount && m.lines[static_cast<size_t>(i)].kind >= 0) {
                count = std::max(count, i + 1);
                break;
            }
        m.lineCount = count;
    });
    host_.redraw(2);
}

} // namespace keltora::ui
