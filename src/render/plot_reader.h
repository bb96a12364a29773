// Reading plot command files ("SBPLOT01.VOV") and the hand-off file "DirPath2.inf" into
// figure primitives on the sheet, for the plotter and the command line.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "output/figure.h"
#include "output/safety_map.h"

namespace keltora {

struct PlotDocument {
    std::string name;                           // line 1, UTF-8
    double sheetWidth = 0.0, sheetHeight = 0.0; // SZ (mm); from EM or the items when absent
    // mm by layer 1..16 of the plot file, 17..20 of the factor-of-safety map (index 0 unused)
    std::array<double, kLastFigureLayer + 1> penWidth{};
    std::vector<FigureItem> items;     // sheet millimetres, y upwards, origin lower left
    int records = 0;                   // drawing and header records read
    int malformed = 0;                 // records skipped as unreadable
    std::vector<std::string> problems; // the first few skipped records, for the user

    PlotDocument() { penWidth.fill(0.13); }
};

// Parses the bytes of a plot file (CP932, CR LF or LF). Unreadable records are skipped
// and counted; the parse itself never fails.
PlotDocument parsePlotFile(const std::string& bytes);

// A composed figure as a document on its sheet, exactly as its plot file would read back
// (the 10 mm sheet margin, the layers' pens), but with the primitives the plot file cannot
// hold (the filled areas of the factor-of-safety map) kept.
PlotDocument plotDocumentOf(const Figure& figure, const std::string& name);

// Reads and parses a plot file; nothing (and *error) when it cannot be read.
std::optional<PlotDocument> readPlotFile(const std::filesystem::path& path, std::string* error);

// Reads a hand-off file: the folder (first line) joined with the plot file's name (second
// line). Nothing (and *error) when the file is missing or incomplete.
std::optional<std::filesystem::path> readPlotHandOff(const std::filesystem::path& path,
                                                     std::string* error);

} // namespace keltora
