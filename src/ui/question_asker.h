// Questions and messages to the user through an interface, so that tests can answer them.
#pragma once

#include <QString>
#include <QStringList>

#include "model/message.h"

class QWidget;

namespace keltora::ui {

enum class Answer { Yes, No, Cancel };

// Everything the main window asks or tells the user in a modal box or a file dialog.
class QuestionAsker {
  public:
    virtual ~QuestionAsker() = default;
    // A question with a question icon, captioned `caption`: Yes/No, or Yes/No/Cancel.
    virtual Answer ask(const QString& caption, const QString& text, bool withCancel) = 0;
    // A message box with the message's caption.
    virtual void tell(const Message& message) = 0;
    // File dialogs: the chosen path, or an empty text when the user cancelled.
    virtual QString openFileName(const QString& title, const QString& directory,
                                 const QString& filter) = 0;
    virtual QString saveFileName(const QString& title, const QString& directory,
                                 const QString& filter, const QString& defaultSuffix) = 0;
};

// The real one: QMessageBox and QFileDialog over `parent`.
class DialogAsker : public QuestionAsker {
  public:
    explicit DialogAsker(QWidget* parent) : parent_(parent) {}
    Answer ask(const QString& caption, const QString& text, bool withCancel) override;
    void tell(const Message& message) override;
    QString openFileName(const QString& title, const QString& directory,
                         const QString& filter) override;
    QString saveFileName(const QString& title, const QString& directory, const QString& filter,
                         const QString& defaultSuffix) override;

  private:
    QWidget* parent_;
};

} // namespace keltora::ui
