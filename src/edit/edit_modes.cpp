// Dispatch of menu commands and mouse clicks to the families of modes.
#include "edit/edit_modes.h"

#include "edit/block_modes.h"
#include "edit/construction_modes.h"
#include "edit/line_modes.h"
#include "edit/placement_modes.h"
#include "edit/point_modes.h"

namespace keltora {

EditController::EditController(EditHost& host) : host_(host)
{
    families_.push_back(std::make_unique<PointModes>());
    families_.push_back(std::make_unique<LineModes>());
    families_.push_back(std::make_unique<BlockModes>());
    families_.push_back(std::make_unique<PlacementModes>());
    families_.push_back(std::make_unique<ConstructionModes>());
}

EditController::~EditController() = default;

ModeFamily* EditController::familyOf(int mode) const
{
    if (mode == kModeNone || isAreaMode(mode)) return nullptr;
    for (const auto& f : families_)
        if (f->handles(mode)) return f.get();
    return nullptr;
}

bool EditController::isEditMode(int mode) const
{
    return familyOf(mode) != nullptr;
}

void EditController::enterMode(int mode)
{
    session_.clearPicks();
    ModeFamily* f = familyOf(mode);
    if (!f) {
        keltora::leaveMode(session_);
        return;
    }
    f->enter(session_, mode);
}

void EditController::leaveMode()
{
    keltora::leaveMode(session_);
}

void EditController::reset()
{
    keltora::leaveMode(session_);
    session_.parallelOffset = 1.0;
}

void EditController::modelReplaced()
{
    const int mode = session_.mode;
    if (!familyOf(mode)) return;
    // Back to the mode's first step: the code as entered from the menu.
    int first = mode;
    if (constructionBase(mode) >= 0)
        first = constructionBase(mode);
    else if (mode >= kModeLineEndFirst && mode <= kModeLineEndLast)
        first = mode - 10;
    else if (mode == kModePointMoveTo || mode == kModeBlockMoveTo || mode == kModeBlockCopyTo ||
             mode == kModeSoilVerticalPlace || mode == kModeSoilHorizontalPlace ||
             mode == kModeSafetyLabelPlace)
        first = mode - 1;
    enterMode(first);
}

EditOutcome EditController::leftClick(const SlopeModel& model,
                                      const std::vector<SafetyLabel>* labels, Point2 p)
{
    ModeFamily* f = familyOf(session_.mode);
    if (!f) return {};
    session_.cursor = p;
    return f->leftClick(session_, EditContext{model, labels, host_}, p);
}

EditOutcome EditController::rightClick(const SlopeModel& model,
                                       const std::vector<SafetyLabel>* labels, Point2 p)
{
    ModeFamily* f = familyOf(session_.mode);
    if (!f) return {};
    return f->rightClick(session_, EditContext{model, labels, host_}, p);
}

bool EditController::mouseMove(Point2 p)
{
    session_.cursor = p;
    return session_.rubber && familyOf(session_.mode) != nullptr;
}

EditOutcome EditController::xyButton(const SlopeModel& model,
                                     const std::vector<SafetyLabel>* labels)
{
    ModeFamily* f = familyOf(session_.mode);
    if (!f || !session_.xyButton) return {};
    return f->xyButton(session_, EditContext{model, labels, host_});
}

EditOutcome EditController::resume(const SlopeModel& model, const std::vector<SafetyLabel>* labels)
{
    ModeFamily* f = familyOf(session_.mode);
    if (!f) return {};
    return f->resume(session_, EditContext{model, labels, host_});
}

Marks EditController::marks(const SlopeModel& model, const std::vector<SafetyLabel>* labels) const
{
    Marks m;
    ModeFamily* f = familyOf(session_.mode);
    if (f) f->addMarks(session_, EditContext{model, labels, host_}, m);
    return m;
}

} // namespace keltora
