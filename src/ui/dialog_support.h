// Building blocks of the condition dialogs and table editors: the dialog that takes and
// remembers its window size, number edit boxes that reformat when they lose focus, the
// confirm / cancel buttons, and the confirmation through the document.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <string>

#include "edit/dialog_fields.h"
#include "ui/dialog_host.h"

class QAbstractButton;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace keltora::ui {

class SizedDialog : public QDialog {
    Q_OBJECT
  public:
    // `formName` is the objectName (TCal_Frm, ...), `sizeEntry` the window-size entry.
    SizedDialog(DialogHost& host, int sizeEntry, const char* formName, QWidget* parent);

    void setVisible(bool visible) override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

    // Runs `apply` on the model through the document as one undo step named by the window
    // title, shows the outcome's messages, and closes the dialog unless it was refused.
    // Returns the outcome.
    DialogOutcome confirmThrough(DialogDocument& document, DialogChange kind,
                                 const std::function<DialogOutcome(SlopeModel&)>& apply);

    DialogHost& host_;

  private:
    int sizeEntry_;
    bool sized_ = false;
};

// A number edit box: shows "%5.4f" texts; after the user typed, leaving it shows the
// number the text reads as.
QLineEdit* numberEdit(QWidget* parent, const QString& objectName);
// The same for integer fields.
QLineEdit* integerEdit(QWidget* parent, const QString& objectName);

// The buttons "確　　定" and "取り消し" (objectNames given).
QPushButton* confirmButton(QWidget* parent, const QString& objectName = QStringLiteral("Button1"));
QPushButton* cancelButton(QWidget* parent, const QString& objectName = QStringLiteral("Button2"));

QLabel* label(const QString& text, QWidget* parent = nullptr);
// A small note ("※　...") in a muted colour, word-wrapped when it must.
QLabel* note(const QString& text, QWidget* parent = nullptr);

// Texts between the widgets (UTF-8 in the rules) and the widgets.
std::string textOf(const QLineEdit* edit);
void setTextOf(QLineEdit* edit, const std::string& text);
QString qs(const std::string& text);

// Sets the objectName and returns the widget, to keep construction lines short.
template <typename W> W* named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace keltora::ui
