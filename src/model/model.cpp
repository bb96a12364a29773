// The new-document reset, change rules and slot allocation of the section model.
#include "model/model.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include "model/c_format.h"

namespace keltora {

const CircleSearchSettings& SlopeModel::activeCircle() const
{
    return (conditions.method == kMethodBishop || conditions.method == kMethodBishopModified)
               ? bishopCircle
               : felleniusCircle;
}

CircleSearchSettings& SlopeModel::activeCircle()
{
    return const_cast<CircleSearchSettings&>(std::as_const(*this).activeCircle());
}

void resetModel(SlopeModel& model)
{
    model.modified = -1;
    model.dataName.clear();
    model.title.clear();
    model.calcDate = {};
    model.calcTime = {};

    model.conditions = CalcConditions{};
    model.referenceLine = CohesionReferenceLine{};

    const int32_t felleniusDirection = model.felleniusCircle.direction;
    const int32_t bishopDirection = model.bishopCircle.direction;
    model.felleniusCircle = CircleSearchSettings{};
    model.bishopCircle = CircleSearchSettings{};
    model.felleniusCircle.direction = felleniusDirection;
    model.bishopCircle.direction = bishopDirection;
    model.lineSlip = LineSlipSettings{};
    model.sheetPile = SheetPileSettings{};

    model.points.fill(TerrainPoint{});
    model.lines.fill(TerrainLine{});
    model.blocks.fill(SoilBlock{});

    model.draw = DrawSettings{};
    model.pointCount = 0;
    model.lineCount = 0;
    model.blockCount = 0;
    model.display = DisplaySettings{};
    model.calcState = 0;
}

bool assignIfChanged(std::string& stored, const std::string& value)
{
    if (stored == value) return false;
    stored = value;
    return true;
}

bool assignIfChanged(double& stored, double value)
{
    if (!(std::fabs(stored - value) >= kTolChanged)) return false;
    stored = value;
    return true;
}

bool assignIfChanged(int32_t& stored, int32_t value)
{
    if (stored == value) return false;
    stored = value;
    return true;
}

std::string formatEditNumber(const std::string& text, int n)
{
    double v = 0.0;
    if (cscan(text.c_str(), "%lf", &v) != 1) v = 0.0;
    switch (n <= 0 ? 0 : n > 4 ? 5 : n) {
    case 0: return cformat("%1.0f", v);
    case 1: return cformat("%2.1f", v);
    case 2: return cformat("%3.2f", v);
    case 3: return cformat("%4.3f", v);
    case 4: return cformat("%5.4f", v);
    default: return cformat("%6.5f", v);
    }
}

void markChanged(SlopeModel& model, bool affectsResults)
{
    model.modified = 1;
    if (affectsResults) model.calcState = 0;
}

namespace {

template <typename Table, typename IsFree>
std::optional<int> firstFreeSlot(const Table& table, int count, int capacity, IsFree isFree,
                                 const char* what, Message* why)
{
    for (int i = 0; i < count && i < capacity; ++i)
        if (isFree(table[static_cast<size_t>(i)])) return i;
    if (count < capacity) return count;
    if (why)
        *why = {cformat("%sは最大%d個までです。これ以上追加できません。", what, capacity), "error"};
    return std::nullopt;
}

} // namespace

std::optional<int> allocatePointSlot(const SlopeModel& model, Message* why)
{
    return firstFreeSlot(model.points, model.pointCount, kMaxPoints,
                         [](const TerrainPoint& p) { return p.number < 0; }, "点", why);
}

std::optional<int> allocateLineSlot(const SlopeModel& model, Message* why)
{
    return firstFreeSlot(model.lines, model.lineCount, kMaxLines,
                         [](const TerrainLine& l) { return l.kind < 0; }, "線分", why);
}

std::optional<int> allocateBlockSlot(const SlopeModel& model, Message* why)
{
    return firstFreeSlot(model.blocks, model.blockCount, kMaxBlocks,
                         [](const SoilBlock& b) { return b.number < 0; }, "ブロック", why);
}

void confirmPointSlot(SlopeModel& model, int slot)
{
    if (slot == model.pointCount && slot < kMaxPoints) ++model.pointCount;
}

void confirmLineSlot(SlopeModel& model, int slot)
{
    if (slot == model.lineCount && slot < kMaxLines) ++model.lineCount;
}

void confirmBlockSlot(SlopeModel& model, int slot)
{
    if (slot == model.blockCount && slot < kMaxBlocks) ++model.blockCount;
}

std::optional<int> addPoint(SlopeModel& model, double x, double y, Message* why)
{
    auto slot = allocatePointSlot(model, why);
    if (!slot) return std::nullopt;
    model.points[static_cast<size_t>(*slot)] = {*slot, x, y};
    confirmPointSlot(model, *slot);
    return slot;
}

std::optional<int> addLine(SlopeModel& model, int kind, int startPoint, int endPoint, Message* why)
{
    auto slot = allocateLineSlot(model, why);
    if (!slot) return std::nullopt;
    model.lines[static_cast<size_t>(*slot)] = {kind, startPoint, endPoint, 1};
    confirmLineSlot(model, *slot);
    return slot;
}

std::optional<int> addBlock(SlopeModel& model, const SoilBlock& block, Message* why)
{
    auto slot = allocateBlockSlot(model, why);
    if (!slot) return std::nullopt;
    SoilBlock& b = model.blocks[static_cast<size_t>(*slot)];
    b = block;
    b.number = *slot;
    confirmBlockSlot(model, *slot);
    return slot;
}

void freePoint(SlopeModel& model, int slot)
{
    if (slot < 0 || slot >= model.pointCount) return;
    model.points[static_cast<size_t>(slot)] = TerrainPoint{};
    for (int i = 0; i < model.lineCount; ++i) {
        const TerrainLine& l = model.lines[static_cast<size_t>(i)];
        if (l.kind >= 0 && (l.startPoint == slot || l.endPoint == slot)) freeLine(model, i);
    }
}

void freeLine(SlopeModel& model, int slot)
{
    if (slot < 0 || slot >= model.lineCount) return;
    model.lines[static_cast<size_t>(slot)] = TerrainLine{};
}

void freeBlock(SlopeModel& model, int slot)
{
    if (slot < 0 || slot >= model.blockCount) return;
    model.blocks[static_cast<size_t>(slot)] = SoilBlock{};
}

} // namespace keltora
