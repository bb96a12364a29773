// The one Qt document object of the main window: owns the core Document, and every change
// of the model goes through it, so that flags, results, undo and the redraw stay in step.
#pragma once

#include <QObject>
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>

#include "edit/undo_stack.h"
#include "model/document.h"

namespace keltora {
struct CalculationResults;
}

namespace keltora::ui {

// What an edit touches. Results: modified = 1, calcState = 0 and the results dropped;
// Figure: modified = 1 only; Display: neither.
enum class ChangeKind { Results, Figure, Display };

class SectionDocument : public QObject {
    Q_OBJECT
  public:
    explicit SectionDocument(std::filesystem::path startDirectory, QObject* parent = nullptr);
    ~SectionDocument() override;

    // Open, save and reset go through the main window's commands, which emit changed().
    Document& document() { return document_; }
    const Document& document() const { return document_; }
    const SlopeModel& model() const { return document_.model(); }
    const CalculationResults* results() const { return document_.results().get(); }
    bool hasValidResults() const;

    // The one way to change the model. `change` writes the model (it may call markChanged
    // itself) and returns true when it stored something. Then: the flags of `kind` are
    // applied (when calcState fell to 0 the results are dropped), an undo step named
    // `undoText` is recorded with the model as it was before, and changed() is emitted once.
    bool edit(const QString& undoText, ChangeKind kind,
              const std::function<bool(SlopeModel&)>& change);
    // Replaces the whole model (loads, imports): the same effects as edit() with Results.
    void replaceModel(const QString& undoText, SlopeModel model);
    // Applies a calculation in one step: the results replace the document's and calcState
    // takes their results-valid flag (null: no results, calcState 0).
    void setResults(std::shared_ptr<CalculationResults> results);

    // Adjustments the display rules make on their own during a redraw (automatic display
    // presets, label modes of hidden placement items): no flags, no undo step, no signal.
    // Returns what `change` returned.
    bool adjust(const std::function<bool(SlopeModel&)>& change);

    // Tells the views that the document was replaced or reset by a command (open, new,
    // save): drops caches and redraws.
    void notifyReplaced();

    // Counts every change, so that views can cache what they derive from the model.
    quint64 revision() const { return revision_; }

    // Undo / redo of model snapshots (filled in by the edit session's undo stack).
    bool canUndo() const;
    bool canRedo() const;
    void undo();
    void redo();
    void markSaved(); // the undo position that counts as unmodified

  signals:
    void changed(); // model or results changed: figure caches drop, the view redraws
    void undoStateChanged();

  private:
    void afterChange();

    Document document_;
    quint64 revision_ = 0;
    UndoStack undo_;
};

} // namespace keltora::ui
