// The mouse edit modes in the main window.
#include "ui/edit_mode_wiring.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QPainter>
#include <QPolygon>
#include <QRadioButton>

#include "analysis/results.h"
#include "edit/block_rules.h"
#include "edit/view_transform.h"
#include "ui/main_window.h"

namespace keltora::ui {

namespace {

ChangeKind kindOf(ChangeEffect effect)
{
    switch (effect) {
    case ChangeEffect::Results: return ChangeKind::Results;
    case ChangeEffect::Figure: return ChangeKind::Figure;
    default: return ChangeKind::Display;
    }
}

QColor colourOf(MarkColour c)
{
    return c == MarkColour::Moving ? QColor(0, 255, 0) : QColor(255, 255, 0);
}

QPoint px(const ViewTransform& view, Point2 p)
{
    const PixelPoint q = view.worldToScreen(p);
    return {q.x, q.y};
}

void paintMarks(QPainter& g, const ViewTransform& view, const Marks& m)
{
    g.setRenderHint(QPainter::Antialiasing, false);
    const QColor yellow(255, 255, 0);
    for (const auto& outline : m.outlines) {
        QPolygon poly;
        for (Point2 p : outline)
            poly << px(view, p);
        g.setPen(QPen(yellow, 3));
        g.setBrush(Qt::NoBrush);
        g.drawPolyline(poly);
    }
    for (const LineMark& l : m.lines) {
        g.setPen(QPen(colourOf(l.colour), 3));
        if (l.acrossView) {
            const int y = px(view, l.a).y();
            g.drawLine(0, y, view.imageWidth(), y);
        } else {
            g.drawLine(px(view, l.a), px(view, l.b));
        }
    }
    for (Point2 c : m.blockCentres) {
        const QPoint q = px(view, c);
        g.setPen(QPen(yellow, 2));
        g.drawLine(q + QPoint(-6, 0), q + QPoint(6, 0));
        g.drawLine(q + QPoint(0, -6), q + QPoint(0, 6));
    }
    for (const PointMark& p : m.points) {
        const QPoint q = px(view, p.p);
        g.setPen(QPen(colourOf(p.colour), 2));
        g.setBrush(colourOf(p.colour));
        g.drawEllipse(q, 3, 3);
        g.setBrush(Qt::NoBrush);
        g.drawEllipse(q, 7, 7);
    }
    if (m.rubber) {
        g.setPen(QPen(yellow, 1));
        g.drawLine(px(view, m.rubberFrom), px(view, m.rubberTo));
    }
}

} // namespace

EditModeWiring::EditModeWiring(MainWindow& window)
    : QObject(&window), window_(window), controller_(*this)
{
}

const std::vector<SafetyLabel>* EditModeWiring::labels() const
{
    const SectionDocument& doc = window_.sectionDocument();
    return doc.hasValidResults() ? &doc.results()->labels : nullptr;
}

void EditModeWiring::sync()
{
    window_.setGuideText(QString::fromStdString(controller_.statusText()));
    if (QAction* xy = window_.action(QStringLiteral("BitBtnXY"))) {
        xy->setEnabled(true);
        xy->setVisible(controller_.xyButtonVisible());
    }
    window_.view().update();
}

void EditModeWiring::enterMode(int mode)
{
    window_.cancelAreaCommand();
    check_.reset();
    controller_.enterMode(mode);
    sync();
    window_.redraw();
}

void EditModeWiring::resetMode()
{
    controller_.leaveMode();
    if (window_.sectionDocument().model().modified == -1) controller_.reset();
    sync();
}

void EditModeWiring::modelReplaced()
{
    controller_.modelReplaced();
    sync();
}

void EditModeWiring::apply(EditOutcome out)
{
    SectionDocument& doc = window_.sectionDocument();
    for (;;) {
        if (out.change)
            doc.edit(QString::fromStdString(out.undoText), kindOf(out.effect), out.change);
        if (out.labelChange && doc.hasValidResults()) {
            // The labels belong to the results: a changed copy replaces them in one step.
            auto results = std::make_shared<CalculationResults>(*doc.results());
            out.labelChange(results->labels);
            doc.setResults(std::move(results));
        }
        if (out.message) window_.showMessage(*out.message);
        if (!out.resume) break;
        out = controller_.resume(doc.model(), labels());
    }
    if (controller_.mode() == kModeNone) window_.redraw();
    sync();
}

void EditModeWiring::leftClick(Point2 p)
{
    if (controller_.mode() == kModeNone) return;
    apply(controller_.leftClick(window_.sectionDocument().model(), labels(), p));
}

void EditModeWiring::rightClick(Point2 p)
{
    if (controller_.mode() == kModeNone) return;
    apply(controller_.rightClick(window_.sectionDocument().model(), labels(), p));
}

void EditModeWiring::mouseMove(Point2 p)
{
    if (controller_.mouseMove(p)) window_.view().update();
}

void EditModeWiring::xyButton()
{
    apply(controller_.xyButton(window_.sectionDocument().model(), labels()));
}

void EditModeWiring::showCheck(CheckDrawing drawing)
{
    check_ = std::move(drawing);
    window_.view().update();
}

void EditModeWiring::clearCheck()
{
    if (!check_) return;
    check_.reset();
    window_.view().update();
}

void EditModeWiring::paint(QPainter& painter, const ViewTransform& view) const
{
    if (check_) {
        auto colour = [](Rgb c) { return QColor(c.red, c.green, c.blue); };
        painter.fillRect(QRect(0, 0, view.imageWidth(), view.imageHeight()),
                         colour(check_->background));
        for (const CheckMark& m : check_->marks) {
            painter.setPen(QPen(colour(m.colour), m.sizePixels));
            if (m.shape == CheckMark::Shape::Line) {
                painter.drawLine(px(view, m.a), px(view, m.b));
            } else {
                const int h = m.sizePixels / 2;
                painter.setPen(Qt::NoPen);
                painter.setBrush(colour(m.colour));
                painter.drawRect(
                    QRect(px(view, m.a) - QPoint(h, h), QSize(m.sizePixels, m.sizePixels)));
                painter.setBrush(Qt::NoBrush);
            }
        }
    }
    paintMarks(painter, view, controller_.marks(window_.sectionDocument().model(), labels()));
    if (shown_) paintMarks(painter, view, *shown_);
}

bool EditModeWiring::confirm(const std::string& question, const Marks& marks)
{
    shown_ = marks;
    window_.view().repaint();
    const Answer a =
        window_.asker().ask(QStringLiteral("確認"), QString::fromStdString(question), false);
    shown_.reset();
    window_.view().update();
    return a == Answer::Yes;
}

bool EditModeWiring::openDialog(DialogRequest& request, const Marks& marks)
{
    if (!opener_) return false;
    shown_ = marks;
    window_.view().repaint();
    const bool ok = opener_(request);
    shown_.reset();
    window_.view().update();
    return ok;
}

namespace {

// The block's parameters, by the block dialog's rules (kinds, what each kind keeps).
bool editBlock(QWidget* parent, SoilBlock& block)
{
    QDialog d(parent);
    d.setObjectName(QStringLiteral("ModeBlockDialog"));
    d.setWindowTitle(QStringLiteral("ブロック構成項目"));
    BlockFields f = blockFields(block);
    auto* form = new QFormLayout(&d);
    auto edit = [&](const char* label, const std::string& text) {
        auto* e = new QLineEdit(QString::fromStdString(text), &d);
        form->addRow(QString::fromUtf8(label), e);
        return e;
    };
    QLineEdit* w = edit("単位体積重量　Ｗ", f.unitWeight);
    QLineEdit* w2 = edit("有効単体重量　Ｗ'", f.effectiveUnitWeight);
    QLineEdit* k = edit("粘着力の勾配　Ｋ", f.cohesionGradient);
    QLineEdit* c0 = edit("基準粘着力　　Ｃ0", f.baseCohesion);
    QLineEdit* phi = edit("内部摩擦角　　φ", f.frictionAngle);
    const char* kinds[] = {"土ブロック", "水の影響を水圧で考慮する（すべり円を水中は通さない。）",
                           "水の影響を重量で考慮する（すべり円を水中も通す。）", "構造物ブロック"};
    auto* group = new QButtonGroup(&d);
    for (int i = 0; i < 4; ++i) {
        auto* r = new QRadioButton(QString::fromUtf8(kinds[i]), &d);
        r->setChecked(i == blockKindOf(f));
        group->addButton(r, i);
        form->addRow(r);
    }
    auto* piles = new QCheckBox(QStringLiteral("砂杭がある"), &d);
    piles->setChecked(f.hasSandPiles);
    form->addRow(piles);
    QLineEdit* ws = edit("単位体積重量　Ｗs", f.pileUnitWeight);
    QLineEdit* as = edit("砂杭置換率　　Ａs", f.pileReplacementRatio);
    QLineEdit* n = edit("応力分担比　　ｎ", f.stressShareRatio);
    QLineEdit* phis = edit("内部摩擦角　　φs", f.pileFrictionAngle);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    if (d.exec() != QDialog::Accepted) return false;
    const int kind = group->checkedId();
    f.water = kind == kWaterPressureBlock || kind == kWaterWeightBlock;
    f.structure = kind == kStructureBlock;
    f.soil = kind == kSoilBlock;
    f.waterMode = kind == kWaterWeightBlock ? kWaterWeightBlock : kWaterPressureBlock;
    f.hasSandPiles = piles->isChecked();
    auto text = [](QLineEdit* e) { return e->text().toStdString(); };
    f.unitWeight = text(w);
    f.effectiveUnitWeight = text(w2);
    f.cohesionGradient = text(k);
    f.baseCohesion = text(c0);
    f.frictionAngle = text(phi);
    f.pileUnitWeight = text(ws);
    f.pileReplacementRatio = text(as);
    f.stressShareRatio = text(n);
    f.pileFrictionAngle = text(phis);
    storeBlockFields(block, f);
    return true;
}

} // namespace

EditModeWiring::DialogOpener defaultModeDialogs(MainWindow& window)
{
    return [&window](DialogRequest& r) {
        bool ok = false;
        switch (r.kind) {
        case DialogKind::ParallelOffset: {
            const double d = QInputDialog::getDouble(
                &window, QStringLiteral("平行線の離れ"),
                QStringLiteral("追加する平行線の離れ距離を\nを指定してください"), r.offset, -1e6,
                1e6, 3, &ok);
            if (ok) r.offset = d;
            return ok;
        }
        case DialogKind::PointCoordinates: {
            const double x =
                QInputDialog::getDouble(&window, QStringLiteral("座標入力"),
                                        QStringLiteral("Ｘ (m)"), r.position.x, -1e9, 1e9, 4, &ok);
            if (!ok) return false;
            const double y =
                QInputDialog::getDouble(&window, QStringLiteral("座標入力"),
                                        QStringLiteral("Ｙ (m)"), r.position.y, -1e9, 1e9, 4, &ok);
            if (ok) r.position = {x, y};
            return ok;
        }
        case DialogKind::Block: return editBlock(&window, r.block);
        }
        return false;
    };
}

} // namespace keltora::ui
