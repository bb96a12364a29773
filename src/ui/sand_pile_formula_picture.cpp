// Drawing of the sand pile formulas: typeset as rich text with sub- and superscripts and
// painted onto a card, with the symbols explained below.
#include "ui/sand_pile_formula_picture.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>

namespace keltora::ui {

namespace {

const char* formulaHtml(int formula)
{
    switch (formula) {
    case 0:
        return "τ = (1−a<sub>s</sub>)(C<sub>0</sub>+k·z) + (γ<sub>s</sub>·z + "
               "μ<sub>s</sub>·Δσ<sub>z</sub>)·a<sub>s</sub>·tanφ<sub>s</sub>·cos<sup>2</sup>θ";
    case 1:
        return "τ = (1−a<sub>s</sub>)(C<sub>0</sub>+k·z) + (γ<sub>m</sub>·z + "
               "Δσ<sub>z</sub>)·μ<sub>s</sub>·a<sub>s</sub>·tanφ<sub>s</sub>·cos<sup>2</sup>θ";
    case 2: return "τ = (γ<sub>m</sub>·z + Δσ<sub>z</sub>)·tanφ<sub>m</sub>·cos<sup>2</sup>θ";
    default:
        return "τ = (γ<sub>s</sub>·z + Δσ<sub>z</sub>)·μ<sub>s</sub>·a<sub>s</sub>·"
               "tanφ<sub>s</sub>·cos<sup>2</sup>θ";
    }
}

const char* symbolsHtml(int formula)
{
    switch (formula) {
    case 0:
    case 1: return "粘土の強度と砂杭の強度を置換率で合成";
    case 2: return "複合地盤の平均的な強度 (γ<sub>m</sub>, φ<sub>m</sub>)";
    default: return "砂杭の強度のみを考慮";
    }
}

} // namespace

QPixmap sandPileFormulaPicture(int formula, QSize size, qreal devicePixelRatio)
{
    const int code = (formula >= 0 && formula <= 3) ? formula : 3;
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Card frame and the formula number tab.
    const QRectF card(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    p.setPen(QPen(QColor(0x40, 0x5a, 0x8c), 1.0));
    p.drawRect(card);
    const QRectF tab(card.left(), card.top(), 54, 20);
    p.fillRect(tab, QColor(0x40, 0x5a, 0x8c));
    p.setPen(Qt::white);
    p.drawText(tab, Qt::AlignCenter, QStringLiteral("式 %1").arg(code));

    QTextDocument doc;
    doc.setDocumentMargin(0);
    doc.setDefaultFont(p.font());
    doc.setTextWidth(size.width() - 16);
    doc.setHtml(
        QStringLiteral("<div style='font-size:13px;'>%1</div>"
                       "<div style='font-size:11px; color:#555;'>%2</div>")
            .arg(QString::fromUtf8(formulaHtml(code)), QString::fromUtf8(symbolsHtml(code))));
    const qreal top = tab.bottom() + 6;
    p.translate(8, top);
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.palette.setColor(QPalette::Text, Qt::black);
    ctx.clip = QRectF(0, 0, size.width() - 16, size.height() - top - 2);
    doc.documentLayout()->draw(&p, ctx);
    return pixmap;
}

} // namespace keltora::ui
