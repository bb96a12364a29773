// The search settings dialogs of "すべり円/線設定": the slip circle grid of the circular
// methods (TCirc_Frm) and the two straight slip dialogs (TLine_Frm, TLine_Frm2).
#pragma once

#include <array>

#include "edit/circle_settings_rules.h"
#include "edit/line_settings_rules.h"
#include "ui/dialog_support.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace keltora::ui {

// Controls: Edit1 method (read only); Edit2..Edit7 centre Xmin, Xmax, ΔX, Ymin, Ymax, ΔY;
// Edit8..Edit10 Rmin, Rmax, ΔR; CheckBox1 first grid extension; RadioButton1..4 finest grid
// 1..4; RadioButton5..7 direction 1..3.
class CircleSettingsDialog : public SizedDialog {
    Q_OBJECT
  public:
    CircleSettingsDialog(DialogDocument& document, DialogHost& host, QWidget* parent = nullptr);
    CircleSettingsFields fields() const;
    void load(const CircleSettingsFields& fields);

  private:
    DialogDocument& document_;
    QLineEdit* method_;
    std::array<QLineEdit*, 3> centreX_{};
    std::array<QLineEdit*, 3> centreY_{};
    std::array<QLineEdit*, 3> radius_{};
    QCheckBox* extend_;
    QButtonGroup* finest_;
    QButtonGroup* direction_;
};

// Controls: Edit1 method (read only); Edit2, Edit3 start X, Y; Edit4..Edit6 αmin, αmax, Δα;
// RadioButton1..3 above (1), below (2), both (0); CheckBox1 refinement; Edit7 force X.
class LineByAngleDialog : public SizedDialog {
    Q_OBJECT
  public:
    LineByAngleDialog(DialogDocument& document, DialogHost& host, QWidget* parent = nullptr);
    LineByAngleFields fields() const;
    void load(const LineByAngleFields& fields);

  private:
    DialogDocument& document_;
    QLineEdit* startX_;
    QLineEdit* startY_;
    std::array<QLineEdit*, 3> angle_{};
    QButtonGroup* direction_;
    QCheckBox* refine_;
    QLineEdit* forceX_;
};

// Controls: Edit1 method (read only); Edit2..Edit6 start 1 X, Y, start 2 X, Y, start pitch;
// Edit7..Edit11 end 1 X, Y, end 2 X, Y, end pitch; CheckBox1 refinement; Edit12 force X.
class LineBySegmentsDialog : public SizedDialog {
    Q_OBJECT
  public:
    LineBySegmentsDialog(DialogDocument& document, DialogHost& host, QWidget* parent = nullptr);
    LineBySegmentsFields fields() const;
    void load(const LineBySegmentsFields& fields);

  private:
    DialogDocument& document_;
    std::array<QLineEdit*, 5> start_{};
    std::array<QLineEdit*, 5> end_{};
    QCheckBox* refine_;
    QLineEdit* forceX_;
};

// "すべり円/線設定": opens the dialog that fits the stored method.
void openSlipSettingsDialog(DialogDocument& document, DialogHost& host, QWidget* parent);

} // namespace keltora::ui
