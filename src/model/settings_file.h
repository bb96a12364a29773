// The settings file "KORVAN.ini" in the start directory: the data directory, the five
// recent files and the remembered dialog sizes.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "model/message.h"

namespace keltora {

inline constexpr const char* kSettingsFileName = "KORVAN.ini";
inline constexpr int kRecentFiles = 5;
inline constexpr int kWindowSizeEntries = 32;

struct WindowSize {
    int width = 0;
    int height = 0;
    int unused1 = 0;
    int unused2 = 0;
};

struct Settings {
    std::string dataDirectory;                         // UTF-8
    std::array<std::string, kRecentFiles> recentFiles; // full paths, most recent first
    std::array<WindowSize, kWindowSizeEntries> windowSizes = defaultWindowSizes();

    static std::array<WindowSize, kWindowSizeEntries> defaultWindowSizes();
};

// Reads the settings file. A missing file gives the defaults with dataDirectory =
// startDirectory (so does an empty first line); a file that ends early keeps what it has
// and defaults the rest.
Settings readSettings(const std::filesystem::path& file, const std::string& startDirectory);

// Parses the bytes of a settings file (no file access).
Settings parseSettings(const std::string& bytes, const std::string& startDirectory);

// The bytes of a settings file (CP932, CR LF, always all 38 lines). A path that the file
// cannot hold (a line break, characters CP932 cannot encode) is written as an empty line,
// never garbled, and reported in *notes.
std::string formatSettings(const Settings& s, MessageList* notes = nullptr);

// Writes the settings file atomically; returns a message when it cannot be written.
// Paths left out (see formatSettings) are reported in *notes.
std::optional<Message> writeSettings(const std::filesystem::path& file, const Settings& s,
                                     MessageList* notes = nullptr);

// Moves path to the top of the recent files (an entry already there moves up; a new one
// pushes out the fifth). Paths compare byte for byte; an empty path changes nothing.
void addRecentFile(Settings& s, const std::string& path);

} // namespace keltora
