// The sheet pile import: fills the sheet pile settings of the document from a sheet pile
// file (DAT: top, toe, section area, lm1, then "height,intensity" rows of passive pressure).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "model/message.h"
#include "model/model.h"

namespace keltora {

struct SheetPileImportResult {
    int status = 0;               // 0 imported, 1 file missing, -1 file damaged
    std::optional<Message> error; // set when status != 0; the model is then unchanged
    MessageList warnings;         // rows not taken, table order
    int rowsIgnored = 0;          // row lines beyond the 64-row table
};

// Reads the file at path into model.sheetPile: x and allowableShear become 0, topY, toeY,
// sectionArea and lm1 come from the first four lines, the passive pressure table from the
// rows that follow (at most 64). method and dummy are kept. On success modified = 1 and
// calcState = 0. A missing file or a header or row that cannot be read changes nothing.
SheetPileImportResult importSheetPile(SlopeModel& model, const std::filesystem::path& path);

// The same on the bytes of a file; displayName is used in messages.
SheetPileImportResult parseSheetPile(SlopeModel& model, const std::string& bytes,
                                     const std::string& displayName);

} // namespace keltora
