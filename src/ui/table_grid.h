// The string grid of the table editors: a number column and editable cells, with the keys
// of the table editors (Enter and Tab to the next cell, arrows, PageUp / PageDown, Esc clears
// the row, F2 edits) and the rows with only part of their cells filled marked as invalid.
#pragma once

#include <QStringList>
#include <QTableWidget>

#include <string>
#include <vector>

class QLabel;
class QWidget;

namespace keltora::ui {

class TableGrid : public QTableWidget {
    Q_OBJECT
  public:
    // `headers` name the columns after " No"; `rows` rows numbered from 0 ("%4d"), or from 1
    // when `numberFromOne`.
    TableGrid(int rows, const QStringList& headers, QWidget* parent = nullptr,
              bool numberFromOne = false);

    int valueColumns() const { return columnCount() - 1; }
    // The text of value column `column` (0-based after " No") of a row.
    std::string cell(int row, int column) const;
    void setCell(int row, int column, const std::string& text);
    // All rows, value columns only.
    std::vector<std::vector<std::string>> rowsText() const;
    void setRowsText(const std::vector<std::vector<std::string>>& rows);

    // True while a cell is being typed (after F2 or a typed character).
    bool editing() const { return state() == QAbstractItemView::EditingState; }

    // Clears the value cells of a row (the Esc key).
    void clearRow(int row);

  signals:
    // A cell's text changed by the user (typing, Esc).
    void edited();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

  private:
    void moveToNextCell();
    void markRow(int row);
    bool loading_ = false;
};

// The help labels of the grid keys; `escText` is "Esc   :座標を削除" or "Esc   :線分を削除".
// `columns` > 1 lays the labels out in that many columns.
QWidget* gridKeyHelp(const QString& escText, QWidget* parent, int columns = 1);

} // namespace keltora::ui
