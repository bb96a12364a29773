// The string grid of the table editors.
#include "ui/table_grid.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace keltora::ui {

namespace {

const QColor kInvalidRow(0xff, 0xe4, 0xe1);
const QColor kNumberColumn(0xec, 0xec, 0xec);

} // namespace

TableGrid::TableGrid(int rows, const QStringList& headers, QWidget* parent, bool numberFromOne)
    : QTableWidget(rows, static_cast<int>(headers.size()) + 1, parent)
{
    setObjectName(QStringLiteral("StringGrid1"));
    QStringList all{QStringLiteral(" No")};
    all += headers;
    setHorizontalHeaderLabels(all);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    setColumnWidth(0, fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 8);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed |
                    QAbstractItemView::DoubleClicked);
    setTabKeyNavigation(false); // Tab is handled like Enter
    loading_ = true;
    for (int r = 0; r < rows; ++r) {
        auto* number = new QTableWidgetItem(QString::asprintf("%4d", r + (numberFromOne ? 1 : 0)));
        number->setFlags(Qt::ItemIsEnabled);
        number->setBackground(kNumberColumn);
        setItem(r, 0, number);
        for (int c = 1; c < columnCount(); ++c) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            setItem(r, c, item);
        }
    }
    loading_ = false;
    setCurrentCell(0, 1);
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (loading_) return;
        markRow(item->row());
        emit edited();
    });
}

std::string TableGrid::cell(int row, int column) const
{
    const QTableWidgetItem* it = item(row, column + 1);
    return it ? it->text().toStdString() : std::string();
}

void TableGrid::setCell(int row, int column, const std::string& text)
{
    if (QTableWidgetItem* it = item(row, column + 1)) it->setText(QString::fromStdString(text));
}

std::vector<std::vector<std::string>> TableGrid::rowsText() const
{
    std::vector<std::vector<std::string>> out(static_cast<size_t>(rowCount()));
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < valueColumns(); ++c)
            out[static_cast<size_t>(r)].push_back(cell(r, c));
    return out;
}

void TableGrid::setRowsText(const std::vector<std::vector<std::string>>& rows)
{
    loading_ = true;
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < valueColumns(); ++c) {
            const bool has = static_cast<size_t>(r) < rows.size() &&
                             static_cast<size_t>(c) < rows[static_cast<size_t>(r)].size();
            setCell(r, c,
                    has ? rows[static_cast<size_t>(r)][static_cast<size_t>(c)] : std::string());
        }
        markRow(r);
    }
    loading_ = false;
}

void TableGrid::clearRow(int row)
{
    if (row < 0 || row >= rowCount()) return;
    loading_ = true;
    for (int c = 0; c < valueColumns(); ++c)
        setCell(row, c, std::string());
    markRow(row);
    loading_ = false;
    emit edited();
}

void TableGrid::markRow(int row)
{
    int filled = 0;
    for (int c = 0; c < valueColumns(); ++c)
        if (!item(row, c + 1)->text().trimmed().isEmpty()) ++filled;
    const bool partial = filled > 0 && filled < valueColumns();
    const bool wasLoading = loading_;
    loading_ = true;
    for (int c = 1; c < columnCount(); ++c)
        item(row, c)->setBackground(partial ? QBrush(kInvalidRow) : QBrush());
    loading_ = wasLoading;
}

void TableGrid::moveToNextCell()
{
    const int row = currentRow();
    const int col = currentColumn();
    if (col < columnCount() - 1 && col >= 1) {
        setCurrentCell(row, col + 1);
    } else if (row + 1 < rowCount()) {
        setCurrentCell(row + 1, 1);
    }
}

void TableGrid::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
        // From a cell being typed the key arrives here as well; the cell editor's closing
        // moves on (closeEditor), so that the move happens once.
        if (!editing()) moveToNextCell();
        event->accept();
        return;
    case Qt::Key_Escape:
        clearRow(currentRow());
        event->accept();
        return;
    default: break;
    }
    QTableWidget::keyPressEvent(event);
    // The number column is never the current cell.
    if (currentColumn() == 0) setCurrentCell(currentRow(), 1);
}

void TableGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Enter and Tab in a cell being typed store it and move on like they do outside it.
    const bool advance = hint == QAbstractItemDelegate::EditNextItem ||
                         hint == QAbstractItemDelegate::SubmitModelCache;
    QTableWidget::closeEditor(editor, advance ? QAbstractItemDelegate::NoHint : hint);
    if (advance) moveToNextCell();
}

QWidget* gridKeyHelp(const QString& escText, QWidget* parent, int columns)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto* g = new QGridLayout(panel);
    g->setContentsMargins(0, 0, 0, 0);
    g->setVerticalSpacing(1);
    g->setHorizontalSpacing(12);
    QFont mono = panel->font();
    mono.setStyleHint(QFont::TypeWriter);
    const QString lines[] = {QObject::tr("Enter :次に移動"),  QObject::tr("Tab   :次に移動"),
                             QObject::tr("↑↓←→:移動"),        QObject::tr("PageUp:前の画面"),
                             QObject::tr("PageDn:次の画面"),  escText,
                             QObject::tr("F2    :編集モード")};
    const int n = static_cast<int>(std::size(lines));
    const int perColumn = (n + columns - 1) / std::max(columns, 1);
    for (int i = 0; i < n; ++i) {
        auto* l = new QLabel(lines[i], panel);
        l->setFont(mono);
        g->addWidget(l, i % perColumn, i / perColumn);
    }
    return panel;
}

} // namespace keltora::ui
