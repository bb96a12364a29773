// The table editors of the terrain: points (TXYT_Frm) and lines (TLNT_Frm). While one is open
// the main view draws the typed rows instead of the model's points or lines.
#pragma once

#include "edit/line_table_rules.h"
#include "edit/point_table_rules.h"
#include "ui/dialog_support.h"

namespace keltora::ui {

class TableGrid;

class PointTableDialog : public SizedDialog {
    Q_OBJECT
  public:
    PointTableDialog(DialogDocument& document, DialogHost& host, QWidget* parent = nullptr);
    ~PointTableDialog() override;

    TableGrid& grid() { return *grid_; }
    std::vector<PointRow> rows() const;

  private:
    void preview();

    DialogDocument& document_;
    TableGrid* grid_;
};

class LineTableDialog : public SizedDialog {
    Q_OBJECT
  public:
    LineTableDialog(DialogDocument& document, DialogHost& host, QWidget* parent = nullptr);
    ~LineTableDialog() override;

    TableGrid& grid() { return *grid_; }
    std::vector<LineRow> rows() const;

  private:
    void preview();

    DialogDocument& document_;
    TableGrid* grid_;
};

} // namespace keltora::ui
