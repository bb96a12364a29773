// Rules of the DXF import dialog.
#include "edit/dxf_import_rules.h"

#include "model/c_format.h"

namespace keltora {

namespace {

std::string extent(double v)
{
    return cformat("%.3f", v);
}

void showExtents(DxfDialogFields& f, const DxfExtents& e)
{
    f.xmax = extent(e.xmax);
    f.xmin = extent(e.xmin);
    f.ymax = extent(e.ymax);
    f.ymin = extent(e.ymin);
}

} // namespace

bool dxfImportNeedsConfirmation(const SlopeModel& model)
{
    return model.pointCount > 0;
}

DxfDialogFields dxfDialogFields(const DxfDrawing& drawing, const std::string& fileName)
{
    DxfDialogFields f;
    const auto n = static_cast<long long>(drawing.segments.size());
    f.fileName = fileName;
    f.points = cformat("%lld", 2 * n);
    f.lines = cformat("%lld", n);
    showExtents(f, drawing.extents);
    f.shiftX = "0.000";
    f.shiftY = "0.000";
    f.scale = "1.000";
    return f;
}

DxfTransform dxfTransformOf(const DxfDialogFields& f)
{
    return {readEditNumber(f.shiftX), readEditNumber(f.shiftY), readEditNumber(f.scale)};
}

void dxfTrial(DxfDialogFields& f, const DxfExtents& fileExtents)
{
    showExtents(f, transformDxfExtents(fileExtents, dxfTransformOf(f)));
}

void dxfRestore(DxfDialogFields& f, const DxfExtents& fileExtents)
{
    f.shiftX = "0.000";
    f.shiftY = "0.000";
    f.scale = "1.000";
    showExtents(f, fileExtents);
}

std::string dxfDrawingSummary(const DxfDrawing& d)
{
    std::string s;
    if (d.lineSegments) s += cformat("LINE: %d 本\n", d.lineSegments);
    if (d.polylineSegments) s += cformat("POLYLINE: %d 本\n", d.polylineSegments);
    if (d.lwpolylineSegments) s += cformat("LWPOLYLINE: %d 本\n", d.lwpolylineSegments);
    if (d.blockSegments) s += cformat("（うちブロック定義内: %d 本）\n", d.blockSegments);
    for (const Message& w : d.warnings)
        s += w.text + "\n";
    if (!s.empty() && s.back() == '\n') s.pop_back();
    return s;
}

DialogOutcome applyDxfImport(SlopeModel& model, const DxfDrawing& drawing,
                             const DxfDialogFields& fields, DxfImportResult* result)
{
    const DxfTransform t = dxfTransformOf(fields);
    if (auto why = checkDxfTransform(t)) return refused(*why);
    DxfImportResult r = importDxf(model, drawing, t);
    if (result) *result = r;
    if (!r.ok) return refused(r.error.value_or(Message{"DXFファイルを読み込めません。", "error"}));
    DialogOutcome out;
    out.stored = true;
    out.resultsDiscarded = true;
    out.messages = r.warnings;
    return out;
}

} // namespace keltora
