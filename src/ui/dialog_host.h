// What the condition dialogs and table editors need from the window that opens them: the
// remembered window sizes, message boxes, file choice, redraws and the typed-terrain preview.
// The main window provides it; tests provide a scripted one.
#pragma once

#include <QSize>
#include <QString>

#include <functional>
#include <memory>

#include "model/message.h"
#include "model/model.h"

namespace keltora {
struct CalculationResults;
}

namespace keltora::ui {

// Window-size entries of the settings file.
enum WindowSizeEntry : int {
    kSizeCalcConditions = 1,
    kSizeCircleSettings = 2,
    kSizeLineByAngle = 3,
    kSizeLineBySegments = 4,
    kSizeReferenceLine = 5,
    kSizeSheetPile = 6,
    kSizeDisplaySettings = 7,
    kSizeDrawSettings = 8,
    kSizeCoordinateInput = 9,
    kSizePointTable = 10,
    kSizeLineTable = 11,
    kSizeBlock = 12,
    kSizeParallelLine = 14,
    kSizeDxfImport = 15,
};

// How a dialog's change marks the document: Model: the dialog's rules set the modified and
// results-valid flags themselves (modified = 1 when they stored; calcState = 0 when a stored
// value affects the results); Display: neither flag.
enum class DialogChange { Model, Display };

// The document as the dialogs see it: the main window adapts its document object to this,
// so that every confirmation is one undo step and one redraw there.
class DialogDocument {
  public:
    virtual ~DialogDocument() = default;
    virtual const SlopeModel& model() const = 0;
    // `change` writes the model and returns true when it stored something; then an undo step
    // named `undoText` is recorded and the views redraw. Returns what `change` returned.
    virtual bool edit(const QString& undoText, DialogChange kind,
                      const std::function<bool(SlopeModel&)>& change) = 0;
    // Replaces the whole model (imports), one undo step.
    virtual void replaceModel(const QString& undoText, SlopeModel model) = 0;
    // The results of the last calculation while they are valid, else null.
    virtual const CalculationResults* validResults() const = 0;
    virtual void setResults(std::shared_ptr<CalculationResults> results) = 0;
};

class DialogHost {
  public:
    virtual ~DialogHost() = default;
    virtual QSize windowSize(int entry) const = 0;
    virtual void rememberWindowSize(int entry, QSize size) = 0;
    // A message box with the message's caption.
    virtual void tell(const Message& message) = 0;
    // A file-open dialog: the chosen path, or an empty text when cancelled.
    virtual QString openFileName(const QString& title, const QString& filter) = 0;
    // The folder of the data files (the file dialogs start there).
    virtual QString dataDirectory() const = 0;
    virtual void setDataDirectory(const QString& directory) = 0;
    // Redraw of the main view (variant 1: points, 2: lines from the table being edited) and
    // the all-show fit.
    virtual void redraw(int variant) = 0;
    virtual void fitAll() = 0;
    // While a table editor is open, the view draws the model as changed by `preview`
    // (empty: the model itself again).
    virtual void setDrawPreview(std::function<void(SlopeModel&)> preview) = 0;
};

} // namespace keltora::ui
