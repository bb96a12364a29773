// The plot command file of the calculation figure ("SBPLOT01.VOV"), the hand-off file
// "DirPath2.inf" and the start of the plotter.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "model/message.h"
#include "output/figure.h"

namespace keltora {

inline constexpr const char* kPlotFileName = "SBPLOT01.VOV";
inline constexpr const char* kPlotHandOffName = "DirPath2.inf";
inline constexpr const char* kPlotDrawingName = "計算対照図";
inline constexpr const char* kPlotterEnvironment = "KELTORA_PLOTTER";
inline constexpr const char* kPlotterProgram = "keltora-plotter";

// Units of the plot file: 0.00001 mm.
inline constexpr double kPlotUnitsPerMm = 100000.0;
// The sheet (extent 0 .. 2w + 20 by 0 .. 2h + 20) has a margin of 10 mm around the drawing
// window: a figure point (x, y) is written at (x + 10, y + 10), so the window's lower left
// corner is at (10, 10) and the frame's bottom line on A4 runs from (10, 10) to (270, 10).
inline constexpr double kPlotSheetMargin = 10.0;

// A paper length (mm) as written in the file: "%1.0lf" of mm * 100000 (C rounding, so a
// tiny negative value gives "-0" exactly as the C library does).
std::string formatPlotLength(double mm);

// Pen width of a layer in 0.01 mm: 25 for layers 1 and 7, 18 for layer 12, else 13.
int plotLayerPenWidth(int layer);

// The whole file as UTF-8 text with LF line ends: the drawing name, the header records
// and one record per primitive of the figure.
std::string plotFileText(const Figure& figure);

// The bytes of the file: CP932 with CR LF line ends.
std::string plotFileBytes(const Figure& figure);

// Writes "SBPLOT01.VOV" into `directory` (atomically). Returns the message for the user
// when the file cannot be created.
std::optional<Message> writePlotFile(const Figure& figure, const std::filesystem::path& directory);

// Writes "DirPath2.inf" into `directory`: the directory with a trailing '/', the plot
// file's name and the end marker.
std::optional<Message> writePlotHandOff(const std::filesystem::path& directory);

// The figure command after composition: writes the plot file and the hand-off file into
// the start directory, then starts the plotter (the shell command line KELTORA_PLOTTER,
// else keltora-plotter beside the program) there and waits for it, calling `idle` while waiting.
// When the plot file cannot be written, the message is returned and nothing else happens. A plotter
// that cannot be started is not an error of the command (it is reported on `*note`).
std::optional<Message> runPlotCommand(const Figure& figure,
                                      const std::filesystem::path& startDirectory,
                                      const std::function<void()>& idle = {},
                                      std::string* note = nullptr);

} // namespace keltora
