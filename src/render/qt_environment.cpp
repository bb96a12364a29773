// Qt environment and message routing for the command line and the viewers.
#include "render/qt_environment.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace keltora {

namespace {

std::mutex& messageMutex()
{
    static std::mutex m;
    return m;
}

std::string& lastMessage()
{
    static std::string s;
    return s;
}

void handler(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    const std::string line = text.toStdString();
    {
        std::lock_guard<std::mutex> lock(messageMutex());
        lastMessage() = line;
    }
    const char* show = std::getenv("KELTORA_QT_MESSAGES");
    const bool loud = type == QtCriticalMsg || type == QtFatalMsg || (show && *show == '1');
    if (loud) std::fprintf(stderr, "Qt: %s\n", line.c_str());
    if (type == QtFatalMsg) std::abort();
}

// A folder only this user can enter, as the XDG base directory rules require.
bool usableRuntimeDir(const std::string& dir)
{
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0) {
        if (::mkdir(dir.c_str(), 0700) != 0) return false;
        if (::stat(dir.c_str(), &st) != 0) return false;
    }
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 0777) == 0700;
}

} // namespace

void prepareQtEnvironment(bool headless)
{
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const char* tmp = std::getenv("TMPDIR");
        const std::string base = tmp && *tmp ? tmp : "/tmp";
        const std::string dir = base + "/runtime-" + std::to_string(::getuid());
        if (usableRuntimeDir(dir)) qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(dir));
    }
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return;
    const bool display =
        !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (headless || !display) qputenv("QT_QPA_PLATFORM", "offscreen");
}

void routeQtMessages()
{
    qInstallMessageHandler(handler);
}

std::string lastQtMessage()
{
    std::lock_guard<std::mutex> lock(messageMutex());
    return lastMessage();
}

} // namespace keltora
