// The calculation's message window: eight fixed-pitch lines, a progress bar and the abort
// control in the bottom right corner.
#include "ui/message_window.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "render/plot_painter.h"

namespace keltora::ui {
namespace {

// The longest line the searches write has about 62 half-width characters.
constexpr int kLineColumns = 64;

} // namespace

MessageWindow::MessageWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TMsg_Frm"));
    setWindowTitle(tr("メッセージの表示"));
    setSizeGripEnabled(false);

    QFont font(plotFontFamily());
    font.setPointSizeF(10.5);
    font.setStyleHint(QFont::TypeWriter);
    const QFontMetrics metrics(font);
    const int lineWidth = metrics.horizontalAdvance(QString(kLineColumns, QLatin1Char('0')));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(2);
    for (int i = 0; i < kLines; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->setFont(font);
        label->setTextFormat(Qt::PlainText);
        label->setMinimumWidth(lineWidth);
        label->setMinimumHeight(metrics.height() + 2);
        lines_[static_cast<std::size_t>(i)] = label;
        layout->addWidget(label);
    }
    layout->addSpacing(8);

    auto* bottom = new QHBoxLayout;
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setRange(0, 1000);
    progress_->setValue(0);
    progress_->setTextVisible(true);
    progress_->setFormat(QString());
    bottom->addWidget(progress_, 1, Qt::AlignVCenter);
    bottom->addSpacing(16);

    stop_ = new QPushButton(tr("計算中止"), this);
    stop_->setObjectName(QStringLiteral("TStop_Frm"));
    QFont stopFont = stop_->font();
    stopFont.setBold(true);
    stopFont.setPointSizeF(std::max(stopFont.pointSizeF(), 11.0));
    stop_->setFont(stopFont);
    stop_->setStyleSheet(QStringLiteral("QPushButton { color: #d00000; }"
                                        "QPushButton:disabled { color: #a08080; }"));
    stop_->setMinimumSize(104, 38);
    stop_->setDefault(true);
    bottom->addWidget(stop_, 0, Qt::AlignRight | Qt::AlignVCenter);
    layout->addLayout(bottom);

    connect(stop_, &QPushButton::clicked, this, &MessageWindow::requestAbort);
    setFixedSize(sizeHint());
}

void MessageWindow::setLine(int line, const QString& text)
{
    if (line < 1 || line > kLines) return;
    QLabel* label = lines_[static_cast<std::size_t>(line - 1)];
    if (label->text() != text) label->setText(text);
}

QString MessageWindow::line(int line) const
{
    if (line < 1 || line > kLines) return {};
    return lines_[static_cast<std::size_t>(line - 1)]->text();
}

void MessageWindow::clearLines()
{
    for (QLabel* label : lines_)
        label->clear();
}

void MessageWindow::setProgress(long long done, long long total)
{
    if (total <= 0) {
        progress_->setValue(0);
        progress_->setFormat(QString());
        return;
    }
    done = std::clamp(done, 0LL, total);
    progress_->setValue(static_cast<int>(done * 1000 / total));
    progress_->setFormat(tr("%1 / %2").arg(done).arg(total));
}

void MessageWindow::begin()
{
    abortRequested_ = false;
    clearLines();
    setProgress(0, 0);
    stop_->setEnabled(true);
    show();
    raise();
    activateWindow();
    stop_->setFocus();
}

void MessageWindow::requestAbort()
{
    if (abortRequested_) return;
    abortRequested_ = true;
    stop_->setEnabled(false);
    emit abortClicked();
}

void MessageWindow::reject()
{
    // Escape stops the calculation; the window closes when the calculation has ended.
    requestAbort();
}

void MessageWindow::closeEvent(QCloseEvent* event)
{
    requestAbort();
    event->ignore();
}

} // namespace keltora::ui
