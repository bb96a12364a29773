// The sheet pile dialog (TYT_Frm): handling, position, section data of the pile, the passive earth
// pressure table and the import of a sheet pile data file.
#pragma once

#include "edit/sheet_pile_rules.h"
#include "ui/dialog_support.h"

class QButtonGroup;
class QLineEdit;

namespace keltora::ui {

class TableGrid;

// Controls: RadioButton1..4 handling 0..3; Edit1..Edit3 pile X, top, tip; Edit4 allowable
// shear stress, Edit5 section area, Edit6 the length lm1; StringGrid1 the passive pressure
// rows; Button3 "インポート".
class SheetPileDialog : public SizedDialog {
    Q_OBJECT
  public:
    SheetPileDialog(DialogDocument& document, DialogHost& host, QWidget* parent = nullptr);

    TableGrid& grid() { return *grid_; }
    SheetPileFields fields() const;
    void load(const SheetPileFields& fields, bool withHandling = true);

    // "インポート": the file dialog, then the import into the document (one undo step; a
    // cancelled dialog does not undo it), then the fields the import filled are shown anew.
    void importFile();

  private:
    DialogDocument& document_;
    QButtonGroup* method_;
    QLineEdit* x_;
    QLineEdit* topY_;
    QLineEdit* toeY_;
    QLineEdit* allowableShear_;
    QLineEdit* sectionArea_;
    QLineEdit* lm1_;
    TableGrid* grid_;
};

} // namespace keltora::ui
