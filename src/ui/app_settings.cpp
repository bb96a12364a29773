// The settings of the run around the settings file.
#include "ui/app_settings.h"

namespace keltora::ui {

namespace {
constexpr int kLargestWindow = 20000;
}

AppSettings::AppSettings(std::filesystem::path startDirectory)
    : startDirectory_(std::move(startDirectory))
{
    std::error_code ec;
    readFromFile_ = std::filesystem::is_regular_file(filePath(), ec);
    settings_ = readSettings(filePath(), startDirectory_.string());
}

QSize AppSettings::windowSize(int entry) const
{
    const auto defaults = Settings::defaultWindowSizes();
    if (entry < 1 || entry >= kWindowSizeEntries) return QSize(400, 400);
    const WindowSize& w = settings_.windowSizes[static_cast<size_t>(entry)];
    if (w.width <= 0 || w.height <= 0 || w.width > kLargestWindow || w.height > kLargestWindow) {
        const WindowSize& d = defaults[static_cast<size_t>(entry)];
        return QSize(d.width, d.height);
    }
    return QSize(w.width, w.height);
}

void AppSettings::rememberWindowSize(int entry, QSize size)
{
    if (entry < 1 || entry >= kWindowSizeEntries || !size.isValid()) return;
    WindowSize& w = settings_.windowSizes[static_cast<size_t>(entry)];
    w.width = size.width();
    w.height = size.height();
}

void AppSettings::resetWindowSizes()
{
    settings_.windowSizes = Settings::defaultWindowSizes();
}

void AppSettings::setDataDirectory(const QString& directory)
{
    settings_.dataDirectory = directory.toStdString();
}

QString AppSettings::recentFile(int k) const
{
    if (k < 0 || k >= kRecentFiles) return {};
    return QString::fromStdString(settings_.recentFiles[static_cast<size_t>(k)]);
}

void AppSettings::addRecentFile(const QString& path)
{
    keltora::addRecentFile(settings_, path.toStdString());
}

std::optional<Message> AppSettings::write() const
{
    return writeSettings(filePath(), settings_);
}

} // namespace keltora::ui
