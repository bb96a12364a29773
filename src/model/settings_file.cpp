// Reading and writing of the settings file.
#include "model/settings_file.h"

#include <vector>

#include "model/c_format.h"
#include "model/safe_file.h"
#include "model/text_encoding.h"

namespace keltora {

std::array<WindowSize, kWindowSizeEntries> Settings::defaultWindowSizes()
{
    std::array<WindowSize, kWindowSizeEntries> w{};
    const int sizes[][2] = {{0, 0},     {777, 600}, {432, 505}, {475, 412}, {409, 390}, {370, 428},
                            {615, 428}, {441, 385}, {500, 529}, {254, 111}, {370, 427}, {350, 437},
                            {569, 460}, {646, 493}, {284, 105}, {388, 340}};
    for (size_t k = 0; k < std::size(sizes); ++k)
        w[k] = {sizes[k][0], sizes[k][1], 0, 0};
    for (size_t k = std::size(sizes); k < w.size(); ++k)
        w[k] = {400, 400, 0, 0};
    return w;
}

Settings parseSettings(const std::string& bytes, const std::string& startDirectory)
{
    Settings s;
    s.dataDirectory = startDirectory;
    std::vector<std::string> lines;
    forEachLine(bytes, [&lines](std::string_view l) { lines.emplace_back(cp932ToUtf8(l)); });
    if (lines.empty()) return s;
    if (!lines[0].empty()) s.dataDirectory = lines[0];
    for (size_t k = 0; k < kRecentFiles && k + 1 < lines.size(); ++k)
        s.recentFiles[k] = lines[k + 1];
    if (lines.size() > 1 + kRecentFiles) {
        for (size_t k = 0; k < kWindowSizeEntries; ++k) {
            const size_t at = 1 + kRecentFiles + k;
            if (at >= lines.size()) break;
            WindowSize w = s.windowSizes[k];
            if (cscan(lines[at].c_str(), "%d %d %d %d", &w.width, &w.height, &w.unused1,
                      &w.unused2) == 4)
                s.windowSizes[k] = w;
        }
    }
    return s;
}

Settings readSettings(const std::filesystem::path& file, const std::string& startDirectory)
{
    std::string why;
    auto bytes = readWholeFile(file, &why, 1u << 20);
    if (!bytes) {
        Settings s;
        s.dataDirectory = startDirectory;
        return s;
    }
    return parseSettings(*bytes, startDirectory);
}

std::string formatSettings(const Settings& s, MessageList* notes)
{
    // One path a line: a line break would shift every later line, and a character CP932
    // cannot hold would come back as '?', a path that does not exist.
    auto storable = [notes](const std::string& path, const char* what) {
        if (path.empty()) return path;
        bool lossless = true;
        utf8ToCp932(path, &lossless);
        const bool lineBreak = path.find_first_of("\r\n") != std::string::npos;
        if (lossless && !lineBreak) return path;
        if (notes)
            notes->push_back(
                {cformat("%s「%s」は%sため、設定ファイル(%s)に保存しませんでした。", what,
                         path.c_str(),
                         lineBreak ? "改行を含む" : "Shift-JIS(CP932)で書けない文字を含む",
                         kSettingsFileName),
                 "メッセージ"});
        return std::string();
    };
    std::string text = storable(s.dataDirectory, "データフォルダ") + "\r\n";
    for (const auto& r : s.recentFiles)
        text += storable(r, "最近使ったファイル") + "\r\n";
    for (const auto& w : s.windowSizes)
        text += cformat("%d %d %d %d\r\n", w.width, w.height, w.unused1, w.unused2);
    return utf8ToCp932(text);
}

std::optional<Message> writeSettings(const std::filesystem::path& file, const Settings& s,
                                     MessageList* notes)
{
    if (auto err = writeFileAtomically(file, formatSettings(s, notes)))
        return Message{cformat("設定ファイル(%s) を保存できませんでした。\n%s",
                               file.string().c_str(), err->c_str()),
                       "error"};
    return std::nullopt;
}

void addRecentFile(Settings& s, const std::string& path)
{
    if (path.empty()) return;
    size_t i = kRecentFiles - 1;
    for (size_t k = 0; k < kRecentFiles; ++k)
        if (s.recentFiles[k] == path) {
            i = k;
            break;
        }
    for (size_t j = i; j > 0; --j)
        s.recentFiles[j] = s.recentFiles[j - 1];
    s.recentFiles[0] = path;
}

} // namespace keltora
