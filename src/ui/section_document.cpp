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
    (void)undoText; // the undo step is recorded by the undo stack once it exists
    SlopeModel& m = document_.model();
    if (!change || !change(m)) return false;
    switch (kind) {
    case ChangeKind::Results: markChanged(m, true); break;
    case ChangeKind::Figure: markChanged(m, false); break;
    case ChangeKind::Display: break;
    }
    afterChange();
    return true;
}

void SectionDocument::replaceModel(const QString& undoText, SlopeModel model)
{
    (void)undoText;
    document_.model() = std::move(model);
    markChanged(document_.model(), true);
    afterChange();
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
    return false;
}
bool SectionDocument::canRedo() const
{
    return false;
}
void SectionDocument::undo() {}
void SectionDocument::redo() {}
void SectionDocument::markSaved() {}

} // namespace keltora::ui
