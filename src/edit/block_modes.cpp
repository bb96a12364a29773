// Adding, moving, deleting, copying and editing soil blocks with the mouse.
#include "edit/block_modes.h"

#include "edit/picking.h"
#include "geometry/block_polygons.h"

namespace keltora {

namespace {

const SoilBlock* blockAt(const SlopeModel& model, int i)
{
    if (i < 0 || i >= model.blockCount || i >= kMaxBlocks) return nullptr;
    const SoilBlock& b = model.blocks[static_cast<size_t>(i)];
    return b.number >= 0 ? &b : nullptr;
}

EditOutcome writeBlock(int slot, const SoilBlock& block, const char* undoText)
{
    EditOutcome out;
    out.change = [slot, block](SlopeModel& m) {
        SoilBlock& b = m.blocks[static_cast<size_t>(slot)];
        if (sameBlock(b, block)) return false;
        b = block;
        b.number = slot;
        confirmBlockSlot(m, slot);
        return true;
    };
    out.effect = ChangeEffect::Results;
    out.undoText = undoText;
    return out;
}

EditOutcome addBlockAt(const EditContext& c, Point2 p)
{
    const BlockOutline outline = traceOutline(c.model, p.x, p.y);
    if (outline.entries() < 3) return {};
    EditOutcome out;
    Message why;
    const auto slot = allocateBlockSlot(c.model, &why);
    if (!slot) {
        out.message = why;
        return out;
    }
    DialogRequest r;
    r.kind = DialogKind::Block;
    r.slot = *slot;
    r.block = SoilBlock{};
    r.block.number = *slot;
    r.block.seed = p;
    r.block.labelMode = -1;
    r.block.labelPos = p;
    r.block.kind = kSoilBlock;
    r.block.hasSandPiles = 0;
    Marks marks;
    markBlockAt(c.model, p, marks);
    if (!c.host.openDialog(r, marks)) return out;
    r.block.number = *slot;
    return writeBlock(*slot, r.block, "ブロックの追加");
}

void backTo(EditSession& s, int mode, const char* status)
{
    s.clearPicks();
    s.mode = mode;
    s.status = status;
    s.xyButton = false;
}

} // namespace

bool sameBlock(const SoilBlock& a, const SoilBlock& b)
{
    return a.number == b.number && a.seed.x == b.seed.x && a.seed.y == b.seed.y &&
           a.unitWeight == b.unitWeight && a.effectiveUnitWeight == b.effectiveUnitWeight &&
           a.cohesionGradient == b.cohesionGradient && a.baseCohesion == b.baseCohesion &&
           a.frictionAngle == b.frictionAngle && a.pileReplacementRatio == b.pileReplacementRatio &&
           a.stressShareRatio == b.stressShareRatio && a.pileUnitWeight == b.pileUnitWeight &&
           a.pileFrictionAngle == b.pileFrictionAngle && a.labelMode == b.labelMode &&
           a.labelPos.x == b.labelPos.x && a.labelPos.y == b.labelPos.y &&
           a.reserved == b.reserved && a.kind == b.kind && a.hasSandPiles == b.hasSandPiles;
}

void markBlockAt(const SlopeModel& model, Point2 seed, Marks& m)
{
    m.blockCentres.push_back(seed);
    const BlockOutline outline = traceOutline(model, seed.x, seed.y);
    if (outline.entries() < 3) return;
    std::vector<Point2> pts;
    for (int n : outline.points)
        if (pointInUse(model, n)) pts.push_back(pointAt(model, n));
    if (pts.size() >= 3) m.outlines.push_back(std::move(pts));
}

bool BlockModes::handles(int mode) const
{
    return mode == kModeBlockAdd || mode == kModeBlockMove || mode == kModeBlockMoveTo ||
           mode == kModeBlockDelete || mode == kModeBlockCopy || mode == kModeBlockCopyTo ||
           mode == kModeBlockEdit;
}

EditOutcome BlockModes::leftClick(EditSession& s, const EditContext& c, Point2 p)
{
    const SlopeModel& model = c.model;
    switch (s.mode) {
    case kModeBlockAdd: return addBlockAt(c, p);
    case kModeBlockMove:
    case kModeBlockCopy: {
        const int i = pickBlock(model, p);
        if (i < 0) return {};
        const bool copy = s.mode == kModeBlockCopy;
        s.picked = i;
        s.copySource = copy ? i : -1;
        s.savedPos = model.blocks[static_cast<size_t>(i)].seed;
        s.newPos = s.savedPos;
        s.moved = 0;
        s.mode = copy ? kModeBlockCopyTo : kModeBlockMoveTo;
        s.status = modeStatusText(s.mode);
        return {};
    }
    case kModeBlockMoveTo:
    case kModeBlockCopyTo:
        // Shown at once, written when confirmed (the label position stays where it was).
        if (!blockAt(model, s.picked)) return {};
        s.newPos = p;
        s.moved = 1;
        return {};
    case kModeBlockDelete: {
        const int i = pickBlock(model, p);
        if (i < 0) return {};
        Marks marks;
        markBlockAt(model, model.blocks[static_cast<size_t>(i)].seed, marks);
        if (!c.host.confirm("ブロックを削除してよろしいですか？", marks)) return {};
        EditOutcome out;
        out.change = [i](SlopeModel& m) {
            m.blocks[static_cast<size_t>(i)].number = -1;
            return true;
        };
        out.effect = ChangeEffect::Results;
        out.undoText = "ブロックの削除";
        return out;
    }
    case kModeBlockEdit: {
        const int i = pickBlock(model, p);
        if (i < 0) return {};
        DialogRequest r;
        r.kind = DialogKind::Block;
        r.slot = i;
        r.block = model.blocks[static_cast<size_t>(i)];
        Marks marks;
        markBlockAt(model, r.block.seed, marks);
        if (!c.host.openDialog(r, marks)) return {};
        r.block.number = i;
        return writeBlock(i, r.block, "ブロックの変更");
    }
    default: return {};
    }
}

EditOutcome BlockModes::rightClick(EditSession& s, const EditContext& c, Point2)
{
    EditOutcome out;
    if (s.mode == kModeBlockMoveTo) {
        const SoilBlock* b = blockAt(c.model, s.picked);
        if (s.moved == 1 && b) {
            Marks marks;
            addMarks(s, c, marks);
            if (c.host.confirm("ブロックを移動してよろしいですか？", marks)) {
                SoilBlock moved = *b;
                moved.seed = s.newPos;
                out = writeBlock(s.picked, moved, "ブロックの移動");
            }
        }
        backTo(s, kModeBlockMove, modeStatusText(kModeBlockMove).c_str());
        return out;
    }
    if (s.mode == kModeBlockCopyTo) {
        const SoilBlock* b = blockAt(c.model, s.copySource);
        if (s.moved == 1 && b) {
            Marks marks;
            addMarks(s, c, marks);
            if (c.host.confirm("ブロックを複写してよろしいですか？", marks)) {
                Message why;
                const auto slot = allocateBlockSlot(c.model, &why);
                if (!slot) {
                    out.message = why;
                } else {
                    SoilBlock copy = *b; // parameters and label position of the source
                    copy.number = *slot;
                    copy.seed = s.newPos;
                    out = writeBlock(*slot, copy, "ブロックの複写");
                }
            }
        }
        backTo(s, kModeBlockCopy,
               "複写するブロックをマウス(左)で選択してください。マウス(右)：取り消し");
        return out;
    }
    leaveMode(s);
    return out;
}

EditOutcome BlockModes::xyButton(EditSession& s, const EditContext& c)
{
    if (s.mode != kModeBlockAdd) return {};
    DialogRequest r;
    r.kind = DialogKind::PointCoordinates;
    r.blockPosition = true;
    Marks none;
    if (!c.host.openDialog(r, none)) return {};
    return addBlockAt(c, r.position);
}

void BlockModes::addMarks(const EditSession& s, const EditContext& c, Marks& m) const
{
    if (s.mode != kModeBlockMoveTo && s.mode != kModeBlockCopyTo) return;
    const SoilBlock* b = blockAt(c.model, s.picked);
    if (!b) return;
    if (s.mode == kModeBlockCopyTo) markBlockAt(c.model, b->seed, m);
    markBlockAt(c.model, s.moved ? s.newPos : b->seed, m);
}

} // namespace keltora
