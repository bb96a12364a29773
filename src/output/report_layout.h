// Report pages without a window system: report data files merged with their forms and
// laid out on A4 pages of fixed columns and lines, ready for any painter.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keltora {

// The text grid of one page body (between the running head and the running foot).
inline constexpr int kReportPageColumns = 96;
inline constexpr int kReportPageLines = 62;

// Columns a character takes: 1 for ASCII and half-width katakana (one byte in CP932),
// 2 for every other character (two bytes in CP932).
int reportColumnWidth(char32_t c);
std::u32string decodeUtf8(std::string_view utf8);
std::string encodeUtf8(std::u32string_view text);
int reportTextWidth(std::string_view utf8);

// A form: a comment, a number (not used for placement) and the lines with "$NN^^^"
// placeholders; a placeholder is as wide as its characters.
struct ReportForm {
    std::string comment;
    int number = 0;
    std::vector<std::string> lines; // UTF-8
};

// Reads a form file (CP932, CR LF or LF). Nothing when it has no second line.
std::optional<ReportForm> parseForm(const std::string& cp932Bytes);

// The form lines with the field values put into their placeholders: numbers right-aligned,
// texts left-aligned; a number too wide for its placeholder uses blank columns to its left,
// else shows '*'; a text too wide is cut. Placeholders without a value become blanks.
std::vector<std::string> fillForm(const ReportForm& form, const std::map<int, std::string>& values);

// Looks forms up in the given folders, in order, and keeps what it read.
class FormLibrary {
  public:
    explicit FormLibrary(std::vector<std::filesystem::path> folders);
    const ReportForm* find(const std::string& name);
    const std::vector<std::filesystem::path>& folders() const { return folders_; }

  private:
    std::vector<std::filesystem::path> folders_;
    std::map<std::string, std::unique_ptr<ReportForm>> cache_; // null = not found
};

// A figure placed on a page by a figure record: a plot file of the data folder drawn over
// `lines` body lines from line `firstLine` (0-based, among the page's lines).
struct ReportFigure {
    int firstLine = 0;
    int lines = 0;
    std::filesystem::path file;
};

struct ReportPage {
    std::vector<std::string> lines; // UTF-8, at most kReportPageLines
    std::vector<ReportFigure> figures;
    std::string documentTitle; // line 1 of the data file
    std::string calculated;    // "2026/12/08 09:05:30", empty when never calculated
    std::string dataPath;      // from the stamp line
    int number = 0;            // 1-based over the whole report
    int count = 0;             // pages of the whole report
};

struct ReportLayout {
    std::vector<ReportPage> pages;
    std::vector<std::string> warnings; // skipped lines, missing forms (UTF-8)
};

// Lays out one report data file (CP932 bytes) and appends its pages; it starts on a new
// page. Malformed lines are skipped with a warning. A figure record "$G  FILE  N" keeps N
// body lines free for the plot file FILE (a plain name, looked up in `folder`).
void layoutReportFile(const std::string& cp932Bytes, const std::string& fileName,
                      FormLibrary& forms, ReportLayout& layout,
                      const std::filesystem::path& folder = {});

// Numbers the pages of a finished layout.
void numberPages(ReportLayout& layout);

// The hand-off file: the data folder, and the files to show when it names them.
struct ReportHandOff {
    std::filesystem::path folder;
    std::vector<std::string> files;
};
std::optional<ReportHandOff> readReportHandOff(const std::filesystem::path& file,
                                               std::string* error);

// The report data files of a run in their natural order: the check list, then per level
// the result list, the factor-of-safety list and the minimum file.
std::vector<std::string> reportFilesInFolder(const std::filesystem::path& folder);

// Where forms are looked up, in order: the data folder, an extra folder (may be empty),
// the program's folder, its "forms" subfolder, "../share/keltora/forms" beside it (an
// installed program), and, for a program run from the build tree, the "forms" folder of
// the source tree it was built from. A form name with a path is never looked up.
std::vector<std::filesystem::path> reportFormFolders(const std::filesystem::path& dataFolder,
                                                     const std::filesystem::path& extraFolder,
                                                     const std::filesystem::path& programFolder);

// Reads and lays out files of a folder (a file that cannot be read becomes a warning).
ReportLayout layoutReport(const std::filesystem::path& folder,
                          const std::vector<std::string>& files, FormLibrary& forms);

} // namespace keltora
