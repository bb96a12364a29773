// keltora-gui: the main window, optionally opening a section file given on the command line.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>

#include <clocale>
#include <filesystem>

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
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, file = files.front()] {
            window.openFile(QDir::current().absoluteFilePath(file));
        });
    }
    const QStringList actions = parser.values(trigger);
    QTimer::singleShot(50, &window, [&window, actions] {
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
