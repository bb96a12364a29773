// The calculation conditions dialog (TCal_Frm): title, method, seismic coefficient, factors of
// safety, surcharges, horizontal forces, cohesion reference, sand pile formula, report form
// and slice width, with the sheet pile and cohesion reference line buttons.
#pragma once

#include <array>

#include "edit/calc_conditions_rules.h"
#include "ui/dialog_support.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace keltora::ui {

// Controls: Edit1 title; RadioButton1..6 methods 0..5; Edit2 seismic coefficient, CheckBox1
// seismic switch (Label2 its note); Edit3 maximum, Edit4 allowable factor of safety;
// Edit5..Edit16 surcharges (per strip Xmin, Xmax, load at Xmin, load at Xmax); Edit17..Edit22
// horizontal forces (per force Y, H); RadioButton7 / RadioButton8 reference height / line,
// Edit23 reference height, Button3 "粘着力基準線設定"; UpDown1 and Image1 the sand pile
// formula; RadioButton9 / RadioButton10 FS list format; RadioButton11 / RadioButton12 rounding
// (hidden); Edit24 slice width; Button4 "矢板の設定"; Button1 confirm, Button2 cancel.
class CalcConditionsDialog : public SizedDialog {
    Q_OBJECT
  public:
    CalcConditionsDialog(DialogDocument& document, DialogHost& host, QWidget* parent = nullptr);

    CalcConditionsFields fields() const;
    void load(const CalcConditionsFields& fields);

  private:
    void confirm();
    void updateEnabling();
    void updateFormulaPicture();
    void openSheetPile();
    void openReferenceLine();

    DialogDocument& document_;
    QLineEdit* title_;
    QButtonGroup* method_;
    QLineEdit* seismic_;
    QCheckBox* seismicSwitch_;
    QLabel* seismicNote_;
    QLineEdit* maxFs_;
    QLineEdit* allowFs_;
    std::array<std::array<QLineEdit*, 4>, kSurchargeStrips> surcharge_{};
    std::array<std::array<QLineEdit*, 2>, kHorizontalForces> force_{};
    QRadioButton* refHeightMode_;
    QRadioButton* refLineMode_;
    QLineEdit* refHeight_;
    QPushButton* refLineButton_;
    QSpinBox* formula_;
    QLabel* formulaPicture_;
    QButtonGroup* fsFormat_;
    QButtonGroup* rounding_;
    QLineEdit* sliceWidth_;
    QPushButton* sheetPileButton_;
};

} // namespace keltora::ui
