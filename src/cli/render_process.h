// How the command line reaches the Qt rendering: a separate program, keltora-render, run
// and waited for, so that `keltora` itself never loads Qt (or ICU) for a calculation.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "output/figure.h"

namespace keltora::cli {

// The rendering program beside this one (a build tree) or in the installed libexec
// folder; empty when neither exists.
std::filesystem::path rendererPath();

// Runs the renderer with `args` (stdout and stderr shared with this process, which
// flushes its own first) and returns its exit code; a renderer that is missing, cannot be
// started or dies is reported as "keltora COMMAND: ..." and gives 2.
int runRenderer(const char* command, const std::vector<std::string>& args);

// The figure of plot file `plotFile` into `out` (.pdf, .svg or .png); true on success.
bool renderFigure(const std::filesystem::path& plotFile, const std::string& out);

// A composed figure that has no plot file (the factor-of-safety map), titled `name`, into
// `out` (.pdf, .svg or .png); handed over exactly through a scratch file. True on success.
bool renderComposedFigure(const Figure& figure, const std::string& name, const std::string& out);

// The report pages of `files` in `workDir` into `pdf` (printing "PDF (N pages)"); forms are
// looked up as this program would find them. True on success.
bool renderReport(const std::filesystem::path& workDir, const std::vector<std::string>& files,
                  const std::filesystem::path& pdf);

} // namespace keltora::cli
