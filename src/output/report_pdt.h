// Building report data files (PDT) and generated forms (PFM): lines collected as UTF-8 and
// written as CP932 with CR LF, each file atomically.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "model/message.h"
#include "model/model.h"

namespace keltora {

// The text of one report file under construction; lines are UTF-8 without line ends.
class ReportText {
  public:
    void line(std::string_view text);
    // A field record "NN  value" (NN two digits).
    void field(int number, std::string_view value);
    // The file bytes: CP932, every line ended by CR LF.
    std::string bytes() const;
    const std::string& utf8() const { return text_; }

  private:
    std::string text_;
};

// The stamp line of every report data file: calculation date and time, each left-justified
// in four columns, eight blanks, then the data path padded to at least eight CP932 bytes.
std::string reportStampLine(const SlopeModel& model, const std::string& dataPath);

// Where the files of one report command went and what the user must be told.
struct ReportFileLog {
    std::vector<std::string> written; // file names written, in order
    MessageList messages;             // files that could not be written, other notices
    std::vector<std::string> failed;  // file names that could not be written, in order
};

// Writes one file into dir atomically; a failure is skipped and noted in log.messages.
bool writeReportFile(const std::filesystem::path& dir, const std::string& name,
                     const std::string& bytes, ReportFileLog& log);

} // namespace keltora
