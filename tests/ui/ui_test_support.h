// Shared pieces of the main window tests: the application object, a scripted answerer for
// questions and file dialogs, and a window started in a temporary start directory.
#pragma once

#include <QApplication>
#include <QString>

#include <deque>
#include <filesystem>
#include <memory>
#include <vector>

#include "test_support.h"
#include "ui/main_window.h"

namespace keltora::test {

// The application of the GUI tests (offscreen); reuses one another suite made.
QApplication& guiApp();

// Answers questions and file dialogs from queues; records what the window showed.
class ScriptedAsker : public ui::QuestionAsker {
  public:
    std::deque<ui::Answer> answers;
    std::deque<QString> files; // answers of the file dialogs; an empty text cancels
    std::vector<QString> questions;
    std::vector<Message> told;
    std::vector<QString> fileDialogTitles;

    ui::Answer ask(const QString& caption, const QString& text, bool withCancel) override;
    void tell(const Message& message) override { told.push_back(message); }
    QString openFileName(const QString& title, const QString& directory,
                         const QString& filter) override;
    QString saveFileName(const QString& title, const QString& directory, const QString& filter,
                         const QString& defaultSuffix) override;
};

// A main window in its own start directory, with the scripted answerer and a fixed size.
struct WindowFixture {
    TempDir start;
    ScriptedAsker asker;
    std::unique_ptr<ui::MainWindow> window;

    explicit WindowFixture(bool create = true);
    void create(int width = 1000, int height = 700);
    // Copies an example into the start directory under `name`.
    std::filesystem::path copyExample(const std::string& example, const std::string& name) const;
};

} // namespace keltora::test
