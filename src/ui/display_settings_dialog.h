// The display settings dialog (TDisp_Frm): the items drawn on the screen and the grid
// spacings. Never marks the document modified.
#pragma once

#include <array>

#include "edit/display_settings_rules.h"
#include "ui/dialog_support.h"

class QCheckBox;
class QLineEdit;

namespace keltora::ui {

// Controls: CheckBox1..CheckBox16 the items in the dialog's order, CheckBox17 the automatic
// switch; Edit1 thick, Edit2 thin grid spacing.
class DisplaySettingsDialog : public SizedDialog {
    Q_OBJECT
  public:
    DisplaySettingsDialog(DialogDocument& document, DialogHost& host, QWidget* parent = nullptr);
    DisplaySettingsFields fields() const;
    void load(const DisplaySettingsFields& fields);

  private:
    void updateEnabling();

    DialogDocument& document_;
    std::array<QCheckBox*, kDisplayItemCount> items_{};
    QCheckBox* autoSwitch_;
    QLineEdit* major_;
    QLineEdit* minor_;
};

} // namespace keltora::ui
