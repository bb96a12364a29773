// The DXF terrain import (TDxf): what the drawing holds, the shift and scale with trial and
// restore, and the command "DXF(地形)読み込み(&D)" that runs it.
#pragma once

#include "edit/dxf_import_rules.h"
#include "ui/dialog_support.h"

class QLabel;
class QLineEdit;

namespace keltora::ui {

class QuestionAsker;

// Controls: Edit1 file name; Edit2, Edit3 points and lines read; Edit4..Edit7 Xmax, Xmin,
// Ymax, Ymin; Edit8, Edit9 origin shift; Edit10 scale; Button1 "試　　行", Button4 "元に戻す",
// Button2 "読み込み", Button3 "取り消し".
class DxfImportDialog : public SizedDialog {
    Q_OBJECT
  public:
    DxfImportDialog(DialogDocument& document, DialogHost& host, DxfDrawing drawing,
                    const QString& fileName, QWidget* parent = nullptr);

    DxfDialogFields fields() const;
    void load(const DxfDialogFields& fields);
    // The result of the import after "読み込み".
    const DxfImportResult& importResult() const { return result_; }

  private:
    DialogDocument& document_;
    DxfDrawing drawing_;
    DxfImportResult result_;
    QLineEdit* edits_[10] = {};
};

// The command: the question when the document has points (answered through `ask`, true =
// yes), the file dialog, the dialog, the import and the all-show fit.
void runDxfImportCommand(DialogDocument& document, DialogHost& host,
                         const std::function<bool(const QString&)>& ask, QWidget* parent);

} // namespace keltora::ui
