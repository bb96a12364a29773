// The coordinate input and the parallel line offset dialogs.
#include "ui/coordinate_input_dialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "edit/parallel_line_rules.h"
#include "edit/point_table_rules.h"

namespace keltora::ui {

CoordinateInputDialog::CoordinateInputDialog(DialogDocument& document, DialogHost& host,
                                             CoordinateMode mode, int movingSlot, QWidget* parent)
    : CoordinateInputDialog(host, document.model(), &document,
                            coordinateFields(document.model(), mode, movingSlot), parent)
{
}

CoordinateInputDialog::CoordinateInputDialog(DialogHost& host, const SlopeModel& model,
                                             DialogDocument* document, CoordinateFields shown,
                                             QWidget* parent, bool freePosition)
    : SizedDialog(host, kSizeCoordinateInput, "TXY_Frm", parent), model_(model),
      document_(document), freePosition_(freePosition), shown_(std::move(shown))
{
    setWindowTitle(tr("座標入力"));
    auto* root = new QHBoxLayout(this);
    root->setContentsMargins(6, 4, 6, 4);
    auto* g = new QGridLayout;
    g->setVerticalSpacing(2);
    root->addLayout(g, 1);
    number_ = named(new QLineEdit(this), QStringLiteral("Edit1"));
    number_->setReadOnly(true);
    number_->setFocusPolicy(Qt::NoFocus);
    x_ = named(new QLineEdit(this), QStringLiteral("Edit2"));
    y_ = named(new QLineEdit(this), QStringLiteral("Edit3"));
    for (QLineEdit* e : {number_, x_, y_})
        e->setAlignment(Qt::AlignRight);
    g->addWidget(label(tr("No"), this), 0, 0);
    g->addWidget(number_, 0, 1);
    g->addWidget(label(tr("Ｘ"), this), 1, 0);
    g->addWidget(x_, 1, 1);
    g->addWidget(label(tr("(m)"), this), 1, 2);
    g->addWidget(label(tr("Ｙ"), this), 2, 0);
    g->addWidget(y_, 2, 1);
    g->addWidget(label(tr("(m)"), this), 2, 2);
    auto* side = new QVBoxLayout;
    root->addLayout(side);
    auto* ok = confirmButton(this);
    auto* cancel = cancelButton(this);
    side->addWidget(ok);
    side->addWidget(cancel);
    side->addStretch();

    number_->setText(qs(shown_.number));
    setTextOf(x_, shown_.x);
    setTextOf(y_, shown_.y);
    if (shown_.slot < 0 && !freePosition_) ok->setEnabled(false); // the point table is full

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, &CoordinateInputDialog::confirm);
}

void CoordinateInputDialog::confirm()
{
    const CoordinateFields f = fields();
    if (freePosition_) {
        position_ = {readEditNumber(f.x), readEditNumber(f.y)};
        outcome_ = DialogOutcome{};
        accept();
        return;
    }
    if (document_) {
        outcome_ = confirmThrough(*document_, DialogChange::Model,
                                  [&](SlopeModel& m) { return applyCoordinate(m, f); });
    } else if (const auto v = typedCoordinate(model_, f)) {
        position_ = *v;
        outcome_ = DialogOutcome{};
        accept();
        return;
    } else {
        outcome_ = DialogOutcome{};
        outcome_.accepted = false;
    }
    if (!outcome_.accepted && outcome_.messages.empty()) {
        // A point is already there: the dialog stays open for other coordinates.
        QApplication::beep();
        x_->selectAll();
        x_->setFocus();
    }
}

bool CoordinateInputDialog::askPosition(DialogHost& host, const SlopeModel& model, int slot,
                                        bool moving, Point2& position, QWidget* parent)
{
    CoordinateFields shown;
    shown.slot = slot;
    shown.number = tableRowNumber(slot);
    if (moving) {
        shown.x = showTableCoordinate(position.x);
        shown.y = showTableCoordinate(position.y);
    }
    CoordinateInputDialog dialog(host, model, nullptr, shown, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    position = dialog.position();
    return true;
}

bool CoordinateInputDialog::askBlockPosition(DialogHost& host, const SlopeModel& model,
                                             Point2& position, QWidget* parent)
{
    CoordinateInputDialog dialog(host, model, nullptr, CoordinateFields{}, parent, true);
    if (dialog.exec() != QDialog::Accepted) return false;
    position = dialog.position();
    return true;
}

CoordinateFields CoordinateInputDialog::fields() const
{
    CoordinateFields f = shown_;
    f.x = textOf(x_);
    f.y = textOf(y_);
    return f;
}

ParallelLineDialog::ParallelLineDialog(DialogHost& host, double distance, QWidget* parent)
    : SizedDialog(host, kSizeParallelLine, "TPLine_Frm", parent)
{
    setWindowTitle(tr("平行線の離れ"));
    auto* root = new QHBoxLayout(this);
    root->setContentsMargins(8, 4, 8, 4);
    auto* left = new QVBoxLayout;
    left->setSpacing(2);
    root->addLayout(left, 1);
    left->addWidget(label(tr("追加する平行線の離れ距離を"), this));
    auto* row = new QHBoxLayout;
    distance_ = named(new QLineEdit(this), QStringLiteral("Edit1"));
    distance_->setAlignment(Qt::AlignRight);
    distance_->setText(qs(showParallelOffset(distance)));
    row->addWidget(distance_, 1);
    row->addWidget(label(tr("(m)"), this));
    left->addLayout(row);
    left->addWidget(label(tr("を指定してください"), this));
    auto* side = new QVBoxLayout;
    root->addLayout(side);
    auto* ok = named(new QPushButton(tr("Ｏ　　　　Ｋ"), this), QStringLiteral("Button1"));
    auto* cancel = named(new QPushButton(tr("ＣＡＮＣＥＬ"), this), QStringLiteral("Button2"));
    ok->setDefault(true);
    side->addWidget(ok);
    side->addWidget(cancel);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

double ParallelLineDialog::distance() const
{
    return readParallelOffset(textOf(distance_));
}

} // namespace keltora::ui
