// The plot settings dialog (TDraw_Frm): paper, scale, arrow lengths, text sizes, factor of
// safety switches per grid, decimals and the layout of the soil conditions.
#pragma once

#include <array>

#include "edit/draw_settings_rules.h"
#include "ui/dialog_support.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace keltora::ui {

// Controls: RadioButton1..3 A4, B4, A3; Edit1 scale; Edit2..Edit4 arrows (surcharge, force,
// earth pressure); Edit5..Edit10 text sizes (title, soil, scale, FS list, minimum FS, point
// numbers); CheckBox1..4 FS of grids 1..4; Edit11..Edit18 decimals (FS, γt, force,
// surcharge, C, φ, earth pressure, moments); CheckBox5 C, φ switch; RadioButton4 / 5 soil
// conditions on the section / as a table.
class DrawSettingsDialog : public SizedDialog {
    Q_OBJECT
  public:
    DrawSettingsDialog(DialogDocument& document, DialogHost& host, QWidget* parent = nullptr);
    DrawSettingsFields fields() const;
    void load(const DrawSettingsFields& fields);

  private:
    void confirm();

    DialogDocument& document_;
    QButtonGroup* paper_;
    QLineEdit* scale_;
    std::array<QLineEdit*, 3> arrows_{};
    std::array<QLineEdit*, 6> textSizes_{};
    std::array<QCheckBox*, 4> gridFs_{};
    std::array<QLineEdit*, 8> decimals_{};
    QCheckBox* zeroStrength_;
    QButtonGroup* soilLayout_;
};

} // namespace keltora::ui
