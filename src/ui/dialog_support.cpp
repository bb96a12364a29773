// Building blocks shared by the condition dialogs and table editors.
#include "ui/dialog_support.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>

namespace keltora::ui {

SizedDialog::SizedDialog(DialogHost& host, int sizeEntry, const char* formName, QWidget* parent)
    : QDialog(parent), host_(host), sizeEntry_(sizeEntry)
{
    setObjectName(QString::fromLatin1(formName));
    setModal(true);
}

namespace {

// Tighter margins than the style's: the forms were laid out for their specified sizes.
void tighten(QWidget* dialog)
{
    if (QLayout* top = dialog->layout()) {
        top->setContentsMargins(6, 6, 6, 6);
        top->setSpacing(4);
    }
    for (QGroupBox* box : dialog->findChildren<QGroupBox*>()) {
        QLayout* l = box->layout();
        if (!l) continue;
        l->setContentsMargins(6, 2, 6, 4);
        if (auto* g = qobject_cast<QGridLayout*>(l)) {
            g->setHorizontalSpacing(6);
            g->setVerticalSpacing(2);
        } else {
            l->setSpacing(2);
        }
    }
}

} // namespace

void SizedDialog::setVisible(bool visible)
{
    if (visible && !sized_) {
        // Before the first show: the remembered size, or more when the layout needs it.
        tighten(this);
        if (layout()) layout()->activate();
        const QSize size = host_.windowSize(sizeEntry_);
        if (size.isValid()) resize(size.expandedTo(minimumSizeHint()));
        sized_ = true;
    }
    QDialog::setVisible(visible);
}

void SizedDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (sized_ && isVisible()) host_.rememberWindowSize(sizeEntry_, event->size());
}

DialogOutcome SizedDialog::confirmThrough(DialogDocument& document, DialogChange kind,
                                          const std::function<DialogOutcome(SlopeModel&)>& apply)
{
    DialogOutcome outcome;
    document.edit(windowTitle(), kind, [&](SlopeModel& model) {
        outcome = apply(model);
        return outcome.accepted && outcome.stored;
    });
    for (const Message& m : outcome.messages)
        host_.tell(m);
    if (!outcome.accepted) return outcome;
    host_.redraw(0);
    accept();
    return outcome;
}

namespace {

QLineEdit* reformattingEdit(QWidget* parent, const QString& objectName,
                            std::string (*reformat)(const std::string&))
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setAlignment(Qt::AlignRight);
    // Room for "-9999.0000"; wider boxes would only stretch across the form.
    const QFontMetrics fm(edit->font());
    edit->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("-9999.0000")) + 12);
    edit->setMaximumWidth(fm.horizontalAdvance(QStringLiteral("-99999999.0000")) + 12);
    QObject::connect(edit, &QLineEdit::editingFinished, edit, [edit, reformat] {
        if (!edit->isModified()) return;
        edit->setText(QString::fromStdString(reformat(edit->text().toStdString())));
        edit->setModified(false);
    });
    return edit;
}

} // namespace

QLineEdit* numberEdit(QWidget* parent, const QString& objectName)
{
    return reformattingEdit(parent, objectName, &reformatEditNumber);
}

QLineEdit* integerEdit(QWidget* parent, const QString& objectName)
{
    return reformattingEdit(parent, objectName, &reformatEditInteger);
}

QPushButton* confirmButton(QWidget* parent, const QString& objectName)
{
    auto* b = new QPushButton(QObject::tr("確　　定"), parent);
    b->setObjectName(objectName);
    b->setDefault(false);
    b->setAutoDefault(false);
    return b;
}

QPushButton* cancelButton(QWidget* parent, const QString& objectName)
{
    auto* b = new QPushButton(QObject::tr("取り消し"), parent);
    b->setObjectName(objectName);
    b->setAutoDefault(false);
    return b;
}

QLabel* label(const QString& text, QWidget* parent)
{
    return new QLabel(text, parent);
}

QLabel* note(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setStyleSheet(QStringLiteral("color: #1a3f8a;"));
    return l;
}

std::string textOf(const QLineEdit* edit)
{
    return edit->text().toStdString();
}

void setTextOf(QLineEdit* edit, const std::string& text)
{
    edit->setText(QString::fromStdString(text));
    edit->setModified(false);
}

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace keltora::ui
