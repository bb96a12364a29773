// The input check list "SB_CHECK.PDT": every input of the document in report form.
#pragma once

#include <filesystem>
#include <string>

#include "model/model.h"
#include "output/report_pdt.h"

namespace keltora {

inline constexpr const char* kCheckListFileName = "SB_CHECK.PDT";

// The file's text (UTF-8 lines; see ReportText::bytes for the file form).
ReportText checkListText(const SlopeModel& model, const std::string& dataPathWithoutExtension);

// Writes "SB_CHECK.PDT" into dir; a failure is noted in log.
bool writeCheckList(const SlopeModel& model, const std::string& dataPathWithoutExtension,
                    const std::filesystem::path& dir, ReportFileLog& log);

} // namespace keltora
