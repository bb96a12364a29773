// Shared pieces of the main window tests.
#include "ui_test_support.h"

#include <gtest/gtest.h>

namespace keltora::test {

QApplication& guiApp()
{
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *existing;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "keltora_gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

namespace {
// The application exists before any suite of the binary asks for its own kind.
class GuiEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { guiApp(); }
};
[[maybe_unused]] ::testing::Environment* const kGuiEnvironment =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);
} // namespace

ui::Answer ScriptedAsker::ask(const QString&, const QString& text, bool withCancel)
{
    questions.push_back(text);
    if (answers.empty()) return withCancel ? ui::Answer::Cancel : ui::Answer::No;
    const ui::Answer a = answers.front();
    answers.pop_front();
    return a;
}

QString ScriptedAsker::openFileName(const QString& title, const QString&, const QString&)
{
    fileDialogTitles.push_back(title);
    if (files.empty()) return {};
    const QString f = files.front();
    files.pop_front();
    return f;
}

QString ScriptedAsker::saveFileName(const QString& title, const QString& directory,
                                    const QString& filter, const QString&)
{
    return openFileName(title, directory, filter);
}

WindowFixture::WindowFixture(bool doCreate)
{
    guiApp();
    if (doCreate) create();
}

void WindowFixture::create(int width, int height)
{
    window = std::make_unique<ui::MainWindow>(start.path());
    window->setAsker(&asker);
    window->resize(width, height);
    window->show();
    QApplication::processEvents();
}

std::filesystem::path WindowFixture::copyExample(const std::string& example,
                                                 const std::string& name) const
{
    const std::filesystem::path target = start.path() / name;
    std::filesystem::copy_file(examplesDir() / example, target,
                               std::filesystem::copy_options::overwrite_existing);
    return target;
}

} // namespace keltora::test
