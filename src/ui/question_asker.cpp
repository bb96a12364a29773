// Message boxes and file dialogs of the main window.
#include "ui/question_asker.h"

#include <QFileDialog>
#include <QMessageBox>

namespace keltora::ui {

Answer DialogAsker::ask(const QString& caption, const QString& text, bool withCancel)
{
    QMessageBox box(QMessageBox::Question, caption, text,
                    withCancel ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                               : QMessageBox::Yes | QMessageBox::No,
                    parent_);
    box.setDefaultButton(QMessageBox::Yes);
    if (withCancel) box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return withCancel ? Answer::Cancel : Answer::No;
    }
}

void DialogAsker::tell(const Message& message)
{
    const QString caption = QString::fromStdString(message.caption);
    const QMessageBox::Icon icon =
        message.caption == "error" || message.caption == "ERROR" || message.caption == "break"
            ? QMessageBox::Warning
            : QMessageBox::Information;
    QMessageBox box(icon, caption, QString::fromStdString(message.text), QMessageBox::Ok, parent_);
    box.exec();
}

QString DialogAsker::openFileName(const QString& title, const QString& directory,
                                  const QString& filter)
{
    return QFileDialog::getOpenFileName(parent_, title, directory, filter);
}

QString DialogAsker::saveFileName(const QString& title, const QString& directory,
                                  const QString& filter, const QString& defaultSuffix)
{
    QFileDialog dialog(parent_, title, directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

} // namespace keltora::ui
