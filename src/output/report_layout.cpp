// Merging report data records with their forms and breaking the result into pages.
//
// Records: "$H form" page header from the next page on (a new header keeps the values of
// the previous one for fields it is not given), "$F form" the footer that closes every
// page directly below its body, "$0 form" a body block, "$1 form" a body block at the top
// of a new page, "NN  value" a field of the form named last, "$Rnn" start a new page
// unless nn body lines are left, "$G file nn" nn body lines kept free for a figure (our
// own summary pages), "$L" the end. A body block is placed whole; it moves to a new page
// when it does not fit above the footer.
#include "output/report_layout.h"

#include <algorithm>
#include <cctype>

#include "model/c_format.h"
#include "model/safe_file.h"
#include "model/text_encoding.h"

namespace keltora {

namespace fs = std::filesystem;

int reportColumnWidth(char32_t c)
{
    if (c < 0x80) return 1;
    if (c >= 0xFF61 && c <= 0xFF9F) return 1; // half-width katakana
    return 2;
}

std::u32string decodeUtf8(std::string_view s)
{
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        int len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        if (i + static_cast<std::size_t>(len) > s.size()) len = 1;
        char32_t c = len == 1   ? (b < 0x80 ? b : U'?')
                     : len == 2 ? (b & 0x1F)
                     : len == 3 ? (b & 0x0F)
                                : (b & 0x07);
        for (int k = 1; k < len; ++k)
            c = (c << 6) | (static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) & 0x3F);
        out.push_back(c);
        i += static_cast<std::size_t>(len);
    }
    return out;
}

std::string encodeUtf8(std::u32string_view text)
{
    std::string out;
    for (char32_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

int reportTextWidth(std::string_view utf8)
{
    int w = 0;
    for (char32_t c : decodeUtf8(utf8))
        w += reportColumnWidth(c);
    return w;
}

namespace {

std::vector<std::string> splitLines(const std::string& cp932)
{
    std::vector<std::string> lines;
    forEachLine(cp932, [&](std::string_view l) { lines.push_back(cp932ToUtf8(l)); });
    return lines;
}

bool isDigit(char32_t c)
{
    return c >= U'0' && c <= U'9';
}

bool looksNumeric(std::u32string_view v)
{
    bool any = false;
    for (char32_t c : v) {
        if (c == U' ') continue;
        if (!(isDigit(c) || c == U'.' || c == U'-' || c == U'+' || c == U'*')) return false;
        any = true;
    }
    return any;
}

std::u32string trimmed(std::u32string v, bool leading, bool trailing)
{
    if (trailing)
        while (!v.empty() && v.back() == U' ')
            v.pop_back();
    if (leading) {
        std::size_t i = 0;
        while (i < v.size() && v[i] == U' ')
            ++i;
        v.erase(0, i);
    }
    return v;
}

int widthOf(std::u32string_view v)
{
    int w = 0;
    for (char32_t c : v)
        w += reportColumnWidth(c);
    return w;
}

// Puts value into a placeholder of `width` columns at the end of `out`.
void putField(std::u32string& out, std::u32string value, int width)
{
    if (looksNumeric(value)) {
        int w = widthOf(value);
        if (w > width) {
            value = trimmed(value, true, true);
            w = widthOf(value);
        }
        if (w <= width) {
            out.append(static_cast<std::size_t>(width - w), U' ');
            out += value;
            return;
        }
        // Borrow blank columns on the left rather than hide digits.
        const int extra = w - width;
        int blanks = 0;
        while (blanks < extra && static_cast<std::size_t>(blanks) < out.size() &&
               out[out.size() - 1 - static_cast<std::size_t>(blanks)] == U' ')
            ++blanks;
        if (blanks == extra) {
            out.resize(out.size() - static_cast<std::size_t>(extra));
            out += value;
        } else {
            out.append(static_cast<std::size_t>(width), U'*');
        }
        return;
    }
    value = trimmed(value, false, true);
    int used = 0;
    for (char32_t c : value) {
        const int cw = reportColumnWidth(c);
        if (used + cw > width) break;
        out.push_back(c);
        used += cw;
    }
    out.append(static_cast<std::size_t>(width - used), U' ');
}

} // namespace

std::optional<ReportForm> parseForm(const std::string& cp932Bytes)
{
    std::vector<std::string> lines = splitLines(cp932Bytes);
    if (lines.size() < 2) return std::nullopt;
    ReportForm f;
    f.comment = lines[0];
    if (cscan(lines[1].c_str(), "%d", &f.number) != 1) f.number = 0;
    f.lines.assign(lines.begin() + 2, lines.end());
    return f;
}

std::vector<std::string> fillForm(const ReportForm& form, const std::map<int, std::string>& values)
{
    std::vector<std::string> out;
    out.reserve(form.lines.size());
    for (const std::string& line : form.lines) {
        const std::u32string s = decodeUtf8(line);
        std::u32string o;
        for (std::size_t i = 0; i < s.size();) {
            if (s[i] == U'$' && i + 2 < s.size() && isDigit(s[i + 1]) && isDigit(s[i + 2])) {
                const int number = static_cast<int>((s[i + 1] - U'0') * 10 + (s[i + 2] - U'0'));
                std::size_t end = i + 3;
                while (end < s.size() && s[end] == U'^')
                    ++end;
                const int width = static_cast<int>(end - i);
                auto v = values.find(number);
                putField(o, v == values.end() ? std::u32string() : decodeUtf8(v->second), width);
                i = end;
            } else {
                o.push_back(s[i++]);
            }
        }
        out.push_back(encodeUtf8(trimmed(o, false, true)));
    }
    return out;
}

FormLibrary::FormLibrary(std::vector<fs::path> folders) : folders_(std::move(folders)) {}

const ReportForm* FormLibrary::find(const std::string& name)
{
    auto it = cache_.find(name);
    if (it != cache_.end()) return it->second.get();
    std::unique_ptr<ReportForm> form;
    // A form is a file name in one of the form folders, never a path: a data file must
    // not make the viewer read files elsewhere ("../../etc/passwd", "/etc/passwd").
    const bool plainName = !name.empty() && name != "." && name != ".." &&
                           name.find_first_of("/\\") == std::string::npos;
    for (const auto& dir : plainName ? folders_ : std::vector<fs::path>{}) {
        std::error_code ec;
        if (dir.empty() || !fs::is_regular_file(dir / name, ec)) continue;
        if (auto bytes = readWholeFile(dir / name, nullptr, 1u << 20)) {
            if (auto f = parseForm(*bytes)) form = std::make_unique<ReportForm>(std::move(*f));
        }
        break;
    }
    const ReportForm* p = form.get();
    cache_.emplace(name, std::move(form));
    return p;
}

namespace {

struct Slot {
    const ReportForm* form = nullptr;
    std::string name;
    std::map<int, std::string> values;
    bool active() const { return !name.empty(); }
};

class Paginator {
  public:
    Paginator(FormLibrary& forms, ReportLayout& layout, std::string fileName, fs::path folder)
        : forms_(forms), layout_(layout), fileName_(std::move(fileName)), folder_(std::move(folder))
    {
    }

    void setDocument(std::string title, std::string calculated, std::string path)
    {
        title_ = std::move(title);
        calculated_ = std::move(calculated);
        path_ = std::move(path);
    }

    void record(const std::string& line, int lineNo)
    {
        if (line.empty()) return;
        if (line[0] != '$') {
            field(line, lineNo);
            return;
        }
        flushPending();
        const std::string kind = line.substr(0, 2);
        const std::string name = formName(line);
        if (kind == "$H") {
            Slot next;
            if (!name.empty()) {
                next.values = header_.values;
                next.name = name;
                next.form = lookUp(name);
            }
            header_ = std::move(next);
            target_ = &header_;
        } else if (kind == "$F") {
            footer_ = Slot{};
            if (!name.empty()) {
                footer_.name = name;
                footer_.form = lookUp(name);
            }
            target_ = &footer_;
        } else if (kind == "$0" || kind == "$1") {
            if (name.empty()) return warn(lineNo, line);
            pending_ = Slot{};
            pending_.name = name;
            pending_.form = lookUp(name);
            pendingNewPage_ = kind == "$1";
            target_ = &pending_;
        } else if (kind == "$L") {
            finish();
            ended_ = true;
        } else if (kind == "$G") {
            figure(line, lineNo);
        } else if (kind == "$R") {
            int need = 0;
            if (cscan(line.c_str() + 2, "%d", &need) != 1) return warn(lineNo, line);
            if (open_ && remaining() < need) closePage();
        } else {
            warn(lineNo, line);
        }
    }

    void finish()
    {
        flushPending();
        if (open_) closePage();
        header_ = Slot{};
        footer_ = Slot{};
        target_ = nullptr;
    }

    bool ended() const { return ended_; }

  private:
    static std::string formName(const std::string& line)
    {
        if (line.size() <= 2) return {};
        std::size_t b = 2;
        while (b < line.size() && line[b] == ' ')
            ++b;
        std::size_t e = b;
        while (e < line.size() && line[e] != ' ')
            ++e;
        return line.substr(b, e - b);
    }

    const ReportForm* lookUp(const std::string& name)
    {
        const ReportForm* f = forms_.find(name);
        if (f == nullptr) {
            const std::string w = "様式 " + name + " が見つかりません (" + fileName_ + ")";
            if (std::find(layout_.warnings.begin(), layout_.warnings.end(), w) ==
                layout_.warnings.end())
                layout_.warnings.push_back(w);
        }
        return f;
    }

    // "$G  NAME  LINES": a plain file name (never a path, as for forms) and 1..half a
    // page of lines.
    void figure(const std::string& line, int lineNo)
    {
        const std::string name = formName(line);
        int lines = 0;
        const std::size_t after = line.find(name, 2) + name.size();
        if (name.empty() || name == "." || name == ".." ||
            name.find_first_of("/\\") != std::string::npos ||
            cscan(line.c_str() + after, "%d", &lines) != 1 || lines < 1 ||
            lines > kReportPageLines - 8)
            return warn(lineNo, line);
        target_ = nullptr;
        if (!open_) openPage();
        if (lines > remaining() && static_cast<int>(page_.lines.size()) > bodyStart_) {
            closePage();
            openPage();
        }
        if (lines > remaining()) return warn(lineNo, line);
        page_.figures.push_back({static_cast<int>(page_.lines.size()), lines,
                                 folder_.empty() ? fs::path(name) : folder_ / name});
        page_.lines.insert(page_.lines.end(), static_cast<std::size_t>(lines), std::string());
    }

    void warn(int lineNo, const std::string& line)
    {
        layout_.warnings.push_back(cformat("%s:%d: ", fileName_.c_str(), lineNo) +
                                   "読めない行を飛ばしました: " + line);
    }

    void field(const std::string& line, int lineNo)
    {
        if (line.size() < 2 || !std::isdigit(static_cast<unsigned char>(line[0])) ||
            !std::isdigit(static_cast<unsigned char>(line[1])) ||
            (line.size() > 2 && line[2] != ' ') || (line.size() > 3 && line[3] != ' '))
            return warn(lineNo, line);
        if (target_ == nullptr) return warn(lineNo, line);
        const int number = (line[0] - '0') * 10 + (line[1] - '0');
        target_->values[number] = line.size() > 4 ? line.substr(4) : std::string();
    }

    std::vector<std::string> linesOf(const Slot& s) const
    {
        if (!s.active()) return {};
        if (s.form == nullptr) return {"［様式 " + s.name + " がありません］"};
        return fillForm(*s.form, s.values);
    }

    int footerHeight() const { return static_cast<int>(linesOf(footer_).size()); }
    int remaining() const
    {
        return kReportPageLines - static_cast<int>(page_.lines.size()) - footerHeight();
    }

    void openPage()
    {
        page_ = ReportPage{};
        page_.documentTitle = title_;
        page_.calculated = calculated_;
        page_.dataPath = path_;
        page_.lines = linesOf(header_);
        // A header taller than half a page would leave no room for a body.
        if (static_cast<int>(page_.lines.size()) > kReportPageLines / 2)
            page_.lines.resize(kReportPageLines / 2);
        bodyStart_ = static_cast<int>(page_.lines.size());
        open_ = true;
    }

    void closePage()
    {
        for (auto& l : linesOf(footer_)) {
            if (static_cast<int>(page_.lines.size()) >= kReportPageLines) break;
            page_.lines.push_back(std::move(l));
        }
        layout_.pages.push_back(std::move(page_));
        page_ = ReportPage{};
        open_ = false;
    }

    void flushPending()
    {
        if (!pending_.active()) return;
        const std::vector<std::string> block = linesOf(pending_);
        const bool newPage = pendingNewPage_;
        pending_ = Slot{};
        target_ = nullptr;
        if (newPage && open_ && static_cast<int>(page_.lines.size()) > bodyStart_) closePage();
        if (!open_) openPage();
        if (static_cast<int>(block.size()) > remaining() &&
            static_cast<int>(page_.lines.size()) > bodyStart_) {
            closePage();
            openPage();
        }
        for (const auto& l : block) {
            // A block taller than a whole page continues on the next one.
            if (remaining() <= 0) {
                closePage();
                openPage();
                if (remaining() <= 0) return; // header and footer fill the page: give up
            }
            page_.lines.push_back(l);
        }
    }

    FormLibrary& forms_;
    ReportLayout& layout_;
    std::string fileName_;
    fs::path folder_;
    std::string title_, calculated_, path_;
    Slot header_, footer_, pending_;
    Slot* target_ = nullptr;
    bool pendingNewPage_ = false;
    bool open_ = false;
    bool ended_ = false;
    int bodyStart_ = 0;
    ReportPage page_;
};

std::string calculatedText(const std::string& stamp)
{
    int v[6] = {};
    if (cscan(stamp.c_str(), "%d%d%d%d%d%d", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]) != 6)
        return {};
    if (v[0] == 0 && v[1] == 0 && v[2] == 0) return {};
    const int year = v[0] < 100 ? 2000 + v[0] : v[0];
    return cformat("%04d/%02d/%02d %02d:%02d:%02d", year, v[1], v[2], v[3], v[4], v[5]);
}

} // namespace

void layoutReportFile(const std::string& cp932Bytes, const std::string& fileName,
                      FormLibrary& forms, ReportLayout& layout, const fs::path& folder)
{
    const std::vector<std::string> lines = splitLines(cp932Bytes);
    Paginator p(forms, layout, fileName, folder);
    const std::string stamp = lines.size() > 1 ? lines[1] : std::string();
    std::string path = stamp.size() > 32 ? stamp.substr(32) : std::string();
    while (!path.empty() && path.back() == ' ')
        path.pop_back();
    p.setDocument(lines.empty() ? std::string() : lines[0], calculatedText(stamp), path);
    for (std::size_t i = 2; i < lines.size() && !p.ended(); ++i)
        p.record(lines[i], static_cast<int>(i) + 1);
    p.finish();
}

void numberPages(ReportLayout& layout)
{
    const int n = static_cast<int>(layout.pages.size());
    for (int i = 0; i < n; ++i) {
        layout.pages[static_cast<std::size_t>(i)].number = i + 1;
        layout.pages[static_cast<std::size_t>(i)].count = n;
    }
}

std::optional<ReportHandOff> readReportHandOff(const fs::path& file, std::string* error)
{
    auto bytes = readWholeFile(file, error, 1u << 20);
    if (!bytes) return std::nullopt;
    const std::vector<std::string> lines = splitLines(*bytes);
    if (lines.empty() || lines[0].empty()) {
        if (error) *error = "フォルダが書かれていません";
        return std::nullopt;
    }
    ReportHandOff h;
    h.folder = lines[0];
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string name = lines[i];
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        if (name.starts_with("$$$$$$$$")) break;
        if (!name.empty()) h.files.push_back(name);
    }
    return h;
}

std::vector<std::string> reportFilesInFolder(const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    auto exists = [&](const std::string& n) { return fs::is_regular_file(folder / n, ec); };
    if (exists("SB_CHECK.PDT")) names.push_back("SB_CHECK.PDT");
    for (int k = 1; k <= 4; ++k)
        for (int kind = 0; kind < 3; ++kind) {
            const std::string n = cformat("SB_ANS%d%d.PDT", k, kind);
            if (exists(n)) names.push_back(n);
        }
    return names;
}

std::vector<fs::path> reportFormFolders(const fs::path& dataFolder, const fs::path& extraFolder,
                                        const fs::path& programFolder)
{
    std::vector<fs::path> dirs;
    for (const fs::path& d : {dataFolder, extraFolder, programFolder})
        if (!d.empty()) dirs.push_back(d);
    if (!programFolder.empty()) {
        dirs.push_back(programFolder / "forms");
        // An installed program: bin/PROGRAM finds share/keltora/forms.
        dirs.push_back((programFolder / ".." / "share" / "keltora" / "forms").lexically_normal());
#if defined(KELTORA_BUILD_DIR) && defined(KELTORA_SOURCE_FORMS_DIR)
        // A program run from the build tree finds the forms of the source tree it was
        // built from; an installed program never looks there.
        const fs::path build = fs::path(KELTORA_BUILD_DIR).lexically_normal();
        const fs::path program = programFolder.lexically_normal();
        const auto [b, p] =
            std::mismatch(build.begin(), build.end(), program.begin(), program.end());
        if (b == build.end()) dirs.push_back(KELTORA_SOURCE_FORMS_DIR);
#endif
    }
    return dirs;
}

ReportLayout layoutReport(const fs::path& folder, const std::vector<std::string>& files,
                          FormLibrary& forms)
{
    ReportLayout layout;
    for (const auto& name : files) {
        std::string error;
        auto bytes = readWholeFile(folder / name, &error, 64u << 20);
        if (!bytes) {
            layout.warnings.push_back(name + ": " + error);
            continue;
        }
        layoutReportFile(*bytes, name, forms, layout, folder);
    }
    numberPages(layout);
    return layout;
}

} // namespace keltora
