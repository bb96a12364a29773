// The DXF import dialog: what the drawing holds (file name, counts, extents), the trial and
// restore of the shift and scale, and the import with the parameters typed.
#pragma once

#include <optional>
#include <string>

#include "edit/dialog_fields.h"
#include "model/dxf_import.h"
#include "model/model.h"

namespace keltora {

struct DxfDialogFields {
    std::string fileName; // Edit1, read only
    std::string points;   // Edit2: 2 x segments
    std::string lines;    // Edit3: segments
    std::string xmax;     // Edit4 .. Edit7: extents, "0.000"
    std::string xmin;
    std::string ymax;
    std::string ymin;
    std::string shiftX; // Edit8
    std::string shiftY; // Edit9
    std::string scale;  // Edit10
};

// The question before the terrain of a document with points is replaced.
inline constexpr const char* kDxfReplaceQuestion =
    "現在の地形データを削除して指定したＤＸＦファイルで置き換えます。";

// True when the document has terrain points, so that the question above is asked first.
bool dxfImportNeedsConfirmation(const SlopeModel& model);

// The first pass: the drawing's name, counts and extents; shift 0.000, 0.000, scale 1.000.
DxfDialogFields dxfDialogFields(const DxfDrawing& drawing, const std::string& fileName);

// "試　　行": the extents as the typed shift and scale would make them.
void dxfTrial(DxfDialogFields& fields, const DxfExtents& fileExtents);

// "元に戻す": the parameters 0.000, 0.000, 1.000 and the file's extents again.
void dxfRestore(DxfDialogFields& fields, const DxfExtents& fileExtents);

// The typed shift and scale (unreadable text reads as 0).
DxfTransform dxfTransformOf(const DxfDialogFields& fields);

// What the drawing holds beyond the counts: segments per entity type and the reader's
// warnings, one line each (empty when there is nothing to add).
std::string dxfDrawingSummary(const DxfDrawing& drawing);

// "読み込み": checks the parameters (a refusal keeps the dialog open) and replaces the
// terrain of the model by the drawing; the outcome's messages tell what was left out.
DialogOutcome applyDxfImport(SlopeModel& model, const DxfDrawing& drawing,
                             const DxfDialogFields& fields, DxfImportResult* result = nullptr);

} // namespace keltora
