// Writing a composed figure (calculation figure or factor-of-safety map) as a DXF drawing
// (R12 / AC1009 ASCII, CP932 texts, CR LF) in sheet millimetres, one DXF layer per layer.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "model/message.h"
#include "output/figure.h"

namespace keltora {

// The DXF layer name of a figure layer, named by what it holds ("06_CRITICAL_SURFACE");
// layers without a name of their own are "LAYER_NN".
std::string dxfLayerName(int layer);

// The drawing as DXF bytes. Coordinates are sheet millimetres like the plot file's (the
// drawing window 10 mm inside the sheet), so the DXF lies over the plotted sheet. Lines
// become LINE, arcs ARC (counter-clockwise, as DXF draws them), texts TEXT with their
// height and width factor, point marks CIRCLE, arrows a LINE shaft with two head LINEs (a
// SOLID head for filled arrows), filled areas SOLIDs in the nearest AutoCAD colour.
std::string dxfFileBytes(const Figure& figure);

// Writes the drawing to `path` through a temporary file, so that an existing file stays
// intact when writing fails. Returns the message for the user on failure.
std::optional<Message> writeDxfFile(const Figure& figure, const std::filesystem::path& path);

} // namespace keltora
