// The cohesion reference line table (TNenT_Frm): (X, Y) vertices, sorted by X on confirm.
#pragma once

#include "edit/cohesion_line_rules.h"
#include "ui/dialog_support.h"

namespace keltora::ui {

class TableGrid;

class CohesionLineDialog : public SizedDialog {
    Q_OBJECT
  public:
    CohesionLineDialog(DialogDocument& document, DialogHost& host, QWidget* parent = nullptr);

    TableGrid& grid() { return *grid_; }
    std::vector<PairRow> rows() const;

  private:
    DialogDocument& document_;
    TableGrid* grid_;
};

} // namespace keltora::ui
