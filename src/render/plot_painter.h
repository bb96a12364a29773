// Painting figure primitives (a plot file or a composed figure) with QPainter, and the
// exports of the plotter: PDF, SVG, PNG and the printer.
#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

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
