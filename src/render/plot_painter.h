// Painting figure primitives (a plot file or a composed figure) with QPainter, and the
// exports of the plotter: PDF, SVG, PNG and the printer.
#pragma once

#include <QColor>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <functional>
#include <vector>

#include "render/plot_reader.h"

class QPainter;
class QPrinter;

namespace keltora {

struct PlotPaintOptions {
    QColor ink = Qt::black;
    QColor paper = Qt::white;
    bool sheetOutline = false; // draw the outline of the sheet
    double minPenPixels = 0.0; // thinnest pen in device pixels (screen: keep lines visible)
};

// Paints the document's sheet into `target` (device coordinates), scaled to fit with its
// aspect ratio kept and centred. Returns the device pixels per millimetre used.
double paintPlot(QPainter& painter, const PlotDocument& doc, const QRectF& target,
                 const PlotPaintOptions& options = {});

// How figure items reach device coordinates when the caller maps them itself (the main
// view goes through its view transform): a paper millimetre point to a device point, and
// the device pixels per millimetre for text heights, arc and mark radii.
struct FigureDeviceMap {
    std::function<QPointF(Point2)> toDevice;
    double pixelsPerMm = 1.0;
};

// Paints figure items with the same primitives as paintPlot (texts in the figure font at
// their height, arcs with their direction, arrows with their heads, point marks), each
// with the pen `penFor` chooses for it.
void paintFigureItems(QPainter& painter, const std::vector<FigureItem>& items,
                      const FigureDeviceMap& map,
                      const std::function<QPen(const FigureItem&)>& penFor);

// The font family used for figure texts (IPAGothic, a fixed-pitch Japanese Gothic).
QString plotFontFamily();

// Exports. Each returns false and sets *error when the file cannot be written.
bool exportPlotPdf(const PlotDocument& doc, const QString& path, QString* error);
bool exportPlotSvg(const PlotDocument& doc, const QString& path, QString* error);
bool exportPlotPng(const PlotDocument& doc, const QString& path, double dotsPerMm, QString* error);

// Exports by the extension of `path` (.pdf, .svg or .png at 8 dots per mm). Creates an
// offscreen GUI application when the program has none (the command line). False and
// *error for an unknown extension or an unwritable file.
bool exportPlotByExtension(const PlotDocument& doc, const std::string& path, std::string* error);

// Prints on one page of the printer, fitted to its page.
void printPlot(const PlotDocument& doc, QPrinter& printer);

} // namespace keltora
