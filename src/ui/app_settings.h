// The settings of the run (the settings file in the start directory): the data
// directory, the recent files and the remembered dialog sizes. Read at start-up, written
// once when the main window closes.
#pragma once

#include <QSize>
#include <QString>

#include <filesystem>
#include <optional>

#include "model/settings_file.h"

namespace keltora::ui {

class AppSettings {
  public:
    // Reads the settings file of `startDirectory` (missing, short and damaged files give
    // their defaults).
    explicit AppSettings(std::filesystem::path startDirectory);

    const std::filesystem::path& startDirectory() const { return startDirectory_; }
    std::filesystem::path filePath() const { return startDirectory_ / kSettingsFileName; }
    bool readFromFile() const { return readFromFile_; }

    // Dialog sizes, entries 1..31 (entry 0 is not used). A remembered size that no window
    // can have (not positive, or beyond 20000 pixels) gives the entry's default.
    QSize windowSize(int entry) const;
    void rememberWindowSize(int entry, QSize size);
    void resetWindowSizes();

    QString dataDirectory() const { return QString::fromStdString(settings_.dataDirectory); }
    void setDataDirectory(const QString& directory);

    // Recent file k (0..4), an empty text for an empty entry.
    QString recentFile(int k) const;
    void addRecentFile(const QString& path);

    // Writes the settings file; a message when it cannot be written.
    std::optional<Message> write() const;

    const Settings& raw() const { return settings_; }

  private:
    std::filesystem::path startDirectory_;
    Settings settings_;
    bool readFromFile_ = false;
};

} // namespace keltora::ui
