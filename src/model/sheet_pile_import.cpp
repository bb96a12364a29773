// The sheet pile import: reads the four header values and the passive pressure rows, and
// stores them only when the whole file could be read.
#include "model/sheet_pile_import.h"

#include <cmath>
#include <string_view>
#include <vector>

#include "model/c_format.h"
#include "model/safe_file.h"

namespace keltora {
namespace {

std::string_view trimmed(std::string_view s)
{
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// One number with nothing but blanks around it. A field that reads only partly ("12,5",
// "3.0m") is refused: a value taken from its first digits would be silently wrong.
std::optional<double> parseNumber(std::string_view text)
{
    std::string s(trimmed(text));
    if (s.empty()) return std::nullopt;
    double v = 0.0;
    int used = 0;
    if (cscan(s.c_str(), "%lf%n", &v, &used) != 1 || static_cast<size_t>(used) != s.size())
        return std::nullopt;
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

// A table row starts with a digit, "-" or "."; anything else ends the table.
bool isRowLine(std::string_view line)
{
    if (line.empty()) return false;
    char c = line.front();
    return (c >= '0' && c <= '9') || c == '-' || c == '.';
}

} // namespace

SheetPileImportResult importSheetPile(SlopeModel& model, const std::filesystem::path& path)
{
    std::string why;
    auto bytes = readWholeFile(path, &why, 16u << 20);
    if (!bytes) {
        SheetPileImportResult r;
        r.status = 1;
        r.error = Message{cformat("矢板諸元インポートファイル(%s) が見つかりません。",
                                  path.filename().string().c_str()),
                          "error"};
        return r;
    }
    return parseSheetPile(model, *bytes, path.filename().string());
}

SheetPileImportResult parseSheetPile(SlopeModel& model, const std::string& bytes,
                                     const std::string& displayName)
{
    SheetPileImportResult r;
    std::string_view text = bytes;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::string_view> lines;
    const std::string copy(text);
    forEachLine(copy, [&](std::string_view line) { lines.push_back(line); });

    auto fail = [&](std::string text) {
        r.status = -1;
        r.error = Message{std::move(text), "error"};
        return r;
    };

    SheetPileSettings sp = model.sheetPile;
    sp.x = 0.0;
    sp.allowableShear = 0.0;
    static const char* const kHeaderNames[4] = {"矢板天端高", "矢板根入れ高", "断面積", "lm1"};
    double* header[4] = {&sp.topY, &sp.toeY, &sp.sectionArea, &sp.lm1};
    for (size_t i = 0; i < 4; ++i) {
        if (i >= lines.size())
            return fail(cformat("矢板諸元ファイル %s は%zu行しかありません。先頭の4行に矢板天端高、"
                                "矢板根入れ高、断面積、lm1が必要です。",
                                displayName.c_str(), lines.size()));
        auto v = parseNumber(lines[i]);
        if (!v)
            return fail(cformat("矢板諸元ファイル %s の%zu行目(%s)の数値が読めません。",
                                displayName.c_str(), i + 1, kHeaderNames[i]));
        *header[i] = *v;
    }

    int count = 0;
    size_t end = lines.size(); // index of the line that ended the table
    for (size_t i = 4; i < lines.size(); ++i) {
        if (!isRowLine(lines[i])) {
            end = i;
            break;
        }
        if (count >= kMaxPassiveRows) {
            ++r.rowsIgnored;
            continue;
        }
        std::string_view line = lines[i];
        size_t comma = line.find(',');
        std::optional<double> y, q;
        if (comma != std::string_view::npos) {
            y = parseNumber(line.substr(0, comma));
            q = parseNumber(line.substr(comma + 1));
        }
        if (!y || !q)
            return fail(
                cformat("矢板諸元ファイル %s の%zu行目が「変化高さ,土圧強度」として読めません。",
                        displayName.c_str(), i + 1));
        auto k = static_cast<size_t>(count);
        sp.passiveY[k] = *y;
        sp.passiveIntensity[k] = *q;
        sp.passiveLabelX[k] = 0.0;
        sp.passiveLabelY[k] = 0.0;
        sp.passiveLabelMode[k] = -1;
        ++count;
    }
    sp.passiveCount = count;
    // Rows past the new count keep no values of an earlier table.
    for (auto k = static_cast<size_t>(count); k < static_cast<size_t>(kMaxPassiveRows); ++k) {
        sp.passiveY[k] = sp.passiveIntensity[k] = 0.0;
        sp.passiveLabelX[k] = sp.passiveLabelY[k] = 0.0;
        sp.passiveLabelMode[k] = -1;
    }

    if (r.rowsIgnored > 0)
        r.warnings.push_back(
            {cformat("矢板受動土圧は%d行までです。超えた%d行は読み込みませんでした。",
                     kMaxPassiveRows, r.rowsIgnored),
             "メッセージ"});
    int trailing = 0;
    for (size_t i = end + 1; i < lines.size(); ++i)
        trailing += !trimmed(lines[i]).empty();
    if (end < lines.size() && (trailing > 0 || !trimmed(lines[end]).empty()))
        r.warnings.push_back({cformat("矢板受動土圧の表は%zu行目で終わりました。それ以降の"
                                      "行は読み込んでいません。",
                                      end + 1),
                              "メッセージ"});
    for (int k = 1; k < count; ++k)
        if (sp.passiveY[static_cast<size_t>(k)] > sp.passiveY[static_cast<size_t>(k - 1)]) {
            r.warnings.push_back({cformat("矢板受動土圧の変化高さが上から下の順になっていません"
                                          "（%d行目）。",
                                          k + 5),
                                  "メッセージ"});
            break;
        }

    model.sheetPile = sp;
    markChanged(model, true);
    return r;
}

} // namespace keltora
