// The document object: change rules around the core Document.
#include "ui/section_document.h"

#include "analysis/results.h"

namespace keltora::ui {

SectionDocument::SectionDocument(std::filesystem::path startDirectory, QObject* parent)
    : QObject(parent), document_(std::move(startDirectory))
{
}

SectionDocument::~SectionDocument() = default;

bool SectionDocument::hasValidResults() const
{
    return model().calcState == kResultsValid && document_.results() != nullptr;
}

bool SectionDocument::edit(const QString& undoText, ChangeKind kind,
                           const std::function<bool(SlopeModel&)>& change)
{
    SlopeModel& m = document_.model();
    if (!change) return false;
    // Display settings are no document data: their changes are not undo steps.
    std::unique_ptr<SlopeModel> before;
    if (kind != ChangeKind::Display) before = std::make_unique<SlopeModel>(m);
    if (!change(m)) return false;
    switch (kind) {
    case ChangeKind::Results: markChanged(m, true); break;
    case ChangeKind::Figure: markChanged(m, false); break;
    case ChangeKind::Display: break;
    }
    if (before)
        undo_.push(undoText.toStdString(),
                   kind == ChangeKind::Results ? ChangeEffect::Results : ChangeEffect::Figure,
                   *before, m);
    afterChange();
    if (before) emit undoStateChanged();
    return true;
}

void SectionDocument::replaceModel(const QString& undoText, SlopeModel model)
{
    const auto before = std::make_unique<SlopeModel>(document_.model());
    document_.model() = std::move(model);
    markChanged(document_.model(), true);
    undo_.push(undoText.toStdString(), ChangeEffect::Results, *before, document_.model());
    afterChange();
    emit undoStateChanged();
}

void SectionDocument::setResults(std::shared_ptr<CalculationResults> results)
{
    document_.model().calcState = results ? results->validFlag : kResultsNone;
    document_.setResults(std::move(results));
    ++revision_;
    emit changed();
}

bool SectionDocument::adjust(const std::function<bool(SlopeModel&)>& change)
{
    if (!change || !change(document_.model())) return false;
    ++revision_;
    return true;
}

void SectionDocument::notifyReplaced()
{
    // A new or opened document starts its own history.
    undo_.clear();
    undo_.markSaved(document_.model().modified);
    if (document_.model().calcState != kResultsValid) document_.setResults(nullptr);
    ++revision_;
    emit changed();
    emit undoStateChanged();
}

void SectionDocument::afterChange()
{
    if (document_.model().calcState != kResultsValid) document_.setResults(nullptr);
    ++revision_;
    emit changed();
}

bool SectionDocument::canUndo() const
{
    return undo_.canUndo();
}
bool SectionDocument::canRedo() const
{
    return undo_.canRedo();
}
void SectionDocument::undo()
{
    if (undo_.undo(document_.model()) == ChangeEffect::None) return;
    afterChange();
    emit undoStateChanged();
}
void SectionDocument::redo()
{
    if (undo_.redo(document_.model()) == ChangeEffect::None) return;
    afterChange();
    emit undoStateChanged();
}
void SectionDocument::markSaved()
{
    undo_.markSaved(document_.model().modified);
    emit undoStateChanged();
}

} // namespace keltora::ui
