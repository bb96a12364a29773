// keltora-gui: the main window, optionally opening a section file given on the command line.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <filesystem>

#include "analysis/calculation.h"
#include "ui/main_window.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Numbers in files and formats are written by locale-independent code; the C library
    // follows the environment for everything else.
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("keltora-gui"));
    QApplication::setApplicationVersion(QStringLiteral(KELTORA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("KELTORA main window"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE.SDW"), QStringLiteral("section file to open"),
                                 QStringLiteral("[FILE.SDW]"));
    QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                  QStringLiteral("save a picture of the window to FILE and quit"),
                                  QStringLiteral("FILE"));
    QCommandLineOption size(QStringLiteral("size"),
                            QStringLiteral("window size WxH instead of maximised"),
                            QStringLiteral("WxH"));
    QCommandLineOption trigger(
        QStringLiteral("action"),
        QStringLiteral("trigger the command NAME (objectName) after opening; "
                       "may be repeated"),
        QStringLiteral("NAME"));
    QCommandLineOption calculate(
        QStringLiteral("calculate"),
        QStringLiteral("calculate the opened section at once, without message boxes (scripted "
                       "pictures); the messages go to the standard error"));
    parser.addOption(calculate);
    parser.addOption(screenshot);
    parser.addOption(size);
    parser.addOption(trigger);
    parser.process(app);

    const std::filesystem::path start = std::filesystem::current_path();
    keltora::ui::MainWindow window(start);
    if (parser.isSet(size)) {
        const QStringList wh = parser.value(size).split(QLatin1Char('x'));
        if (wh.size() == 2) window.resize(wh[0].toInt(), wh[1].toInt());
        window.show();
    } else {
        window.showMaximized();
    }
    // In order, once the event loop runs: open the file, calculate, trigger the commands.
    const QStringList files = parser.positionalArguments();
    const QString file = files.isEmpty() ? QString() : files.front();
    const QStringList actions = parser.values(trigger);
    const bool calc = parser.isSet(calculate);
    QTimer::singleShot(0, &window, [&window, file, actions, calc] {
        if (!file.isEmpty()) window.openFile(QDir::current().absoluteFilePath(file));
        if (calc) {
            keltora::CalcOptions options;
            options.workDir = window.startDirectory();
            const keltora::CalcOutcome outcome =
                keltora::runCalculation(window.sectionDocument().document(), options);
            for (const keltora::Message& m : outcome.messages)
                std::fprintf(stderr, "[%s] %s\n", m.caption.c_str(), m.text.c_str());
            window.sectionDocument().notifyReplaced();
        }
        for (const QString& name : actions)
            if (QAction* a = window.action(name)) a->trigger();
    });
    if (parser.isSet(screenshot)) {
        const QString target = parser.value(screenshot);
        QTimer::singleShot(1500, &window, [&window, target] {
            window.grab().save(target);
            window.writeSettingsOnce();
            QApplication::exit(0);
        });
    }
    return app.exec();
}
