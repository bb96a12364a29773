// The mouse edit modes in the main window.
#include "ui/edit_mode_wiring.h"

#include <QDialog>
#include <QPainter>
#include <QPolygon>

#include "analysis/results.h"
#include "edit/block_rules.h"
#include "edit/view_transform.h"
#include "ui/block_dialog.h"
#include "ui/coordinate_input_dialog.h"
#include "ui/dialog_host.h"
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

EditModeWiring::DialogOpener defaultModeDialogs(MainWindow& window)
{
    return [&window](DialogRequest& r) {
        DialogHost& host = window.dialogHost();
        switch (r.kind) {
        case DialogKind::ParallelOffset: {
            ParallelLineDialog d(host, r.offset, &window);
            if (d.exec() != QDialog::Accepted) return false;
            r.offset = d.distance();
            return true;
        }
        case DialogKind::PointCoordinates:
            if (r.blockPosition)
                return CoordinateInputDialog::askBlockPosition(
                    host, window.dialogDocument().model(), r.position, &window);
            return CoordinateInputDialog::askPosition(host, window.dialogDocument().model(), r.slot,
                                                      r.moving, r.position, &window);
        case DialogKind::Block: {
            BlockDialog d(host, r.block, &window);
            if (d.exec() != QDialog::Accepted) return false;
            r.block = d.block();
            return true;
        }
        }
        return false;
    };
}

} // namespace keltora::ui
