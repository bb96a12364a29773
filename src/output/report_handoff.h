// Handing the report to the report viewer: the hand-off file "DirPath.inf" and the start
// of the viewer, which the caller waits for.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "output/report_pdt.h"

namespace keltora {

inline constexpr const char* kHandOffFileName = "DirPath.inf";
inline constexpr const char* kHandOffEndMarker = "$$$$$$$$";

// "DirPath.inf" in dir: the directory path ending with "/", and, when the report data
// could not be written (no results), the check list by name and the end marker.
bool writeHandOffFile(const std::filesystem::path& dir, bool namesCheckList, ReportFileLog& log);

// The viewer's command: $KELTORA_REPORT_VIEWER when set (a shell command line), else
// "keltora-report-viewer" beside the running executable.
std::string reportViewerCommand();

// Starts `command /PDTOPEN` with workDir as its current directory and waits for it,
// calling idle() about every 250 ms meanwhile. Returns 0 when the program ended, 2 when
// it could not be started, 1 when its exit state could not be read.
int startReportViewer(const std::string& command, const std::filesystem::path& workDir,
                      const std::function<void()>& idle = {});

// Starts a program and waits for it (the generic part of startReportViewer). `shell`
// selects `/bin/sh -c command args...` instead of executing command as a file.
int runProgramAndWait(const std::string& command, bool shell, const std::vector<std::string>& args,
                      const std::filesystem::path& workDir, const std::function<void()>& idle);

} // namespace keltora

#include "output/report_files.h"

namespace keltora {

struct ReportCommandOutcome {
    int reportStatus = 1;  // writeReportData's status
    int viewerStatus = -1; // startReportViewer's status; -1 when not started
    ReportFileLog log;     // all files written and every message, in order
};

// The report command: the report data, the check list and the hand-off file in startDir,
// then (when startViewer) the viewer, waited for.
ReportCommandOutcome runReportCommand(const ReportInput& input,
                                      const std::filesystem::path& startDir, bool startViewer,
                                      const std::function<void()>& idle = {});

} // namespace keltora
