// Painting laid-out report pages (A4 portrait) with IPAGothic on any QPainter device:
// screen, printer, PDF. Box-drawing characters become continuous rules.
#pragma once

#include <QString>

#include "output/report_layout.h"

class QPainter;
class QPagedPaintDevice;

namespace keltora {

inline constexpr double kReportPageWidthMm = 210.0;
inline constexpr double kReportPageHeightMm = 297.0;

// Paints one page; `pixelsPerMm` maps paper millimetres to the painter's device units and
// (originX, originY) is where the paper's top left corner lies.
void paintReportPage(QPainter& painter, const ReportPage& page, double pixelsPerMm,
                     double originX = 0.0, double originY = 0.0);

// Writes every page into a PDF file (A4 portrait). Returns false with *error on failure.
bool exportReportPdf(const ReportLayout& layout, const QString& path, QString* error);

// Paints every page on a paged device (a printer set up by the caller).
bool paintReportPages(const ReportLayout& layout, QPagedPaintDevice& device, int fromPage = 0,
                      int toPage = 0);

// The font family used for report pages.
QString reportFontFamily();

} // namespace keltora
